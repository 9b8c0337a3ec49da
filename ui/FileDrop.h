#pragma once
// Files dropped on the program: what kind each is, and the local file paths a
// drag carries.
#include <QString>
#include <QStringList>

class QMimeData;

namespace boxora {

enum class DroppedFileKind {
    Image,  // a face image: the Front image of the selected object
    Model,  // a ".3ds" package model: added to the scene
    Scene,  // a ".scn" project: opened
    Other,
};

DroppedFileKind ClassifyDroppedFile(const QString& path);

// The local files of a drag, in order; remote URLs are left out.
QStringList DroppedLocalFiles(const QMimeData* mime);
// True when the drag carries at least one file the program takes.
bool CarriesUsableFiles(const QMimeData* mime);

// Receives dropped files (the control panel).
class IFileDropTarget {
public:
    virtual ~IFileDropTarget() = default;
    // Acts on the files; true when any of them was used.
    virtual bool DropFiles(const QStringList& paths) = 0;
};

}  // namespace boxora
