#include "platform/FolderBeneath.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#include <cerrno>
#include <cstring>
#include <utility>
#include <vector>

namespace boxora {
namespace {

constexpr char kHeldPrefix[] = "/proc/self/fd/";

std::vector<std::string> Parts(const std::string& relative) {
    std::vector<std::string> parts;
    std::size_t start = 0;
    while (start <= relative.size()) {
        const std::size_t slash = relative.find('/', start);
        const std::size_t end = slash == std::string::npos ? relative.size() : slash;
        if (end > start && relative.compare(start, end - start, ".") != 0)
            parts.push_back(relative.substr(start, end - start));
        if (slash == std::string::npos) break;
        start = slash + 1;
    }
    return parts;
}

std::string Reason(int code) { return std::strerror(code); }

}  // namespace

FileBeneath::FileBeneath(FileBeneath&& other) noexcept
    : folderFd_(std::exchange(other.folderFd_, -1)),
      exists_(other.exists_),
      path_(std::move(other.path_)),
      why_(std::move(other.why_)) {}

FileBeneath& FileBeneath::operator=(FileBeneath&& other) noexcept {
    if (this != &other) {
        if (folderFd_ >= 0) ::close(folderFd_);
        folderFd_ = std::exchange(other.folderFd_, -1);
        exists_ = other.exists_;
        path_ = std::move(other.path_);
        why_ = std::move(other.why_);
    }
    return *this;
}

FileBeneath::~FileBeneath() {
    if (folderFd_ >= 0) ::close(folderFd_);
}

FileBeneath FileBeneath::Resolve(const std::string& root, const std::string& relative, bool makeFolders) {
    FileBeneath result;
    const std::vector<std::string> parts = Parts(relative);
    if (parts.empty() || relative.empty() || relative[0] == '/') {
        result.why_ = "names no file inside the output folder";
        return result;
    }
    for (const std::string& part : parts)
        if (part == "..") {
            result.why_ = "leads out of the output folder";
            return result;
        }
    int fd = ::open(root.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd < 0) {
        result.why_ = "cannot open the output folder: " + Reason(errno);
        return result;
    }
    std::string walked;
    for (std::size_t i = 0; i + 1 < parts.size(); ++i) {
        const std::string& part = parts[i];
        walked += (walked.empty() ? "" : "/") + part;
        int next = ::openat(fd, part.c_str(), O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC);
        if (next < 0 && errno == ENOENT && makeFolders) {
            if (::mkdirat(fd, part.c_str(), 0777) != 0 && errno != EEXIST) {
                result.why_ = "cannot make the folder " + walked + ": " + Reason(errno);
                ::close(fd);
                return result;
            }
            next = ::openat(fd, part.c_str(), O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC);
        }
        if (next < 0) {
            const int code = errno;
            struct stat st {};
            const bool seen = ::fstatat(fd, part.c_str(), &st, AT_SYMLINK_NOFOLLOW) == 0;
            if (seen && S_ISLNK(st.st_mode))
                result.why_ = walked + " is a link; outputs are not written through links";
            else if (seen && !S_ISDIR(st.st_mode))
                result.why_ = walked + " is not a folder";
            else
                result.why_ = "cannot open the folder " + walked + ": " + Reason(code);
            ::close(fd);
            return result;
        }
        ::close(fd);
        fd = next;
    }
    const std::string& leaf = parts.back();
    struct stat st {};
    if (::fstatat(fd, leaf.c_str(), &st, AT_SYMLINK_NOFOLLOW) == 0) {
        if (S_ISLNK(st.st_mode))
            result.why_ = relative + " is a link; outputs are not written through links";
        else if (S_ISDIR(st.st_mode))
            result.why_ = relative + " is a folder";
        else if (!S_ISREG(st.st_mode))
            result.why_ = relative + " is not a regular file";
        result.exists_ = S_ISREG(st.st_mode);
    } else if (errno != ENOENT) {
        result.why_ = "cannot reach " + relative + ": " + Reason(errno);
    }
    if (!result.why_.empty()) {
        ::close(fd);
        return result;
    }
    result.folderFd_ = fd;
    // Without /proc the held folder cannot be named; the folders were
    // checked a moment ago, which still keeps out links planted before the run.
    if (::access("/proc/self/fd", X_OK) == 0)
        result.path_ = kHeldPrefix + std::to_string(fd) + "/" + leaf;
    else
        result.path_ = root + "/" + relative;
    return result;
}

bool IsHeldFolderPath(const std::string& path) {
    const std::size_t n = sizeof kHeldPrefix - 1;
    if (path.compare(0, n, kHeldPrefix) != 0) return false;
    std::size_t i = n;
    while (i < path.size() && path[i] >= '0' && path[i] <= '9') ++i;
    return i > n && i < path.size() && path[i] == '/' && path.find('/', i + 1) == std::string::npos;
}

}  // namespace boxora
