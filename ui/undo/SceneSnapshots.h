#pragma once
// Whole scenes kept for undo: the scene file the engine writes, held in
// memory, and put back by handing the engine a copy to load. The copies live
// in a private temporary folder, since the engine reads them later on its
// scene thread.
#include <QByteArray>
#include <QTemporaryDir>

class IEngine;

namespace boxora {

class SceneSnapshots {
public:
    // The scene as the engine would save it now; empty when it could not be
    // written.
    QByteArray Take(IEngine& engine);
    // Has the engine load a scene taken earlier.
    bool Restore(IEngine& engine, const QByteArray& scene);

private:
    QString NextPath();

    QTemporaryDir folder_;
    int counter_ = 0;
};

}  // namespace boxora
