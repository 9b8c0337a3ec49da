#include "VariantsCommand.h"

#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cmath>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <map>
#include <memory>
#include <mutex>
#include <nlohmann/json.hpp>
#include <set>
#include <thread>

#include "CliNotifier.h"
#include "VariantTable.h"
#include "engine/Engine.h"
#include "engine/SceneFile.h"
#include "engine/SceneFileCheck.h"
#include "image/ImageCodec.h"
#include "image/ImageFormat.h"
#include "lang/Messages.h"
#include "model/CoverFaces.h"
#include "platform/FolderBeneath.h"
#include "platform/TextUtil.h"
#include "render/FrameSink.h"

namespace fs = std::filesystem;

namespace {

std::atomic<bool> g_interrupted{false};
extern "C" void OnVariantsInterrupt(int) { g_interrupted = true; }

std::string Shown(const std::string& text) { return boxora::EscapeForTerminal(text); }

class DiscardFrames : public IFrameSink {
public:
    void OnPreviewFrame(const uint8_t*, int, int) override {}
};

// One bar for the whole table: each render job's progress is a part of it,
// and the bar stays on its line from one row to the next.
class TableNotifier : public CliNotifier {
public:
    TableNotifier(bool showProgress, std::size_t rows) : CliNotifier(showProgress), rows_(rows) {}
    void EngineNotify(int message, int wParam) override {
        if (message == boxora::WM_ENGINE_END) return;
        if (message == boxora::WM_ENGINE_PROGRESS) {
            // Progress of other work between the jobs (texture loads) must
            // not move the bar back.
            const int overall = static_cast<int>((done_ * 100 + static_cast<std::size_t>(std::clamp(wParam, 0, 100))) /
                                                 std::max<std::size_t>(rows_, 1));
            wParam = shown_ = std::max(shown_.load(), overall);
        }
        CliNotifier::EngineNotify(message, wParam);
    }
    void SetDone(std::size_t done) { done_ = done; }

private:
    const std::size_t rows_;
    std::atomic<std::size_t> done_{0};
    std::atomic<int> shown_{0};
};

// The report: one JSON object a line, each written (and flushed) as its row
// ends, so that a run cut short still says what it did.
class Report {
public:
    bool Open(const std::string& path) {
        file_ = std::fopen(path.c_str(), "w");
        return file_ != nullptr;
    }
    ~Report() {
        if (file_) std::fclose(file_);
    }
    void Add(const VariantRow& row, const char* status, double seconds, const std::string& message) {
        if (!file_) return;
        nlohmann::ordered_json line;
        line["row"] = row.number;
        line["output"] = row.output;
        line["status"] = status;
        line["seconds"] = std::round(seconds * 1000.0) / 1000.0;
        line["message"] = message;
        const std::string text = line.dump(-1, ' ', false, nlohmann::json::error_handler_t::replace) + "\n";
        std::fputs(text.c_str(), file_);
        std::fflush(file_);
    }

private:
    std::FILE* file_ = nullptr;
};

// The changeable part of the scene as the engine holds it.
struct VariantState {
    std::map<std::pair<int, int>, std::string> images;  // (object, face) -> image path
    float cameraHorizontal = 0;
    float cameraVertical = 0;
    uint32_t background = 0;
};

class VariantRenderer {
public:
    explicit VariantRenderer(const RenderOptions& options) : options_(options) {}
    ~VariantRenderer() {
        if (engine_) engine_->Release();
    }

