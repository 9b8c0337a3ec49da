#include "VariantsCommand.h"

#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <map>
#include <mutex>
#include <nlohmann/json.hpp>

#include "HeadlessSession.h"
#include "VariantTable.h"
#include "engine/Engine.h"
#include "image/ImageFormat.h"
#include "model/CoverFaces.h"
#include "platform/FolderBeneath.h"
#include "platform/TextUtil.h"

namespace fs = std::filesystem;

namespace {

std::string Shown(const std::string& text) { return boxora::EscapeForTerminal(text); }

// The report: one JSON object a line, each written (and flushed) as its row
// ends, so that a run cut short still says what it did. A report that
// cannot be written (a full disk) fails the run: a batch system reads it.
class Report {
public:
    bool Open(const std::string& path) {
        file_ = std::fopen(path.c_str(), "w");
        if (!file_) error_ = std::strerror(errno);
        return file_ != nullptr;
    }
    ~Report() { Close(); }
    // False (Error says why) when some line could not be written.
    bool Close() {
        if (file_ && std::fclose(file_) != 0 && error_.empty()) error_ = std::strerror(errno);
        file_ = nullptr;
        return error_.empty();
    }
    const std::string& Error() const { return error_; }
    void Add(const VariantRow& row, const char* status, double seconds, const std::string& message) {
        if (!file_) return;
        nlohmann::ordered_json line;
        line["row"] = row.number;
        line["output"] = row.output;
        line["status"] = status;
        line["seconds"] = std::round(seconds * 1000.0) / 1000.0;
        line["message"] = message;
        const std::string text = line.dump(-1, ' ', false, nlohmann::json::error_handler_t::replace) + "\n";
        if ((std::fputs(text.c_str(), file_) < 0 || std::fflush(file_) != 0) && error_.empty())
            error_ = std::strerror(errno);
    }

private:
    std::FILE* file_ = nullptr;
    std::string error_;
};

// The changeable part of the scene as the engine holds it.
struct VariantState {
    std::map<std::pair<int, int>, std::string> images;  // (object, face) -> image path
    boxora::SettingValues settings{};
};

class VariantRenderer {
public:
    VariantRenderer(HeadlessSession& session, const RenderOptions& options) : session_(session), options_(options) {}

    // Loads the scene once; false (said why) when it cannot be used.
    bool LoadScene(const std::string& scene, const VariantTable& table, std::string& why) {
        objectIds_.clear();
        scene_ = VariantState{};
        ready_ = false;
        // A table's rows set their own images, so the scene's faces are
        // fitted to nothing.
        if (session_.LoadScene(scene, false, why) != 0) return false;
        CEngine& engine = *session_.Engine();
        for (const ObjectListEntry& o : engine.GetObjectList()) objectIds_.push_back(o.id);

        // The scene's own values, given back wherever a row leaves a cell
        // empty. A face's image is what its material holds: a model's own
        // texture counts as much as one the scene file names.
        SceneParams& params = engine.Params();
        scene_.settings = boxora::CaptureSettings(params);
        {
            std::lock_guard lock(engine.Lock());
            const SceneModel& model = engine.SceneObjects();
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
        // Missing images are found before anything changes. One that is
        // there but gives no pixels fails the row's render job, which
        // decodes each face once, at the size this picture needs.
        for (const VariantImage& image : row.images) {
            std::error_code ec;
            if (!fs::is_regular_file(image.path, ec)) return "image not found: " + image.path;
        }

        std::error_code ec;
        fs::create_directories(output.parent_path(), ec);

        VariantState wanted = scene_;
        for (const VariantImage& image : row.images) wanted.images[{image.object, image.face}] = image.path;
        for (const auto& [setting, value] : row.settings) wanted.settings[static_cast<int>(setting)] = value;
        Apply(wanted);

        const SceneParams& params = engine.Params();
        const int width = options_.sizeGiven ? options_.width : params.pictureWidth.Get();
        const int height = options_.sizeGiven ? options_.height : params.pictureHeight.Get();
        const RenderJob request =
            MakeRenderJob(options_, output.string(), *format, row.width.value_or(width), row.height.value_or(height));
        std::string why;
        const int status = session_.Render(request, why);
        if (status == HeadlessSession::kInterrupted) {
            interrupted = true;
            return "interrupted";
        }
        if (status != 0) {
            for (const VariantImage& image : row.images)
                if (why.find(fs::path(image.path).filename().string()) != std::string::npos &&
                    why.find("could not be read") != std::string::npos)
                    return "image cannot be read: " + image.path;
            return why.empty() ? row.output + " was not written" : why;
        }
        if (!fs::exists(output, ec)) return row.output + " was not written";
        return {};
    }

private:
    // Changes only what differs from the picture before.
    void Apply(const VariantState& wanted) {
        CEngine& engine = *session_.Engine();
        for (const auto& [key, path] : wanted.images) {
            std::string& now = current_.images[key];
            if (now == path) continue;
            engine.SetObjectImage(objectIds_[static_cast<std::size_t>(key.first)], key.second, path);
            now = path;
        }
        // In table order: the camera's azimuth goes before its elevation,
        // which the azimuth's setter may lift.
        for (const boxora::SettingRow& setting : boxora::SettingTable()) {
            const int i = static_cast<int>(setting.id);
            if (wanted.settings[i] != current_.settings[i]) engine.SetSetting(setting.id, wanted.settings[i]);
        }
        current_.settings = wanted.settings;
    }

    HeadlessSession& session_;
    const RenderOptions& options_;
    std::vector<int> objectIds_;
    VariantState scene_, current_;
    bool ready_ = false;  // the scene is loaded and its values known
};

int Run(HeadlessSession& session, const RenderOptions& options, const VariantTable& table,
        const std::vector<const VariantRow*>& rows) {
    const std::string scene = options.targets.front().scene;
    const fs::path outdir = options.targets.front().output;
    CliReporter& notes = session.Reporter();
    notes.SetBatch(rows.size());
    auto say = [&session](const std::string& text) { session.Say(text); };

    Report report;
    if (!options.variantsReport.empty() && !report.Open(options.variantsReport)) {
        say("cannot write the report " + options.variantsReport + ": " + report.Error());
        return 1;
    }
    std::error_code ec;
    fs::create_directories(outdir, ec);
    if (!fs::is_directory(outdir, ec)) {
        say("cannot make the output folder " + outdir.string());
        return 1;
    }
    // Found before the first row rather than after every row's rendering.
    if (::access(outdir.c_str(), W_OK | X_OK) != 0) {
        say("cannot write into the output folder " + outdir.string() + ": " + std::strerror(errno));
        return 1;
    }

    const auto start = std::chrono::steady_clock::now();
    VariantRenderer renderer(session, options);
    std::string why;
    bool loaded = false;
    std::size_t written = 0, failed = 0, skipped = 0, done = 0;
    bool interrupted = false;
    for (const VariantRow* row : rows) {
        if (session.Interrupted()) {
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
                if (session.Interrupted()) {
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
    const bool reported = report.Close();
    if (interrupted) return HeadlessSession::kInterrupted;
    if (!reported) {
        say("cannot write the report " + options.variantsReport + ": " + report.Error());
        return 1;
    }

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

    HeadlessSession session(options);
    return session.Finish(Run(session, options, table, rows));
}
