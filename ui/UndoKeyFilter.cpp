#include "ui/UndoKeyFilter.h"

#include <QAbstractSpinBox>
#include <QKeyEvent>
#include <QLineEdit>
#include <QMetaObject>
#include <QWidget>

namespace boxora {
namespace {

bool IsUndoOrRedo(const QKeyEvent& key) {
    return key.matches(QKeySequence::Undo) || key.matches(QKeySequence::Redo) ||
           key.keyCombination() == QKeyCombination(Qt::ControlModifier, Qt::Key_Y);
}

}  // namespace

UndoKeyFilter::UndoKeyFilter(QWidget* window) : QObject(window), window_(window) {}

bool UndoKeyFilter::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() != QEvent::ShortcutOverride) return false;
    auto* widget = qobject_cast<QWidget*>(watched);
    if (!widget || widget->window() != window_) return false;
    if (!IsUndoOrRedo(*static_cast<QKeyEvent*>(event))) return false;
    auto* line = qobject_cast<QLineEdit*>(widget);
    auto* spin = qobject_cast<QAbstractSpinBox*>(widget);
    if (!line && !spin) return false;
    // Typed but not yet entered: enter it now, as leaving the field would.
    if (line && line->isModified())
        QMetaObject::invokeMethod(line, "editingFinished", Qt::DirectConnection);
    else if (spin)
        spin->interpretText();
    // Left unaccepted, the key goes on to the window's shortcuts.
    event->ignore();
    return true;
}

}  // namespace boxora