    // Loads the scene once; false (said why) when it cannot be used.
    bool LoadScene(const std::string& scene, const VariantTable& table, std::string& why) {
        if (!IsReadableSceneFile(scene)) {
            why = "Could not open file: " + scene;
            return false;
        }
        const SceneFileData data = ReadSceneFile(scene);
        objectIds_.clear();
        scene_ = VariantState{};
        ready_ = false;
        engine_ = std::make_unique<CEngine>();
        if (!engine_->Initialize(&frames_)) {
            engine_.reset();
            why = "no OpenGL context could be made";
            return false;
        }
        engine_->SetPreviewSize(16, 16);
        engine_->Redraw();  // starts the worker threads
        engine_->LoadScene(scene);
        if (!WaitUntilIdle()) return false;
        const std::vector<ObjectListEntry> objects = engine_->GetObjectList();
        if (objects.size() < data.objects.size()) {
            why = scene + ": " + std::to_string(data.objects.size() - objects.size()) + " of its " +
                  std::to_string(data.objects.size()) + " models could not be loaded";
            return false;
        }
        const std::size_t imageErrors = engine_->TakeSceneLoadOutcome().ErrorCount();
        if (imageErrors > 0 && !options_.allowMissing) {
            why = scene + ": " + std::to_string(imageErrors) + " image problem(s) (--allow-missing renders it anyway)";
            return false;
        }
        for (const ObjectListEntry& o : objects) objectIds_.push_back(o.id);

        // The scene's own values, given back wherever a row leaves a cell
        // empty. A face's image is what its material holds: a model's own
        // texture counts as much as one the scene file names.
        SceneParams& params = engine_->Params();
        scene_.cameraHorizontal = params.cameraHorizontalRotation;
        scene_.cameraVertical = params.cameraVerticalRotation;
        scene_.background = params.backgroundColor;
        {
            std::lock_guard lock(engine_->Lock());
            const SceneModel& model = engine_->SceneObjects();
            for (std::size_t i = 0; i < objectIds_.size(); ++i)
                for (const tMaterialInfo& m : model.materials)
                    if (m.ownerObject == objectIds_[i] && m.coverFace >= 0)
                        scene_.images[{static_cast<int>(i), m.coverFace}] = m.file;
        }
        for (const auto& [object, face] : table.faceColumns) {
            if (object >= static_cast<int>(objectIds_.size())) {
                why = "the table names object " + std::to_string(object + 1) + " but the scene has " +
                      std::to_string(objectIds_.size());
                return false;
            }
            if (!scene_.images.count({object, face})) {
                why =
                    "object " + std::to_string(object + 1) + " of the scene has no " + kCoverFaceNames[face] + " face";
                return false;
            }
        }
        current_ = scene_;
        if (options_.transparent) params.backgroundTransparent = true;
        ready_ = true;
        return true;
    }

    // Renders one row to output; empty when written, otherwise why not.
    // Sets interrupted instead when the run is to stop.
    std::string Render(const VariantRow& row, const fs::path& output, bool& interrupted) {
        const std::optional<int> format = options_.format ? options_.format : ExportFormatFromFileName(output.string());
        if (!format) return "cannot tell the format of " + row.output + " from its extension";
        if (!ready_) return "the scene cannot be rendered";
        // Every image is checked before anything changes, so a row that
        // fails leaves the engine as the row before left it.
        for (const VariantImage& image : row.images)
            if (std::string why = CheckImage(image.path); !why.empty()) return why;

        std::error_code ec;
        fs::create_directories(output.parent_path(), ec);

        VariantState wanted = scene_;
        for (const VariantImage& image : row.images) wanted.images[{image.object, image.face}] = image.path;
        wanted.cameraHorizontal = row.cameraHorizontal.value_or(scene_.cameraHorizontal);
        wanted.cameraVertical = row.cameraVertical.value_or(scene_.cameraVertical);
        wanted.background = row.background.value_or(scene_.background);
        Apply(wanted);

        const RenderJob request = MakeRenderJob(options_, output.string(), *format, row.width.value_or(options_.width),
                                                row.height.value_or(options_.height));
        engine_->Params().outputFormat = *format;
        engine_->TakeRenderResults();
        engine_->RenderToFile(request);
        if (!WaitUntilIdle()) {
            interrupted = true;
            return "interrupted";
        }
        const std::vector<RenderJobResult> results = engine_->TakeRenderResults();
        if (results.empty()) return row.output + " was not written";
        if (results.back().outcome.failed) {
            std::string why;
            for (const boxora::UserMessage& m : results.back().outcome.messages)
                why += (why.empty() ? "" : "; ") + boxora::MessageText(m);
            return why.empty() ? row.output + " was not written" : why;
        }
        if (!fs::exists(output, ec)) return row.output + " was not written";
        return {};
    }

private:
    // Missing and undecodable images are found here, by value: the engine
    // would show them as messages only, and render blank faces.
    std::string CheckImage(const std::string& path) {
        if (goodImages_.count(path)) return {};
        std::error_code ec;
        const fs::file_status status = fs::status(path, ec);
        if (status.type() == fs::file_type::not_found || (ec && !fs::exists(fs::symlink_status(path, ec))))
            return "image not found: " + path;
        if (ec) return "image cannot be reached: " + path + " (" + ec.message() + ")";
        switch (status.type()) {
        case fs::file_type::regular: break;
        case fs::file_type::directory: return "the image " + path + " is a folder";
        case fs::file_type::fifo: return "the image " + path + " is a pipe (FIFO), not a file";
        case fs::file_type::character:
        case fs::file_type::block: return "the image " + path + " is a device, not a file";
        case fs::file_type::socket: return "the image " + path + " is a socket, not a file";
        default: return "the image " + path + " is not a regular file";
        }
        ImageCodec codec;
        if (!codec.Load(path, FormatFromExtension(path), 64))
            return "image cannot be read: " + path + (codec.LastError().empty() ? "" : " (" + codec.LastError() + ")");
        goodImages_.insert(path);
        return {};
    }

