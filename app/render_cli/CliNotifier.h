#pragma once
// What boxora-render shows while it works: the engine's messages on standard
// error ("boxora-render: text"), and a progress bar of each render job drawn
// from the engine's progress notifications.
#include <mutex>
#include <string>
#include <vector>

#include "platform/Notifier.h"

class CliNotifier : public boxora::INotifier {
public:
    explicit CliNotifier(bool showProgress) : showProgress_(showProgress) {}
    ~CliNotifier() override;

    // Messages are printed at once; questions get the cautious answer.
    boxora::MsgAnswer ShowMessage(const std::string& text, boxora::MsgIcon icon, boxora::MsgButtons buttons) override;
    // Render jobs (WM_ENGINE_BEGIN with kind 1 to WM_ENGINE_END) draw the
    // bar "LABEL [#####.....]  50%" on one line, updated in place.
    void EngineNotify(int message, int wParam) override;

    // The name shown in front of the bar of the next render job.
    void SetLabel(const std::string& label);
    // Ends a bar that is still on screen with a line break.
    void EndBar();

    // The bar's text for a percentage (0 .. 100).
    static std::string BarText(const std::string& label, int percent);

private:
    void EndBarLocked();
    void SayRepeatsLocked();

    std::mutex mutex_;
    const bool showProgress_;
    std::string label_;
    bool rendering_ = false;
    bool barShown_ = false;
    int lastPercent_ = -1;
    std::string lastText_;     // the message printed last
    std::size_t repeats_ = 0;  // the times it came again since, not printed
};
