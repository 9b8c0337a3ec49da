#pragma once
// A catalogue mesh as the program sees it: vertices held with y negated,
// face normals from the reader's formula, corner normals from its smoothing
// pass, and positions and normals in the axis order they are drawn in.
#include <array>
#include <string>
#include <vector>

#include "tools/model3ds/MeshBuilder.h"

namespace cataloguetest {

using V3 = model3ds::Vec3;
using model3ds::Cross;
using model3ds::Dot;
using model3ds::Length;
using model3ds::Normalized;

struct DrawnFace {
    std::array<uint16_t, 3> index{};
    std::array<V3, 3> position;      // drawn (OpenGL) axes
    std::array<V3, 3> cornerNormal;  // drawn axes
    V3 normal;                       // drawn axes
    std::array<std::array<double, 2>, 3> uv{};
    std::string material;
    uint32_t smoothing = 0;
    V3 Centroid() const { return (position[0] + position[1] + position[2]) * (1.0 / 3.0); }
    double Area() const { return 0.5 * Length(Cross(position[1] - position[0], position[2] - position[0])); }
};

// Held vertex (x, −y, z) → drawn position (x, z, −y); held normal (nx, ny, nz)
// → drawn normal (−nx, −nz, −ny).
inline V3 HeldToDrawnPosition(V3 h) { return {h.x, h.z, h.y}; }
inline V3 HeldToDrawnNormal(V3 n) { return {-n.x, -n.z, -n.y}; }

inline std::vector<DrawnFace> DrawMesh(const model3ds::Mesh& mesh) {
    std::vector<V3> held;
    for (const auto& v : mesh.vertices) held.push_back({v[0], -double(v[1]), v[2]});
    std::vector<std::string> materialOf(mesh.faces.size());
    for (const auto& [name, faces] : mesh.materialGroups)
        for (uint16_t f : faces)
            if (f < materialOf.size()) materialOf[f] = name;

    const std::size_t count = mesh.faces.size();
    std::vector<V3> heldNormal(count);
    for (std::size_t i = 0; i < count; ++i) {
        const auto& f = mesh.faces[i];
        const V3 p0 = held[f.a], p1 = held[f.b], p2 = held[f.c];
        heldNormal[i] = Normalized(Cross(p1 - p2, p2 - p0));
    }
    std::vector<DrawnFace> out(count);
    for (std::size_t i = 0; i < count; ++i) {
        const auto& f = mesh.faces[i];
        DrawnFace& d = out[i];
        d.index = {f.a, f.b, f.c};
        d.material = materialOf[i];
        d.smoothing = mesh.smoothing.empty() ? 0 : mesh.smoothing[i];
        d.normal = HeldToDrawnNormal(heldNormal[i]);
        for (int k = 0; k < 3; ++k) {
            d.position[k] = HeldToDrawnPosition(held[d.index[k]]);
            if (d.index[k] < mesh.uvs.size()) d.uv[k] = {mesh.uvs[d.index[k]][0], mesh.uvs[d.index[k]][1]};
            // Corner normal: this face's normal plus that of every other face
            // sharing a smoothing bit and this corner's vertex.
            V3 sum = heldNormal[i];
            for (std::size_t j = 0; j < count; ++j) {
                if (j == i || (d.smoothing & (mesh.smoothing.empty() ? 0 : mesh.smoothing[j])) == 0) continue;
                const auto& g = mesh.faces[j];
                if (g.a == d.index[k] || g.b == d.index[k] || g.c == d.index[k]) sum = sum + heldNormal[j];
            }
            d.cornerNormal[k] = HeldToDrawnNormal(Normalized(sum));
        }
    }
    return out;
}

}  // namespace cataloguetest
