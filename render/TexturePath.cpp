#include "render/TexturePath.h"

#include <algorithm>
#include <filesystem>

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

std::optional<std::string> FindBesideScene(const std::string& path, const std::string& sceneFolder) {
    std::string p = path;
    std::replace(p.begin(), p.end(), '\\', '/');
    const std::size_t slash = p.find_last_of('/');
    const std::string name = slash == std::string::npos ? p : p.substr(slash + 1);
    if (name.empty() || name == "." || name == ".." || sceneFolder.empty()) return std::nullopt;
    const std::string candidate = sceneFolder + name;
    if (FileExists(candidate)) return candidate;
    return std::nullopt;
}
