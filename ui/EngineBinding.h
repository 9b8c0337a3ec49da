#pragma once
// What the desktop front end needs of the engine, gathered in one place so
// that the windows can be given the real engine or a test double:
//  - the IEngine operations (every change of the scene),
//  - the scene parameters, read when a page refreshes or the preview turns a
//    mouse drag into new values,
//  - the preview size (stored for the scene thread, applied before its next
//    frame),
//  - the objects as the engine last published them (read without the
//    engine lock, so no page ever waits for a render job),
//  - the deletion queue of the Scene tab (the scene thread deletes the
//    object at its next turn),
//  - moving the picture of a render job to another name (a template renamed
//    while its preview is rendered).
#include <functional>
#include <string>

#include "snapshot/SceneSnapshot.h"

class CEngine;
class IEngine;
struct SceneParams;

namespace boxora {

struct EngineBinding {
    IEngine* engine = nullptr;
    SceneParams* scene = nullptr;
    std::function<void(int width, int height)> setPreviewSize;
    std::function<SceneSnapshotPtr()> snapshot;
    std::function<void(int objectId)> queueObjectDeletion;
    std::function<void(const std::string& from, const std::string& to)> retargetRenderOutput;
};

// The binding of the program's engine: its operations, its scene parameters,
// its preview size and its lock. The engine reports to the program-wide
// notifier from then on.
EngineBinding BindEngine(CEngine& engine);

// The objects of the binding's scene: the published snapshot, or, for an
// engine without one, what GetObjectList and GetObject give. Never null.
SceneSnapshotPtr ReadSnapshot(const EngineBinding& binding);

}  // namespace boxora
