#include "RenderCommand.h"

#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <functional>
#include <memory>
#include <mutex>
#include <thread>

#include "CliNotifier.h"
#include "engine/Engine.h"
#include "engine/FitToImages.h"
#include "engine/SceneFile.h"
#include "engine/SceneFileCheck.h"
#include "image/ImageFormat.h"
#include "platform/RegularFile.h"
#include "platform/TextUtil.h"
#include "render/FrameSink.h"

namespace fs = std::filesystem;

namespace {

struct ExportFormat {
    const char* name;
    int format;
    const char* extensions[2];  // the usual one first
};

const ExportFormat kExportFormats[] = {
    {"png", FORMAT_PNG, {".png", nullptr}},   {"jpg", FORMAT_JPG, {".jpg", ".jpeg"}},
    {"gif", FORMAT_GIF, {".gif", nullptr}},   {"tiff", FORMAT_TIF, {".tiff", ".tif"}},
    {"bmp", FORMAT_BMP, {".bmp", nullptr}},   {"tga", FORMAT_TGA, {".tga", nullptr}},
    {"jp2", FORMAT_JP2, {".jp2", nullptr}},   {"jpc", FORMAT_JPC, {".jpc", ".j2k"}},
    {"ras", FORMAT_RAS, {".ras", nullptr}},   {"pnm", FORMAT_PNM, {".pnm", ".ppm"}},
    {"webp", FORMAT_WEBP, {".webp", nullptr}},
};

std::atomic<bool> g_interrupted{false};

// A name as it may appear on the terminal.
const char* Shown(const std::string& name) {
    static thread_local std::string shown;
    shown = boxora::EscapeForTerminal(name);
    return shown.c_str();
}

extern "C" void OnInterrupt(int) { g_interrupted = true; }

// The preview the engine's scene thread draws meanwhile: small, and thrown
// away.
class DiscardFrames : public IFrameSink {
public:
    void OnPreviewFrame(const uint8_t*, int, int) override {}
};

// One scene to render into one file.
struct Job {
    std::string scene;
    std::string output;
    int format = FORMAT_PNG;
};

bool IsSceneFile(const fs::path& path) {
    return boxora::EqualsIgnoreCase(path.extension().string(), ".scn");
}

// Turns the targets into jobs (a folder of scenes gives one job per scene
// file, in name order); a folder that cannot be listed or holds no scene is
// reported and counted as failed.
std::vector<Job> ExpandTargets(const RenderOptions& options, int& failures) {
    std::vector<Job> jobs;
    for (const RenderTarget& target : options.targets) {
        std::error_code ec;
        if (!fs::is_directory(target.scene, ec)) {
            Job job{target.scene, target.output, FORMAT_PNG};
            job.format = options.format ? *options.format : ExportFormatFromFileName(target.output).value_or(FORMAT_PNG);
            jobs.push_back(job);
            continue;
        }
        std::vector<fs::path> scenes;
        for (fs::directory_iterator it(target.scene, ec), end; !ec && it != end; it.increment(ec))
            if (IsSceneFile(it->path()) && fs::is_regular_file(it->path(), ec)) scenes.push_back(it->path());
        std::sort(scenes.begin(), scenes.end());
        if (scenes.empty()) {
            std::fprintf(stderr, "boxora-render: no scene file (.scn) in %s\n", Shown(target.scene));
            ++failures;
            continue;
        }
        fs::create_directories(target.output, ec);
        if (!fs::is_directory(target.output, ec)) {
            std::fprintf(stderr, "boxora-render: cannot make the output folder %s\n", Shown(target.output));
            failures += static_cast<int>(scenes.size());
            continue;
        }
        const int format = options.format.value_or(FORMAT_PNG);
        for (const fs::path& scene : scenes)
            jobs.push_back({scene.string(),
                            (fs::path(target.output) / (scene.stem().string() + ExportExtension(format))).string(),
                            format});
    }
    return jobs;
}

// How long the engine may take to wind down after Ctrl+C before the
// process leaves without it (a worker stuck in a library call must not keep
// the command from ending).
constexpr auto kInterruptGrace = std::chrono::seconds(2);

// Ends the process with status 130 unless it has ended by then. The render
// job's picture is written under a temporary name and only then renamed, so
// leaving early writes nothing.
void LeaveIfStuck() {
    static std::once_flag once;
    std::call_once(once, [] {
        std::thread([] {
            std::this_thread::sleep_for(kInterruptGrace);
            std::fputs("boxora-render: interrupted\n", stderr);
            std::_Exit(130);
        }).detach();
    });
}

// Waits for the engine to finish its work; false when interrupted.
bool WaitUntilIdle(CEngine& engine) {
    while (!engine.WaitForIdle(std::chrono::milliseconds(100)))
        if (g_interrupted) break;
    if (!g_interrupted) return true;
    LeaveIfStuck();
    return false;
}

class Renderer {
public:
    Renderer(const RenderOptions& options, CliNotifier& notes) : options_(options), notes_(notes) {}
    ~Renderer() {
        if (engine_) engine_->Release();
    }

