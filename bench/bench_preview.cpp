// Live preview speed: quick frames (drawn while settings change) and full
// frames (drawn once they stop) of the default scene with the catalogue's
// Box model, at 800 x 600 and 1920 x 1080, drawn by the engine's scene
// thread exactly as the preview window gets them.
//
//   quick  a burst of camera changes (one every 2 ms, as a mouse drag
//          gives them) for the given time; frames shown per second
//   full   one change, then idle: time from the quick frame's hand-over to
//          the full frame's (side order, mirrors, sides, floor reflection,
//          shadow, transparency, markers), as frames per second
//
//   bench_preview [seconds]      (default 3 per measurement)
//
// The Box model and its artwork are read from data/ below the program
// folder ($BOXORA_HOME), or from the source tree when that has none.
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "boxora/SourceTree.h"
#include "engine/Engine.h"
#include "platform/AppPaths.h"
#include "render/FrameSink.h"

namespace {

using Clock = std::chrono::steady_clock;
using namespace std::chrono_literals;

class TimingSink : public IFrameSink {
public:
    explicit TimingSink(const SceneParams& params) : params_(params) {}
    void OnPreviewFrame(const uint8_t*, int, int) override {
        std::lock_guard lock(mutex_);
        frames_.push_back({params_.RenderMode, Clock::now()});
    }
    struct Shown {
        int mode;
        Clock::time_point at;
    };
    std::vector<Shown> Frames() {
        std::lock_guard lock(mutex_);
        return frames_;
    }
    void Clear() {
        std::lock_guard lock(mutex_);
        frames_.clear();
    }

private:
    const SceneParams& params_;
    std::mutex mutex_;
    std::vector<Shown> frames_;
};

double Seconds(Clock::duration d) { return std::chrono::duration<double>(d).count(); }

struct Result {
    double quickFps = 0;
    double fullMs = 0;
};

bool Measure(int width, int height, double seconds, Result& result) {
    CEngine engine;
    TimingSink sink(engine.Params());
    if (!engine.Initialize(&sink)) {
        std::fprintf(stderr, "no OpenGL context\n");
        return false;
    }
    engine.SetPreviewSize(width, height);
    engine.Redraw();
    engine.AddObject(boxora::ObjectsFolder() + "Box.3ds");
    engine.Redraw();
    if (!engine.WaitForIdle(2min) || engine.Models().Model().ObjectCount() != 1) {
        std::fprintf(stderr, "cannot load %sBox.3ds\n", boxora::ObjectsFolder().c_str());
        engine.Release();
        return false;
    }

    // Quick frames during a burst of changes.
    sink.Clear();
    float angle = 0;
    const auto start = Clock::now();
    while (Seconds(Clock::now() - start) < seconds) {
        angle = angle >= 359 ? 0 : angle + 0.5f;
        engine.SetCameraHorizontalRotation(angle);
        std::this_thread::sleep_for(2ms);
    }
    const double elapsed = Seconds(Clock::now() - start);
    int quick = 0;
    for (const auto& f : sink.Frames()) quick += f.mode == 0 ? 1 : 0;
    result.quickFps = quick / elapsed;
    engine.WaitForIdle(2min);

    // Full frames: the time from the quick frame to the full one.
    std::vector<double> full;
    const auto fullStart = Clock::now();
    while (Seconds(Clock::now() - fullStart) < seconds || full.size() < 3) {
        sink.Clear();
        angle += 7;
        engine.SetCameraHorizontalRotation(angle);
        engine.WaitForIdle(2min);
        const auto frames = sink.Frames();
        for (std::size_t i = 1; i < frames.size(); ++i)
            if (frames[i].mode == 1 && frames[i - 1].mode == 0)
                full.push_back(Seconds(frames[i].at - frames[i - 1].at) * 1000.0);
        if (full.size() > 200) break;
    }
    std::sort(full.begin(), full.end());
    result.fullMs = full.empty() ? 0 : full[full.size() / 2];
    engine.Release();
    return true;
}

}  // namespace

int main(int argc, char** argv) {
    std::error_code ec;
    if (!std::filesystem::exists(boxora::ObjectsFolder() + "Box.3ds", ec)) setenv("BOXORA_HOME", BOXORA_SOURCE_DIR, 1);
    const double seconds = argc > 1 ? std::max(0.5, std::atof(argv[1])) : 3.0;
    std::printf("Live preview of the default one-box scene (%u hardware threads)\n",
                std::thread::hardware_concurrency());
    std::printf("%-12s %14s %14s %12s\n", "size", "quick fps", "full ms", "full fps");
    const int sizes[2][2] = {{800, 600}, {1920, 1080}};
    for (const auto& size : sizes) {
        Result r;
        if (!Measure(size[0], size[1], seconds, r)) return 1;
        std::printf("%-12s %14.1f %14.1f %12.1f\n", (std::to_string(size[0]) + "x" + std::to_string(size[1])).c_str(),
                    r.quickFps, r.fullMs, r.fullMs > 0 ? 1000.0 / r.fullMs : 0.0);
    }
    return 0;
}
