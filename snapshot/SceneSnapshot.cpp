#include "snapshot/SceneSnapshot.h"

#include <algorithm>

#include "model/MirrorMath.h"

ObjectSnapshot ObjectSnapshot::Of(const C3DObject& o) {
    ObjectSnapshot s;
    s.id = o.id;
    s.name = o.name;
    s.userName = o.userName;
    s.type = o.type;
    s.coverImages = o.coverImages;
    s.extent = {o.width, o.height, o.depth};
    s.realSizeMm = o.realSizeMm;
    s.shape = o.shape;
    s.modelFile = o.modelFile;
    s.modelUnits = o.modelUnits;
    for (int k = 0; k < 3; ++k) {
        s.translate[k] = o.translate[k];
        s.rotate[k] = o.rotate[k];
        s.scale[k] = o.scale[k];
    }
    return s;
}

glm::dmat4 ObjectSnapshot::WorldMatrix() const {
    // Vertices are drawn at (x, z, y): the swap comes before the transform.
    glm::dmat4 swap(0.0);
    swap[0][0] = swap[1][2] = swap[2][1] = swap[3][3] = 1.0;
    return ObjectTransformMatrix(translate.data(), rotate.data(), scale.data()) * swap;
}

const ObjectSnapshot* SceneSnapshot::Find(int id) const {
    for (const ObjectSnapshot& o : objects)
        if (o.id == id) return &o;
    return nullptr;
}

ObjectSnapshot* SceneSnapshot::Find(int id) {
    for (ObjectSnapshot& o : objects)
        if (o.id == id) return &o;
    return nullptr;
}

SceneSnapshot SceneSnapshot::Of(const SceneModel& model) {
    SceneSnapshot s;
    s.objects.reserve(model.objects.size());
    for (const auto& o : model.objects) s.objects.push_back(ObjectSnapshot::Of(*o));
    return s;
}

namespace boxora {

std::shared_ptr<const MeshGeometry> MeshGeometry::Of(const C3DObject& object, std::size_t materialCount) {
    auto mesh = std::make_shared<MeshGeometry>();
    mesh->positions = object.vertices;
    if (object.texCoords.size() >= object.vertices.size()) mesh->texCoords = object.texCoords;
    mesh->faces = object.faces;
    mesh->smoothingGroups = object.smoothingGroups;
    for (MeshFace& face : mesh->faces) face.owner = nullptr;
    for (std::size_t i = 0; i < mesh->faces.size(); ++i) {
        const int material = mesh->faces[i].material < materialCount ? mesh->faces[i].material : kNoMaterial;
        auto group = std::find_if(mesh->groups.begin(), mesh->groups.end(),
                                  [material](const MaterialGroup& g) { return g.material == material; });
        if (group == mesh->groups.end()) group = mesh->groups.insert(mesh->groups.end(), MaterialGroup{material, {}});
        group->faces.push_back(static_cast<uint32_t>(i));
    }
    return mesh;
}

SceneSnapshot SnapshotBuilder::Publish(const SceneModel& model, const SceneParams& settings,
                                       const std::vector<MaterialImageSource>& images) {
    SceneSnapshot s = SceneSnapshot::Of(model);
    s.settings = settings;

    std::vector<SharedImagePtr> keptImages;
    s.materials.reserve(model.materials.size());
    for (std::size_t i = 0; i < model.materials.size(); ++i) {
        const tMaterialInfo& m = model.materials[i];
        MaterialSnapshot& to = s.materials.emplace_back();
        to.index = static_cast<int>(i);
        to.name = m.name;
        to.file = m.file;
        to.color = m.color;
        to.mirrorLevel = m.mirrorLevel;
        to.transparencyLevel = m.transparencyLevel;
        to.coverFace = m.coverFace;
        to.ownerObject = m.ownerObject;
        const auto source = std::find_if(images.begin(), images.end(),
                                         [&](const MaterialImageSource& r) { return r.index == to.index; });
        if (source == images.end()) continue;
        // The same file keeps its handle, and with it pixels other
        // consumers may still hold decoded.
        const auto same = std::find_if(images_.begin(), images_.end(), [&](const SharedImagePtr& h) {
            return h->Path() == source->path && h->Format() == source->format;
        });
        to.image = same != images_.end() ? *same : std::make_shared<const SharedImage>(source->path, source->format);
        keptImages.push_back(to.image);
    }
    images_ = std::move(keptImages);

    std::vector<std::pair<uint64_t, MeshGeometryPtr>> keptMeshes;
    keptMeshes.reserve(model.objects.size());
    for (std::size_t k = 0; k < model.objects.size(); ++k) {
        const C3DObject& object = *model.objects[k];
        const auto same = std::find_if(meshes_.begin(), meshes_.end(),
                                       [&](const auto& m) { return m.first == object.geometryRevision; });
        MeshGeometryPtr mesh = same != meshes_.end() ? same->second : MeshGeometry::Of(object, model.materials.size());
        s.objects[k].mesh = mesh;
        keptMeshes.emplace_back(object.geometryRevision, std::move(mesh));
    }
    meshes_ = std::move(keptMeshes);
    return s;
}

SceneModel ToSceneModel(const SceneSnapshot& snapshot) {
    SceneModel model;
    model.materials.reserve(snapshot.materials.size());
    for (const MaterialSnapshot& m : snapshot.materials) {
        tMaterialInfo& to = model.materials.emplace_back();
        to.name = m.name;
        to.file = m.file;
        to.color = m.color;
        to.index = static_cast<uint16_t>(m.index);
        to.ownerObject = static_cast<uint16_t>(m.ownerObject);
        to.mirrorLevel = m.mirrorLevel;
        to.transparencyLevel = m.transparencyLevel;
        to.coverFace = m.coverFace;
    }
    model.nextMaterialIndex = static_cast<int>(model.materials.size());
    model.objects.reserve(snapshot.objects.size());
    for (const ObjectSnapshot& from : snapshot.objects) {
        auto to = std::make_unique<C3DObject>();
        for (int axis = 0; axis < 3; ++axis) {
            to->translate[axis] = from.translate[axis];
            to->rotate[axis] = from.rotate[axis];
            to->scale[axis] = from.scale[axis];
        }
        if (from.mesh) {
            to->vertices = from.mesh->positions;
            to->faces = from.mesh->faces;
            to->texCoords = from.mesh->texCoords;
            to->smoothingGroups = from.mesh->smoothingGroups;
        }
        to->RebuildFaceList();
        to->id = static_cast<uint16_t>(from.id);
        to->type = from.type;
        to->name = from.name;
        to->userName = from.userName;
        to->coverImages = from.coverImages;
        to->width = from.extent[0];
        to->height = from.extent[1];
        to->depth = from.extent[2];
        to->realSizeMm = from.realSizeMm;
        to->shape = from.shape;
        to->modelFile = from.modelFile;
        to->modelUnits = from.modelUnits;
        model.nextObjectId = std::max(model.nextObjectId, from.id + 1);
        model.objects.push_back(std::move(to));
    }
    return model;
}

}  // namespace boxora
