#include "platform/AtomicFile.h"

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace boxora {
namespace {

void SetError(std::string* error, const std::string& what) {
    if (error) *error = what + ": " + std::strerror(errno);
}

// Creates a unique empty file next to target; returns its path or "".
std::string CreateTempBeside(const std::string& target, int* fdOut) {
    std::string pattern = target + ".tmp-XXXXXX";
    std::string buf = pattern;
    const int fd = ::mkstemp(buf.data());
    if (fd < 0) return {};
    // mkstemp creates 0600; give the file the usual permissions.
    const mode_t mask = ::umask(0);
    ::umask(mask);
    ::fchmod(fd, 0666 & ~mask);
    if (fdOut) *fdOut = fd; else ::close(fd);
    return buf;
}

bool SyncPath(const std::string& path) {
    const int fd = ::open(path.c_str(), O_RDONLY);
    if (fd < 0) return false;
    const bool ok = ::fsync(fd) == 0;
    ::close(fd);
    return ok;
}

}  // namespace

bool WriteFileAtomically(const std::string& path, std::string_view bytes, std::string* error) {
    int fd = -1;
    const std::string temp = CreateTempBeside(path, &fd);
    if (temp.empty()) {
        SetError(error, "cannot create a file beside " + path);
        return false;
    }
    const char* p = bytes.data();
    std::size_t left = bytes.size();
    while (left > 0) {
        const ssize_t n = ::write(fd, p, left);
        if (n < 0) {
            if (errno == EINTR) continue;
            SetError(error, "cannot write " + path);
            ::close(fd);
            ::unlink(temp.c_str());
            return false;
        }
        p += n;
        left -= static_cast<std::size_t>(n);
    }
    if (::fsync(fd) != 0 || ::close(fd) != 0) {
        SetError(error, "cannot write " + path);
        ::unlink(temp.c_str());
        return false;
    }
    if (::rename(temp.c_str(), path.c_str()) != 0) {
        SetError(error, "cannot replace " + path);
        ::unlink(temp.c_str());
        return false;
    }
    return true;
}

AtomicFileWriter::AtomicFileWriter(std::string targetPath) : target_(std::move(targetPath)) {
    tempPath_ = CreateTempBeside(target_, nullptr);
}

AtomicFileWriter::~AtomicFileWriter() {
    if (!committed_ && !tempPath_.empty()) ::unlink(tempPath_.c_str());
}

bool AtomicFileWriter::Commit(std::string* error) {
    if (tempPath_.empty()) {
        if (error) *error = "cannot create a file beside " + target_;
        return false;
    }
    if (!SyncPath(tempPath_)) {
        SetError(error, "cannot write " + target_);
        return false;
    }
    if (::rename(tempPath_.c_str(), target_.c_str()) != 0) {
        SetError(error, "cannot replace " + target_);
        return false;
    }
    committed_ = true;
    return true;
}

}  // namespace boxora
