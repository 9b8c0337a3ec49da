#include "ui/RecentProjects.h"

#include <algorithm>

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

void RecentProjects::Add(const std::string& path) {
    if (path.empty()) return;
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
