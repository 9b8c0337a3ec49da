#include "tests/support/ModelFixtures.h"

#include <fstream>

namespace fixtures {
namespace {

using V = std::array<float, 3>;

void AddQuad(model3ds::Mesh& mesh, const V& a, const V& b, const V& c, const V& d, const std::string& material,
             uint32_t smoothing) {
    const auto base = static_cast<uint16_t>(mesh.vertices.size());
    for (const V& v : {a, b, c, d}) mesh.vertices.push_back(v);
    mesh.uvs.push_back({0, 0});
    mesh.uvs.push_back({1, 0});
    mesh.uvs.push_back({1, 1});
    mesh.uvs.push_back({0, 1});
    const auto first = static_cast<uint16_t>(mesh.faces.size());
    mesh.faces.push_back({base, static_cast<uint16_t>(base + 1), static_cast<uint16_t>(base + 2), 7});
    mesh.faces.push_back({base, static_cast<uint16_t>(base + 2), static_cast<uint16_t>(base + 3), 7});
    mesh.smoothing.push_back(smoothing);
    mesh.smoothing.push_back(smoothing);
    for (auto& group : mesh.materialGroups) {
        if (group.first == material) {
            group.second.push_back(first);
            group.second.push_back(static_cast<uint16_t>(first + 1));
            return;
        }
    }
    mesh.materialGroups.push_back({material, {first, static_cast<uint16_t>(first + 1)}});
}

}  // namespace

model3ds::Model BoxModel(const std::string& objectName, float height, float zMin,
                         const std::array<std::string, 6>& textures) {
    model3ds::Model model;
    const char* names[6] = {"Front", "Back", "Left", "Right", "Top", "Bottom"};
    for (int k = 0; k < 6; ++k) {
        model3ds::Material m;
        m.name = names[k];
        m.textureFile = textures[k];
        model.materials.push_back(m);
    }
    model3ds::Material plastic;
    plastic.name = "Plastic";
    plastic.diffuse = {20, 20, 20};
    model.materials.push_back(plastic);

    model3ds::Mesh mesh;
    mesh.name = objectName;
    const float x0 = -7, x1 = 7, y0 = -2, y1 = 2, z0 = zMin, z1 = zMin + height;
    AddQuad(mesh, {x0, y0, z0}, {x1, y0, z0}, {x1, y0, z1}, {x0, y0, z1}, "Front", 1);
    AddQuad(mesh, {x1, y1, z0}, {x0, y1, z0}, {x0, y1, z1}, {x1, y1, z1}, "Back", 2);
    AddQuad(mesh, {x0, y1, z0}, {x0, y0, z0}, {x0, y0, z1}, {x0, y1, z1}, "Left", 4);
    AddQuad(mesh, {x1, y0, z0}, {x1, y1, z0}, {x1, y1, z1}, {x1, y0, z1}, "Right", 8);
    AddQuad(mesh, {x0, y0, z1}, {x1, y0, z1}, {x1, y1, z1}, {x0, y1, z1}, "Top", 16);
    AddQuad(mesh, {x0, y1, z0}, {x1, y1, z0}, {x1, y0, z0}, {x0, y0, z0}, "Bottom", 32);
    AddQuad(mesh, {x0, y0, z1}, {x1, y0, z1}, {x1, y0 - 1, z1}, {x0, y0 - 1, z1}, "Plastic", 64);
    model.meshes.push_back(mesh);
    return model;
}

model3ds::Model QuadModel(const std::string& objectName, const std::string& materialName,
                          std::array<uint8_t, 3> specular) {
    model3ds::Model model;
    model3ds::Material m;
    m.name = materialName;
    m.specular = specular;
    m.writeSpecular = true;
    model.materials.push_back(m);
    model3ds::Mesh mesh;
    mesh.name = objectName;
    AddQuad(mesh, {0, 0, 0}, {10, 0, 0}, {10, 10, 0}, {0, 10, 0}, materialName, 1);
    model.meshes.push_back(mesh);
    return model;
}

std::string WriteModel(const std::string& path, const model3ds::Model& model) {
    return WriteBytes(path, model3ds::Write(model));
}

std::string WriteBytes(const std::string& path, const std::vector<uint8_t>& bytes) {
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
    return path;
}

}  // namespace fixtures
