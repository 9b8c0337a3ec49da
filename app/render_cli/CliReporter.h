#pragma once
// What boxora-render shows while it works: the engine's messages on standard
// error ("boxora-render: text"), and a progress bar of each render job drawn
// from the engine's progress events. A batch (a variant table) keeps one
// bar for the whole run, each job's progress a part of it.
#include <atomic>
#include <cstddef>
#include <mutex>
#include <string>

#include "platform/Reporter.h"

class CliReporter : public boxora::IReporter {
public:
    explicit CliReporter(bool showProgress) : showProgress_(showProgress) {}
    ~CliReporter() override;

    // Messages are printed at once, the bar ended first.
    void Report(boxora::MsgIcon severity, const std::string& text) override;
    // Render jobs (WM_ENGINE_BEGIN with kind 1 to WM_ENGINE_END) draw the
    // bar "LABEL [#####.....]  50%" on one line, updated in place.
    void Progress(int event, int value) override;

    // One bar over `jobs` jobs; SetDone says how many are behind.
    void SetBatch(std::size_t jobs) { batch_ = jobs; }
    void SetDone(std::size_t done) { done_ = done; }
    // The name shown in front of the bar of the next render job.
    void SetLabel(const std::string& label);
    // Ends a bar that is still on screen with a line break.
    void EndBar();
    bool ShowsProgress() const { return showProgress_; }

    // The bar's text for a percentage (0 .. 100).
    static std::string BarText(const std::string& label, int percent);

private:
    void EndBarLocked();
    void DrawLocked(int percent);
    void SayRepeatsLocked();

    std::mutex mutex_;
    const bool showProgress_;
    std::string label_;
    bool rendering_ = false;
    bool barShown_ = false;
    int lastPercent_ = -1;
    std::atomic<std::size_t> batch_{0};
    std::atomic<std::size_t> done_{0};
    int batchShown_ = 0;
    std::string lastText_;     // the message printed last
    std::size_t repeats_ = 0;  // the times it came again since, not printed
};
