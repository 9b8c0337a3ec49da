#include "model/ModelTypes.h"

#include <atomic>

uint64_t NewGeometryRevision() {
    static std::atomic<uint64_t> last{0};
    return ++last;
}

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
