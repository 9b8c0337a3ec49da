#pragma once
// What the user interface shows of the scene's objects, as the engine last
// published it. The engine builds a new snapshot whenever objects change and
// whenever it queues a change it cannot apply yet (a frame or a scene load
// holds the engine lock), so the interface reads, shows and saves the scene
// without ever waiting for that lock.
#include <array>
#include <memory>
#include <string>
#include <vector>

#include "model/ModelTypes.h"

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

    static ObjectSnapshot Of(const C3DObject& object);
};

struct SceneSnapshot {
    std::vector<ObjectSnapshot> objects;  // in list order

    const ObjectSnapshot* Find(int id) const;
    ObjectSnapshot* Find(int id);
    static SceneSnapshot Of(const SceneModel& model);
};

using SceneSnapshotPtr = std::shared_ptr<const SceneSnapshot>;
