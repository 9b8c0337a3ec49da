#pragma once
// The scene as the engine last published it: its settings and, per object,
// the transform, real size, geometry, materials and face artwork. A
// snapshot never changes once published; the engine publishes a new one
// under its lock after every change of the objects (and whenever a job
// asks for the scene as it is now), so every reader — the user interface,
// scene saving, render jobs, and any renderer or exporter — reads a
// consistent scene without holding the engine lock, for as long as it
// likes: a snapshot keeps what it shows alive after the engine has
// dropped or replaced it.
//
// Geometry (MeshGeometry) and artwork (boxora::SharedImage) are shared,
// not copied: snapshots published one after another hold the same meshes
// for objects whose faces did not change, so publishing costs about the
// size of the object list. Nothing here includes OpenGL.
//
// The engine also shows changes it had to queue (a frame holds its lock) in
// the published objects' transform and cover images, before their
// geometry and materials catch up.
#include <array>
#include <glm/mat4x4.hpp>
#include <memory>
#include <string>
#include <vector>

#include "image/SharedImage.h"
#include "model/ModelTypes.h"
#include "scene/SceneParams.h"

namespace boxora {

// One object's faces in model units, immutable once built. Vertex
// coordinates are as held in memory, drawn at (x, z, y) (see ModelTypes.h);
// ObjectSnapshot::WorldMatrix takes them straight to the scene.
struct MeshGeometry {
    std::vector<Vector3> positions;
    // Per vertex; as long as positions when the model has coordinates, else
    // empty.
    std::vector<TexCoord> texCoords;
    // Triangles in file order with their corner normals, face normal and
    // material index (owner left null: meshes are shared).
    std::vector<MeshFace> faces;
    std::vector<uint32_t> smoothingGroups;
    // The faces of each material (indices into faces, file order), materials
    // in order of first use; faces whose material is kNoMaterial or out of
    // range form a group of their own with material kNoMaterial.
    struct MaterialGroup {
        int material = kNoMaterial;
        std::vector<uint32_t> faces;
    };
    std::vector<MaterialGroup> groups;

    static std::shared_ptr<const MeshGeometry> Of(const C3DObject& object, std::size_t materialCount);
};

using MeshGeometryPtr = std::shared_ptr<const MeshGeometry>;

struct MaterialSnapshot {
    int index = -1;    // position in SceneSnapshot::materials
    std::string name;  // "Front", "Back", ... name cover faces
    std::string file;  // the artwork's resolved path; empty: none; "*": not found
    std::array<uint8_t, 4> color{0, 0, 0, 255};
    uint8_t mirrorLevel = 0;        // 0: not a mirror
    uint8_t transparencyLevel = 0;  // 0: opaque
    int coverFace = -1;             // -1 or CoverFace
    int ownerObject = kNoObject;
    SharedImagePtr image;  // null: drawn without artwork
};

}  // namespace boxora

struct ObjectSnapshot {
    int id = -1;
    std::string name;      // mesh object name (names the catalogue model)
    std::string userName;  // the name the user gave it
    int type = OBJECT_TYPE_NONE;
    std::array<std::string, kCoverFaceCount> coverImages;
    std::array<float, 3> translate{0, 0, 0};
    std::array<float, 3> rotate{0, 0, 0};  // degrees
    std::array<float, 3> scale{1, 1, 1};
    // Width, height and depth of the model at scale 1 (model units), and
    // the real size the catalogue declares for it (millimetres, zeros when
    // none).
    std::array<float, 3> extent{0, 0, 0};
    std::array<float, 3> realSizeMm{0, 0, 0};
    std::string shape;      // the parametric shape's description, empty for a model file
    std::string modelFile;  // a model from another program, as the scene names it
    std::string modelUnits;
    // Null in snapshots made for the interface alone (Of).
    boxora::MeshGeometryPtr mesh;
    // Model coordinates to the scene's (y up from the floor): the object's
    // transform after the model's axis swap.
    glm::dmat4 WorldMatrix() const;

    static ObjectSnapshot Of(const C3DObject& object);
};

struct SceneSnapshot {
    // The settings as they were when the snapshot was published.
    SceneParams settings;
    std::vector<ObjectSnapshot> objects;  // in list order (drawing order)
    // Every material of the scene, position == index (faces name them by
    // index); materials of deleted objects may stay until the scene empties.
    std::vector<boxora::MaterialSnapshot> materials;

    const ObjectSnapshot* Find(int id) const;
    ObjectSnapshot* Find(int id);
    // The objects alone, without geometry or materials.
    static SceneSnapshot Of(const SceneModel& model);
};

using SceneSnapshotPtr = std::shared_ptr<const SceneSnapshot>;

namespace boxora {

// Where a material's artwork comes from, as the texture store holds it.
struct MaterialImageSource {
    int index = -1;
    std::string path;
    int format = 0;
};

// Builds snapshots from the engine's scene, keeping what it published last
// so that unchanged meshes and artwork are shared. Engine lock held by the
// caller of Publish; not thread-safe itself.
class SnapshotBuilder {
public:
    SceneSnapshot Publish(const SceneModel& model, const SceneParams& settings,
                          const std::vector<MaterialImageSource>& images);

private:
    // By C3DObject::geometryRevision (never reused), from the last publish.
    std::vector<std::pair<uint64_t, MeshGeometryPtr>> meshes_;
    std::vector<SharedImagePtr> images_;
};

// The scene model a snapshot describes (objects in order, their faces,
// materials), for renderers that draw from the program's own records;
// face owners are left for the renderer's side building.
SceneModel ToSceneModel(const SceneSnapshot& snapshot);

}  // namespace boxora
