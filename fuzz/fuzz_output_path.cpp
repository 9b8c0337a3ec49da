// Output names of a variant table, resolved beneath an output folder that
// holds planted links (to a folder and to a file outside) and a plain file
// where a folder might be expected: whatever the name, a name that is
// accepted names a file whose folder lies inside the output folder and is
// no link, and a name through a link or "..", or an absolute one, is refused.
#include <unistd.h>

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <string>

#include "platform/FolderBeneath.h"

namespace {

namespace fs = std::filesystem;

struct Planted {
    fs::path base, root, outside;
    ~Planted() {
        std::error_code ec;
        fs::remove_all(base, ec);
    }
    Planted() {
        char folder[] = "/tmp/boxora-fuzz-output-XXXXXX";
        if (!::mkdtemp(folder)) std::abort();
        base = folder;
        root = base / "out";
        outside = base / "elsewhere";
        fs::create_directories(root / "real" / "deep");
        fs::create_directories(outside);
        fs::create_directory_symlink(outside, root / "sub");
        fs::create_directory_symlink(outside, root / "real" / "up");
        fs::create_symlink(outside / "victim.txt", root / "link.png");
        std::FILE* f = std::fopen((root / "plain").c_str(), "w");
        if (f) std::fclose(f);
        root = fs::canonical(root);
    }
};

bool Under(const fs::path& inner, const fs::path& root) {
    const std::string a = inner.string(), b = root.string();
    return a == b || (a.size() > b.size() && a.compare(0, b.size(), b) == 0 && a[b.size()] == '/');
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    static const Planted planted;
    std::string name(reinterpret_cast<const char*>(data), size);
    if (name.find('\0') != std::string::npos) return 0;  // no file name holds one
    const boxora::FileBeneath target = boxora::FileBeneath::Resolve(planted.root.string(), name, false);
    if (!target.ok()) return 0;
    if (name.empty() || name[0] == '/') std::abort();
    for (const auto& part : fs::path(name))
        if (part == "..") std::abort();
    const fs::path path(target.path());
    std::error_code ec;
    // The folder the file goes into, as the system sees the held descriptor.
    const fs::path folder = boxora::IsHeldFolderPath(target.path()) ? fs::read_symlink(path.parent_path(), ec)
                                                                    : fs::canonical(path.parent_path(), ec);
    if (ec || !Under(folder, planted.root)) std::abort();
    if (fs::is_symlink(fs::symlink_status(path, ec))) std::abort();
    return 0;
}
