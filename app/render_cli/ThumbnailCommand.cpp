#include <unistd.h>

#include <csignal>

#include "RenderCommand.h"

namespace {

// Thumbnails of the catalogue's scenes take well under a second; a scene
// that needs this long is not worth a file manager's wait.
constexpr unsigned kThumbnailSeconds = 30;

extern "C" void OnThumbnailTimeout(int) {
    static const char message[] = "boxora-render: the thumbnail took too long; given up\n";
    const ssize_t written = write(STDERR_FILENO, message, sizeof message - 1);
    (void)written;
    _exit(1);
}

}  // namespace

int RunThumbnailCommand(const RenderOptions& options) {
    // The picture is written through a temporary file and renamed, so ending
    // the process at any moment never leaves a half-written thumbnail.
    struct sigaction action {};
    action.sa_handler = OnThumbnailTimeout;
    sigemptyset(&action.sa_mask);
    sigaction(SIGALRM, &action, nullptr);
    alarm(kThumbnailSeconds);
    const int status = RunRenderCommand(options);
    alarm(0);
    return status;
}
