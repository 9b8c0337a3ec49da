#pragma once
// The projects the user opened or saved last, newest first, kept in the
// settings ("RecentProject1" ... "RecentProject8") across runs.
#include <string>
#include <vector>

namespace boxora {

class RecentProjects {
public:
    static constexpr int kMaxCount = 8;

    // The list as stored.
    static std::vector<std::string> Load();
    // Puts path first (once) and stores the list, at most kMaxCount long.
    static void Add(const std::string& path);
    // Takes path out of the stored list.
    static void Remove(const std::string& path);

private:
    static void Store(const std::vector<std::string>& paths);
};

}  // namespace boxora
