#include "HeadlessSession.h"

#include <unistd.h>

#include <atomic>
#include <chrono>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <mutex>
#include <thread>

#include "RenderCommand.h"
#include "engine/Engine.h"
#include "engine/FitToImages.h"
#include "engine/SceneFile.h"
#include "engine/SceneFileCheck.h"
#include "lang/Messages.h"

namespace {

std::atomic<bool> g_interrupted{false};
std::atomic<bool> g_saidInterrupted{false};
extern "C" void OnInterrupt(int) { g_interrupted = true; }

void SayInterrupted() {
    if (!g_saidInterrupted.exchange(true)) std::fputs("boxora-render: interrupted\n", stderr);
}

struct sigaction g_oldInt {
}, g_oldTerm{};

// How long the engine may take to wind down after Ctrl+C before the
// process leaves without it (a worker stuck in a library call must not keep
// the command from ending).
constexpr auto kInterruptGrace = std::chrono::seconds(2);

// Ends the process with status 130 unless it has ended by then. Pictures
// are written under a temporary name and only then renamed, so leaving
// early writes nothing half.
void LeaveIfStuck() {
    static std::once_flag once;
    std::call_once(once, [] {
        std::thread([] {
            std::this_thread::sleep_for(kInterruptGrace);
            SayInterrupted();
            std::_Exit(HeadlessSession::kInterrupted);
        }).detach();
    });
}

}  // namespace

HeadlessSession::HeadlessSession(const RenderOptions& options)
    : options_(options), reporter_(options.progress.value_or(isatty(STDERR_FILENO) != 0)) {
    g_interrupted = false;
    struct sigaction action {};
    action.sa_handler = OnInterrupt;
    sigemptyset(&action.sa_mask);
    sigaction(SIGINT, &action, &g_oldInt);
    sigaction(SIGTERM, &action, &g_oldTerm);
}

HeadlessSession::~HeadlessSession() {
    if (engine_) engine_->Release();
    engine_.reset();
    reporter_.EndBar();
    sigaction(SIGINT, &g_oldInt, nullptr);
    sigaction(SIGTERM, &g_oldTerm, nullptr);
}

void HeadlessSession::Say(const std::string& text) { reporter_.Report(boxora::MsgIcon::Information, text); }

bool HeadlessSession::Interrupted() const { return g_interrupted; }

CEngine* HeadlessSession::Engine() {
    if (engine_ || engineFailed_) return engine_.get();
    engine_ = std::make_unique<CEngine>();
    engine_->SetHeadless();
    engine_->SetReporter(&reporter_);
    if (!engine_->Initialize(nullptr)) {
        Say("no OpenGL context could be made");
        engine_.reset();
        engineFailed_ = true;
        return nullptr;
    }
    engine_->Redraw();  // starts the worker threads
    return engine_.get();
}

bool HeadlessSession::WaitUntilIdle() {
    if (!engine_) return !g_interrupted;
    while (!engine_->WaitForIdle(std::chrono::milliseconds(100)))
        if (g_interrupted) break;
    if (!g_interrupted) return true;
    LeaveIfStuck();
    return false;
}

int HeadlessSession::LoadScene(const std::string& scene, bool fitImages, std::string& why) {
    if (!IsReadableSceneFile(scene)) {
        why = "Could not open file: " + scene;
        return 1;
    }
    const SceneFileData data = ReadSceneFile(scene);
    // A value that is no number would leave a blank picture.
    if (data.problems.failed) {
        for (const boxora::UserMessage& m : data.problems.messages)
            if (m.icon == boxora::MsgIcon::Error) Say(scene + ": " + boxora::MessageText(m));
        why = scene + ": nothing written";
        return 1;
    }
    const std::size_t expected = data.objects.size();
    CEngine* engine = Engine();
    if (!engine) {
        why = "no OpenGL context could be made";
        return 1;
    }
    // A scene file may leave out sections; those keep the values a new
    // engine starts with, not the ones of the scene rendered before, so that
    // every picture of a run is the one the scene gives on its own.
    engine->ResetSceneSettings();
    engine->LoadScene(scene);
    if (!WaitUntilIdle()) return kInterrupted;
    if (fitImages) {
        boxora::FitEveryObjectToImages(*engine);
        if (!WaitUntilIdle()) return kInterrupted;
    }
    const std::size_t loaded = engine->GetObjectList().size();
    if (loaded < expected) {
        why = scene + ": " + std::to_string(expected - loaded) + " of its " + std::to_string(expected) +
              " models could not be loaded; nothing written";
        return 1;
    }
    // Images that are missing have been reported; a picture with blank
    // faces is no success.
    std::size_t imageErrors = engine->TakeSceneLoadOutcome().ErrorCount();
    if (imageErrors > 0 && !options_.allowMissing) {
        // The images that are there are decoded by the render job only; a
        // job that keeps no picture names those that give no pixels as
        // well, so that one run lists every image to mend.
        RenderJob check;
        check.fileName = scene;
        check.width = options_.width;
        check.height = options_.height;
        check.requireImages = true;
        check.pictureSink = [](const uint8_t*, int, int) {};
        engine->RenderToFile(check);
        if (!WaitUntilIdle()) return kInterrupted;
        for (const RenderJobResult& result : engine->TakeRenderResults()) imageErrors += result.outcome.ErrorCount();
        why = scene + ": " + std::to_string(imageErrors) +
              " image problem(s); nothing written (--allow-missing renders it anyway)";
        return 1;
    }
    return 0;
}

int HeadlessSession::Render(RenderJob job, std::string& why) {
    CEngine* engine = Engine();
    if (!engine) {
        why = "no OpenGL context could be made";
        return 1;
    }
    job.requireImages = !options_.allowMissing;
    engine->Params().outputFormat = job.format;
    engine->TakeRenderResults();
    engine->RenderToFile(job);
    if (!WaitUntilIdle()) return kInterrupted;
    const std::vector<RenderJobResult> results = engine->TakeRenderResults();
    if (results.empty()) return 1;
    if (!results.back().outcome.failed) return 0;
    for (const boxora::UserMessage& m : results.back().outcome.messages)
        why += (why.empty() ? "" : "; ") + boxora::MessageText(m);
    return 1;
}

int HeadlessSession::Finish(int status) {
    reporter_.EndBar();
    if (status == kInterrupted) {
        LeaveIfStuck();
        SayInterrupted();
        return kInterrupted;
    }
    return status;
}
