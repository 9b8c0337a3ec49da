// A variant batch as boxora-render runs it: 100 rows of a one-box scene
// (the single-box example) at 1000 x 1000 PNG, each row a different front
// image (three colours in turn, so every row changes the face). Prints the
// pictures a minute and the peak resident memory of the boxora-render
// process (its own figure, read when it has ended).
//
//   bench_variants [ROWS [SIDE]]   (default 100 1000)
//
// Runs the boxora-render of this build (and its catalogue beside it).
#include <spawn.h>
#include <sys/resource.h>
#include <sys/wait.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "boxora/SourceTree.h"
#include "image/ImageCodec.h"

extern char** environ;

namespace fs = std::filesystem;

int main(int argc, char** argv) {
    const int rows = argc > 1 ? std::atoi(argv[1]) : 100;
    const int side = argc > 2 ? std::atoi(argv[2]) : 1000;
    if (rows < 1 || side < 1 || side > 3000) {
        std::fprintf(stderr, "usage: bench_variants [ROWS [SIDE]]\n");
        return 2;
    }
    const fs::path exe = fs::path(BOXORA_APP_DIR) / "boxora-render";
    const fs::path scene = fs::path(BOXORA_SOURCE_DIR) / "examples" / "single-box.scn";
    const fs::path work = fs::temp_directory_path() / ("bench_variants-" + std::to_string(getpid()));
    fs::create_directories(work);

    // Cover art the size a shop would use.
    const char* names[] = {"red.png", "green.png", "blue.png"};
    for (int k = 0; k < 3; ++k) {
        const int w = 600, h = 800;
        std::vector<uint8_t> bgr(static_cast<std::size_t>(w) * h * 3);
        for (std::size_t i = 0; i < bgr.size(); i += 3) {
            bgr[i + static_cast<std::size_t>(2 - k)] = 220;
            bgr[i + static_cast<std::size_t>((3 - k) % 3)] = static_cast<uint8_t>((i / 3) % 251);
        }
        ImageCodec image;
        if (!image.CreateFromArray(bgr.data(), w, h, 24, w * 3, false) ||
            !image.Save((work / names[k]).string(), FORMAT_PNG)) {
            std::fprintf(stderr, "bench_variants: cannot write the cover images\n");
            return 1;
        }
    }
    {
        std::ofstream table(work / "table.csv");
        table << "output,Front\n";
        for (int r = 1; r <= rows; ++r) table << "v" << r << ".png," << names[r % 3] << "\n";
    }

    const std::string size = std::to_string(side) + "x" + std::to_string(side);
    std::vector<std::string> args = {exe.string(), scene.string(),
                                     "--variants", (work / "table.csv").string(),
                                     "-o",         (work / "out").string(),
                                     "--size",     size,
                                     "--seed",     "1",
                                     "--quiet"};
    std::vector<char*> argvChild;
    for (std::string& a : args) argvChild.push_back(a.data());
    argvChild.push_back(nullptr);
    const auto start = std::chrono::steady_clock::now();
    pid_t pid = 0;
    if (posix_spawn(&pid, exe.c_str(), nullptr, nullptr, argvChild.data(), environ) != 0) {
        std::fprintf(stderr, "bench_variants: cannot start %s\n", exe.c_str());
        return 1;
    }
    int status = 0;
    struct rusage usage {};
    wait4(pid, &status, 0, &usage);
    const double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    std::size_t written = 0;
    for (const auto& entry : fs::directory_iterator(work / "out")) written += entry.is_regular_file();
    fs::remove_all(work);
    if (!WIFEXITED(status) || WEXITSTATUS(status) != 0 || written != static_cast<std::size_t>(rows)) {
        std::fprintf(stderr, "bench_variants: the run failed (%zu of %d pictures)\n", written, rows);
        return 1;
    }
    std::printf("variants: %d pictures %dx%d in %.1f s = %.0f pictures/min, peak memory %.0f MiB, CPU %.1f s\n", rows,
                side, side, seconds, rows * 60.0 / seconds, usage.ru_maxrss / 1024.0,
                static_cast<double>(usage.ru_utime.tv_sec + usage.ru_stime.tv_sec) +
                    (usage.ru_utime.tv_usec + usage.ru_stime.tv_usec) / 1e6);
    return 0;
}
