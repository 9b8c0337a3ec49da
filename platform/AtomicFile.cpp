#include "platform/AtomicFile.h"

#include "platform/FolderBeneath.h"

#include <dirent.h>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>
#include <cctype>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <ctime>
#include <mutex>
#include <random>
#include <set>

namespace boxora {
namespace {

void SetError(std::string* error, const std::string& what, int code) {
    if (error) *error = what + ": " + std::strerror(code);
}

std::string FolderOf(const std::string& path) {
    const std::size_t slash = path.rfind('/');
    if (slash == std::string::npos) return ".";
    return slash == 0 ? "/" : path.substr(0, slash);
}

enum class TargetKind { Missing, Regular, Stream, Refused };

struct Target {
    TargetKind kind = TargetKind::Missing;
    std::string path;  // after following symbolic links
    struct stat st {};
    int error = 0;  // errno when the path cannot be resolved
};

// Follows symbolic links to the file that gets the data. A dangling link
// names the file to create. Links of /proc (such as /dev/stdout) that lead
// to a pipe or terminal are recognised through stat, which follows them.
// A file named through a held folder is never followed out of it: a link
// or special file there is refused.
Target Resolve(const std::string& path) {
    Target t;
    t.path = path;
    if (IsHeldFolderPath(path)) {
        if (::lstat(path.c_str(), &t.st) != 0) {
            t.kind = errno == ENOENT ? TargetKind::Missing : TargetKind::Refused;
            t.error = errno == ENOENT ? 0 : errno;
        } else if (!S_ISREG(t.st.st_mode)) {
            t.kind = TargetKind::Refused;
            t.error = S_ISLNK(t.st.st_mode) ? ELOOP : S_ISDIR(t.st.st_mode) ? EISDIR : EINVAL;
        } else {
            t.kind = TargetKind::Regular;
        }
        return t;
    }
    for (int hops = 0; hops < 40; ++hops) {
        struct stat link {};
        if (::lstat(t.path.c_str(), &link) != 0) {
            t.error = errno;
            t.kind = errno == ENOENT ? TargetKind::Missing : TargetKind::Refused;
            if (t.kind == TargetKind::Missing) t.error = 0;
            return t;
        }
        const bool followed = ::stat(t.path.c_str(), &t.st) == 0;
        if (followed && (S_ISFIFO(t.st.st_mode) || S_ISCHR(t.st.st_mode))) {
            t.kind = TargetKind::Stream;
            return t;
        }
        if (!S_ISLNK(link.st_mode)) {
            t.st = link;
            t.kind = S_ISREG(link.st_mode) ? TargetKind::Regular : TargetKind::Refused;
            if (t.kind == TargetKind::Refused) t.error = S_ISDIR(link.st_mode) ? EISDIR : EINVAL;
            return t;
        }
        std::string next(static_cast<std::size_t>(link.st_size > 0 ? link.st_size : 255) + 1, '\0');
        const ssize_t n = ::readlink(t.path.c_str(), next.data(), next.size());
        if (n < 0 || static_cast<std::size_t>(n) >= next.size()) {
            t.error = n < 0 ? errno : ENAMETOOLONG;
            t.kind = TargetKind::Refused;
            return t;
        }
        next.resize(static_cast<std::size_t>(n));
        t.path = !next.empty() && next[0] == '/' ? next : FolderOf(t.path) + "/" + next;
    }
    t.error = ELOOP;
    t.kind = TargetKind::Refused;
    return t;
}

bool WriteAll(int fd, std::string_view bytes) {
    const char* p = bytes.data();
    std::size_t left = bytes.size();
    while (left > 0) {
        const ssize_t n = ::write(fd, p, left);
        if (n < 0) {
            if (errno == EINTR) continue;
            return false;
        }
        p += n;
        left -= static_cast<std::size_t>(n);
    }
    return true;
}

bool WriteStream(const Target& t, std::string_view bytes, std::string* error) {
    const int fd = ::open(t.path.c_str(), O_WRONLY | O_NOCTTY | O_CLOEXEC);
    if (fd < 0) {
        SetError(error, "cannot open " + t.path, errno);
        return false;
    }
    const bool ok = WriteAll(fd, bytes);
    const int code = errno;
    if (::close(fd) != 0 && ok) {
        SetError(error, "cannot write " + t.path, errno);
        return false;
    }
    if (!ok) SetError(error, "cannot write " + t.path, code);
    return ok;
}

// A name for the moment between linking the finished file and renaming it
// over the target; short, so that a target name of any legal length works.
std::string SpareName(const std::string& folder) {
    static thread_local std::mt19937_64 random{std::random_device{}()};
    char name[32];
    std::snprintf(name, sizeof name, "/.boxora-%012llx", static_cast<unsigned long long>(random() & 0xFFFFFFFFFFFFull));
    return folder + name;
}

// When this process began (near enough: when the library was loaded).
const std::time_t kProcessStart = std::time(nullptr);

bool IsSpareName(const char* name) {
    constexpr char kPrefix[] = ".boxora-";
    if (std::strncmp(name, kPrefix, sizeof kPrefix - 1) != 0) return false;
    const char* hex = name + sizeof kPrefix - 1;
    for (int i = 0; i < 12; ++i)
        if (!std::isxdigit(static_cast<unsigned char>(hex[i]))) return false;
    return hex[12] == '\0';
}

// A temporary file of this program left by a writer that was killed: older
// than this process and locked by nobody (writers hold a lock on theirs
// while they write). Each folder is looked through once per process, and
// only its first entries, so that a huge folder costs little.
void RemoveStaleSpares(const std::string& folder) {
    static std::mutex mutex;
    static std::set<std::string> swept;
    {
        std::lock_guard lock(mutex);
        if (swept.size() > 1000 || !swept.insert(folder).second) return;
    }
    const int dirFd = ::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (dirFd < 0) return;
    DIR* dir = ::fdopendir(dirFd);
    if (!dir) {
        ::close(dirFd);
        return;
    }
    int looked = 0;
    while (const dirent* entry = ::readdir(dir)) {
        if (++looked > 100000) break;
        if (!IsSpareName(entry->d_name)) continue;
        struct stat st {};
        if (::fstatat(dirFd, entry->d_name, &st, AT_SYMLINK_NOFOLLOW) != 0 || !S_ISREG(st.st_mode) ||
            st.st_mtime >= kProcessStart)
            continue;
        const int fd = ::openat(dirFd, entry->d_name, O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC);
        if (fd < 0) continue;
        if (::flock(fd, LOCK_EX | LOCK_NB) == 0) ::unlinkat(dirFd, entry->d_name, 0);
        ::close(fd);
    }
    ::closedir(dir);
}

// Gives the new file the mode and owner of the one it replaces, or the
// usual mode of a new file.
void CarryOver(int fd, const Target& t) {
    if (t.kind == TargetKind::Regular) {
        if (::fchown(fd, t.st.st_uid, t.st.st_gid) != 0) {
            // Not allowed to give it away: it stays ours, the mode still carries over.
        }
        ::fchmod(fd, t.st.st_mode & 07777);
    } else {
        const mode_t mask = ::umask(0);
        ::umask(mask);
        ::fchmod(fd, 0666 & ~mask);
    }
}

bool SyncFolder(const std::string& folder) {
    const int fd = ::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd < 0) return false;
    ::fsync(fd);
    ::close(fd);
    return true;
}

// Links the finished unnamed file at name.
bool LinkUnnamed(int fd, const std::string& name) {
    char self[64];
    std::snprintf(self, sizeof self, "/proc/self/fd/%d", fd);
    if (::linkat(AT_FDCWD, self, AT_FDCWD, name.c_str(), AT_SYMLINK_FOLLOW) == 0) return true;
    if (errno != ENOENT) return false;
    // Without /proc: needs the right to link any open file.
    return ::linkat(fd, "", AT_FDCWD, name.c_str(), AT_EMPTY_PATH) == 0;
}

// The file in hand (unnamed, or named spare) replaces or creates the target.
bool PutInPlace(int fd, const Target& t, const std::string& spare, std::string* error) {
    const std::string folder = FolderOf(t.path);
    if (spare.empty() && t.kind == TargetKind::Missing) {
        if (LinkUnnamed(fd, t.path)) return SyncFolder(folder), true;
        if (errno != EEXIST) {
            SetError(error, "cannot create " + t.path, errno);
            return false;
        }
        // Someone made the file meanwhile: replace it like any other.
    }
    std::string named = spare;
    for (int attempt = 0; named.empty() && attempt < 100; ++attempt) {
        const std::string candidate = SpareName(folder);
        if (LinkUnnamed(fd, candidate))
            named = candidate;
        else if (errno != EEXIST)
            break;
    }
    if (named.empty()) {
        SetError(error, "cannot create a file beside " + t.path, errno);
        return false;
    }
    if (::rename(named.c_str(), t.path.c_str()) != 0) {
        SetError(error, "cannot replace " + t.path, errno);
        ::unlink(named.c_str());
        return false;
    }
    SyncFolder(folder);
    return true;
}

}  // namespace

