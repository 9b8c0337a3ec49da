#pragma once
// How the core talks to the user and to the main window: message boxes
// (caption "Boxora") and the engine's four notifications. The desktop app
// shows dialogs and queues notifications to its UI thread; the command line
// writes to stderr; tests record.
#include <mutex>
#include <string>
#include <vector>

namespace boxora {

enum class MsgIcon { None, Error, Warning, Question, Information };
enum class MsgButtons { Ok, YesNo, YesNoCancel };
enum class MsgAnswer { Ok, Yes, No, Cancel };

// The engine's notifications to the main window (values as window messages).
constexpr int WM_USER = 0x0400;
constexpr int WM_ENGINE_BEGIN = WM_USER + 1;          // wParam: operation kind
constexpr int WM_ENGINE_END = WM_USER + 2;            // wParam: 0
constexpr int WM_ENGINE_PROGRESS = WM_USER + 3;       // wParam: percent 0..100
constexpr int WM_ENGINE_SCENE_CHANGED = WM_USER + 4;  // wParam: 0

// Operation kinds of WM_ENGINE_BEGIN.
constexpr int ENGINE_OP_RENDER = 1;
constexpr int ENGINE_OP_TEMPLATE = 2;
constexpr int ENGINE_OP_ADD_OBJECTS = 3;
constexpr int ENGINE_OP_LOAD_SCENE = 4;

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

// Records everything, for tests. Questions get the preset answer.
class RecordingNotifier : public INotifier {
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

    std::vector<Message> Messages() const;
    std::vector<Notification> Notifications() const;
    void Clear();

private:
    mutable std::mutex mutex_;
    std::vector<Message> messages_;
    std::vector<Notification> notifications_;
};

// The program-wide notifier; a StderrNotifier until one is installed.
INotifier& Notifier();
// Installs notifier (not owned). nullptr restores the default.
void SetNotifier(INotifier* notifier);

}  // namespace boxora
