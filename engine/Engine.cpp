#include "engine/Engine.h"

#include "lang/Messages.h"

CEngine::CEngine()
    : models_(releaseQueue_), sides_(models_.Model(), releaseQueue_), renderer_(CreateFrameRenderer(*this)) {
    models_.Textures().SetThreadRole([this] { return RoleOfCurrentThread(); });
    models_.SetProgress([this](float delta) { AddProgress(delta); });
    sides_.SetAbandonTest([this] { return !ContinueCondition(true); });
    sides_.SetStopTest([this] { return RenderAbortRequested(); });
}

CEngine::~CEngine() { Release(); }

void CEngine::SetFrameRenderer(std::unique_ptr<IFrameRenderer> renderer) {
    if (initialized_ || !renderer) return;
    renderer_ = std::move(renderer);
}

void CEngine::SetHeadless() {
    if (initialized_) return;
    headless_ = true;
    models_.Textures().SetJobsReportUnreadable(true);
}

void CEngine::SetReporter(boxora::IReporter* reporter) { reporter_ = reporter ? reporter : &stderrReporter_; }

void CEngine::Report(const boxora::Outcome& outcome) { boxora::RaiseMessages(outcome, *reporter_); }

bool CEngine::Initialize(IFrameSink* sink) {
    uiThreadId_ = std::this_thread::get_id();
    const bool ok = headless_ ? renderer_->CreateHeadlessContexts() : renderer_->CreateContexts(sink);
    initialized_ = ok;
    return ok;
}

bool CEngine::Release() {
    std::thread scene, render;
    {
        std::lock_guard start(startMutex_);
        if (threadsStarted_) {
            running_ = false;
            scene = std::move(sceneThread_);
            render = std::move(renderThread_);
        }
    }
    if (scene.joinable() || render.joinable()) {
        // Wake both threads; they see the running flag cleared and end (a
        // render job in progress ends first). The start lock is not held
        // here: the scene thread may still request redraws on its way out.
        {
            std::lock_guard signal(signalMutex_);
            redrawCounter_ = 2;
        }
        sceneWake_.notify_all();
        { std::lock_guard wake(renderMutex_); }
        renderWake_.notify_all();
        if (scene.joinable()) scene.join();
        if (render.joinable()) render.join();
        {
            // Jobs left in the queue run when the threads start again.
            std::lock_guard jobs(renderMutex_);
            activeOutput_.clear();
        }
        std::lock_guard start(startMutex_);
        threadsStarted_ = false;
        sceneThreadId_ = std::thread::id();
        renderThreadId_ = std::thread::id();
        {
            std::lock_guard signal(signalMutex_);
            sceneAsleep_ = false;
        }
        idleChanged_.notify_all();
    }
    if (!initialized_) return true;
    initialized_ = false;
    // The window context ends with the renderer's contexts: names waiting
    // for deletion there are gone with it.
    releaseQueue_.Discard();
    return renderer_->ReleaseContexts();
}

ThreadRole CEngine::RoleOfCurrentThread() const {
    const auto me = std::this_thread::get_id();
    if (me == sceneThreadId_.load()) return ThreadRole::Scene;
    if (me == renderThreadId_.load()) return ThreadRole::Other;
    return ThreadRole::Ui;
}

bool CEngine::RenderAbortRequested() const {
    if (threadsStarted_.load() && !running_.load()) return true;
    return std::this_thread::get_id() == renderThreadId_.load() && activeJobCancelled_ && activeJobCancelled_();
}

bool CEngine::ContinueCondition(bool previousResult) const {
    return (previousResult && params_.RenderMode != RENDER_MODE_FULL) || loadPending_ || redrawCounter_ != 2;
}

void CEngine::NotifyBegin(int kind) {
    progress_ = 0;
    reporter_->Progress(boxora::WM_ENGINE_BEGIN, kind);
}

void CEngine::NotifyEnd() {
    progress_ = 0;
    reporter_->Progress(boxora::WM_ENGINE_END, 0);
}

void CEngine::ReportProgress(float value) {
    progress_ = value;
    int percent = static_cast<int>(value);
    if (!(value >= 0)) percent = 0;
    if (value > 100) percent = 100;
    reporter_->Progress(boxora::WM_ENGINE_PROGRESS, percent);
}

void CEngine::AddProgress(float delta) { ReportProgress(progress_ + delta); }

void CEngine::NotifySceneChanged() { reporter_->Progress(boxora::WM_ENGINE_SCENE_CHANGED, 0); }

CEngine& Engine() {
    static CEngine engine;
    return engine;
}
