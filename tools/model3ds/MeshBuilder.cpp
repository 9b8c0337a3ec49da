#include "tools/model3ds/MeshBuilder.h"

#include <cmath>
#include <utility>

namespace model3ds {

namespace {

// Positions snap to 1/1024 of a unit, texture coordinates to 1/65536.
constexpr double kPositionSteps = 1024.0;
constexpr double kUvSteps = 65536.0;

int64_t Steps(double value, double steps) { return static_cast<int64_t>(std::llround(value * steps)); }

}  // namespace

double Dot(Vec3 a, Vec3 b) { return a.x * b.x + a.y * b.y + a.z * b.z; }
Vec3 Cross(Vec3 a, Vec3 b) { return {a.y * b.z - a.z * b.y, a.z * b.x - a.x * b.z, a.x * b.y - a.y * b.x}; }
double Length(Vec3 a) { return std::sqrt(Dot(a, a)); }
Vec3 Normalized(Vec3 a) {
    const double length = Length(a);
    return length > 0 ? a * (1.0 / length) : a;
}

MeshBuilder::MeshBuilder(std::string objectName) : name_(std::move(objectName)) {}

uint16_t MeshBuilder::Vertex(const std::string& material, uint32_t smoothing, Vec3 p, Uv uv) {
    const Key key{material,
                  smoothing,
                  Steps(p.x, kPositionSteps),
                  Steps(p.y, kPositionSteps),
                  Steps(p.z, kPositionSteps),
                  Steps(uv.u, kUvSteps),
                  Steps(uv.v, kUvSteps)};
    if (auto it = index_.find(key); it != index_.end()) return it->second;
    if (vertices_.size() >= 0xFFFF) {
        overflow_ = true;
        return 0;
    }
    const auto index = static_cast<uint16_t>(vertices_.size());
    vertices_.push_back({static_cast<float>(std::get<2>(key) / kPositionSteps),
                         static_cast<float>(std::get<3>(key) / kPositionSteps),
                         static_cast<float>(std::get<4>(key) / kPositionSteps)});
    uvs_.push_back({static_cast<float>(std::get<5>(key) / kUvSteps), static_cast<float>(std::get<6>(key) / kUvSteps)});
    index_.emplace(key, index);
    return index;
}

void MeshBuilder::Triangle(const std::string& material, Vec3 a, Vec3 b, Vec3 c, Uv ua, Uv ub, Uv uc,
                           uint32_t smoothing) {
    Face face;
    face.a = Vertex(material, smoothing, a, ua);
    face.b = Vertex(material, smoothing, b, ub);
    face.c = Vertex(material, smoothing, c, uc);
    // Corners that collapsed onto one vertex make no triangle.
    if (face.a == face.b || face.b == face.c || face.a == face.c) return;
    faces_.push_back(face);
    faceMaterial_.push_back(material);
    smoothing_.push_back(smoothing);
}

void MeshBuilder::Quad(const std::string& material, const std::array<Vec3, 4>& p, const std::array<Uv, 4>& uv,
                       uint32_t smoothing) {
    // Split along the shorter diagonal so curved grids stay even.
    if (Length(p[2] - p[0]) <= Length(p[3] - p[1])) {
        Triangle(material, p[0], p[1], p[2], uv[0], uv[1], uv[2], smoothing);
        Triangle(material, p[0], p[2], p[3], uv[0], uv[2], uv[3], smoothing);
    } else {
        Triangle(material, p[0], p[1], p[3], uv[0], uv[1], uv[3], smoothing);
        Triangle(material, p[1], p[2], p[3], uv[1], uv[2], uv[3], smoothing);
    }
}

void MeshBuilder::Rect(const std::string& material, Vec3 origin, Vec3 right, Vec3 up, uint32_t smoothing, Uv uv0,
                       Uv uv1) {
    Quad(material, {origin, origin + right, origin + right + up, origin + up},
         {Uv{uv0.u, uv0.v}, Uv{uv1.u, uv0.v}, Uv{uv1.u, uv1.v}, Uv{uv0.u, uv1.v}}, smoothing);
}

void MeshBuilder::Grid(const std::string& material, const std::vector<std::vector<Vec3>>& points,
                       const std::vector<std::vector<Uv>>& uvs, uint32_t smoothing) {
    auto uvAt = [&](std::size_t row, std::size_t column) { return uvs.empty() ? Uv{} : uvs[row][column]; };
    for (std::size_t row = 0; row + 1 < points.size(); ++row) {
        for (std::size_t column = 0; column + 1 < points[row].size(); ++column) {
            Quad(material,
                 {points[row][column], points[row][column + 1], points[row + 1][column + 1], points[row + 1][column]},
                 {uvAt(row, column), uvAt(row, column + 1), uvAt(row + 1, column + 1), uvAt(row + 1, column)},
                 smoothing);
        }
    }
}

void MeshBuilder::Polygon(const std::string& material, const std::vector<Vec3>& points, const std::vector<Uv>& uvs,
                          uint32_t smoothing) {
    if (points.size() < 3) return;
    Vec3 centre;
    Uv centreUv;
    for (std::size_t i = 0; i < points.size(); ++i) {
        centre = centre + points[i];
        if (!uvs.empty()) {
            centreUv.u += uvs[i].u;
            centreUv.v += uvs[i].v;
        }
    }
    const double n = static_cast<double>(points.size());
    centre = centre * (1.0 / n);
    centreUv = {centreUv.u / n, centreUv.v / n};
    for (std::size_t i = 0; i < points.size(); ++i) {
        const std::size_t next = (i + 1) % points.size();
        Triangle(material, centre, points[i], points[next], centreUv, uvs.empty() ? Uv{} : uvs[i],
                 uvs.empty() ? Uv{} : uvs[next], smoothing);
    }
}

bool MeshBuilder::Finish(Mesh& out) const {
    if (overflow_ || faces_.size() > 0xFFFF) return false;
    out = Mesh{};
    out.name = name_;
    out.vertices = vertices_;
    out.uvs = uvs_;
    out.faces = faces_;
    out.smoothing = smoothing_;
    for (std::size_t i = 0; i < faces_.size(); ++i) {
        auto group = out.materialGroups.begin();
        while (group != out.materialGroups.end() && group->first != faceMaterial_[i]) ++group;
        if (group == out.materialGroups.end()) {
            out.materialGroups.emplace_back(faceMaterial_[i], std::vector<uint16_t>{});
            group = out.materialGroups.end() - 1;
        }
        group->second.push_back(static_cast<uint16_t>(i));
    }
    return true;
}

}  // namespace model3ds
