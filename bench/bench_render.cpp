// Render jobs of the example scenes (examples/*.scn) at 300 x 300,
// 1500 x 1500 and 3000 x 3000 as PNG, drawn by the engine's render thread
// exactly as "Render and Save" draws them: wall time of the whole job (from
// the request to the engine being idle again), where the renderer spent it
// (shadow pre-pass, the eight antialiasing passes, read-back, encoding and
// writing) and the peak resident memory of the process during the job
// (VmHWM, restarted before each job) beside the resident size before it.
//
//   bench_render [SIZE ...] [--scene NAME] [--out FOLDER] [--seed N] [--reference]
//
// SIZE is one side of a square picture (default 300 1500 3000); --scene
// limits the run to one example (file name without .scn); --out keeps the
// pictures in FOLDER (default: a temporary folder, removed afterwards);
// --seed seeds the shadow's random jitter (default 1); --reference uses the
// plain shadow pre-pass (whole frame, full resolution, the frame read back
// for every antialiasing sample) for comparison.
// The catalogue is read from data/ below the program folder ($BOXORA_HOME),
// or from the source tree when that has none.
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <string>
#include <thread>
#include <vector>

#include "bench/BenchSupport.h"
#include "bench/MemoryUse.h"
#include "boxora/SourceTree.h"
#include "engine/Engine.h"
#include "image/ImageFormat.h"
#include "platform/AppPaths.h"
#include "platform/Notifier.h"
#include "render/FrameSink.h"
#include "render/GlFrameRenderer.h"
#include "render/ShadowManager.h"

namespace {

namespace fs = std::filesystem;
using benchsupport::Clock;
using benchsupport::NullSink;
using benchsupport::Since;
using namespace std::chrono_literals;

struct Options {
    std::vector<int> sizes;
    std::string scene;
    std::string out;
    unsigned seed = 1;
    bool reference = false;
};

bool RenderScene(const fs::path& scene, const Options& options, const fs::path& out) {
    CEngine engine;
    NullSink sink;
    if (!engine.Initialize(&sink)) {
        std::fprintf(stderr, "no OpenGL context\n");
        return false;
    }
    engine.SetPreviewSize(320, 240);
    engine.Redraw();
    engine.LoadScene(scene.string());
    if (!engine.WaitForIdle(5min) || engine.GetObjectList().empty()) {
        std::fprintf(stderr, "cannot load %s\n", scene.string().c_str());
        engine.Release();
        return false;
    }
    auto* renderer = dynamic_cast<GlFrameRenderer*>(&engine.Renderer());
    if (renderer) renderer->Shadow().SetReferencePrepass(options.reference);
    for (int size : options.sizes) {
        RenderJob job;
        job.fileName = (out / (scene.stem().string() + "-" + std::to_string(size) + ".png")).string();
        job.width = size;
        job.height = size;
        job.format = FORMAT_PNG;
        job.seed = options.seed;
        const long before = benchmemory::CurrentRssKiB();
        benchmemory::ResetPeakRss();
        const auto start = Clock::now();
        engine.TakeRenderResults();
        engine.RenderToFile(job);
        if (!engine.WaitForIdle(30min)) {
            std::fprintf(stderr, "the render job did not end\n");
            engine.Release();
            return false;
        }
        const double wall = Since(start);
        const long peak = benchmemory::PeakRssKiB();
        GlFrameRenderer::JobTimes t;
        if (renderer) t = renderer->LastJobTimes();
        // Saving: handing the rows to the output step while drawing, and
        // its encoding and writing after the last row.
        for (const RenderJobResult& r : engine.TakeRenderResults()) t.save += r.outputMs;
        const double passes = t.frame - t.shadow;
        std::printf("%-20s %5d %8.2f %8.2f %8.2f %7.2f %7.2f %8.0f %8.0f\n", scene.stem().string().c_str(), size, wall,
                    t.shadow / 1000.0, passes / 1000.0, t.read / 1000.0, t.save / 1000.0, peak / 1024.0,
                    before / 1024.0);
        std::fflush(stdout);
        if (!fs::exists(job.fileName)) std::fprintf(stderr, "  no picture was written\n");
    }
    engine.Release();
    return true;
}

}  // namespace

int main(int argc, char** argv) {
    Options options;
    for (int i = 1; i < argc; ++i) {
        const std::string a = argv[i];
        if (a == "--scene" && i + 1 < argc) {
            options.scene = argv[++i];
        } else if (a == "--out" && i + 1 < argc) {
            options.out = argv[++i];
        } else if (a == "--seed" && i + 1 < argc) {
            options.seed = static_cast<unsigned>(std::strtoul(argv[++i], nullptr, 10));
        } else if (a == "--reference") {
            options.reference = true;
        } else if (const int size = std::atoi(a.c_str()); size >= 1 && size <= 3000) {
            options.sizes.push_back(size);
        } else {
            std::fprintf(stderr,
                         "usage: bench_render [SIZE ...] [--scene NAME] [--out FOLDER] [--seed N] [--reference]\n");
            return 2;
        }
    }
    if (options.sizes.empty()) options.sizes = {300, 1500, 3000};

    std::error_code ec;
    if (!fs::exists(boxora::ObjectsFolder() + "Box.3ds", ec)) setenv("BOXORA_HOME", BOXORA_SOURCE_DIR, 1);
    const fs::path examples = fs::path(BOXORA_SOURCE_DIR) / "examples";
    std::vector<fs::path> scenes;
    for (const auto& entry : fs::directory_iterator(examples, ec))
        if (entry.path().extension() == ".scn" && (options.scene.empty() || entry.path().stem() == options.scene))
            scenes.push_back(entry.path());
    std::sort(scenes.begin(), scenes.end());
    if (scenes.empty()) {
        std::fprintf(stderr, "no example scene in %s\n", examples.string().c_str());
        return 1;
    }

    fs::path out = options.out;
    const bool temporary = out.empty();
    if (temporary) {
        char pattern[] = "/tmp/bench_render.XXXXXX";
        if (!mkdtemp(pattern)) return 1;
        out = pattern;
    }
    fs::create_directories(out, ec);
    boxora::RecordingNotifier notes;  // keeps message boxes off the terminal
    boxora::SetNotifier(&notes);

    std::printf("Render jobs of the example scenes as PNG (%u hardware threads); seconds and MiB\n",
                std::thread::hardware_concurrency());
    std::printf("%-20s %5s %8s %8s %8s %7s %7s %8s %8s\n", "scene", "size", "wall", "shadow", "passes", "read", "save",
                "peak", "before");
    bool ok = true;
    for (const fs::path& scene : scenes) ok = RenderScene(scene, options, out) && ok;
    for (const auto& m : notes.Messages()) std::fprintf(stderr, "message: %s\n", m.text.c_str());
    boxora::SetNotifier(nullptr);
    if (temporary) fs::remove_all(out, ec);
    return ok ? 0 : 1;
}
