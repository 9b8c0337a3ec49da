#pragma once
// Helpers shared by the test programs: scratch folders and paths of the
// test data and of the built program folder.
#include <filesystem>
#include <string>

namespace testsupport {

// A fresh empty folder below the system temp folder, removed on destruction.
class TempDir {
public:
    TempDir();
    ~TempDir();
    TempDir(const TempDir&) = delete;
    TempDir& operator=(const TempDir&) = delete;
    const std::filesystem::path& Path() const { return path_; }
    std::string File(const std::string& name) const { return (path_ / name).string(); }

private:
    std::filesystem::path path_;
};

// tests/data in the source tree.
std::filesystem::path DataDir();
// The build's program folder (executables, languages/, data/).
std::filesystem::path AppDir();

std::string ReadFileBytes(const std::string& path);
void WriteFileBytes(const std::string& path, const std::string& bytes);

}  // namespace testsupport
