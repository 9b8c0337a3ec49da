// How long the desktop program's interface thread stops answering while a
// 3000 x 3000 render job runs. The program is started as a user starts it
// (main window, real engine, offscreen Qt platform), the single-box example
// is loaded and a job is handed to the render thread; meanwhile a timer on
// the interface thread fires every 10 ms and each tick does one thing a user
// does: the panel's refresh after a scene change, selecting on the Objects
// tab, typing a position, dragging the shadow length, Save Project and Save
// as Template. The figure is the longest gap between the starts of two ticks
// (the action of the first included; the target is under 100 ms), beside the
// longest single action of each kind.
//
//   bench_ui_stall [SIZE]      (default 3000: the job is SIZE x SIZE)
//
// The catalogue and languages come from $BOXORA_HOME, or the source tree.
// Settings and templates go to a temporary folder, removed afterwards.
#include "engine/Engine.h"  // before Qt: Qt defines "slots" as a macro

#include <QApplication>
#include <QTimer>
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <map>
#include <string>
#include <vector>

#include "boxora/SourceTree.h"
#include "image/ImageFormat.h"
#include "platform/Notifier.h"
#include "project/ProjectCommands.h"
#include "project/ProjectState.h"
#include "ui/BoxoraApp.h"
#include "ui/DialogGeneral.h"
#include "ui/DialogMain.h"
#include "ui/DialogObjects.h"
#include "ui/DialogShadow.h"
#include "ui/DialogTranslateObject.h"
#include "ui/EngineBinding.h"
#include "ui/MainFrame.h"
#include "ui/ObjectIconList.h"
#include "ui/ParamSpinBinding.h"
#include "ui/TabCtrlMain.h"
#include "ui/TabCtrlObjects.h"

namespace {

namespace fs = std::filesystem;
using Clock = std::chrono::steady_clock;

double Ms(Clock::duration d) { return std::chrono::duration<double, std::milli>(d).count(); }

class FixedPathUi : public boxora::IProjectUi {
public:
    explicit FixedPathUi(std::string path) : path_(std::move(path)) {}
    std::optional<std::string> AskOpenPath(const std::string&) override { return std::nullopt; }
    std::optional<std::string> AskSavePath(const std::string&, const std::string&, const std::string&) override {
        return path_;
    }
    void SetTitle(const std::string&) override {}
    void SetBusy(bool) override {}

private:
    std::string path_;
};

// Processes events until done() or the time runs out.
template <typename Condition>
bool Pump(Condition done, double seconds) {
    const auto end = Clock::now() + std::chrono::duration<double>(seconds);
    while (!done()) {
        if (Clock::now() > end) return false;
        QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
    }
    return true;
}

}  // namespace

