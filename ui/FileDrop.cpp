#include "ui/FileDrop.h"

#include <QFileInfo>
#include <QMimeData>
#include <QUrl>

#include "ui/FileFilter.h"

namespace boxora {

DroppedFileKind ClassifyDroppedFile(const QString& path) {
    const QString suffix = QFileInfo(path).suffix().toLower();
    if (suffix == QLatin1String("3ds")) return DroppedFileKind::Model;
    if (suffix == QLatin1String("scn")) return DroppedFileKind::Scene;
    if (IsFaceImageFile(path)) return DroppedFileKind::Image;
    return DroppedFileKind::Other;
}

QStringList DroppedLocalFiles(const QMimeData* mime) {
    QStringList files;
    if (!mime || !mime->hasUrls()) return files;
    for (const QUrl& url : mime->urls())
        if (url.isLocalFile() && !url.toLocalFile().isEmpty()) files << url.toLocalFile();
    return files;
}

bool CarriesUsableFiles(const QMimeData* mime) {
    for (const QString& file : DroppedLocalFiles(mime))
        if (ClassifyDroppedFile(file) != DroppedFileKind::Other) return true;
    return false;
}

}  // namespace boxora
