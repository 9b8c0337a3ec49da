#include "project/TemplateLibrary.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <filesystem>

#include "platform/AppPaths.h"
#include "platform/TextUtil.h"

namespace boxora {
namespace {

namespace fs = std::filesystem;

constexpr std::string_view kSceneExtension = ".scn";
constexpr std::string_view kPictureExtension = ".jpg";
// Far beyond any real library; only guards the search.
constexpr int kMaxProposedNumber = 1000000;

bool PathExists(const std::string& path) {
    struct stat st {};
    return ::lstat(path.c_str(), &st) == 0;
}

// Renames from to to, failing when to exists.
bool RenameNoReplace(const std::string& from, const std::string& to) {
#ifdef RENAME_NOREPLACE
    if (::renameat2(AT_FDCWD, from.c_str(), AT_FDCWD, to.c_str(), RENAME_NOREPLACE) == 0) return true;
    if (errno != EINVAL && errno != ENOSYS) return false;
#endif
    // File systems without the no-replace flag: link the new name (fails
    // when it exists), then drop the old one.
    if (::link(from.c_str(), to.c_str()) == 0) {
        if (::unlink(from.c_str()) == 0) return true;
        ::unlink(to.c_str());
        return false;
    }
    if (errno == EEXIST) return false;
    // No hard links either: check, then rename.
    if (PathExists(to)) return false;
    return ::rename(from.c_str(), to.c_str()) == 0;
}

// Deletes path; a file that is already gone counts as deleted.
bool RemoveFile(const std::string& path) { return ::unlink(path.c_str()) == 0 || errno == ENOENT; }

}  // namespace

TemplateLibrary::TemplateLibrary(std::string folder) : folder_(std::move(folder)) {
    if (!folder_.empty() && folder_.back() != '/') folder_ += '/';
}

TemplateLibrary TemplateLibrary::ForCurrentUser() { return TemplateLibrary(TemplateFolder()); }

// Files copied from other systems may spell the extension in capitals
// (X.SCN, X.JPG): the file of name with extension, matched without regard
// to the extension's case; the usual spelling when there is none.
std::string TemplateLibrary::FindFile(std::string_view name, std::string_view extension) const {
    const std::string usual = folder_ + std::string(name) + std::string(extension);
    if (PathExists(usual)) return usual;
    std::error_code ec;
    for (fs::directory_iterator it(folder_, ec), end; !ec && it != end; it.increment(ec)) {
        const std::string file = it->path().filename().string();
        if (file.size() == name.size() + extension.size() && file.compare(0, name.size(), name) == 0 &&
            EqualsIgnoreCase(std::string_view(file).substr(name.size()), extension))
            return folder_ + file;
    }
    return usual;
}

std::string TemplateLibrary::ScenePath(std::string_view name) const { return FindFile(name, kSceneExtension); }

std::string TemplateLibrary::PicturePath(std::string_view name) const { return FindFile(name, kPictureExtension); }

std::vector<std::string> TemplateLibrary::Names() const {
    std::vector<std::string> names;
    std::error_code ec;
    fs::directory_iterator it(folder_, ec);
    if (ec) return names;
    for (const fs::directory_entry& entry : it) {
        const std::string file = entry.path().filename().string();
        if (file.empty() || file[0] == '.') continue;
        if (file.size() <= kSceneExtension.size() ||
            !EqualsIgnoreCase(std::string_view(file).substr(file.size() - kSceneExtension.size()), kSceneExtension))
            continue;
        std::error_code typeError;
        if (entry.is_directory(typeError)) continue;
        names.push_back(file.substr(0, file.size() - kSceneExtension.size()));
    }
    std::sort(names.begin(), names.end(), TemplateNameLess);
    names.erase(std::unique(names.begin(), names.end()), names.end());  // X.scn beside X.SCN
    return names;
}

bool TemplateLibrary::Exists(std::string_view name) const { return PathExists(ScenePath(name)); }

std::string TemplateLibrary::ProposeName() const {
    char number[16];
    for (int n = 1; n < kMaxProposedNumber; ++n) {
        std::snprintf(number, sizeof number, "%02d", n);
        const std::string name = std::string("Template ") + number;
        if (!Exists(name)) return name;
    }
    return "Template";
}

bool TemplateLibrary::IsValidName(std::string_view name) {
    if (name.empty() || name.front() == '.') return false;
    return name.find_first_of(kForbiddenCharacters) == std::string_view::npos;
}

TemplateLibrary::RenameResult TemplateLibrary::Rename(std::string_view oldName, std::string_view newName) const {
    if (!IsValidName(newName)) return RenameResult::InvalidName;
    if (Exists(newName)) return RenameResult::NameTaken;
    const std::string oldScene = ScenePath(oldName);
    const std::string newScene = folder_ + std::string(newName) + std::string(kSceneExtension);
    if (!RenameNoReplace(oldScene, newScene)) return errno == EEXIST ? RenameResult::NameTaken : RenameResult::Failed;

    const std::string oldPicture = PicturePath(oldName);
    if (!PathExists(oldPicture)) return RenameResult::Renamed;
    const std::string newPicture = folder_ + std::string(newName) + std::string(kPictureExtension);
    if (::rename(oldPicture.c_str(), newPicture.c_str()) == 0) return RenameResult::Renamed;
    // Put the scene back under its old name: the pair stays together.
    ::rename(newScene.c_str(), oldScene.c_str());
    return RenameResult::Failed;
}

bool TemplateLibrary::Remove(std::string_view name) const {
    if (!RemoveFile(ScenePath(name))) return false;
    return RemoveFile(PicturePath(name));
}

bool TemplateNameLess(const std::string& a, const std::string& b) {
    const int folded = CompareUpperOrdinal(a, b);
    if (folded != 0) return folded < 0;
    return a < b;
}

}  // namespace boxora
