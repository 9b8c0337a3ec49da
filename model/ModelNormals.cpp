#include "model/ModelNormals.h"

#include <cmath>
#include <unordered_map>

namespace {

Vector3 Sub(const Vector3& a, const Vector3& b) { return {a.x - b.x, a.y - b.y, a.z - b.z}; }
Vector3 Cross(const Vector3& a, const Vector3& b) {
    return {a.y * b.z - a.z * b.y, a.z * b.x - a.x * b.z, a.x * b.y - a.y * b.x};
}

// Unit vector of v, or fallback when v has no usable length.
Vector3 NormalizeOr(const Vector3& v, const Vector3& fallback) {
    const double len = std::sqrt(double(v.x) * v.x + double(v.y) * v.y + double(v.z) * v.z);
    if (!(len > 1e-20) || !std::isfinite(len)) return fallback;
    return {static_cast<float>(v.x / len), static_cast<float>(v.y / len), static_cast<float>(v.z / len)};
}

struct Sum {
    double x = 0, y = 0, z = 0;
    int count = 0;
    void Add(const Vector3& v, int n = 1) {
        x += v.x;
        y += v.y;
        z += v.z;
        count += n;
    }
};

}  // namespace

Vector3 FaceNormal(const Vector3& p0, const Vector3& p1, const Vector3& p2) {
    return NormalizeOr(Cross(Sub(p1, p2), Sub(p2, p0)), Vector3{0, 0, 1});
}

void ComputeNormals(C3DObject& object) {
    auto& faces = object.faces;
    const auto& verts = object.vertices;
    for (MeshFace& f : faces) {
        if (f.vertIndex[0] >= verts.size() || f.vertIndex[1] >= verts.size() || f.vertIndex[2] >= verts.size()) {
            f.normal = Vector3{0, 0, 1};
            continue;
        }
        f.normal = FaceNormal(verts[f.vertIndex[0]], verts[f.vertIndex[1]], verts[f.vertIndex[2]]);
    }

    // For every vertex, the sum of the normals of the faces that use it,
    // grouped by smoothing word: a corner then needs one pass over the
    // distinct words met at its vertex instead of one over all faces.
    std::vector<std::unordered_map<uint32_t, Sum>> atVertex(verts.size());
    for (std::size_t i = 0; i < faces.size(); ++i) {
        const MeshFace& f = faces[i];
        const uint32_t word = i < object.smoothingGroups.size() ? object.smoothingGroups[i] : 0;
        if (word == 0) continue;
        for (int k = 0; k < 3; ++k) {
            const uint16_t v = f.vertIndex[k];
            if (v >= verts.size()) continue;
            // A face that names a vertex twice counts once there.
            bool seen = false;
            for (int j = 0; j < k; ++j) seen = seen || f.vertIndex[j] == v;
            if (!seen) atVertex[v][word].Add(f.normal);
        }
    }

    for (std::size_t i = 0; i < faces.size(); ++i) {
        MeshFace& f = faces[i];
        const uint32_t word = i < object.smoothingGroups.size() ? object.smoothingGroups[i] : 0;
        for (int k = 0; k < 3; ++k) {
            const uint16_t v = f.vertIndex[k];
            if (word == 0 || v >= verts.size()) {
                f.normals[k] = f.normal;
                continue;
            }
            Sum sum;
            sum.Add(f.normal);
            for (const auto& [otherWord, s] : atVertex[v]) {
                if ((otherWord & word) == 0) continue;
                sum.x += s.x;
                sum.y += s.y;
                sum.z += s.z;
                sum.count += s.count;
            }
            // This face is among the sums of its own word once; take it out.
            sum.x -= f.normal.x;
            sum.y -= f.normal.y;
            sum.z -= f.normal.z;
            sum.count -= 1;
            const Vector3 mean{static_cast<float>(sum.x / sum.count), static_cast<float>(sum.y / sum.count),
                               static_cast<float>(sum.z / sum.count)};
            f.normals[k] = NormalizeOr(mean, f.normal);
        }
    }
}
