#include "TurntableCommand.h"

#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <csignal>
#include <cstdio>
#include <filesystem>

#include "CliNotifier.h"
#include "RenderCommand.h"
#include "engine/Engine.h"
#include "engine/SceneFile.h"
#include "engine/SceneFileCheck.h"
#include "platform/TextUtil.h"
#include "project/TurntableWriter.h"
#include "render/FrameSink.h"

namespace {

std::atomic<bool> g_stop{false};
extern "C" void OnTurntableInterrupt(int) { g_stop = true; }

class DiscardFrames : public IFrameSink {
public:
    void OnPreviewFrame(const uint8_t*, int, int) override {}
};

std::string Shown(const std::string& name) { return boxora::EscapeForTerminal(name); }

bool WaitUntilIdle(CEngine& engine) {
    while (!engine.WaitForIdle(std::chrono::milliseconds(100)))
        if (g_stop) return false;
    return true;
}

// The scene with every model and image it names; false (reported) when
// something is missing, unless allowMissing.
bool LoadScene(CEngine& engine, const RenderOptions& options, const std::string& scene,
               int& status) {
    status = 1;
    if (!IsReadableSceneFile(scene)) {
        std::fprintf(stderr, "boxora-render: Could not open file: %s\n", Shown(scene).c_str());
        return false;
    }
    const SceneFileData data = ReadSceneFile(scene);
    status = LoadSceneToRender(engine, options, scene, data.objects.size(), [&engine] { return WaitUntilIdle(engine); });
    return status == 0;
}

}  // namespace

int RunTurntableCommand(const RenderOptions& render, const TurntableOptions& turntable) {
    const RenderTarget& target = render.targets.front();
    const bool progress = render.progress.value_or(isatty(STDERR_FILENO) != 0);
    CliNotifier notes(progress);
    boxora::SetNotifier(&notes);
    struct sigaction action {};
    action.sa_handler = OnTurntableInterrupt;
    sigemptyset(&action.sa_mask);
    struct sigaction oldInt {}, oldTerm {};
    sigaction(SIGINT, &action, &oldInt);
    sigaction(SIGTERM, &action, &oldTerm);

    int status = 1;
    {
        DiscardFrames frames;
        CEngine engine;
        if (!engine.Initialize(&frames)) {
            std::fprintf(stderr, "boxora-render: no OpenGL context could be made\n");
        } else {
            engine.SetPreviewSize(64, 64);
            engine.Redraw();
            if (LoadScene(engine, render, target.scene, status)) {
                if (render.transparent) engine.Params().backgroundTransparent = true;
                boxora::TurntableSettings s;
                s.output = target.output;
                s.frames = turntable.frames;
                s.width = render.width;
                s.height = render.height;
                s.fps = turntable.fps;
                s.vertical = turntable.vertical;
                s.transparent = engine.Params().backgroundTransparent;
                s.quality = render.jpegQuality;
                s.lossless = render.webpLossless != 0;
                if (render.seed) s.seed = static_cast<uint32_t>(*render.seed);
                s.stillFormat = render.format.value_or(
                    ExportFormatFromFileName(boxora::NumberedName(target.output, 0)).value_or(FORMAT_PNG));
                s.pngInterlace = render.pngInterlace;
                s.jpegOptions = render.jpegOptions;
                s.gifCompression = render.gifCompression;
                s.tiffCompression = render.tiffCompression;
                engine.Params().outputFormat = s.stillFormat;
                const std::string label = std::filesystem::path(target.output).filename().string();
                boxora::TurntableCallbacks callbacks;
                callbacks.cancelled = [] { return g_stop.load(); };
                callbacks.progress = [&](int done, int total) {
                    notes.SetLabel(label + " " + std::to_string(std::min(done + 1, total)) + "/" +
                                   std::to_string(total));
                };
                callbacks.progress(0, s.frames);
                const boxora::TurntableResult result = boxora::RenderTurntable(engine, engine.Params(), s, callbacks);
                notes.EndBar();
                if (result.status == boxora::TurntableResult::Status::Written) {
                    status = 0;
                    if (progress)
                        std::fprintf(stderr, "boxora-render: wrote %s (%d frames, %d x %d)\n",
                                     Shown(target.output).c_str(), s.frames, s.width, s.height);
                } else if (result.status == boxora::TurntableResult::Status::Cancelled) {
                    status = 130;
                } else {
                    std::fprintf(stderr, "boxora-render: %s: %s; nothing written\n", Shown(target.output).c_str(),
                                 Shown(result.error).c_str());
                }
            }
        }
        // Leaving the block releases the engine; a frame still rendering
        // (interrupted) is given up.
    }
    notes.EndBar();
    boxora::SetNotifier(nullptr);
    sigaction(SIGINT, &oldInt, nullptr);
    sigaction(SIGTERM, &oldTerm, nullptr);
    if (status == 130) std::fprintf(stderr, "boxora-render: interrupted\n");
    return status;
}
