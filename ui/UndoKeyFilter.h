#pragma once
// Ctrl+Z, Ctrl+Shift+Z and Ctrl+Y undo and redo the scene wherever the
// keyboard focus is in the main window. Text fields and spin boxes claim
// these keys for their own text history, so a value typed and entered would
// otherwise need a click elsewhere before Ctrl+Z reached the scene. A field
// still being edited is committed first, so its value becomes the step that
// is undone. Fields of other windows (dialogs) keep their own undo.
#include <QObject>

class QWidget;

namespace boxora {

class UndoKeyFilter : public QObject {
public:
    // window: the main window whose Edit menu shortcuts should win.
    explicit UndoKeyFilter(QWidget* window);

    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    QWidget* window_;
};

}  // namespace boxora
