#include "image/DecodeHelper.h"

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <spawn.h>
#include <sys/prctl.h>
#include <sys/resource.h>
#include <sys/socket.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <cstdlib>
#include <cstring>
#include <new>
#include <vector>

#include "image/CodecBytes.h"
#include "image/CodecMetafile.h"
#include "image/CodecVector.h"
#include "image/CodecWebp.h"
#include "platform/AppPaths.h"

extern char** environ;

namespace imagecodec::helper {
namespace {

using namespace bytes;

// The answer: magic, status (0 decoded), width, height, alpha flag, length
// of the reason; then the reason, the B, G, R pixels and the alpha plane.
constexpr uint32_t kMagic = 0x4D495842;  // "BXIM"
constexpr std::size_t kHeaderBytes = 24;
constexpr uint32_t kMaxReason = 4096;
// No file a helper job takes is larger (metafiles are checked for
// structure before they are handed over, and are far smaller in practice).
constexpr std::size_t kMaxInputBytes = std::size_t{256} << 20;

#if defined(__SANITIZE_ADDRESS__)
constexpr bool kSanitized = true;
#elif defined(__has_feature)
#if __has_feature(address_sanitizer)
constexpr bool kSanitized = true;
#else
constexpr bool kSanitized = false;
#endif
#else
constexpr bool kSanitized = false;
#endif

std::string HelperPath() {
    for (const std::string& folder : {boxora::ProgramFolder(), boxora::ExecutableFolder()}) {
        const std::string path = folder + "/" + kHelperName;
        if (::access(path.c_str(), X_OK) == 0) return path;
    }
    return {};
}

bool Failed(ImageData& out, std::string* why, std::string reason) {
    out.Clear();
    if (why) *why = std::move(reason);
    return false;
}

// Sends the input and collects the answer until the helper closes its end
// or the deadline passes. False when the deadline passed or the answer grew
// beyond maxAnswer.
bool Exchange(int fd, const uint8_t* data, std::size_t size, std::size_t maxAnswer, std::vector<uint8_t>& answer) {
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(kWallSeconds);
    std::size_t sent = 0;
    bool writing = true;
    if (size == 0) {
        ::shutdown(fd, SHUT_WR);
        writing = false;
    }
    uint8_t buffer[65536];
    for (;;) {
        const auto left =
            std::chrono::duration_cast<std::chrono::milliseconds>(deadline - std::chrono::steady_clock::now());
        if (left.count() <= 0) return false;
        pollfd p{fd, static_cast<short>(POLLIN | (writing ? POLLOUT : 0)), 0};
        const int ready = ::poll(&p, 1, static_cast<int>(std::min<long long>(left.count(), 1000)));
        if (ready < 0 && errno != EINTR) return false;
        if (ready <= 0) continue;
        if (writing && (p.revents & POLLOUT)) {
            const ssize_t n =
                ::send(fd, data + sent, std::min<std::size_t>(size - sent, 1 << 20), MSG_NOSIGNAL | MSG_DONTWAIT);
            if (n > 0) sent += static_cast<std::size_t>(n);
            if (n < 0 && errno != EAGAIN && errno != EINTR) writing = false;  // the helper is gone: read what it said
            if (sent == size) writing = false;
            if (!writing) ::shutdown(fd, SHUT_WR);
        }
        if (p.revents & (POLLIN | POLLHUP | POLLERR)) {
            const ssize_t n = ::recv(fd, buffer, sizeof buffer, MSG_DONTWAIT);
            if (n == 0) return true;
            if (n < 0) {
                if (errno == EAGAIN || errno == EINTR) continue;
                return true;  // reset by a crashing helper: judged by what arrived
            }
            if (answer.size() + static_cast<std::size_t>(n) > maxAnswer) return false;
            answer.insert(answer.end(), buffer, buffer + n);
        }
    }
}

std::string SignalText(int status) {
    if (WIFSIGNALED(status)) {
        const int sig = WTERMSIG(status);
        if (sig == SIGXCPU || sig == SIGKILL) return "the decoder ran out of time";
        return std::string("the decoder crashed (") + (::strsignal(sig) ? ::strsignal(sig) : "signal") + ")";
    }
    return "the decoder failed (exit status " + std::to_string(WEXITSTATUS(status)) + ")";
}

// Parses the helper's answer into out.
bool ReadAnswer(const std::vector<uint8_t>& answer, uint32_t maxSide, ImageData& out, std::string* why) {
    if (answer.size() < kHeaderBytes || Le32(answer.data()) != kMagic) return Failed(out, why, "");
    const uint8_t* h = answer.data();
    const uint32_t status = Le32(h + 4), w = Le32(h + 8), ht = Le32(h + 12), alpha = Le32(h + 16),
                   reasonBytes = Le32(h + 20);
    if (reasonBytes > kMaxReason || !Fits(answer.size(), kHeaderBytes, reasonBytes)) return Failed(out, why, "");
    const std::string reason(reinterpret_cast<const char*>(h + kHeaderBytes), reasonBytes);
    if (status != 0) return Failed(out, why, reason.empty() ? "the file could not be decoded" : reason);
    if (w == 0 || ht == 0 || w > maxSide || ht > maxSide || alpha > 1) return Failed(out, why, "");
    const std::size_t pixels = std::size_t{w} * ht;
    const std::size_t at = kHeaderBytes + reasonBytes;
    if (answer.size() != at + pixels * 3 + (alpha ? pixels : 0)) return Failed(out, why, "");
    out.Clear();
    out.width = w;
    out.height = ht;
    out.bpp = 24;
    out.pixels.assign(answer.begin() + static_cast<std::ptrdiff_t>(at),
                      answer.begin() + static_cast<std::ptrdiff_t>(at + pixels * 3));
    if (alpha) out.alpha.assign(answer.begin() + static_cast<std::ptrdiff_t>(at + pixels * 3), answer.end());
    return true;
}

// --- the helper's side ------------------------------------------------------

void LimitResources() {
    rlimit cpu{kCpuSeconds, kCpuSeconds + 1};
    ::setrlimit(RLIMIT_CPU, &cpu);
    rlimit core{0, 0};
    ::setrlimit(RLIMIT_CORE, &core);
    // The address sanitizer reserves far more address space than this.
    if (!kSanitized) {
        rlimit memory{kMemoryBytes, kMemoryBytes};
        ::setrlimit(RLIMIT_AS, &memory);
    }
}

bool WriteAll(int fd, const uint8_t* p, std::size_t n) {
    while (n > 0) {
        const ssize_t w = ::write(fd, p, n);
        if (w < 0 && errno == EINTR) continue;
        if (w <= 0) return false;
        p += w;
        n -= static_cast<std::size_t>(w);
    }
    return true;
}

void PutHeader(std::vector<uint8_t>& out, uint32_t status, uint32_t w, uint32_t h, bool alpha,
               const std::string& reason) {
    PutLe32(out, kMagic);
    PutLe32(out, status);
    PutLe32(out, w);
    PutLe32(out, h);
    PutLe32(out, alpha ? 1 : 0);
    const std::size_t n = std::min<std::size_t>(reason.size(), kMaxReason);
    PutLe32(out, static_cast<uint32_t>(n));
    out.insert(out.end(), reason.begin(), reason.begin() + static_cast<std::ptrdiff_t>(n));
}

}  // namespace

bool DecodeInHelper(Job job, const uint8_t* data, std::size_t size, uint32_t maxSide, ImageData& out,
                    std::string* why) {
    out.Clear();
    if (size > kMaxInputBytes) return Failed(out, why, "the file is too large");
    const std::string helper = HelperPath();
    if (helper.empty()) return Failed(out, why, std::string("the decoding helper ") + kHelperName + " is missing");

    int sv[2];
    if (::socketpair(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0, sv) != 0)
        return Failed(out, why, "the decoding helper could not be started");
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_adddup2(&actions, sv[1], STDIN_FILENO);
    posix_spawn_file_actions_adddup2(&actions, sv[1], STDOUT_FILENO);
    // The libraries talk on the console; only sanitizer reports are wanted.
    if (!kSanitized) posix_spawn_file_actions_addopen(&actions, STDERR_FILENO, "/dev/null", O_WRONLY, 0);
    posix_spawnattr_t attr;
    posix_spawnattr_init(&attr);
    sigset_t none, defaults;
    sigemptyset(&none);
    sigemptyset(&defaults);
    sigaddset(&defaults, SIGPIPE);
    sigaddset(&defaults, SIGINT);
    sigaddset(&defaults, SIGTERM);
    posix_spawnattr_setsigmask(&attr, &none);
    posix_spawnattr_setsigdefault(&attr, &defaults);
    posix_spawnattr_setflags(&attr, POSIX_SPAWN_SETSIGMASK | POSIX_SPAWN_SETSIGDEF);
    const std::string jobText = std::to_string(static_cast<uint32_t>(job)), sideText = std::to_string(maxSide);
    const std::string parentText = std::to_string(::getpid());
    char* argv[] = {const_cast<char*>(helper.c_str()), const_cast<char*>(jobText.c_str()),
                    const_cast<char*>(sideText.c_str()), const_cast<char*>(parentText.c_str()), nullptr};
    pid_t pid = -1;
    const int spawned = ::posix_spawn(&pid, helper.c_str(), &actions, &attr, argv, environ);
    posix_spawn_file_actions_destroy(&actions);
    posix_spawnattr_destroy(&attr);
    ::close(sv[1]);
    if (spawned != 0) {
        ::close(sv[0]);
        return Failed(out, why, "the decoding helper could not be started");
    }

    std::vector<uint8_t> answer;
    const std::size_t maxAnswer = kHeaderBytes + kMaxReason + std::size_t{maxSide} * maxSide * 4;
    bool complete = false;
    try {
        complete = Exchange(sv[0], data, size, maxAnswer, answer);
    } catch (const std::bad_alloc&) {}
    ::close(sv[0]);
    if (!complete) ::kill(pid, SIGKILL);
    int status = 0;
    while (::waitpid(pid, &status, 0) < 0 && errno == EINTR) {}
    if (!complete) return Failed(out, why, "the decoder ran out of time or memory");
    std::string reason;
    try {
        if (ReadAnswer(answer, maxSide, out, &reason)) return true;
    } catch (const std::bad_alloc&) {
        return Failed(out, why, "out of memory");
    }
    if (reason.empty())
        reason = WIFEXITED(status) && WEXITSTATUS(status) == 0 ? "the decoder gave no picture" : SignalText(status);
    return Failed(out, why, reason);
}

int RunDecodeHelper(int argc, char** argv) {
    LimitResources();
    if (argc != 3 && argc != 4) return 2;
    if (argc == 4) {
        // A program ended by Ctrl+C or a kill takes its drawing with it
        // instead of leaving it to burn its processor time orphaned.
        ::prctl(PR_SET_PDEATHSIG, SIGKILL);
        if (::getppid() != static_cast<pid_t>(std::strtol(argv[3], nullptr, 10))) return 2;
    }
    const unsigned long job = std::strtoul(argv[1], nullptr, 10);
    const unsigned long maxSide = std::strtoul(argv[2], nullptr, 10);
    if (maxSide == 0 || maxSide > kMaxDimension) return 2;
    std::vector<uint8_t> input;
    uint8_t buffer[65536];
    for (;;) {
        const ssize_t n = ::read(STDIN_FILENO, buffer, sizeof buffer);
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) break;
        if (input.size() + static_cast<std::size_t>(n) > kMaxInputBytes) return 2;
        input.insert(input.end(), buffer, buffer + n);
    }
    ImageData image;
    std::string why;
    bool ok = false;
    if (job == static_cast<unsigned long>(Job::Metafile))
        ok = metafile::DecodeMetafileHere(input.data(), input.size(), image, &why, static_cast<uint32_t>(maxSide));
    else if (job == static_cast<unsigned long>(Job::Svg))
        ok = vector::DecodeSvgHere(input.data(), input.size(), static_cast<uint32_t>(maxSide), image, &why);
    else if (job == static_cast<unsigned long>(Job::Pdf))
        ok = vector::DecodePdfHere(input.data(), input.size(), static_cast<uint32_t>(maxSide), image, &why);
    else if (job == static_cast<unsigned long>(Job::Webp))
        ok = webp::DecodeWebpHere(input.data(), input.size(), image, &why);
    else
        why = "unknown helper job";
    if (ok && image.bpp != 24) ok = false, why = "the decoder produced an unexpected image";
    std::vector<uint8_t> answer;
    PutHeader(answer, ok ? 0 : 1, ok ? image.width : 0, ok ? image.height : 0, ok && !image.alpha.empty(),
              ok ? std::string() : why);
    bool written = WriteAll(STDOUT_FILENO, answer.data(), answer.size());
    if (ok && written) {
        written = WriteAll(STDOUT_FILENO, image.pixels.data(), image.pixels.size()) &&
                  WriteAll(STDOUT_FILENO, image.alpha.data(), image.alpha.size());
    }
    // Straight out: the libraries' leftovers (fonts, caches) are not worth
    // tearing down, and a leak checker would turn them into a failure.
    ::_exit(written ? 0 : 1);
}

}  // namespace imagecodec::helper
