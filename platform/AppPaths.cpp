#include "platform/AppPaths.h"

#include <pwd.h>
#include <unistd.h>
#include <cstdlib>
#include <filesystem>

#include "boxora/InstallLayout.h"

namespace boxora {
namespace {

std::string StripTrailingSlashes(std::string p) {
    while (p.size() > 1 && p.back() == '/') p.pop_back();
    return p;
}

std::string HomeFolder() {
    if (const char* home = std::getenv("HOME"); home && *home) return home;
    if (const passwd* pw = ::getpwuid(::getuid()); pw && pw->pw_dir) return pw->pw_dir;
    return "/tmp";
}

}  // namespace

std::string ExecutableFolder() {
    std::error_code ec;
    const auto exe = std::filesystem::read_symlink("/proc/self/exe", ec);
    if (ec) return ".";
    return exe.parent_path().string();
}

std::string ProgramFolder() {
    if (const char* home = std::getenv("BOXORA_HOME"); home && *home) return StripTrailingSlashes(home);
    // An installed copy keeps its files in share/boxora beside its bin
    // folder; found relative to the executable, a moved tree still works. A
    // build tree has no such folder and keeps them beside the executables.
    const std::string exe = ExecutableFolder();
    const std::filesystem::path installed = (std::filesystem::path(exe) / BOXORA_DATA_FROM_BINDIR).lexically_normal();
    std::error_code ec;
    if (std::filesystem::is_directory(installed / "languages", ec)) return StripTrailingSlashes(installed.string());
    return exe;
}

std::string LanguagesFolder() { return ProgramFolder() + "/languages/"; }
std::string ObjectsFolder() { return ProgramFolder() + "/data/Objects/"; }
std::string TextureFolder() { return ProgramFolder() + "/data/texture/"; }

std::string UserDataFolder() {
    if (const char* xdg = std::getenv("XDG_DATA_HOME"); xdg && *xdg && xdg[0] == '/') return StripTrailingSlashes(xdg);
    return HomeFolder() + "/.local/share";
}

std::string TemplateFolder() {
    const std::string folder = UserDataFolder() + "/Boxora/Templates/";
    std::error_code ec;
    std::filesystem::create_directories(folder, ec);
    return folder;
}

std::string FileNamePart(const std::string& path) {
    const auto slash = path.find_last_of('/');
    if (slash == std::string::npos || slash + 1 >= path.size()) return path;
    return path.substr(slash + 1);
}

}  // namespace boxora
