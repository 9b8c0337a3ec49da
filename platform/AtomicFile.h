#pragma once
// Writing files so that a failure halfway never destroys the previous copy:
// the data goes to a temporary file in the same folder, which replaces the
// target only once it is completely written and flushed.
#include <string>
#include <string_view>

namespace boxora {

// Writes bytes to path atomically. On failure the old file (if any) is
// untouched, no temporary file is left and error (if given) says why.
bool WriteFileAtomically(const std::string& path, std::string_view bytes, std::string* error = nullptr);

// For writers that need a file name of their own (libraries that open the
// file themselves): write to TempPath(), then Commit(). Without a successful
// Commit the temporary file is removed on destruction.
class AtomicFileWriter {
public:
    explicit AtomicFileWriter(std::string targetPath);
    ~AtomicFileWriter();
    AtomicFileWriter(const AtomicFileWriter&) = delete;
    AtomicFileWriter& operator=(const AtomicFileWriter&) = delete;

    // Empty when no temporary file could be created next to the target.
    const std::string& TempPath() const { return tempPath_; }
    // Flushes the temporary file to disk and renames it over the target.
    bool Commit(std::string* error = nullptr);

private:
    std::string target_;
    std::string tempPath_;
    bool committed_ = false;
};

}  // namespace boxora
