#pragma once
// The records of the geometry store: vectors, faces, materials, objects and
// the scene model that holds them all.
//
// Axis convention: vertices keep the file's x and z and negate its y when
// read; they are drawn as (x, z, y), so the file's z axis points up and the
// floor is the plane y = 0 of the drawing.
#include <array>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "scene/SharedValue.h"

struct Vector3 {
    float x = 0, y = 0, z = 0;
};

struct TexCoord {
    float u = 0, v = 0;
};

constexpr uint16_t kNoMaterial = 0xFFFF;  // face without material
constexpr uint16_t kNoObject = 0xFFFF;    // material without owner, object without id
// The texture-name table has this many slots; material indices stay below it.
constexpr int kMaxMaterials = 256;
// Objects kept in one scene at most: a thousand boxes still render in
// seconds, and every object costs memory and drawing time in every frame
// (object ids are 16-bit, 0xFFFF = none).
constexpr int kMaxObjects = 1000;

// Cover faces, in the order used wherever the six faces are listed.
constexpr int kCoverFaceCount = 6;
enum CoverFace : int { COVER_FRONT = 0, COVER_BACK, COVER_LEFT, COVER_RIGHT, COVER_TOP, COVER_BOTTOM };

// Object types, from the object name.
enum ObjectType : int { OBJECT_TYPE_NONE = 0, OBJECT_TYPE_BOX = 1, OBJECT_TYPE_CD_DVD = 2, OBJECT_TYPE_DVD_BOX = 3 };

class C3DObject;

// A number no object has had before (any thread).
uint64_t NewGeometryRevision();

struct MeshFace {
    std::array<uint16_t, 3> vertIndex{};  // always below the object's vertex count
    std::array<Vector3, 3> normals{};     // per-corner normals, corner order
    Vector3 normal;                       // face normal
    uint16_t material = kNoMaterial;      // material index, or kNoMaterial
    uint8_t inMirrorSide = 0;
    uint8_t textured = 0;
    uint8_t inTransparentSide = 0;
    C3DObject* owner = nullptr;  // set when sides are built
};

struct tMaterialInfo {
    std::string name;                            // "Front", "Back", ... mark cover faces
    std::string file;                            // texture path; empty = untextured; "*" = not found
    std::array<uint8_t, 4> color{0, 0, 0, 255};  // diffuse R, G, B, A
    uint16_t index = 0xFFFF;                     // material index = position in the array
    uint16_t ownerObject = kNoObject;            // id of the object that uses it
    uint8_t mirrorLevel = 0;                     // 0 = not a mirror
    uint8_t transparencyLevel = 0;               // 0 = opaque
    int coverFace = -1;                          // -1 or CoverFace
};

// One mesh object. Objects are held by pointer in the scene model, so the
// address of an object and of its faces never changes while it exists.
//
// The nine transform values are written with the engine lock held and may be
// read from any thread. The other fields change only with the engine lock
// held; the user interface reads them while it holds the lock (its refresh)
// or between loads.
class C3DObject {
public:
    C3DObject() = default;
    C3DObject(const C3DObject&) = delete;
    C3DObject& operator=(const C3DObject&) = delete;

    SharedValue<float> translate[3]{0.0f, 0.0f, 0.0f};
    SharedValue<float> rotate[3]{0.0f, 0.0f, 0.0f};  // degrees
    SharedValue<float> scale[3]{1.0f, 1.0f, 1.0f};

    int16_t boundMaterial = -1;  // drawing cache

    std::vector<Vector3> vertices;
    std::vector<MeshFace> faces;
    // Pointers to the faces in file order (drawing walks this list).
    std::vector<MeshFace*> faceList;
    // Indexed by vertex index; as long as the vertex array once the object
    // is loaded (missing coordinates are (0, 0)).
    std::vector<TexCoord> texCoords;
    // One word per face once the object is loaded (0 where the file has none).
    std::vector<uint32_t> smoothingGroups;

    // A new value, never reused, whenever the faces change (loading, a new
    // cover image), so that geometry published for one revision can be
    // shared by every scene snapshot until the next.
    uint64_t geometryRevision = NewGeometryRevision();

    uint16_t id = kNoObject;
    int type = OBJECT_TYPE_NONE;
    std::string name;      // mesh object name from the file (at most 255 UTF-16 units)
    std::string userName;  // the name the user gave it
    std::array<std::string, kCoverFaceCount> coverImages;
    float height = 0;  // extent along the file's z axis
    float width = 0;   // extent along x
    float depth = 0;   // extent along the file's y axis
    // Width, height and depth in millimetres at scale 1, as the catalogue
    // declares them (model/RealSize.h); zeros when not declared.
    std::array<float, 3> realSizeMm{0, 0, 0};
    // "KIND,param=value,…" when the object is a parametric shape rather
    // than a model file (model/shapes/ShapeSpec.h).
    std::string shape;
    // The model file from another program (glTF, OBJ) the object was read
    // from, as the scene names it; empty for catalogue models and shapes.
    std::string modelFile;
    std::string modelUnits;  // its unit as the scene gives it ("mm", "cm", "m", "in"), or empty

    int VertexCount() const { return static_cast<int>(vertices.size()); }
    int FaceCount() const { return static_cast<int>(faces.size()); }
    // Rebuilds faceList from the face array.
    void RebuildFaceList();
};

// Everything loaded into the scene: materials and objects accumulated over
// all loaded files. Material indices and object ids come from counters that
// only grow, and return to zero when the last object is deleted.
struct SceneModel {
    std::vector<tMaterialInfo> materials;  // position == index
    std::vector<std::unique_ptr<C3DObject>> objects;
    int nextMaterialIndex = 0;
    int nextObjectId = 0;

    int ObjectCount() const { return static_cast<int>(objects.size()); }
    int MaterialCount() const { return static_cast<int>(materials.size()); }
    // The object with this id, or null.
    C3DObject* FindObject(int id) const;
    // Its position in the list, or -1.
    int FindObjectPosition(int id) const;
};
