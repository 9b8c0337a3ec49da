#pragma once
// The desktop program's notifier: message boxes captioned "Boxora" and the
// engine's four notifications, both delivered on the UI thread. From any
// other thread a message box is queued to the UI thread and the call returns
// at once; notifications are queued in arrival order.
#include <QObject>
#include <QString>
#include <functional>

#include "platform/Notifier.h"

namespace boxora {

class QtNotifier : public QObject, public INotifier {
    Q_OBJECT
public:
    using NotificationHandler = std::function<void(int message, int wParam)>;
    // Replaces the modal box (tests): receives what the box would show.
    using MessageBoxHook = std::function<MsgAnswer(const QString& text, MsgIcon icon, MsgButtons buttons)>;

    // Create on the UI thread: the object's thread is where everything is shown.
    explicit QtNotifier(QObject* parent = nullptr);

    void SetNotificationHandler(NotificationHandler handler) { handler_ = std::move(handler); }
    void SetMessageBoxHook(MessageBoxHook hook) { hook_ = std::move(hook); }

    MsgAnswer ShowMessage(const std::string& text, MsgIcon icon, MsgButtons buttons) override;
    void EngineNotify(int message, int wParam) override;

    // The answer a queued box reports at once: its first button.
    static MsgAnswer FirstButtonAnswer(MsgButtons buttons);

private:
    bool OnOwnThread() const;
    MsgAnswer ShowNow(const QString& text, MsgIcon icon, MsgButtons buttons);
    void Deliver(int message, int wParam);

    NotificationHandler handler_;
    MessageBoxHook hook_;
};

}  // namespace boxora
