#include "ui/undo/SceneSnapshots.h"

#include <QFile>

#include "engine/IEngine.h"

namespace boxora {

QString SceneSnapshots::NextPath() {
    return folder_.filePath(QStringLiteral("scene-%1.scn").arg(++counter_));
}

QByteArray SceneSnapshots::Take(IEngine& engine) {
    if (!folder_.isValid()) return {};
    const QString path = NextPath();
    if (!engine.SaveScene(path.toStdString())) return {};
    QFile file(path);
    QByteArray bytes;
    if (file.open(QIODevice::ReadOnly)) bytes = file.readAll();
    file.close();
    QFile::remove(path);
    return bytes;
}

bool SceneSnapshots::Restore(IEngine& engine, const QByteArray& scene) {
    if (!folder_.isValid() || scene.isEmpty()) return false;
    const QString path = NextPath();
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly) || file.write(scene) != scene.size()) return false;
    file.close();
    engine.LoadScene(path.toStdString());
    return true;
}

}  // namespace boxora