    // Changes only what differs from the picture before: an image already
    // on a face is not decoded and uploaded again.
    void Apply(const VariantState& wanted) {
        for (const auto& [key, path] : wanted.images) {
            std::string& now = current_.images[key];
            if (now == path) continue;
            engine_->SetObjectImage(objectIds_[static_cast<std::size_t>(key.first)], key.second, path);
            now = path;
        }
        if (wanted.cameraHorizontal != current_.cameraHorizontal)
            engine_->SetCameraHorizontalRotation(wanted.cameraHorizontal);
        if (wanted.cameraVertical != current_.cameraVertical) engine_->SetCameraVerticalRotation(wanted.cameraVertical);
        if (wanted.background != current_.background) engine_->SetBackgroundColor(wanted.background);
        current_.cameraHorizontal = wanted.cameraHorizontal;
        current_.cameraVertical = wanted.cameraVertical;
        current_.background = wanted.background;
    }

    bool WaitUntilIdle() {
        while (!engine_->WaitForIdle(std::chrono::milliseconds(100)))
            if (g_interrupted) break;
        if (!g_interrupted) return true;
        // A worker stuck in a library call must not keep Ctrl+C from
        // ending the run; pictures are written under a temporary name and
        // only then renamed, so leaving early writes nothing half.
        static std::once_flag once;
        std::call_once(once, [] {
            std::thread([] {
                std::this_thread::sleep_for(std::chrono::seconds(2));
                std::fputs("boxora-render: interrupted\n", stderr);
                std::_Exit(130);
            }).detach();
        });
        return false;
    }

