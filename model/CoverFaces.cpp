#include "model/CoverFaces.h"

const char* const kCoverFaceNames[kCoverFaceCount] = {"Front", "Back", "Left", "Right", "Top", "Bottom"};

int CoverFaceIndex(std::string_view materialName) {
    for (int k = 0; k < kCoverFaceCount; ++k)
        if (materialName == kCoverFaceNames[k]) return k;
    return -1;
}

int ObjectTypeFromName(std::string_view objectName) {
    if (objectName == "Box") return OBJECT_TYPE_BOX;
    if (objectName == "CD_DVD") return OBJECT_TYPE_CD_DVD;
    if (objectName == "DVD Box") return OBJECT_TYPE_DVD_BOX;
    return OBJECT_TYPE_NONE;
}

void AssignCoverFaces(C3DObject& object, const std::vector<tMaterialInfo>& fileMaterials,
                      std::vector<tMaterialInfo>& sceneMaterials) {
    for (const tMaterialInfo& entry : fileMaterials) {
        const int k = CoverFaceIndex(entry.name);
        if (k < 0 || entry.index >= sceneMaterials.size()) continue;
        tMaterialInfo& m = sceneMaterials[entry.index];
        object.coverImages[k] = m.file;
        m.coverFace = k;
    }
}
