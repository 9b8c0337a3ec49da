#include "platform/qt/QtNotifier.h"

#include <QApplication>
#include <QMessageBox>
#include <QThread>
#include <QWidget>

namespace boxora {

QtNotifier::QtNotifier(QObject* parent) : QObject(parent) {}

bool QtNotifier::OnOwnThread() const { return QThread::currentThread() == thread(); }

MsgAnswer QtNotifier::FirstButtonAnswer(MsgButtons buttons) {
    return buttons == MsgButtons::Ok ? MsgAnswer::Ok : MsgAnswer::Yes;
}

MsgAnswer QtNotifier::ShowMessage(const std::string& text, MsgIcon icon, MsgButtons buttons) {
    const QString message = QString::fromStdString(text);
    if (OnOwnThread()) return ShowNow(message, icon, buttons);
    QMetaObject::invokeMethod(
        this, [this, message, icon, buttons] { ShowNow(message, icon, buttons); }, Qt::QueuedConnection);
    return FirstButtonAnswer(buttons);
}

MsgAnswer QtNotifier::ShowNow(const QString& text, MsgIcon icon, MsgButtons buttons) {
    if (hook_) return hook_(text, icon, buttons);

    QMessageBox box(QApplication::activeWindow());
    box.setWindowTitle(QStringLiteral("Boxora"));
    box.setText(text);
    switch (icon) {
        case MsgIcon::None: box.setIcon(QMessageBox::NoIcon); break;
        case MsgIcon::Error: box.setIcon(QMessageBox::Critical); break;
        case MsgIcon::Warning: box.setIcon(QMessageBox::Warning); break;
        case MsgIcon::Question: box.setIcon(QMessageBox::Question); break;
        case MsgIcon::Information: box.setIcon(QMessageBox::Information); break;
    }
    switch (buttons) {
        case MsgButtons::Ok: box.setStandardButtons(QMessageBox::Ok); break;
        case MsgButtons::YesNo: box.setStandardButtons(QMessageBox::Yes | QMessageBox::No); break;
        case MsgButtons::YesNoCancel:
            box.setStandardButtons(QMessageBox::Yes | QMessageBox::No | QMessageBox::Cancel);
            break;
    }
    const int answer = box.exec();
    switch (answer) {
        case QMessageBox::Yes: return MsgAnswer::Yes;
        case QMessageBox::No: return MsgAnswer::No;
        case QMessageBox::Cancel: return MsgAnswer::Cancel;
        case QMessageBox::Ok: return MsgAnswer::Ok;
        default:
            // Closed without a button (Escape or the title bar): the safe answer.
            return buttons == MsgButtons::Ok      ? MsgAnswer::Ok
                   : buttons == MsgButtons::YesNo ? MsgAnswer::No
                                                  : MsgAnswer::Cancel;
    }
}

void QtNotifier::EngineNotify(int message, int wParam) {
    if (OnOwnThread()) {
        Deliver(message, wParam);
        return;
    }
    QMetaObject::invokeMethod(
        this, [this, message, wParam] { Deliver(message, wParam); }, Qt::QueuedConnection);
}

void QtNotifier::Deliver(int message, int wParam) {
    if (handler_) handler_(message, wParam);
}

}  // namespace boxora
