#pragma once
// Tells whether the right Ctrl key is held. Qt reports both Ctrl keys as one
// modifier; the X11/xkb scan codes tell them apart (left 37, right 105).
// Where the key cannot be told (no scan code), Ctrl counts as the left one.
#include <QObject>

class QKeyEvent;

class RightControlKey : public QObject {
    Q_OBJECT
public:
    // The tracker, installed on the application at first use.
    static RightControlKey& Instance();

    // True while the right Ctrl key is down. ctrlHeld is the Ctrl state the
    // caller's event reports: without Ctrl no Ctrl key can be down.
    bool IsDown(bool ctrlHeld);
    // Feeds one key event (the tracker does this itself for the application).
    void Observe(const QKeyEvent& event);

    static constexpr quint32 kLeftControlScanCode = 37;
    static constexpr quint32 kRightControlScanCode = 105;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    RightControlKey();
    bool rightDown_ = false;
};
