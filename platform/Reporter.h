#pragma once
// IReporter: how the engine and its jobs tell their front end what the user
// is to learn — messages, and the begin, progress and end of long work. The
// front end hands one to the engine: the desktop program shows message
// boxes and its status bar, boxora-render writes to standard error, tests
// record. The core never shows anything on its own.
#include <string>

namespace boxora {

enum class MsgIcon { None, Error, Warning, Question, Information };
enum class MsgButtons { Ok, YesNo, YesNoCancel };
enum class MsgAnswer { Ok, Yes, No, Cancel };

// The engine's progress events (values as window messages).
constexpr int WM_USER = 0x0400;
constexpr int WM_ENGINE_BEGIN = WM_USER + 1;          // value: operation kind
constexpr int WM_ENGINE_END = WM_USER + 2;            // value: 0
constexpr int WM_ENGINE_PROGRESS = WM_USER + 3;       // value: percent 0..100
constexpr int WM_ENGINE_SCENE_CHANGED = WM_USER + 4;  // value: 0

// Operation kinds of WM_ENGINE_BEGIN.
constexpr int ENGINE_OP_RENDER = 1;
constexpr int ENGINE_OP_TEMPLATE = 2;
constexpr int ENGINE_OP_ADD_OBJECTS = 3;
constexpr int ENGINE_OP_LOAD_SCENE = 4;

class IReporter {
public:
    virtual ~IReporter() = default;
    // One message for the user, from any thread; never waits for the user
    // (a worker may hold the engine lock).
    virtual void Report(MsgIcon severity, const std::string& text) = 0;
    // One progress event (WM_ENGINE_*), from any thread, in order.
    virtual void Progress(int event, int value) = 0;
};

// Messages to standard error as "Boxora: text"; progress dropped. What an
// engine reports to until it is handed a reporter.
class StderrReporter : public IReporter {
public:
    void Report(MsgIcon severity, const std::string& text) override;
    void Progress(int, int) override {}
};

}  // namespace boxora