bool WriteFileAtomically(const std::string& path, std::string_view bytes, std::string* error) {
    const Target t = Resolve(path);
    if (t.kind == TargetKind::Stream) return WriteStream(t, bytes, error);
    if (t.kind == TargetKind::Refused) {
        SetError(error, "cannot write " + path, t.error ? t.error : EINVAL);
        return false;
    }
    const std::string folder = FolderOf(t.path);
    std::string spare;  // a named temporary file, only where unnamed ones are not supported
    int fd = ::open(folder.c_str(), O_TMPFILE | O_WRONLY | O_CLOEXEC, 0600);
    if (fd < 0 && (errno == EOPNOTSUPP || errno == EISDIR || errno == EINVAL)) {
        RemoveStaleSpares(folder);
        for (int attempt = 0; fd < 0 && attempt < 100; ++attempt) {
            spare = SpareName(folder);
            fd = ::open(spare.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0600);
            if (fd < 0 && errno != EEXIST) break;
        }
        if (fd < 0) spare.clear();
    }
    if (fd < 0) {
        SetError(error, "cannot create a file beside " + path, errno);
        return false;
    }
    // Held until the file is closed: a named copy of it (a spare) is then
    // known to be in use by a writer, and is not taken for a leftover.
    ::flock(fd, LOCK_EX | LOCK_NB);
    const auto fail = [&](const std::string& what) {
        SetError(error, what, errno);
        ::close(fd);
        if (!spare.empty()) ::unlink(spare.c_str());
        return false;
    };
    if (!WriteAll(fd, bytes)) return fail("cannot write " + path);
    CarryOver(fd, t);
    if (::fsync(fd) != 0) return fail("cannot write " + path);
    const bool placed = PutInPlace(fd, t, spare, error);
    ::close(fd);
    if (!placed && !spare.empty()) ::unlink(spare.c_str());
    return placed;
}

}  // namespace boxora
