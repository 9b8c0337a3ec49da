#include "lang/Lng.h"

#include "platform/AppPaths.h"
#include "platform/ProfileFile.h"

std::string CLng::GetText(std::string_view section, std::string_view key) const {
    std::string current;
    {
        std::lock_guard lock(mutex_);
        current = currentPath_;
    }
    std::string text;
    if (!current.empty()) text = boxora::GetProfileString(current, section, key, "", 260);
    if (text.empty()) text = boxora::GetProfileString(boxora::LanguagesFolder() + "English.lng", section, key, "", 260);
    return text;
}

bool CLng::ListLanguages() { return true; }

std::vector<LNG_FILE> CLng::Languages() const {
    std::lock_guard lock(mutex_);
    return languages_;
}

void CLng::SelectLanguage(int) {}

int CLng::CurrentIndex() const {
    std::lock_guard lock(mutex_);
    return currentIndex_;
}

std::string CLng::CurrentPath() const {
    std::lock_guard lock(mutex_);
    return currentPath_;
}

CLng& Lng() {
    static CLng reader;
    return reader;
}