    // 0 written, 1 failed, 130 interrupted.
    int Render(const Job& job) {
        std::error_code ec;
        if (!IsReadableSceneFile(job.scene)) {
            std::fprintf(stderr, "boxora-render: Could not open file: %s\n", Shown(job.scene));
            return 1;
        }
        const SceneFileData data = ReadSceneFile(job.scene);
        if (!StartEngine()) return 1;

        // The scene, with every model it names. A scene file may leave out
        // sections; those keep the values a new engine starts with, not the
        // ones of the scene rendered before, so that every picture of a run
        // is the one the scene gives on its own.
        if (const int status = LoadSceneToRender(*engine_, options_, job.scene, data.objects.size(),
                                                 [this] { return WaitUntilIdle(*engine_); });
            status != 0)
            return status;

        // The picture.
        SceneParams& params = engine_->Params();
        if (options_.transparent) params.backgroundTransparent = true;
        params.outputFormat = job.format;
        // "-" is standard output; the picture is streamed there like to any
        // pipe or terminal named with -o.
        const RenderJob request =
            MakeRenderJob(options_, job.output == "-" ? std::string("/dev/stdout") : job.output, job.format,
                          options_.width, options_.height);
        notes_.SetLabel(fs::path(job.scene).filename().string());
        engine_->TakeRenderResults();
        const auto start = std::chrono::steady_clock::now();
        engine_->RenderToFile(request);
        if (!WaitUntilIdle(*engine_)) return 130;
        notes_.EndBar();
        // The job's messages were raised (and printed) as it ended; its
        // outcome says whether the picture was written.
        const std::vector<RenderJobResult> results = engine_->TakeRenderResults();
        const bool failed = results.empty() || results.back().outcome.failed;
        if (failed || (job.output != "-" && !fs::exists(job.output, ec))) {
            if (results.empty() || results.back().outcome.messages.empty())
                std::fprintf(stderr, "boxora-render: %s was not written\n", Shown(job.output));
            return 1;
        }
        if (options_.progress.value_or(false) || ShowProgressByDefault()) {
            const double seconds =
                std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
            std::fprintf(stderr, "boxora-render: wrote %s (%d x %d) in %.1f s\n", Shown(job.output), options_.width,
                         options_.height, seconds);
        }
        return 0;
    }

    static bool ShowProgressByDefault() { return isatty(STDERR_FILENO) != 0; }

private:
    bool StartEngine() {
        if (engine_) return true;
        engine_ = std::make_unique<CEngine>();
        if (!engine_->Initialize(&frames_)) {
            std::fprintf(stderr, "boxora-render: no OpenGL context could be made\n");
            engine_.reset();
            return false;
        }
        engine_->SetPreviewSize(64, 64);
        engine_->Redraw();  // starts the worker threads
        return true;
    }

    const RenderOptions& options_;
    CliNotifier& notes_;
    DiscardFrames frames_;
    std::unique_ptr<CEngine> engine_;
};

}  // namespace

std::optional<int> ExportFormatFromName(const std::string& name) {
    for (const ExportFormat& f : kExportFormats)
        if (boxora::EqualsIgnoreCase(name, f.name) || boxora::EqualsIgnoreCase("." + name, f.extensions[0]) ||
            (f.extensions[1] && boxora::EqualsIgnoreCase("." + name, f.extensions[1])))
            return f.format;
    return std::nullopt;
}

