#pragma once
// Places a file beneath a folder that others may write to (a shared output
// folder, a table sent by a client) without letting a link planted in it
// lead anywhere else: every folder on the way is opened without following
// links, and the file is then named through the descriptor of the last one.
#include <string>

namespace boxora {

class FileBeneath {
public:
    FileBeneath() = default;
    FileBeneath(FileBeneath&& other) noexcept;
    FileBeneath& operator=(FileBeneath&& other) noexcept;
    FileBeneath(const FileBeneath&) = delete;
    FileBeneath& operator=(const FileBeneath&) = delete;
    ~FileBeneath();

    // Resolves relative (no root, no "..") beneath root. The root itself
    // is followed if it is a link; nothing below it is. Missing folders are
    // made when makeFolders is set. A name that meets a link, or a file
    // where a folder should be, fails with why() saying which part.
    static FileBeneath Resolve(const std::string& root, const std::string& relative, bool makeFolders);

    bool ok() const { return folderFd_ >= 0 && why_.empty(); }
    const std::string& why() const { return why_; }
    // True when the file is there already (a regular file).
    bool exists() const { return exists_; }
    // A path that reaches the file through the held folder, so that the
    // folder cannot be swapped for a link while the file is written; the
    // atomic writer never follows a link found at its last part.
    const std::string& path() const { return path_; }

private:
    int folderFd_ = -1;
    bool exists_ = false;
    std::string path_, why_;
};

// True when path names a file through a folder held by this process
// ("/proc/self/fd/N/name"), the form FileBeneath gives.
bool IsHeldFolderPath(const std::string& path);

}  // namespace boxora
