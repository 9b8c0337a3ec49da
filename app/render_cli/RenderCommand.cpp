#include "RenderCommand.h"

#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <cstdio>
#include <cstring>
#include <filesystem>

#include "HeadlessSession.h"
#include "engine/Engine.h"
#include "image/ImageFormat.h"
#include "lang/Messages.h"
#include "platform/RegularFile.h"
#include "platform/TextUtil.h"

namespace fs = std::filesystem;

namespace {

struct ExportFormat {
    const char* name;
    int format;
    const char* extensions[2];  // the usual one first
};

const ExportFormat kExportFormats[] = {
    {"png", FORMAT_PNG, {".png", nullptr}},    {"jpg", FORMAT_JPG, {".jpg", ".jpeg"}},
    {"gif", FORMAT_GIF, {".gif", nullptr}},    {"tiff", FORMAT_TIF, {".tiff", ".tif"}},
    {"bmp", FORMAT_BMP, {".bmp", nullptr}},    {"tga", FORMAT_TGA, {".tga", nullptr}},
    {"jp2", FORMAT_JP2, {".jp2", nullptr}},    {"jpc", FORMAT_JPC, {".jpc", ".j2k"}},
    {"ras", FORMAT_RAS, {".ras", nullptr}},    {"pnm", FORMAT_PNM, {".pnm", ".ppm"}},
    {"webp", FORMAT_WEBP, {".webp", nullptr}},
};

// A name as it may appear on the terminal.
const char* Shown(const std::string& name) {
    static thread_local std::string shown;
    shown = boxora::EscapeForTerminal(name);
    return shown.c_str();
}

// One scene to render into one file.
struct Job {
    std::string scene;
    std::string output;
    int format = FORMAT_PNG;
};

bool IsSceneFile(const fs::path& path) { return boxora::EqualsIgnoreCase(path.extension().string(), ".scn"); }

// Turns the targets into jobs (a folder of scenes gives one job per scene
// file, in name order); a folder that cannot be listed or holds no scene is
// reported and counted as failed.
std::vector<Job> ExpandTargets(const RenderOptions& options, int& failures) {
    std::vector<Job> jobs;
    for (const RenderTarget& target : options.targets) {
        std::error_code ec;
        if (!fs::is_directory(target.scene, ec)) {
            Job job{target.scene, target.output, FORMAT_PNG};
            job.format =
                options.format ? *options.format : ExportFormatFromFileName(target.output).value_or(FORMAT_PNG);
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
        // Found before the scenes are rendered, not after each one.
        if (::access(target.output.c_str(), W_OK | X_OK) != 0) {
            const int error = errno;
            std::fprintf(stderr, "boxora-render: cannot write into the output folder %s: %s\n", Shown(target.output),
                         std::strerror(error));
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

RenderJob MakeRenderJob(const RenderOptions& options, const std::string& fileName, int format, int width, int height) {
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
    request.requireImages = !options.allowMissing;
    request.outputProfile = options.outputProfile;
    request.cmykProfile = options.cmykProfile;
    request.colourIntent = options.colourIntent;
    request.blackPointCompensation = options.blackPointCompensation;
    return request;
}

namespace {

// Renders one scene into one file: 0 written, 1 failed, 130 interrupted.
int RenderScene(HeadlessSession& session, const RenderOptions& options, const Job& job) {
    std::string why;
    if (const int status = session.LoadScene(job.scene, options.fitImages, why); status != 0) {
        if (status == 1) session.Say(why);
        return status;
    }
    CEngine& engine = *session.Engine();
    if (options.transparent) engine.Params().backgroundTransparent = true;
    // The scene's own picture size unless the command line names one.
    const int width = options.sizeGiven ? options.width : engine.Params().pictureWidth.Get();
    const int height = options.sizeGiven ? options.height : engine.Params().pictureHeight.Get();
    // "-" is standard output; the picture is streamed there like to any
    // pipe or terminal named with -o.
    const RenderJob request =
        MakeRenderJob(options, job.output == "-" ? std::string("/dev/stdout") : job.output, job.format, width, height);
    session.Reporter().SetLabel(fs::path(job.scene).filename().string());
    const auto start = std::chrono::steady_clock::now();
    const int status = session.Render(request, why);
    session.Reporter().EndBar();
    if (status == HeadlessSession::kInterrupted) return status;
    std::error_code ec;
    // The job's messages were reported as it ended; its outcome says
    // whether the picture was written.
    if (status != 0 || (job.output != "-" && !fs::exists(job.output, ec))) {
        if (why.empty()) session.Say(job.output + " was not written");
        return 1;
    }
    if (session.ShowsProgress()) {
        const double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
        std::fprintf(stderr, "boxora-render: wrote %s (%d x %d) in %.1f s\n", Shown(job.output), width, height,
                     seconds);
    }
    return 0;
}

}  // namespace

int RunRenderCommand(const RenderOptions& options) {
    HeadlessSession session(options);
    int failures = 0;
    const std::vector<Job> jobs = ExpandTargets(options, failures);
    for (const Job& job : jobs) {
        if (session.Interrupted()) return session.Finish(HeadlessSession::kInterrupted);
        const int status = RenderScene(session, options, job);
        if (status == HeadlessSession::kInterrupted) return session.Finish(status);
        if (status != 0) ++failures;
    }
    return session.Finish(failures == 0 ? 0 : 1);
}
