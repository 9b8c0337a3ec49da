#include "ui/RightControlKey.h"

#include <QCoreApplication>
#include <QKeyEvent>

RightControlKey::RightControlKey() {
    if (QCoreApplication::instance()) QCoreApplication::instance()->installEventFilter(this);
}

RightControlKey& RightControlKey::Instance() {
    static RightControlKey* tracker = new RightControlKey();
    return *tracker;
}

bool RightControlKey::IsDown(bool ctrlHeld) {
    if (!ctrlHeld) rightDown_ = false;
    return rightDown_;
}

void RightControlKey::Observe(const QKeyEvent& event) {
    if (event.key() != Qt::Key_Control) return;
    if (event.nativeScanCode() != kRightControlScanCode) return;
    rightDown_ = event.type() == QEvent::KeyPress;
}

bool RightControlKey::eventFilter(QObject* watched, QEvent* event) {
    switch (event->type()) {
        case QEvent::KeyPress:
        case QEvent::KeyRelease:
            // The application sees each key event once per receiver in the
            // propagation chain; only the first delivery matters and repeated
            // observation is harmless.
            Observe(*static_cast<QKeyEvent*>(event));
            break;
        case QEvent::ApplicationDeactivate: rightDown_ = false; break;
        default: break;
    }
    return QObject::eventFilter(watched, event);
}
