#include "platform/Notifier.h"

#include <atomic>
#include <cstdio>
#include "platform/TextUtil.h"

namespace boxora {

MsgAnswer StderrNotifier::ShowMessage(const std::string& text, MsgIcon, MsgButtons buttons) {
    std::fprintf(stderr, "Boxora: %s\n", EscapeForTerminal(text).c_str());
    switch (buttons) {
        case MsgButtons::Ok: return MsgAnswer::Ok;
        case MsgButtons::YesNo: return MsgAnswer::No;
        case MsgButtons::YesNoCancel: return MsgAnswer::Cancel;
    }
    return MsgAnswer::Ok;
}

MsgAnswer RecordingNotifier::ShowMessage(const std::string& text, MsgIcon icon, MsgButtons buttons) {
    std::lock_guard lock(mutex_);
    messages_.push_back({text, icon, buttons});
    return buttons == MsgButtons::Ok ? MsgAnswer::Ok : answer;
}

void RecordingNotifier::EngineNotify(int message, int wParam) {
    std::lock_guard lock(mutex_);
    notifications_.push_back({message, wParam});
}

std::vector<RecordingNotifier::Message> RecordingNotifier::Messages() const {
    std::lock_guard lock(mutex_);
    return messages_;
}

std::vector<RecordingNotifier::Notification> RecordingNotifier::Notifications() const {
    std::lock_guard lock(mutex_);
    return notifications_;
}

void RecordingNotifier::Clear() {
    std::lock_guard lock(mutex_);
    messages_.clear();
    notifications_.clear();
}

namespace {
StderrNotifier& DefaultNotifier() {
    static StderrNotifier notifier;
    return notifier;
}
std::atomic<INotifier*> g_notifier{nullptr};
}  // namespace

INotifier& Notifier() {
    INotifier* n = g_notifier.load();
    return n ? *n : DefaultNotifier();
}

void SetNotifier(INotifier* notifier) { g_notifier.store(notifier); }

}  // namespace boxora

namespace boxora {

void NotifierReporter::Report(MsgIcon severity, const std::string& text) {
    Notifier().ShowMessage(text, severity, MsgButtons::Ok);
}

void NotifierReporter::Progress(int event, int value) { Notifier().EngineNotify(event, value); }

}  // namespace boxora
