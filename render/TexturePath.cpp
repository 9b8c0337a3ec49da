#include "render/TexturePath.h"

#include <algorithm>
#include <filesystem>
#include <utility>

namespace {

bool FileExists(const std::string& path) {
    std::error_code ec;
    const auto status = std::filesystem::status(path, ec);
    return !ec && std::filesystem::exists(status) && !std::filesystem::is_directory(status);
}

}  // namespace

std::optional<std::string> ResolveTexturePath(const std::string& path, const std::string& textureFolder) {
    if (path.empty()) return std::nullopt;
    std::string p = path;
    std::replace(p.begin(), p.end(), '\\', '/');
    if (p.find('/') != std::string::npos && FileExists(p)) return p;
    const std::string candidate = textureFolder + p;
    if (FileExists(candidate)) return candidate;
    return std::nullopt;
}

std::optional<std::string> ResolveInSceneFolder(const std::string& path, const std::string& sceneFolder) {
    std::string p = path;
    std::replace(p.begin(), p.end(), '\\', '/');
    // Absolute, and drive-lettered names of other systems, are no scene's.
    if (p.empty() || p == "*" || sceneFolder.empty() || p.front() == '/' || (p.size() > 1 && p[1] == ':'))
        return std::nullopt;
    std::error_code ec;
    const std::string candidate = std::filesystem::absolute(sceneFolder + p, ec).lexically_normal().string();
    if (!ec && FileExists(candidate)) return candidate;
    return std::nullopt;
}

std::optional<std::string> FindBesideScene(const std::string& path, const std::string& sceneFolder) {
    std::string p = path;
    std::replace(p.begin(), p.end(), '\\', '/');
    const std::size_t slash = p.find_last_of('/');
    const std::string name = slash == std::string::npos ? p : p.substr(slash + 1);
    if (name.empty() || name == "." || name == ".." || sceneFolder.empty()) return std::nullopt;
    const std::string candidate = sceneFolder + name;
    if (FileExists(candidate)) return candidate;

    constexpr int kMaxDepth = 4;
    constexpr int kMaxEntries = 20000;
    namespace fs = std::filesystem;
    std::error_code ec;
    fs::recursive_directory_iterator it(sceneFolder, fs::directory_options::skip_permission_denied, ec);
    std::optional<std::pair<int, std::string>> best;
    int seen = 0;
    for (; !ec && it != fs::recursive_directory_iterator(); it.increment(ec)) {
        if (++seen > kMaxEntries) break;
        if (it.depth() >= kMaxDepth) it.disable_recursion_pending();
        if (it->path().filename() != name) continue;
        const std::string found = it->path().string();
        if (!FileExists(found)) continue;
        const std::pair<int, std::string> key{it.depth(), found};
        if (!best || key < *best) best = key;
    }
    if (best) return best->second;
    return std::nullopt;
}
