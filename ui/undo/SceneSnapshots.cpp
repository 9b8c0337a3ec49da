#include "ui/undo/SceneSnapshots.h"

#include "engine/IEngine.h"

namespace boxora {

QByteArray SceneSnapshots::Take(IEngine& engine) { return QByteArray::fromStdString(engine.SceneFileText()); }

bool SceneSnapshots::Restore(IEngine& engine, const QByteArray& scene) {
    if (scene.isEmpty()) return false;
    engine.LoadSceneText(scene.toStdString());
    return true;
}

}  // namespace boxora
