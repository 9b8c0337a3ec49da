#include "model/ModelTypes.h"

void C3DObject::RebuildFaceList() {
    faceList.clear();
    faceList.reserve(faces.size());
    for (MeshFace& f : faces) faceList.push_back(&f);
}

C3DObject* SceneModel::FindObject(int id) const {
    for (const auto& o : objects)
        if (o->id == id) return o.get();
    return nullptr;
}

int SceneModel::FindObjectPosition(int id) const {
    for (std::size_t i = 0; i < objects.size(); ++i)
        if (objects[i]->id == id) return static_cast<int>(i);
    return -1;
}

SceneModel CopySceneModel(const SceneModel& model) {
    SceneModel copy;
    copy.materials = model.materials;
    copy.nextMaterialIndex = model.nextMaterialIndex;
    copy.nextObjectId = model.nextObjectId;
    copy.objects.reserve(model.objects.size());
    for (const auto& from : model.objects) {
        auto to = std::make_unique<C3DObject>();
        for (int axis = 0; axis < 3; ++axis) {
            to->translate[axis] = from->translate[axis].Get();
            to->rotate[axis] = from->rotate[axis].Get();
            to->scale[axis] = from->scale[axis].Get();
        }
        to->vertices = from->vertices;
        to->faces = from->faces;
        for (MeshFace& face : to->faces) face.owner = nullptr;
        to->faceList.reserve(from->faceList.size());
        for (const MeshFace* face : from->faceList)
            to->faceList.push_back(&to->faces[static_cast<std::size_t>(face - from->faces.data())]);
        to->texCoords = from->texCoords;
        to->smoothingGroups = from->smoothingGroups;
        to->id = from->id;
        to->type = from->type;
        to->name = from->name;
        to->userName = from->userName;
        to->coverImages = from->coverImages;
        to->height = from->height;
        to->width = from->width;
        to->depth = from->depth;
        to->realSizeMm = from->realSizeMm;
        to->shape = from->shape;
        to->modelFile = from->modelFile;
        to->modelUnits = from->modelUnits;
        copy.objects.push_back(std::move(to));
    }
    return copy;
}