int main(int argc, char** argv) {
    const int size = argc > 1 ? std::atoi(argv[1]) : 3000;
    if (size < 1 || size > 3000) {
        std::fprintf(stderr, "bench_ui_stall: SIZE is 1 to 3000\n");
        return 2;
    }
    const fs::path scratch = fs::temp_directory_path() / ("bench-ui-stall-" + std::to_string(::getpid()));
    fs::create_directories(scratch);
    ::setenv("XDG_CONFIG_HOME", (scratch / "config").c_str(), 1);
    ::setenv("XDG_DATA_HOME", (scratch / "data").c_str(), 1);
    if (!std::getenv("BOXORA_HOME")) ::setenv("BOXORA_HOME", BOXORA_SOURCE_DIR, 1);
    if (!std::getenv("QT_QPA_PLATFORM")) ::setenv("QT_QPA_PLATFORM", "offscreen", 1);

    int status = 0;
    {
        QApplication qt(argc, argv);
        CEngine engine;
        boxora::EngineBinding binding = boxora::BindEngine(engine);
        CBoxoraApp app(binding);
        if (!app.InitInstance({})) {
            std::fprintf(stderr, "bench_ui_stall: the program did not start\n");
            return 1;
        }
        CTabCtrlMain* tabs = app.MainFrame()->Panel()->Tabs();
        tabs->setCurrentIndex(CTabCtrlMain::Objects);
        engine.LoadScene(std::string(BOXORA_SOURCE_DIR) + "/examples/single-box.scn");
        if (!Pump(
                [&] {
                    return tabs->ObjectsPage()->ObjectList()->count() == 1 &&
                           engine.WaitForIdle(std::chrono::milliseconds(0));
                },
                60)) {
            std::fprintf(stderr, "bench_ui_stall: the example scene did not load\n");
            return 1;
        }
        boxora::ProjectState state;
        FixedPathUi ui((scratch / "project.scn").string());
        boxora::CProjectCommands commands(state, engine, ui);
        CDialogGeneral* general = tabs->GeneralPage();
        // One name, written over: a growing library would time the list's
        // pictures, not the engine.
        general->SetSaveTemplatePrompt([] { return std::optional<std::string>("Stall"); });
        CDialogObjects* objects = tabs->ObjectsPage();

        using Action = std::pair<const char*, std::function<void(int)>>;
        const std::vector<Action> actions = {
            {"panel refresh", [&](int) { app.MainFrame()->OnEngineNotify(boxora::WM_ENGINE_SCENE_CHANGED, 0); }},
            {"select object",
             [&](int) {
                 objects->ObjectList()->clearSelection();
                 objects->ObjectList()->SelectIndex(0);
             }},
            {"type position", [&](int i) { objects->SubTabs()->TranslatePage()->Row(0)->WriteValue(i % 50); }},
            {"shadow length", [&](int i) { tabs->ShadowPage()->Length()->WriteValue(20 + i % 60); }},
            {"save project", [&](int) { commands.SaveProject(); }},
            {"save template", [&](int) { general->SaveProjectAsTemplate(); }},
        };
        std::map<std::string, double> longest;
        std::map<std::string, int> counts;

        RenderJob job;
        job.fileName = (scratch / "big.png").string();
        job.width = job.height = size;
        job.format = FORMAT_PNG;
        const auto jobStart = Clock::now();
        engine.RenderToFile(job);
        Pump([&] { return engine.RenderJobActive(); }, 30);

        double maxGap = 0;
        std::vector<double> gaps;
        int tick = 0;
        auto last = Clock::now();
        QTimer timer;
        timer.setInterval(10);
        QObject::connect(&timer, &QTimer::timeout, [&] {
            const auto now = Clock::now();
            const double gap = Ms(now - last);
            gaps.push_back(gap);
            maxGap = std::max(maxGap, gap);
            const Action& action = actions[static_cast<std::size_t>(tick) % actions.size()];
            const auto start = Clock::now();
            action.second(tick);
            longest[action.first] = std::max(longest[action.first], Ms(Clock::now() - start));
            ++counts[action.first];
            ++tick;
            last = now;  // the next gap includes this action
        });
        timer.start();
        const bool ended = Pump([&] { return !engine.RenderJobActive(); }, 600);
        timer.stop();
        const double jobMs = Ms(Clock::now() - jobStart);
        Pump([&] { return engine.WaitForIdle(std::chrono::milliseconds(0)); }, 120);

        std::sort(gaps.begin(), gaps.end());
        const double p99 = gaps.empty() ? 0 : gaps[gaps.size() * 99 / 100];
        std::printf("render job %d x %d: %.0f ms%s\n", size, size, jobMs, ended ? "" : " (did not end)");
        std::printf("interface ticks during the job: %zu (every 10 ms, one action each)\n", gaps.size());
        std::printf("longest stall of the interface thread: %.1f ms (99th percentile %.1f ms; target < 100 ms)\n",
                    maxGap, p99);
        for (const Action& action : actions)
            std::printf("  %-14s %4d times, longest %.1f ms\n", action.first, counts[action.first],
                        longest[action.first]);
        status = ended && maxGap < 100 ? 0 : 1;
        app.ExitInstance();
    }
    std::error_code ec;
    fs::remove_all(scratch, ec);
    return status;
}
