#include "platform/PortablePath.h"

#include <filesystem>
#include <system_error>

namespace boxora {
namespace {

namespace fs = std::filesystem;

// Farther than this the two folders are unrelated places (a home folder and
// a shared drive): a relative name would break as soon as either moves.
constexpr int kMaxStepsUp = 2;

fs::path Normal(const std::string& path) {
    std::error_code error;
    fs::path p = fs::weakly_canonical(fs::path(path), error);
    if (error) p = fs::path(path).lexically_normal();
    // "/a/b/" and "/a/b" are one folder.
    if (!p.has_filename() && p.has_parent_path() && p != p.root_path()) p = p.parent_path();
    return p;
}

// file relative to folder when it lies inside it (no ".." at all), or empty.
std::string Inside(const fs::path& file, const fs::path& folder) {
    if (folder.empty()) return {};
    const fs::path relative = file.lexically_relative(folder);
    if (relative.empty() || relative.is_absolute()) return {};
    for (const fs::path& part : relative)
        if (part == "..") return {};
    return relative.generic_string();
}

}  // namespace

std::string PortablePath(const std::string& file, const std::string& sceneFolder, const std::string& textureFolder) {
    if (file.empty() || file == "*" || file.front() != '/') return file;
    const fs::path full = Normal(file);
    if (!textureFolder.empty()) {
        const std::string own = Inside(full, Normal(textureFolder));
        if (!own.empty()) return own;
    }
    if (sceneFolder.empty()) return file;
    const fs::path scene = Normal(sceneFolder);
    const fs::path relative = full.lexically_relative(scene);
    if (relative.empty()) return file;
    int stepsUp = 0;
    for (const fs::path& part : relative) {
        if (part != "..") break;
        ++stepsUp;
    }
    if (stepsUp > kMaxStepsUp) return file;
    // Two folders whose only common ancestor is the root are not near.
    fs::path ancestor = scene;
    for (int i = 0; i < stepsUp; ++i) ancestor = ancestor.parent_path();
    if (ancestor == ancestor.root_path()) return file;
    return relative.generic_string();
}

}  // namespace boxora
