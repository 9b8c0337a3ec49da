// Scenes of many boxes: the time to load a scene of N catalogue boxes (which
// includes ordering its sides front to back), the time of its render job
// (the command line's default 300 x 300, or the size given), and how soon a
// render job of the largest scene ends when the engine is released in its
// middle, as boxora-render does on Ctrl+C.
//
//   bench_many_boxes [COUNT ...] [--size N] [--stop-after SECONDS] [--same-spot]
//
// --same-spot stacks every box on one spot, whole size and unturned (the
// worst case of side ordering: every side overlaps every other; 1000 such
// boxes at 100 x 100 should load and render within seconds).
// COUNT defaults to 10 60 100 1000. The boxes stand on a square grid,
// scaled down so that the grid fills the view of one box; each file brings
// its own seven materials until the 256 material slots run out, so large
// scenes have one side per material and one per box beyond.
#include <unistd.h>

#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstdlib>
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
#include "platform/ProfileFile.h"
#include "platform/TextUtil.h"
#include "render/FrameSink.h"

namespace {

namespace fs = std::filesystem;
using benchsupport::Clock;
using benchsupport::NullSink;
using benchsupport::Since;
using namespace std::chrono_literals;

std::string WriteGridScene(const fs::path& folder, int count, bool sameSpot) {
    const int side = sameSpot ? 1 : static_cast<int>(std::ceil(std::sqrt(static_cast<double>(count))));
    const double scale = 1.0 / side;
    boxora::ProfileDocument doc;
    doc.SetEncoding(boxora::ProfileEncoding::Utf16LeBom);
    for (int i = 0; i < count; ++i) {
        const std::string section = "OBJECT_" + std::to_string(i);
        const double x = sameSpot ? 0 : (i % side - (side - 1) / 2.0) * 150 * scale;
        const double z = sameSpot ? 0 : (i / side - (side - 1) / 2.0) * 150 * scale;
        doc.SetString(section, "Object_Name", "Box");
        doc.SetString(section, "Translate_X", boxora::FormatFloat6(x));
        doc.SetString(section, "Translate_Y", boxora::FormatFloat6(70 * scale));
        doc.SetString(section, "Translate_Z", boxora::FormatFloat6(z));
        doc.SetString(section, "Rotate_Y", boxora::FormatFloat6(sameSpot ? 0 : (i * 37) % 360));
        for (const char* key : {"Scale_X", "Scale_Y", "Scale_Z"})
            doc.SetString(section, key, boxora::FormatFloat6(scale));
    }
    doc.SetString("CAMERA", "Camera_Horizontal_Rotation", "330");
    doc.SetString("CAMERA", "Camera_Vertical_Rotation", "18");
    doc.SetString("CAMERA", "Camera_Target_Vertical", "20");
    doc.SetString("CAMERA", "Camera_Zoom", "72");
    doc.SetString("CAMERA", "Camera_Perspective", "20");
    doc.SetString("REFLECTION", "Reflection_Length", "20");
    doc.SetString("REFLECTION", "Reflection_Opacity", "20");
    doc.SetString("REFLECTION", "Background_Color", "16777215");
    const std::string path = (folder / ("boxes-" + std::to_string(count) + ".scn")).string();
    doc.Save(path);
    return path;
}

bool Start(CEngine& engine, NullSink& sink) {
    if (!engine.Initialize(&sink)) return false;
    engine.SetPreviewSize(64, 64);
    engine.Redraw();
    return true;
}

}  // namespace

int main(int argc, char** argv) {
    std::vector<int> counts;
    int size = 300;
    double stopAfter = 1.0;
    bool sameSpot = false;
    for (int i = 1; i < argc; ++i) {
        const std::string a = argv[i];
        if (a == "--size" && i + 1 < argc) {
            size = std::atoi(argv[++i]);
        } else if (a == "--stop-after" && i + 1 < argc) {
            stopAfter = std::atof(argv[++i]);
        } else if (a == "--same-spot") {
            sameSpot = true;
        } else if (const int n = std::atoi(a.c_str()); n >= 1 && n <= kMaxObjects) {
            counts.push_back(n);
        } else {
            std::fprintf(stderr,
                         "usage: bench_many_boxes [COUNT ...] [--size N] [--stop-after SECONDS] [--same-spot]\n");
            return 2;
        }
    }
    if (counts.empty()) counts = {10, 60, 100, 1000};
    if (size < 1 || size > 3000) size = 300;

    std::error_code ec;
    if (!fs::exists(boxora::ObjectsFolder() + "Box.3ds", ec)) setenv("BOXORA_HOME", BOXORA_SOURCE_DIR, 1);
    char pattern[] = "/tmp/bench_many_boxes.XXXXXX";
    if (!mkdtemp(pattern)) return 1;
    const fs::path folder = pattern;
    boxora::RecordingNotifier notes;
    boxora::SetNotifier(&notes);

    std::printf("Scenes of N boxes, render job %d x %d (%u hardware threads); seconds and MiB\n", size, size,
                std::thread::hardware_concurrency());
    std::printf("%6s %6s %8s %8s %8s %8s\n", "boxes", "sides", "load", "render", "total", "peak");
    bool ok = true;
    std::string largest;
    for (const int count : counts) {
        const std::string scene = WriteGridScene(folder, count, sameSpot);
        largest = scene;
        CEngine engine;
        NullSink sink;
        if (!Start(engine, sink)) {
            std::fprintf(stderr, "no OpenGL context\n");
            return 1;
        }
        benchmemory::ResetPeakRss();
        const auto loadStart = Clock::now();
        engine.LoadScene(scene);
        if (!engine.WaitForIdle(60min)) ok = false;
        const double load = Since(loadStart);
        RenderJob job;
        job.fileName = (folder / ("boxes-" + std::to_string(count) + ".png")).string();
        job.width = job.height = size;
        job.format = FORMAT_PNG;
        const auto renderStart = Clock::now();
        engine.RenderToFile(job);
        if (!engine.WaitForIdle(60min)) ok = false;
        const double render = Since(renderStart);
        std::size_t sides = 0;
        {
            std::lock_guard lock(engine.Lock());
            sides = engine.Sides().Sides().size();
        }
        std::printf("%6d %6zu %8.2f %8.2f %8.2f %8.0f\n", count, sides, load, render, load + render,
                    benchmemory::PeakRssKiB() / 1024.0);
        std::fflush(stdout);
        if (!fs::exists(job.fileName)) {
            std::fprintf(stderr, "  no picture was written\n");
            ok = false;
        }
        engine.Release();
    }

    // Given up in the middle: the time from the release to the engine's end.
    if (!largest.empty()) {
        CEngine engine;
        NullSink sink;
        if (Start(engine, sink)) {
            engine.LoadScene(largest);
            engine.WaitForIdle(60min);
            RenderJob job;
            job.fileName = (folder / "stopped.png").string();
            job.width = job.height = std::max(size, 1500);
            job.format = FORMAT_PNG;
            engine.RenderToFile(job);
            std::this_thread::sleep_for(std::chrono::duration<double>(stopAfter));
            const auto stopStart = Clock::now();
            engine.Release();
            std::printf("render job of %d x %d released after %.1f s: ended in %.3f s%s\n", job.width, job.height,
                        stopAfter, Since(stopStart),
                        fs::exists(job.fileName) ? " (the picture was already written)" : "");
        }
    }
    fs::remove_all(folder, ec);
    boxora::SetNotifier(nullptr);
    return ok ? 0 : 1;
}
