#pragma once
// Package models for tests, written with the 3DS writer.
#include <array>
#include <string>

#include "tools/model3ds/Model3dsWriter.h"

namespace fixtures {

// A box standing on z = zMin with the given height: six quads carrying the
// cover materials "Front", "Back", "Left", "Right", "Top", "Bottom" (texture
// files from textures, empty for none) and a two-triangle flap of a seventh
// material "Plastic". The mesh object is called objectName.
model3ds::Model BoxModel(const std::string& objectName = "Box", float height = 10, float zMin = 0,
                         const std::array<std::string, 6>& textures = {});

// A single quad (two triangles) of one material, lying in the plane z = 0.
model3ds::Model QuadModel(const std::string& objectName, const std::string& materialName,
                          std::array<uint8_t, 3> specular = {0, 0, 0});

// Writes the model to path; returns path.
std::string WriteModel(const std::string& path, const model3ds::Model& model);
std::string WriteBytes(const std::string& path, const std::vector<uint8_t>& bytes);

}  // namespace fixtures
