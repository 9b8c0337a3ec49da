#include "ui/NumberEdit.h"

#include <QApplication>
#include <QKeyEvent>

NumberEdit::NumberEdit(QWidget* parent) : QLineEdit(parent) { setAlignment(Qt::AlignRight | Qt::AlignVCenter); }

bool NumberEdit::MinusFitsHere() const {
    if (!allowNegative_) return false;
    const int at = hasSelectedText() ? selectionStart() : cursorPosition();
    if (at != 0) return false;
    QString rest = text();
    if (hasSelectedText()) rest.remove(selectionStart(), selectedText().size());
    return !rest.contains(QLatin1Char('-'));
}

bool NumberEdit::event(QEvent* event) {
    if (event->type() == QEvent::ShortcutOverride) {
        const auto* key = static_cast<QKeyEvent*>(event);
        if (key->matches(QKeySequence::Undo) || key->matches(QKeySequence::Redo) ||
            key->keyCombination() == QKeyCombination(Qt::ControlModifier, Qt::Key_Y)) {
            event->ignore();
            return false;
        }
    }
    return QLineEdit::event(event);
}

void NumberEdit::keyPressEvent(QKeyEvent* event) {
    if (event->key() == Qt::Key_Up || event->key() == Qt::Key_Down) {
        emit stepRequested(event->key() == Qt::Key_Up ? 1 : -1);
        event->accept();
        return;
    }
    const QString text = event->text();
    const bool isCommand = event->modifiers() & (Qt::ControlModifier | Qt::AltModifier | Qt::MetaModifier);
    if (!isCommand && !text.isEmpty()) {
        const bool minus = text == QStringLiteral("-") && MinusFitsHere();
        for (const QChar c : text) {
            if (!minus && c.isPrint() && !(c >= QLatin1Char('0') && c <= QLatin1Char('9'))) {
                QApplication::beep();
                event->accept();
                return;
            }
        }
    }
    QLineEdit::keyPressEvent(event);
}
