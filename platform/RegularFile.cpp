#include "platform/RegularFile.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <new>

namespace boxora {
namespace {

template <typename Buffer>
ReadResult ReadInto(const std::string& path, Buffer& bytes, std::size_t maxBytes) {
    bytes.clear();
    const int fd = OpenRegularFile(path);
    if (fd < 0) return ReadResult::NotOpened;
    struct stat st {};
    ReadResult result = ReadResult::Ok;
    try {
        // The size is only a hint: the file may grow or shrink meanwhile.
        if (::fstat(fd, &st) == 0 && st.st_size > 0)
            bytes.reserve(std::min<std::size_t>(static_cast<std::size_t>(st.st_size), maxBytes));
        char buffer[65536];
        for (;;) {
            const std::size_t room = maxBytes - bytes.size();
            const ssize_t n = ::read(fd, buffer, room == 0 ? 1 : std::min(room, sizeof buffer));
            if (n < 0) {
                if (errno == EINTR) continue;
                result = ReadResult::ReadFailed;
                break;
            }
            if (n == 0) break;
            if (room == 0) {
                result = ReadResult::TooLarge;
                break;
            }
            bytes.insert(bytes.end(), buffer, buffer + n);
        }
    } catch (const std::bad_alloc&) {
        result = ReadResult::ReadFailed;
    }
    ::close(fd);
    return result;
}

}  // namespace

int OpenRegularFile(const std::string& path) {
    const int fd = ::open(path.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC | O_NOCTTY);
    if (fd < 0) return -1;
    struct stat st {};
    if (::fstat(fd, &st) != 0 || !S_ISREG(st.st_mode)) {
        const int error = S_ISDIR(st.st_mode) ? EISDIR : EINVAL;
        ::close(fd);
        errno = error;
        return -1;
    }
    const int flags = ::fcntl(fd, F_GETFL);
    if (flags >= 0) ::fcntl(fd, F_SETFL, flags & ~O_NONBLOCK);
    return fd;
}

ReadResult ReadRegularFile(const std::string& path, std::string& bytes, std::size_t maxBytes) {
    return ReadInto(path, bytes, maxBytes);
}

ReadResult ReadRegularFile(const std::string& path, std::vector<uint8_t>& bytes, std::size_t maxBytes) {
    return ReadInto(path, bytes, maxBytes);
}

bool CanReadRegularFile(const std::string& path) {
    const int fd = OpenRegularFile(path);
    if (fd < 0) return false;
    ::close(fd);
    return true;
}

}  // namespace boxora
