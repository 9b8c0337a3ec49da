#include "model/shapes/ShapeMesh.h"

#include <algorithm>
#include <cmath>

#include <glm/geometric.hpp>

#include "model/ModelNormals.h"

namespace boxora {
namespace {

constexpr double kPi = 3.14159265358979323846;

glm::dvec3 NormalizeOr(glm::dvec3 v, glm::dvec3 fallback) {
    const double len = glm::length(v);
    return len > 1e-12 ? v / len : fallback;
}

}  // namespace

int ShapeMesh::Material(const std::string& name, std::array<uint8_t, 4> color) {
    for (std::size_t i = 0; i < materials_.size(); ++i)
        if (materials_[i].name == name) return static_cast<int>(i);
    materials_.push_back({name, color});
    return static_cast<int>(materials_.size() - 1);
}

uint32_t ShapeMesh::Vertex(glm::dvec3 p, glm::dvec2 uv, glm::dvec3 normal) {
    vertices_.push_back({p, uv, NormalizeOr(normal, {0, 1, 0})});
    return static_cast<uint32_t>(vertices_.size() - 1);
}

void ShapeMesh::Triangle(uint32_t a, uint32_t b, uint32_t c, int material) {
    const glm::dvec3 cross = glm::cross(vertices_[b].p - vertices_[a].p, vertices_[c].p - vertices_[a].p);
    // Anything below a square micrometre is a sliver where a ring meets an
    // axis: leaving it out keeps every edge shared by two real triangles.
    if (glm::length(cross) < 1e-6) return;
    const glm::dvec3 n = vertices_[a].n + vertices_[b].n + vertices_[c].n;
    if (!keepWinding_ && glm::dot(cross, n) < 0) std::swap(b, c);
    triangles_.push_back({{a, b, c}, material});
}

void ShapeMesh::Quad(uint32_t a, uint32_t b, uint32_t c, uint32_t d, int material) {
    Triangle(a, b, c, material);
    Triangle(a, c, d, material);
}

void ShapeMesh::Cuboid(glm::dvec3 lo, glm::dvec3 hi, const std::array<int, 6>& materials) {
    const glm::dvec3 s = hi - lo;
    struct Side {
        glm::dvec3 origin, u, v;
    };
    const Side sides[6] = {
        {{lo.x, lo.y, hi.z}, {s.x, 0, 0}, {0, s.y, 0}},   // front
        {{hi.x, lo.y, lo.z}, {-s.x, 0, 0}, {0, s.y, 0}},  // back
        {{lo.x, lo.y, lo.z}, {0, 0, s.z}, {0, s.y, 0}},   // left
        {{hi.x, lo.y, hi.z}, {0, 0, -s.z}, {0, s.y, 0}},  // right
        {{lo.x, hi.y, hi.z}, {s.x, 0, 0}, {0, 0, -s.z}},  // top
        {{lo.x, lo.y, lo.z}, {s.x, 0, 0}, {0, 0, s.z}},   // bottom
    };
    for (int k = 0; k < 6; ++k) {
        const Side& side = sides[k];
        const glm::dvec3 n = glm::normalize(glm::cross(side.u, side.v));
        Grid(
            1, 1, materials[static_cast<std::size_t>(k)],
            [&](int i, int j) { return side.origin + side.u * double(i) + side.v * double(j); },
            [&](int, int) { return n; });
    }
}

void ShapeMesh::AddLoft(const Loft& loft, glm::dvec3 offset) {
    const std::vector<glm::dvec3>& rings = loft.rings;
    const std::size_t bands = rings.size() - 1;
    double maxRadius = 1e-9;
    for (const glm::dvec3& r : rings) maxRadius = std::max({maxRadius, r.x, r.z});

    // Unit profile direction of band k, in (x radius, y, z radius).
    auto direction = [&](std::size_t k) { return NormalizeOr(rings[k + 1] - rings[k], {0, 1, 0}); };
    // Texture v runs along the profile over each run of bands of one material.
    auto bandLength = [&](std::size_t k) {
        const glm::dvec3 d = rings[k + 1] - rings[k];
        return std::hypot((d.x + d.z) / 2, d.y);
    };
    std::vector<double> bandStart(bands, 0), runLength(bands, 1);
    for (std::size_t k = 1; k < bands; ++k)
        if (loft.materials[k] == loft.materials[k - 1]) bandStart[k] = bandStart[k - 1] + bandLength(k - 1);
    for (std::size_t k = bands; k-- > 0;) {
        const bool continues = k + 1 < bands && loft.materials[k] == loft.materials[k + 1];
        runLength[k] = continues ? runLength[k + 1] : std::max(bandStart[k] + bandLength(k), 1e-9);
    }

    const bool halves = loft.frontBack[0] >= 0;
    const int segments = std::max(8, loft.segments / (halves ? 2 : 1) * (halves ? 2 : 1));
    for (std::size_t k = 0; k < bands; ++k) {
        const int bandMaterial = loft.materials[k];
        const bool top = std::find(loft.planarTop.begin(), loft.planarTop.end(), bandMaterial) != loft.planarTop.end();
        const bool bottom =
            std::find(loft.planarBottom.begin(), loft.planarBottom.end(), bandMaterial) != loft.planarBottom.end();
        const double length = bandLength(k);
        for (int half = 0; half < (halves ? 2 : 1); ++half) {
            int material = bandMaterial;
            if (halves && bandMaterial == loft.wrapMaterial) material = loft.frontBack[static_cast<std::size_t>(half)];
            const int n = halves ? segments / 2 : segments;
            const double phi0 = halves ? (half == 0 ? -kPi / 2 : kPi / 2) : -kPi;
            const double span = halves ? kPi : 2 * kPi;
            uint32_t first[2];
            for (int end = 0; end < 2; ++end) {
                const std::size_t r = k + static_cast<std::size_t>(end);
                const glm::dvec3 ring = rings[r];
                // Profile tangent: the band's own at a crease or at the ends,
                // otherwise the mean of the two bands meeting here.
                glm::dvec3 t = direction(k);
                if (end == 0 && k > 0 && !loft.sharp[r]) t = NormalizeOr(direction(k - 1) + t, t);
                if (end == 1 && k + 1 < bands && !loft.sharp[r]) t = NormalizeOr(t + direction(k + 1), t);
                first[end] = static_cast<uint32_t>(vertices_.size());
                for (int i = 0; i <= n; ++i) {
                    const double phi = phi0 + span * i / n;
                    const double s = std::sin(phi), c = std::cos(phi);
                    const glm::dvec3 p = offset + glm::dvec3(ring.x * s, ring.y, ring.z * c);
                    const glm::dvec3 tPhi(std::max(ring.x, 1e-6) * c, 0, -std::max(ring.z, 1e-6) * s);
                    const glm::dvec3 tProf(t.x * s, t.y, t.z * c);
                    const glm::dvec3 normal = glm::cross(tPhi, tProf);
                    glm::dvec2 uv;
                    if (top)
                        uv = {0.5 + (p.x - offset.x) / (2 * maxRadius), 0.5 - (p.z - offset.z) / (2 * maxRadius)};
                    else if (bottom)
                        uv = {0.5 + (p.x - offset.x) / (2 * maxRadius), 0.5 + (p.z - offset.z) / (2 * maxRadius)};
                    else
                        uv = {double(i) / n, (bandStart[k] + end * length) / runLength[k]};
                    Vertex(p, uv, normal);
                }
            }
            for (int i = 0; i < n; ++i) {
                const uint32_t a = first[0] + static_cast<uint32_t>(i), b = a + 1;
                const uint32_t dd = first[1] + static_cast<uint32_t>(i), c = dd + 1;
                Quad(a, b, c, dd, material);
            }
        }
    }
}

void ShapeMesh::Rod(const std::vector<glm::dvec3>& path, double r, int material, int sides) {
    const std::size_t count = path.size();
    glm::dvec3 side(0);
    std::vector<uint32_t> ringStart;
    for (std::size_t k = 0; k < count; ++k) {
        const glm::dvec3 t = NormalizeOr(path[std::min(k + 1, count - 1)] - path[k == 0 ? 0 : k - 1], {1, 0, 0});
        // Carried along the path so the rod does not twist.
        if (k == 0)
            side = NormalizeOr(glm::cross(t, glm::dvec3(0, 0, 1)), NormalizeOr(glm::cross(t, {1, 0, 0}), {0, 1, 0}));
        side = NormalizeOr(side - t * glm::dot(side, t), side);
        const glm::dvec3 up = glm::cross(t, side);
        ringStart.push_back(static_cast<uint32_t>(vertices_.size()));
        for (int i = 0; i <= sides; ++i) {
            const double a = 2 * kPi * i / sides;
            const glm::dvec3 n = side * std::cos(a) + up * std::sin(a);
            Vertex(path[k] + n * r, {double(i) / sides, double(k) / (count - 1)}, n);
        }
    }
    for (std::size_t k = 0; k + 1 < count; ++k)
        for (int i = 0; i < sides; ++i) {
            const uint32_t a = ringStart[k] + static_cast<uint32_t>(i), b = ringStart[k + 1] + static_cast<uint32_t>(i);
            Quad(a, a + 1, b + 1, b, material);
        }
    for (int end = 0; end < 2; ++end) {
        const std::size_t k = end == 0 ? 0 : count - 1;
        const glm::dvec3 t = NormalizeOr(end == 0 ? path[0] - path[1] : path[count - 1] - path[count - 2], {1, 0, 0});
        const uint32_t centre = Vertex(path[k], {0.5, 0.5}, t);
        const uint32_t first = static_cast<uint32_t>(vertices_.size());
        for (int i = 0; i <= sides; ++i) Vertex(vertices_[ringStart[k] + static_cast<uint32_t>(i)].p, {0, 0}, t);
        for (int i = 0; i < sides; ++i)
            Triangle(centre, first + static_cast<uint32_t>(i), first + static_cast<uint32_t>(i) + 1, material);
    }
}

void ShapeMesh::TransformFrom(uint32_t first, const glm::dmat4& m) {
    for (std::size_t i = first; i < vertices_.size(); ++i) {
        V& v = vertices_[i];
        v.p = glm::dvec3(m * glm::dvec4(v.p, 1.0));
        v.n = glm::normalize(glm::dvec3(m * glm::dvec4(v.n, 0.0)));
    }
}

glm::dvec3 ShapeMesh::Min() const {
    glm::dvec3 m(1e300);
    for (const V& v : vertices_) m = glm::min(m, v.p);
    return m;
}

glm::dvec3 ShapeMesh::Max() const {
    glm::dvec3 m(-1e300);
    for (const V& v : vertices_) m = glm::max(m, v.p);
    return m;
}

std::unique_ptr<C3DObject> ShapeMesh::ToObject(const std::string& name, double unitsPerMm, SceneModel& model,
                                               std::vector<tMaterialInfo>& objectMaterials) const {
    if (vertices_.size() > 0xFFFF || triangles_.size() > 0xFFFF || vertices_.empty() ||
        model.MaterialCount() + static_cast<int>(materials_.size()) > kMaxMaterials || model.nextObjectId >= kNoObject)
        return nullptr;
    auto object = std::make_unique<C3DObject>();
    object->id = static_cast<uint16_t>(model.nextObjectId++);
    object->name = name;
    object->userName = name;

    const std::size_t firstMaterial = model.materials.size();
    for (const ShapeMaterial& m : materials_) {
        tMaterialInfo info;
        info.name = m.name;
        info.color = m.color;
        info.file = m.texture;
        info.index = static_cast<uint16_t>(model.materials.size());
        info.ownerObject = object->id;
        model.materials.push_back(info);
        objectMaterials.push_back(info);
    }
    model.nextMaterialIndex = model.MaterialCount();

    const glm::dvec3 lo = Min(), hi = Max(), centre = (lo + hi) * 0.5;
    // Held axes: drawn (x, y, z) is held as (x, z, y); held normals are the
    // drawn ones negated in that order.
    auto held = [&](glm::dvec3 p) {
        const glm::dvec3 q = (p - centre) * unitsPerMm;
        return Vector3{static_cast<float>(q.x), static_cast<float>(q.z), static_cast<float>(q.y)};
    };
    for (const V& v : vertices_) {
        object->vertices.push_back(held(v.p));
        object->texCoords.push_back({static_cast<float>(v.uv.x), static_cast<float>(v.uv.y)});
    }
    for (const T& t : triangles_) {
        MeshFace f;
        for (int c = 0; c < 3; ++c) {
            f.vertIndex[static_cast<std::size_t>(c)] = static_cast<uint16_t>(t.v[static_cast<std::size_t>(c)]);
            const glm::dvec3 n = vertices_[t.v[static_cast<std::size_t>(c)]].n;
            f.normals[static_cast<std::size_t>(c)] =
                Vector3{static_cast<float>(-n.x), static_cast<float>(-n.z), static_cast<float>(-n.y)};
        }
        f.normal = FaceNormal(object->vertices[f.vertIndex[0]], object->vertices[f.vertIndex[1]],
                              object->vertices[f.vertIndex[2]]);
        f.material = static_cast<uint16_t>(firstMaterial + static_cast<std::size_t>(t.material));
        object->faces.push_back(f);
    }
    object->smoothingGroups.assign(object->faces.size(), 1);
    object->RebuildFaceList();
    const glm::dvec3 size = (hi - lo) * unitsPerMm;
    object->width = static_cast<float>(size.x);
    object->height = static_cast<float>(size.y);
    object->depth = static_cast<float>(size.z);
    object->realSizeMm = {static_cast<float>(hi.x - lo.x), static_cast<float>(hi.y - lo.y),
                          static_cast<float>(hi.z - lo.z)};
    return object;
}

}  // namespace boxora
