#pragma once
// Models from other 3D programs: glTF 2.0 (.gltf, .glb; tinygltf) and
// Wavefront OBJ with its MTL (tinyobjloader), read into one scene object.
//
// glTF is in metres; OBJ has no unit and is taken as millimetres unless the
// caller says otherwise. Materials named Front, Back, Left, Right, Top or
// Bottom (any case) become that cover slot and take its artwork on the
// model's own texture coordinates; other materials keep their colour and
// image. The model keeps its winding and normals (computed per face where
// the file has none) and gets its real size from its extent.
#include <cstddef>
#include <string>
#include <string_view>

#include "model/shapes/ShapeBuilder.h"

namespace boxora {

// Files beyond this are refused rather than read.
constexpr std::size_t kMaxForeignModelBytes = 64u << 20;

// True for the names ending in .gltf, .glb or .obj (any case).
bool IsForeignModelPath(std::string_view path);

// Millimetres per unit of "mm", "cm", "m" or "in" (any case); 0 otherwise.
double MillimetresPerUnit(std::string_view unit);

// Reads the file; mmPerUnit 0 takes the format's own unit. The object is
// named after the file and remembers path in modelFile.
ShapeObjectResult ReadForeignModel(const std::string& path, SceneModel& model, double mmPerUnit = 0);

// The same on bytes in memory (path gives the format and the folder of
// the files it refers to; a glTF's external buffers are not read).
ShapeObjectResult ReadForeignModelBytes(const std::string& bytes, const std::string& path, SceneModel& model,
                                        double mmPerUnit = 0);

}  // namespace boxora
