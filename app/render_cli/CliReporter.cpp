#include "CliReporter.h"

#include <algorithm>
#include <cstdio>

#include "platform/TextUtil.h"

void CliReporter::Report(boxora::MsgIcon, const std::string& text) {
    std::lock_guard lock(mutex_);
    // A thousand objects naming one missing file say so once.
    if (text == lastText_) {
        ++repeats_;
        return;
    }
    EndBarLocked();
    SayRepeatsLocked();
    // A message listing several files has one of them per line.
    for (std::size_t start = 0, end; start <= text.size(); start = end + 1) {
        end = std::min(text.find('\n', start), text.size());
        std::fprintf(stderr, start == 0 ? "boxora-render: %s\n" : "  %s\n",
                     boxora::EscapeForTerminal(std::string_view(text).substr(start, end - start)).c_str());
    }
    lastText_ = text;
}

CliReporter::~CliReporter() {
    std::lock_guard lock(mutex_);
    SayRepeatsLocked();
}

void CliReporter::SayRepeatsLocked() {
    if (repeats_ > 0) std::fprintf(stderr, "boxora-render: (the message above came %zu more times)\n", repeats_);
    repeats_ = 0;
}

std::string CliReporter::BarText(const std::string& label, int percent) {
    constexpr int kWidth = 30;
    percent = std::clamp(percent, 0, 100);
    const int filled = percent * kWidth / 100;
    std::string bar = label.empty() ? std::string() : label + " ";
    bar += "[" + std::string(static_cast<std::size_t>(filled), '#') +
           std::string(static_cast<std::size_t>(kWidth - filled), '.') + "] ";
    char number[8];
    std::snprintf(number, sizeof number, "%3d%%", percent);
    return bar + number;
}

void CliReporter::Progress(int event, int value) {
    std::lock_guard lock(mutex_);
    const std::size_t batch = batch_;
    switch (event) {
        case boxora::WM_ENGINE_BEGIN:
            rendering_ = value == boxora::ENGINE_OP_RENDER;
            lastPercent_ = -1;
            break;
        case boxora::WM_ENGINE_PROGRESS:
            if (!rendering_ || !showProgress_) break;
            if (batch > 0) {
                // Progress of other work between the jobs must not move a
                // batch's bar back.
                const int overall =
                    static_cast<int>((done_ * 100 + static_cast<std::size_t>(std::clamp(value, 0, 100))) / batch);
                value = batchShown_ = std::max(batchShown_, overall);
            }
            DrawLocked(value);
            break;
        case boxora::WM_ENGINE_END:
            // A batch's bar stays on its line from one job to the next.
            if (rendering_ && batch == 0) EndBarLocked();
            rendering_ = false;
            break;
        default: break;
    }
}

void CliReporter::DrawLocked(int percent) {
    if (percent == lastPercent_) return;
    lastPercent_ = percent;
    std::fprintf(stderr, "\r%s", BarText(label_, percent).c_str());
    std::fflush(stderr);
    barShown_ = true;
}

void CliReporter::SetLabel(const std::string& label) {
    std::lock_guard lock(mutex_);
    label_ = boxora::EscapeForTerminal(label);
}

void CliReporter::EndBar() {
    std::lock_guard lock(mutex_);
    EndBarLocked();
}

void CliReporter::EndBarLocked() {
    if (!barShown_) return;
    std::fputc('\n', stderr);
    std::fflush(stderr);
    barShown_ = false;
}
