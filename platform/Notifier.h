#pragma once
// How the core talks to the user and to the main window: message boxes
// (caption "Boxora") and the engine's four notifications. The desktop app
// shows dialogs and queues notifications to its UI thread; the command line
// writes to stderr; tests record.
#include <mutex>
#include <string>
#include <vector>

#include "platform/Reporter.h"

namespace boxora {

class INotifier {
public:
    virtual ~INotifier() = default;
    // Shows a message box captioned "Boxora". Called from any thread: off the
    // UI thread the box is queued to the UI thread and the call returns at
    // once with the answer of the box's first button (Ok or Yes), so a worker
    // never blocks on the user while it holds the engine lock.
    virtual MsgAnswer ShowMessage(const std::string& text, MsgIcon icon, MsgButtons buttons) = 0;
    // Delivers one engine notification to the main window: handled at once on
    // the UI thread, queued in arrival order from any other thread.
    virtual void EngineNotify(int message, int wParam) = 0;
};

// Writes messages to stderr as "Boxora: text"; questions get No / Cancel;
// notifications are dropped.
class StderrNotifier : public INotifier {
public:
    MsgAnswer ShowMessage(const std::string& text, MsgIcon icon, MsgButtons buttons) override;
    void EngineNotify(int message, int wParam) override {}
};

// Records everything, for tests: as the program-wide notifier or as an
// engine's reporter. Questions get the preset answer.
class RecordingNotifier : public INotifier, public IReporter {
public:
    struct Message {
        std::string text;
        MsgIcon icon;
        MsgButtons buttons;
    };
    struct Notification {
        int message;
        int wParam;
    };
    MsgAnswer answer = MsgAnswer::Yes;

    MsgAnswer ShowMessage(const std::string& text, MsgIcon icon, MsgButtons buttons) override;
    void EngineNotify(int message, int wParam) override;
    void Report(MsgIcon severity, const std::string& text) override { ShowMessage(text, severity, MsgButtons::Ok); }
    void Progress(int event, int value) override { EngineNotify(event, value); }

    std::vector<Message> Messages() const;
    std::vector<Notification> Notifications() const;
    void Clear();

private:
    mutable std::mutex mutex_;
    std::vector<Message> messages_;
    std::vector<Notification> notifications_;
};

// Hands what an engine reports to the program-wide notifier: the desktop
// program's reporter, so that the engine's messages become its message
// boxes and its progress the status bar.
class NotifierReporter : public IReporter {
public:
    void Report(MsgIcon severity, const std::string& text) override;
    void Progress(int event, int value) override;
};

// The program-wide notifier; a StderrNotifier until one is installed.
INotifier& Notifier();
// Installs notifier (not owned). nullptr restores the default.
void SetNotifier(INotifier* notifier);

}  // namespace boxora