    const RenderOptions& options_;
    DiscardFrames frames_;
    std::unique_ptr<CEngine> engine_;
    std::vector<int> objectIds_;
    VariantState scene_, current_;
    std::set<std::string> goodImages_;
    bool ready_ = false;  // the scene is loaded and its values known
};

int Run(const RenderOptions& options, TableNotifier& notes, const VariantTable& table,
        const std::vector<const VariantRow*>& rows) {
    const std::string scene = options.targets.front().scene;
    const fs::path outdir = options.targets.front().output;
    auto say = [&notes](const std::string& text) {
        notes.ShowMessage(text, boxora::MsgIcon::Information, boxora::MsgButtons::Ok);
    };

    Report report;
    if (!options.variantsReport.empty() && !report.Open(options.variantsReport)) {
        say("cannot write the report " + options.variantsReport);
        return 1;
    }
    std::error_code ec;
    fs::create_directories(outdir, ec);
    if (!fs::is_directory(outdir, ec)) {
        say("cannot make the output folder " + outdir.string());
        return 1;
    }

    const auto start = std::chrono::steady_clock::now();
    VariantRenderer renderer(options);
    std::string why;
    bool loaded = false;
    std::size_t written = 0, failed = 0, skipped = 0, done = 0;
    bool interrupted = false;
    for (const VariantRow* row : rows) {
        if (g_interrupted) {
            interrupted = true;
            break;
        }
        const auto rowStart = std::chrono::steady_clock::now();
        auto seconds = [&rowStart] {
            return std::chrono::duration<double>(std::chrono::steady_clock::now() - rowStart).count();
        };
        notes.SetDone(done++);
        // The folder holding the output stays open until the row is
        // written, so that no link planted meanwhile redirects it.
        const boxora::FileBeneath target = row->error.empty()
                                               ? boxora::FileBeneath::Resolve(outdir.string(), row->output, true)
                                               : boxora::FileBeneath();
        if (row->error.empty() && options.skipExisting && target.exists()) {
            ++skipped;
            report.Add(*row, "skipped", seconds(), "already there");
            continue;
        }
        std::string error = row->error;
        if (error.empty() && !target.ok()) error = "the output " + row->output + ": " + target.why();
        const fs::path output = target.path();
        // The scene is loaded for the first row that needs it: a shard whose
        // rows are all there already never starts the engine.
        if (error.empty() && !loaded) {
            const bool triedBefore = !why.empty();
            if (triedBefore || !renderer.LoadScene(scene, table, why)) {
                if (g_interrupted) {
                    interrupted = true;
                    break;
                }
                if (!triedBefore) say("cannot render " + scene + ": " + why);
                error = "the scene cannot be rendered";
            } else {
                loaded = true;
            }
        }
        if (error.empty()) {
            notes.SetLabel(fs::path(options.variants).filename().string() + " " + std::to_string(done) + "/" +
                           std::to_string(rows.size()));
            error = renderer.Render(*row, output, interrupted);
            if (interrupted) break;
            // Messages name the row's own output, not the held folder's path.
            for (std::size_t at; !output.empty() && (at = error.find(output.string())) != std::string::npos;)
                error.replace(at, output.string().size(), row->output);
        }
        if (error.empty()) {
            ++written;
            report.Add(*row, "ok", seconds(), "");
        } else {
            ++failed;
            say("row " + std::to_string(row->number) + " (line " + std::to_string(row->line) + "): " + error);
            report.Add(*row, "failed", seconds(), error);
        }
    }
    notes.EndBar();
    if (interrupted) return 130;

    const double total = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    char summary[256];
    std::snprintf(summary, sizeof summary, "%zu written, %zu failed, %zu skipped of %zu rows", written, failed, skipped,
                  rows.size());
    std::string line = fs::path(options.variants).filename().string() + ": " + summary;
    if (options.shardCount > 1)
        line += " (shard " + std::to_string(options.shardIndex) + "/" + std::to_string(options.shardCount) + " of " +
                std::to_string(table.rows.size()) + ")";
    char timing[64];
    std::snprintf(timing, sizeof timing, " in %.1f s", total);
    say(line + timing);
    return failed == 0 ? 0 : 1;
}

}  // namespace

int RunVariantsCommand(const RenderOptions& options) {
    const VariantTable table = ReadVariantTable(options.variants);
    if (!table.error.empty()) {
        std::fprintf(stderr, "boxora-render: %s: %s\n", Shown(options.variants).c_str(), Shown(table.error).c_str());
        return 1;
    }
    std::vector<const VariantRow*> rows;
    for (const VariantRow& row : table.rows)
        if ((row.number - 1) % static_cast<std::size_t>(options.shardCount) ==
            static_cast<std::size_t>(options.shardIndex - 1))
            rows.push_back(&row);

    const bool progress = options.progress.value_or(isatty(STDERR_FILENO) != 0);
    TableNotifier notes(progress, rows.size());
    boxora::SetNotifier(&notes);
    struct sigaction action {};
    action.sa_handler = OnVariantsInterrupt;
    sigemptyset(&action.sa_mask);
    struct sigaction oldInt {
    }, oldTerm{};
    sigaction(SIGINT, &action, &oldInt);
    sigaction(SIGTERM, &action, &oldTerm);
    const int status = Run(options, notes, table, rows);
    boxora::SetNotifier(nullptr);
    sigaction(SIGINT, &oldInt, nullptr);
    sigaction(SIGTERM, &oldTerm, nullptr);
    if (status == 130) std::fprintf(stderr, "boxora-render: interrupted\n");
    return status;
}
