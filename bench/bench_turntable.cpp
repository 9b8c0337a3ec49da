// Turntables of an example scene through the same code as
// "boxora-render --turntable": seconds per frame for each kind of output
// (numbered PNG stills, animated GIF, animated WebP, MP4, WebM), the whole
// run from the first frame's request to the file being written.
//
//   bench_turntable [SIZE] [--frames N] [--scene NAME]
//
// SIZE is one side of a square frame (default 800); N frames per run
// (default 12); NAME an example scene without .scn (default single-box).
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>

#include "bench/BenchSupport.h"
#include "boxora/SourceTree.h"
#include "engine/Engine.h"
#include "platform/AppPaths.h"
#include "platform/Notifier.h"
#include "project/TurntableWriter.h"

namespace fs = std::filesystem;
using namespace std::chrono_literals;

int main(int argc, char** argv) {
    int size = 800, frames = 12;
    std::string sceneName = "single-box";
    for (int i = 1; i < argc; ++i) {
        const std::string a = argv[i];
        if (a == "--frames" && i + 1 < argc)
            frames = std::atoi(argv[++i]);
        else if (a == "--scene" && i + 1 < argc)
            sceneName = argv[++i];
        else if (const int n = std::atoi(a.c_str()); n >= 1 && n <= 3000)
            size = n;
        else {
            std::fprintf(stderr, "usage: bench_turntable [SIZE] [--frames N] [--scene NAME]\n");
            return 2;
        }
    }
    if (frames < 1 || frames > boxora::kMaxTurntableFrames) return 2;
    std::error_code ec;
    if (!fs::exists(boxora::ObjectsFolder() + "Box.3ds", ec)) setenv("BOXORA_HOME", BOXORA_SOURCE_DIR, 1);
    const fs::path scene = fs::path(BOXORA_SOURCE_DIR) / "examples" / (sceneName + ".scn");
    char pattern[] = "/tmp/bench_turntable.XXXXXX";
    if (!mkdtemp(pattern)) return 1;
    const fs::path out = pattern;
    boxora::RecordingNotifier notes;
    boxora::SetNotifier(&notes);

    benchsupport::NullSink sink;
    CEngine engine;
    if (!engine.Initialize(&sink)) {
        std::fprintf(stderr, "no OpenGL context\n");
        return 1;
    }
    engine.SetPreviewSize(64, 64);
    engine.Redraw();
    engine.LoadScene(scene.string());
    if (!engine.WaitForIdle(5min) || engine.GetObjectList().empty()) {
        std::fprintf(stderr, "cannot load %s\n", scene.string().c_str());
        return 1;
    }
    std::printf("Turntables of %s, %d frames of %d x %d\n", sceneName.c_str(), frames, size, size);
    std::printf("%-14s %10s %10s %10s\n", "output", "s/frame", "total s", "KiB");
    bool ok = true;
    for (const char* name : {"spin-%03d.png", "spin.gif", "spin.webp", "spin.mp4", "spin.webm"}) {
        boxora::TurntableSettings s;
        s.output = (out / name).string();
        s.frames = frames;
        s.width = s.height = size;
        s.quality = 90;
        const auto start = benchsupport::Clock::now();
        const boxora::TurntableResult r = boxora::RenderTurntable(engine, engine.Params(), s, {});
        const double seconds = benchsupport::Since(start);
        if (r.status != boxora::TurntableResult::Status::Written) {
            std::printf("%-14s failed: %s\n", name, r.error.c_str());
            ok = false;
            continue;
        }
        std::uintmax_t bytes = 0;
        for (const auto& entry : fs::directory_iterator(out, ec)) bytes += entry.file_size(ec);
        std::printf("%-14s %10.3f %10.2f %10.0f\n", name, seconds / frames, seconds, bytes / 1024.0);
        std::fflush(stdout);
        fs::remove_all(out, ec);
        fs::create_directories(out, ec);
    }
    engine.Release();
    boxora::SetNotifier(nullptr);
    fs::remove_all(out, ec);
    return ok ? 0 : 1;
}
