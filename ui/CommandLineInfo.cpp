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
    if (tabFlagPending_) {
        tabFlagPending_ = false;
        if (!param.empty() && param.size() <= 2 && param.find_first_not_of("0123456789") == std::string::npos) {
            startTab_ = std::stoi(param);
            return;
        }
    }
    if (param == "--screenshot-tab") {
        tabFlagPending_ = true;
        return;
    }
    if (IsFlag(param)) {
        if (param.compare(1, std::string::npos, "o") == 0) openFlagPending_ = true;
        return;
    }
    if (openFlagPending_) {
        fileToOpen_ = param;
        openFlagPending_ = false;
    }
}
