#include "ui/CommandLineInfo.h"

void CCustomCommandLineInfo::ParseParams(const std::vector<std::string>& params) {
    for (const std::string& p : params) ParseParam(p);
}

bool CCustomCommandLineInfo::IsFlag(const std::string& param) {
    if (param.size() < 2) return false;
    if (param[0] == '-') return true;
    return param[0] == '/' && param.find('/', 1) == std::string::npos;
}

void CCustomCommandLineInfo::ParseParam(const std::string& param) {
    if (pendingNumber_) {
        int* target = pendingNumber_;
        pendingNumber_ = nullptr;
        if (!param.empty() && param.size() <= 2 && param.find_first_not_of("0123456789") == std::string::npos) {
            *target = std::stoi(param);
            return;
        }
    }
    if (param == "--screenshot-tab") {
        pendingNumber_ = &startTab_;
        return;
    }
    if (param == "--screenshot-subtab") {
        pendingNumber_ = &startSubTab_;
        return;
    }
    if (param == "--screenshot-format") {
        pendingNumber_ = &startFormat_;
        return;
    }
    if (IsFlag(param)) {
        if (param.compare(1, std::string::npos, "o") == 0) openFlagPending_ = true;
        return;
    }
    fileToOpen_ = param;
    openFlagPending_ = false;
}