std::optional<int> ExportFormatFromFileName(const std::string& fileName) {
    const std::string extension = fs::path(fileName).extension().string();
    if (extension.size() < 2) return std::nullopt;
    for (const ExportFormat& f : kExportFormats)
        for (const char* e : f.extensions)
            if (e && boxora::EqualsIgnoreCase(extension, e)) return f.format;
    return std::nullopt;
}

std::string ExportExtension(int format) {
    for (const ExportFormat& f : kExportFormats)
        if (f.format == format) return f.extensions[0];
    return ".png";
}

int LoadSceneToRender(CEngine& engine, const RenderOptions& options, const std::string& scene,
                      std::size_t expectedObjects, const std::function<bool()>& waitUntilIdle) {
    // A scene file may leave out sections; those keep the values a new
    // engine starts with, not the ones of the scene rendered before, so that
    // every picture of a run is the one the scene gives on its own.
    engine.ResetSceneSettings();
    engine.LoadScene(scene);
    if (!waitUntilIdle()) return 130;
    if (options.fitImages) {
        boxora::FitEveryObjectToImages(engine);
        if (!waitUntilIdle()) return 130;
    }
    const std::size_t loaded = engine.GetObjectList().size();
    if (loaded < expectedObjects) {
        std::fprintf(stderr, "boxora-render: %s: %zu of its %zu models could not be loaded; nothing written\n",
                     Shown(scene), expectedObjects - loaded, expectedObjects);
        return 1;
    }
    // Images that are missing or cannot be decoded have been named on
    // standard error; a picture with blank faces is no success.
    const std::size_t imageErrors = engine.TakeSceneLoadOutcome().ErrorCount();
    if (imageErrors > 0 && !options.allowMissing) {
        std::fprintf(stderr,
                     "boxora-render: %s: %zu image problem(s); nothing written (--allow-missing renders it "
                     "anyway)\n",
                     Shown(scene), imageErrors);
        return 1;
    }
    return 0;
}

RenderJob MakeRenderJob(const RenderOptions& options, const std::string& fileName, int format, int width,
                        int height) {
    RenderJob request;
    request.fileName = fileName;
    request.width = width;
    request.height = height;
    request.format = format;
    request.pngInterlace = options.pngInterlace;
    request.jpegQuality = options.jpegQuality;
    request.jpegOptions = options.jpegOptions;
    request.gifCompression = options.gifCompression;
    request.tiffCompression = options.tiffCompression;
    if (options.seed) request.seed = static_cast<uint32_t>(*options.seed);
    request.gifTransparency = options.gifTransparent;
    request.tileSize = options.tileSize;
    request.dpi = options.dpi;
    request.webpLossless = options.webpLossless;
    request.imagesRequired = !options.allowMissing;
    request.outputProfile = options.outputProfile;
    request.cmykProfile = options.cmykProfile;
    request.colourIntent = options.colourIntent;
    request.blackPointCompensation = options.blackPointCompensation;
    return request;
}

int RunRenderCommand(const RenderOptions& options) {
    const bool progress = options.progress.value_or(Renderer::ShowProgressByDefault());
    CliNotifier notes(progress);
    boxora::SetNotifier(&notes);
    struct sigaction action {};
    action.sa_handler = OnInterrupt;
    sigemptyset(&action.sa_mask);
    struct sigaction oldInt {}, oldTerm {};
    sigaction(SIGINT, &action, &oldInt);
    sigaction(SIGTERM, &action, &oldTerm);

    int failures = 0;
    bool interrupted = false;
    {
        const std::vector<Job> jobs = ExpandTargets(options, failures);
        Renderer renderer(options, notes);
        for (const Job& job : jobs) {
            const int status = renderer.Render(job);
            if (status == 130) {
                interrupted = true;
                break;
            }
            if (status != 0) ++failures;
        }
        // Leaving the block releases the engine; a render job still running
        // (interrupted) stops early and writes nothing.
    }
    notes.EndBar();
    boxora::SetNotifier(nullptr);
    sigaction(SIGINT, &oldInt, nullptr);
    sigaction(SIGTERM, &oldTerm, nullptr);
    if (interrupted) {
        std::fprintf(stderr, "boxora-render: interrupted\n");
        return 130;
    }
    return failures == 0 ? 0 : 1;
}
