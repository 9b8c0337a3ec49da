#pragma once
// Cover faces and object types. The material name alone decides whether a
// material is a cover face; the object name alone decides the object type.
// Both comparisons are exact (letter case counts).
#include <string_view>
#include <vector>

#include "model/ModelTypes.h"

// "Front", "Back", "Left", "Right", "Top", "Bottom" by cover face index.
extern const char* const kCoverFaceNames[kCoverFaceCount];

// 0..5 for a cover-face material name, otherwise -1.
int CoverFaceIndex(std::string_view materialName);

// 1 for "Box", 2 for "CD_DVD", 3 for "DVD Box", otherwise 0.
int ObjectTypeFromName(std::string_view objectName);

// For each material of fileMaterials (in file order) whose name is a cover
// name k: copies the file name of the scene material with that index into
// object.coverImages[k] and marks that scene material as cover face k.
void AssignCoverFaces(C3DObject& object, const std::vector<tMaterialInfo>& fileMaterials,
                      std::vector<tMaterialInfo>& sceneMaterials);
