#include "engine/SceneSnapshot.h"

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
