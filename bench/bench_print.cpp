// Print-size renders: boxora-render of one example scene at 3000 x 3000,
// 8000 x 8000 and 12000 x 12000 (PNG, 300 dpi), each in a process of its
// own, as a user runs it: wall time, the peak resident memory of that
// process (the kernel's maximum resident set of the child), seconds per
// megapixel and that figure against the first size's. Pictures beyond
// 3000 pixels are drawn in tiles, so time should grow with the pixels and
// memory stay bounded.
//
//   bench_print [SIZE ...] [--scene NAME] [--format png|jpg|tif|bmp] [--tile PX] [--keep FOLDER]
//
// SIZE is one side of a square picture (default 3000 8000 12000); --scene
// names an example (default single-box); --keep leaves the pictures in
// FOLDER (default: a temporary folder, removed afterwards).
#include <spawn.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

#include "bench/BenchSupport.h"
#include "boxora/SourceTree.h"

extern char** environ;

namespace {

namespace fs = std::filesystem;

struct Run {
    bool ok = false;
    double seconds = 0;
    long peakKiB = 0;
};

Run RenderOnce(const std::vector<std::string>& args) {
    std::vector<char*> argv;
    for (const std::string& a : args) argv.push_back(const_cast<char*>(a.c_str()));
    argv.push_back(nullptr);
    Run run;
    const auto start = benchsupport::Clock::now();
    pid_t pid = 0;
    if (posix_spawn(&pid, argv[0], nullptr, nullptr, argv.data(), environ) != 0) return run;
    int status = 0;
    rusage usage{};
    if (wait4(pid, &status, 0, &usage) != pid) return run;
    run.seconds = benchsupport::Since(start);
    run.peakKiB = usage.ru_maxrss;
    run.ok = WIFEXITED(status) && WEXITSTATUS(status) == 0;
    return run;
}

}  // namespace

int main(int argc, char** argv) {
    std::vector<int> sizes;
    std::string scene = "single-box", format = "png", tile, keep;
    for (int i = 1; i < argc; ++i) {
        const std::string a = argv[i];
        if (a == "--scene" && i + 1 < argc)
            scene = argv[++i];
        else if (a == "--format" && i + 1 < argc)
            format = argv[++i];
        else if (a == "--tile" && i + 1 < argc)
            tile = argv[++i];
        else if (a == "--keep" && i + 1 < argc)
            keep = argv[++i];
        else if (const int size = std::atoi(a.c_str()); size >= 1 && size <= 16000)
            sizes.push_back(size);
        else {
            std::fprintf(stderr,
                         "usage: bench_print [SIZE ...] [--scene NAME] [--format png|jpg|tif|bmp] [--tile PX] "
                         "[--keep FOLDER]\n");
            return 2;
        }
    }
    if (sizes.empty()) sizes = {3000, 8000, 12000};
    const fs::path exe = fs::path(BOXORA_APP_DIR) / "boxora-render";
    const fs::path scenePath = fs::path(BOXORA_SOURCE_DIR) / "examples" / (scene + ".scn");
    if (!fs::exists(exe) || !fs::exists(scenePath)) {
        std::fprintf(stderr, "needs %s and %s\n", exe.c_str(), scenePath.c_str());
        return 1;
    }
    fs::path out = keep;
    if (out.empty()) {
        char folder[] = "/tmp/bench_print.XXXXXX";
        if (!mkdtemp(folder)) return 1;
        out = folder;
    }
    std::printf("%-12s %6s %9s %9s %9s %8s\n", "scene", "side", "seconds", "peak MiB", "s/Mpx", "vs first");
    double firstPerPixel = 0;
    int failures = 0;
    for (const int size : sizes) {
        const fs::path picture = out / (scene + "-" + std::to_string(size) + "." + format);
        std::vector<std::string> args{exe.string(), scenePath.string(),
                                      "-o",         picture.string(),
                                      "--size",     std::to_string(size) + "x" + std::to_string(size),
                                      "--dpi",      "300",
                                      "--seed",     "1",
                                      "--quiet"};
        if (!tile.empty()) args.insert(args.end(), {"--tile", tile});
        const Run run = RenderOnce(args);
        if (!run.ok) {
            std::fprintf(stderr, "%d x %d failed\n", size, size);
            ++failures;
            continue;
        }
        const double megapixels = static_cast<double>(size) * size / 1e6;
        const double perPixel = run.seconds / megapixels;
        if (firstPerPixel == 0) firstPerPixel = perPixel;
        std::printf("%-12s %6d %9.2f %9.0f %9.4f %8.2f\n", scene.c_str(), size, run.seconds, run.peakKiB / 1024.0,
                    perPixel, perPixel / firstPerPixel);
        std::fflush(stdout);
        if (keep.empty()) fs::remove(picture);
    }
    if (keep.empty()) fs::remove_all(out);
    return failures == 0 ? 0 : 1;
}
