#pragma once
// What the desktop front end needs of the engine, gathered in one place so
// that the windows can be given the real engine or a test double:
//  - the IEngine operations (every change of the scene),
//  - the scene parameters, read when a page refreshes or the preview turns a
//    mouse drag into new values,
//  - the preview size (stored for the scene thread, applied before its next
//    frame),
//  - the engine lock (re-entrant), held while the pages re-read the scene,
//  - the deletion queue of the Scene tab (the scene thread deletes the
//    object at its next turn).
#include <functional>

class CEngine;
class IEngine;
struct SceneParams;

namespace boxora {

struct EngineBinding {
    IEngine* engine = nullptr;
    SceneParams* scene = nullptr;
    std::function<void(int width, int height)> setPreviewSize;
    std::function<void()> lock;
    std::function<void()> unlock;
    std::function<void(int objectId)> queueObjectDeletion;
};

// The binding of the program's engine: its operations, its scene parameters,
// its preview size and its lock.
EngineBinding BindEngine(CEngine& engine);

// Holds the engine lock of a binding for its lifetime (no-op when the binding
// has no lock).
class EngineLockGuard {
public:
    explicit EngineLockGuard(const EngineBinding& binding);
    ~EngineLockGuard();
    EngineLockGuard(const EngineLockGuard&) = delete;
    EngineLockGuard& operator=(const EngineLockGuard&) = delete;

private:
    const EngineBinding& binding_;
};

}  // namespace boxora
