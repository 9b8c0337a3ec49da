#pragma once
// Whole scenes kept for undo, in memory: the scene file the engine would
// write, handed back to the engine to load.
#include <QByteArray>

class IEngine;

namespace boxora {

class SceneSnapshots {
public:
    // The scene as the engine would save it now.
    QByteArray Take(IEngine& engine);
    // Has the engine load a scene taken earlier.
    bool Restore(IEngine& engine, const QByteArray& scene);
};

}  // namespace boxora
