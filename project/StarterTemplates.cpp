#include "project/StarterTemplates.h"

#include <filesystem>

#include "platform/AppPaths.h"
#include "platform/AtomicFile.h"
#include "platform/RegularFile.h"
#include "project/TemplateLibrary.h"

namespace boxora {
namespace {

namespace fs = std::filesystem;

// Left in the template folder once the starter set was installed.
constexpr char kInstalledMarker[] = ".starter-templates";

bool ReadWholeFile(const std::string& path, std::string& bytes) {
    // Templates are small; a file beyond this is not one of ours.
    return ReadRegularFile(path, bytes, std::size_t{64} << 20) == ReadResult::Ok;
}

bool CopyFileAtomically(const std::string& from, const std::string& to) {
    std::string bytes;
    return ReadWholeFile(from, bytes) && WriteFileAtomically(to, bytes);
}

bool FolderIsEmpty(const std::string& folder) {
    std::error_code ec;
    fs::directory_iterator it(folder, ec);
    if (ec) return false;  // unreadable or missing: leave it alone
    return it == fs::directory_iterator();
}

}  // namespace

std::string StarterTemplateFolder() { return ProgramFolder() + "/data/templates/"; }

int InstallStarterTemplates(const std::string& source, const std::string& target) {
    if (!FolderIsEmpty(target)) return 0;
    const TemplateLibrary from(source);
    const TemplateLibrary to(target);
    int copied = 0;
    for (const std::string& name : from.Names()) {
        if (!CopyFileAtomically(from.ScenePath(name), to.ScenePath(name))) continue;
        std::error_code ec;
        if (fs::is_regular_file(from.PicturePath(name), ec))
            CopyFileAtomically(from.PicturePath(name), to.PicturePath(name));
        ++copied;
    }
    if (copied > 0) WriteFileAtomically(to.Folder() + kInstalledMarker, "Boxora starter templates installed\n");
    return copied;
}

}  // namespace boxora
