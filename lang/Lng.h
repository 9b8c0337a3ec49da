#pragma once
// CLng: the language reader. Lists the ".lng" files of the languages folder,
// remembers the chosen one ("ActualLanguage" setting) and answers text
// lookups by section and key, falling back to "English.lng". The current and
// the English file are parsed once and kept until another language is
// selected or the list is rebuilt.
#include <memory>
#include <mutex>
#include <string>
#include <string_view>
#include <vector>

// One available language.
struct LNG_FILE {
    int index = 0;     // position in the sorted list
    std::string name;  // "Language" value of section "Info" (may be empty)
    std::string path;  // full path of the file
};

class CLng {
public:
    CLng() = default;

    // The text of key in section from the current language file, or from
    // "English.lng" when that is empty; at most 259 UTF-16 units; possibly
    // empty. Safe to call from any thread.
    std::string GetText(std::string_view section, std::string_view key) const;

    // Builds the list of languages (sorted by upper-cased display name) and
    // selects the current one from the "ActualLanguage" setting, falling back
    // to "English". Returns true.
    bool ListLanguages();
    std::vector<LNG_FILE> Languages() const;

    // Makes the language with this index current and stores its name in
    // "ActualLanguage"; an unknown index changes nothing.
    void SelectLanguage(int index);
    int CurrentIndex() const;
    std::string CurrentPath() const;

private:
    struct CachedFile;
    // The parsed file at path, loaded on first use (caller holds mutex_).
    std::shared_ptr<const CachedFile> CachedLocked(std::shared_ptr<const CachedFile>& slot,
                                                   const std::string& path) const;

    mutable std::mutex mutex_;
    std::vector<LNG_FILE> languages_;
    std::string currentPath_;
    int currentIndex_ = -1;
    mutable std::shared_ptr<const CachedFile> currentFile_;
    mutable std::shared_ptr<const CachedFile> englishFile_;
};

// The program-wide language reader.
CLng& Lng();
