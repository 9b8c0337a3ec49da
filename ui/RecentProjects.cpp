#include "ui/RecentProjects.h"

#include <algorithm>
#include <filesystem>
#include <system_error>

#include "platform/Settings.h"

namespace boxora {
namespace {
std::string KeyOf(int index) { return "RecentProject" + std::to_string(index + 1); }
}  // namespace

std::vector<std::string> RecentProjects::Load() {
    std::vector<std::string> paths;
    for (int i = 0; i < kMaxCount; ++i) {
        std::string path = Settings().GetString(KeyOf(i), "");
        if (!path.empty() && std::find(paths.begin(), paths.end(), path) == paths.end())
            paths.push_back(std::move(path));
    }
    return paths;
}

void RecentProjects::Store(const std::vector<std::string>& paths) {
    for (int i = 0; i < kMaxCount; ++i)
        Settings().SetString(KeyOf(i), i < static_cast<int>(paths.size()) ? paths[static_cast<std::size_t>(i)] : "");
}

void RecentProjects::Add(const std::string& given) {
    if (given.empty()) return;
    // A path relative to where the program was started would point elsewhere
    // (or nowhere) in the next session.
    std::error_code error;
    std::filesystem::path full = std::filesystem::weakly_canonical(std::filesystem::absolute(given, error), error);
    const std::string path = error || full.empty() ? given : full.string();
    std::vector<std::string> paths = Load();
    paths.erase(std::remove(paths.begin(), paths.end(), path), paths.end());
    paths.insert(paths.begin(), path);
    if (paths.size() > kMaxCount) paths.resize(kMaxCount);
    Store(paths);
}

void RecentProjects::Remove(const std::string& path) {
    std::vector<std::string> paths = Load();
    paths.erase(std::remove(paths.begin(), paths.end(), path), paths.end());
    Store(paths);
}

}  // namespace boxora
