#include "lang/Lng.h"

#include <algorithm>
#include <filesystem>

#include "platform/AppPaths.h"
#include "platform/ProfileFile.h"
#include "platform/Settings.h"
#include "platform/TextUtil.h"

namespace {

// Room of the text buffer of one lookup: at most 259 units of text.
constexpr std::size_t kTextBufferUnits = 260;

constexpr const char* kLanguageSetting = "ActualLanguage";
constexpr const char* kDefaultLanguage = "English";

std::string EnglishPath() { return boxora::LanguagesFolder() + "English.lng"; }

bool HasLanguageExtension(const std::string& fileName) {
    constexpr std::string_view ext = ".lng";
    return fileName.size() >= ext.size() &&
           boxora::EqualsIgnoreCase(std::string_view(fileName).substr(fileName.size() - ext.size()), ext);
}

// File names of the "*.lng" files in the languages folder, in byte order so
// that languages with equal display names keep a stable order.
std::vector<std::string> LanguageFileNames() {
    std::vector<std::string> names;
    std::error_code ec;
    std::filesystem::directory_iterator it(boxora::LanguagesFolder(), ec);
    if (ec) return names;
    for (const std::filesystem::directory_iterator end; it != end; it.increment(ec)) {
        if (ec) break;
        std::error_code typeError;
        if (!it->is_regular_file(typeError)) continue;
        std::string name = it->path().filename().string();
        if (HasLanguageExtension(name)) names.push_back(std::move(name));
    }
    std::sort(names.begin(), names.end());
    return names;
}

}  // namespace

struct CLng::CachedFile {
    std::string path;
    boxora::ProfileDocument document;
};

std::shared_ptr<const CLng::CachedFile> CLng::CachedLocked(std::shared_ptr<const CachedFile>& slot,
                                                           const std::string& path) const {
    if (!slot || slot->path != path) {
        auto file = std::make_shared<CachedFile>();
        file->path = path;
        file->document = boxora::ProfileDocument::Load(path);
        slot = std::move(file);
    }
    return slot;
}

std::string CLng::GetText(std::string_view section, std::string_view key) const {
    std::shared_ptr<const CachedFile> current;
    std::shared_ptr<const CachedFile> english;
    const std::string englishPath = EnglishPath();
    {
        std::lock_guard lock(mutex_);
        if (!currentPath_.empty()) current = CachedLocked(currentFile_, currentPath_);
        english = CachedLocked(englishFile_, englishPath);
    }
    // The documents are never changed once cached, so they are read without
    // holding the lock.
    std::string text;
    if (current) text = current->document.GetString(section, key, "", kTextBufferUnits);
    if (text.empty()) text = english->document.GetString(section, key, "", kTextBufferUnits);
    return text;
}

bool CLng::ListLanguages() {
    const std::string wanted = boxora::Settings().GetString(kLanguageSetting, kDefaultLanguage);
    const std::string folder = boxora::LanguagesFolder();

    struct Candidate {
        LNG_FILE file;
        std::u16string sortKey;
    };
    std::vector<Candidate> found;
    for (const std::string& fileName : LanguageFileNames()) {
        Candidate c;
        c.file.path = folder + fileName;
        c.file.name = boxora::GetProfileString(c.file.path, "Info", "Language", "", kTextBufferUnits);
        c.sortKey = boxora::Utf8ToUtf16(boxora::ToUpperText(c.file.name));
        found.push_back(std::move(c));
    }
    std::stable_sort(found.begin(), found.end(),
                     [](const Candidate& a, const Candidate& b) { return a.sortKey < b.sortKey; });

    const std::u16string wantedKey = boxora::Utf8ToUtf16(boxora::ToUpperText(wanted));
    std::vector<LNG_FILE> list;
    list.reserve(found.size());
    int current = -1;
    for (Candidate& c : found) {
        c.file.index = static_cast<int>(list.size());
        if (c.sortKey == wantedKey) current = c.file.index;  // the last match wins
        list.push_back(std::move(c.file));
    }
    if (current < 0) {
        for (const LNG_FILE& f : list) {
            if (boxora::ToLowerText(f.name) == "english") {
                current = f.index;
                break;
            }
        }
    }

    std::lock_guard lock(mutex_);
    languages_ = std::move(list);
    currentIndex_ = current;
    currentPath_ = current >= 0 ? languages_[static_cast<std::size_t>(current)].path : std::string();
    currentFile_.reset();
    englishFile_.reset();
    return true;
}

std::vector<LNG_FILE> CLng::Languages() const {
    std::lock_guard lock(mutex_);
    return languages_;
}

void CLng::SelectLanguage(int index) {
    std::string name;
    {
        std::lock_guard lock(mutex_);
        const auto it =
            std::find_if(languages_.begin(), languages_.end(), [index](const LNG_FILE& f) { return f.index == index; });
        if (it == languages_.end()) return;
        currentIndex_ = it->index;
        currentPath_ = it->path;
        currentFile_.reset();
        name = it->name;
    }
    boxora::Settings().SetString(kLanguageSetting, name);
}

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
