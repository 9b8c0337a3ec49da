#include "CliNotifier.h"

#include <algorithm>
#include <cstdio>

#include "platform/TextUtil.h"

boxora::MsgAnswer CliNotifier::ShowMessage(const std::string& text, boxora::MsgIcon icon, boxora::MsgButtons buttons) {
    std::lock_guard lock(mutex_);
    // A thousand objects naming one missing file say so once.
    if (text == lastText_) {
        ++repeats_;
    } else {
        EndBarLocked();
        SayRepeatsLocked();
        std::fprintf(stderr, "boxora-render: %s\n", boxora::EscapeForTerminal(text).c_str());
        lastText_ = text;
    }
    switch (buttons) {
        case boxora::MsgButtons::Ok: return boxora::MsgAnswer::Ok;
        case boxora::MsgButtons::YesNo: return boxora::MsgAnswer::No;
        case boxora::MsgButtons::YesNoCancel: return boxora::MsgAnswer::Cancel;
    }
    return boxora::MsgAnswer::Ok;
}

std::string CliNotifier::BarText(const std::string& label, int percent) {
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

void CliNotifier::EngineNotify(int message, int wParam) {
    std::lock_guard lock(mutex_);
    switch (message) {
        case boxora::WM_ENGINE_BEGIN:
            rendering_ = wParam == boxora::ENGINE_OP_RENDER;
            lastPercent_ = -1;
            break;
        case boxora::WM_ENGINE_PROGRESS:
            if (!rendering_ || !showProgress_ || wParam == lastPercent_) break;
            lastPercent_ = wParam;
            std::fprintf(stderr, "\r%s", BarText(label_, wParam).c_str());
            std::fflush(stderr);
            barShown_ = true;
            break;
        case boxora::WM_ENGINE_END:
            if (rendering_) EndBarLocked();
            rendering_ = false;
            break;
        default:
            break;
    }
}

void CliNotifier::SetLabel(const std::string& label) {
    std::lock_guard lock(mutex_);
    label_ = boxora::EscapeForTerminal(label);
}

void CliNotifier::EndBar() {
    std::lock_guard lock(mutex_);
    EndBarLocked();
}

CliNotifier::~CliNotifier() {
    std::lock_guard lock(mutex_);
    SayRepeatsLocked();
}

void CliNotifier::SayRepeatsLocked() {
    if (repeats_ > 0) std::fprintf(stderr, "boxora-render: (the message above came %zu more times)\n", repeats_);
    repeats_ = 0;
}

void CliNotifier::EndBarLocked() {
    if (!barShown_) return;
    std::fputc('\n', stderr);
    std::fflush(stderr);
    barShown_ = false;
}
