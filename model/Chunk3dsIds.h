#pragma once
// Chunk ids of the 3DS file format that the program reads and its model
// generator writes.
#include <cstdint>

namespace boxora::chunk3ds {

enum : uint16_t {
    kPrimary = 0x4D4D,
    kVersion = 0x0002,
    kEditor = 0x3D3D,
    kMeshVersion = 0x3D3E,
    kObject = 0x4000,
    kTriMesh = 0x4100,
    kVertexList = 0x4110,
    kFaceList = 0x4120,
    kFaceMaterial = 0x4130,
    kMappingCoords = 0x4140,
    kSmoothGroups = 0x4150,
    kMaterial = 0xAFFF,
    kMaterialName = 0xA000,
    kAmbient = 0xA010,
    kDiffuse = 0xA020,
    kSpecular = 0xA030,
    kTextureMap = 0xA200,
    kMapFileName = 0xA300,
    kColorFloat = 0x0010,
    kColor24 = 0x0011,
    kLinColor24 = 0x0012,
    kLinColorFloat = 0x0013,
    kKeyframer = 0xB000,
};

}  // namespace boxora::chunk3ds
