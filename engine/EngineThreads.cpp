// The engine's two worker threads: the scene thread (work queues and
// preview frames) and the render thread (render jobs).
#include <filesystem>

#include "engine/Engine.h"
#include "lang/Messages.h"
#include "output/JobRunner.h"

void CEngine::Redraw(int) {
    if (!initialized_) return;
    {
        std::lock_guard start(startMutex_);
        if (!threadsStarted_) {
            StartThreads();
            return;
        }
    }
    RequestRedraw();
}

void CEngine::RequestRedraw() {
    {
        std::lock_guard signal(signalMutex_);
        redrawCounter_ = 2;
        sceneAsleep_ = false;
    }
    sceneWake_.notify_all();
}

void CEngine::StartThreads() {
    // startMutex_ is held by the caller.
    uiThreadId_ = std::this_thread::get_id();
    running_ = true;
    {
        std::lock_guard signal(signalMutex_);
        redrawCounter_ = 2;
        sceneAsleep_ = false;
    }
    threadsStarted_ = true;
    sceneThread_ = std::thread([this] { SceneThreadMain(); });
    renderThread_ = std::thread([this] { RenderThreadMain(); });
}

void CEngine::BeginGlSection() { releaseQueue_.Drain(); }

void CEngine::DrawPreviewFrame(int mode) {
    std::lock_guard lock(lock_);
    BeginGlSection();
    const int w = previewWidth_, h = previewHeight_;
    if (w != appliedWidth_ || h != appliedHeight_) {
        Resize(w, h);
        appliedWidth_ = w;
        appliedHeight_ = h;
    }
    params_.RenderMode = mode;
    renderer_->DrawFrame(mode);
}

void CEngine::SceneThreadMain() {
    sceneThreadId_ = std::this_thread::get_id();
    renderer_->BeginSceneThread();
    while (running_) {
        ProcessQueues();
        if (!headless_) {
            DrawPreviewFrame(RENDER_MODE_QUICK);
            if (redrawCounter_ != 2 && running_) DrawPreviewFrame(RENDER_MODE_FULL);
        }

        std::unique_lock signal(signalMutex_);
        if (redrawCounter_.fetch_sub(1) - 1 <= 0) {
            sceneAsleep_ = true;
            idleChanged_.notify_all();
            sceneWake_.wait(signal, [this] { return redrawCounter_ > 0 || !running_; });
            sceneAsleep_ = false;
        }
    }
    {
        std::lock_guard lock(lock_);
        BeginGlSection();
    }
    renderer_->EndSceneThread();
}

void CEngine::RenderToFile(const RenderJob& job) {
    {
        std::lock_guard render(renderMutex_);
        renderJobs_.push_back(job);
    }
    renderWake_.notify_all();
}

void CEngine::RenderThreadMain() {
    renderThreadId_ = std::this_thread::get_id();
    renderer_->BeginRenderThread();
    while (true) {
        RenderJob job;
        {
            std::unique_lock render(renderMutex_);
            renderWake_.wait(render, [this] { return !running_ || !renderJobs_.empty(); });
            if (!running_) break;
            job = std::move(renderJobs_.front());
            renderJobs_.pop_front();
            renderBusy_ = true;
            activeOutput_ = job.fileName;
        }
        renderJobActive_ = true;
        {
            // The picture shows the scene as the interface shows it now,
            // changes still queued included.
            std::lock_guard lock(lock_);
            ApplyQueuedChanges();
        }
        NotifyBegin(boxora::ENGINE_OP_RENDER);
        activeJobCancelled_ = job.cancelled;
        boxora::JobOutputTarget target;
        target.outputName = [this](const std::string& requested) { return RenderOutputName(requested); };
        target.written = [this](const std::string& written) { FinishRenderOutput(written); };
        target.progress = [this](float percent) { ReportProgress(percent); };
        // Only the fast renderer exists yet; the job's choice picks among
        // the renderers once there are more.
        boxora::RenderJobRun run = boxora::RunRenderJob(*renderer_, job, target);
        boxora::Outcome& outcome = run.outcome;
        const bool cancelled = activeJobCancelled_ && activeJobCancelled_();
        activeJobCancelled_ = nullptr;
        // A job given up by its own request has nothing to tell the user.
        if (!cancelled) Report(outcome);
        if (job.finished) job.finished(!outcome.failed);
        NotifyEnd();
        {
            std::lock_guard render(renderMutex_);
            renderResults_.push_back({job.fileName, std::move(outcome), run.outputMs});
        }
        renderJobActive_ = false;
        NotifySceneChanged();
        {
            std::lock_guard render(renderMutex_);
            renderBusy_ = false;
            activeOutput_.clear();
        }
        RequestRedraw();
        idleChanged_.notify_all();
    }
    renderer_->EndRenderThread();
}

void CEngine::RetargetRenderOutput(const std::string& from, const std::string& to) {
    if (from.empty() || from == to) return;
    std::lock_guard render(renderMutex_);
    bool pending = false;
    for (RenderJob& job : renderJobs_)
        if (job.fileName == from) {
            job.fileName = to;
            pending = true;
        }
    if (activeOutput_ == from) {
        activeOutput_ = to;
        pending = true;
    }
    // The picture was finished before the rename reached the engine.
    std::error_code ec;
    if (!pending && std::filesystem::is_regular_file(from, ec) && !std::filesystem::exists(to, ec))
        std::filesystem::rename(from, to, ec);
}

std::string CEngine::RenderOutputName(const std::string& requested) {
    std::lock_guard render(renderMutex_);
    return activeOutput_.empty() ? requested : activeOutput_;
}

void CEngine::FinishRenderOutput(const std::string& written) {
    std::lock_guard render(renderMutex_);
    if (activeOutput_.empty() || activeOutput_ == written) return;
    std::error_code ec;
    std::filesystem::rename(written, activeOutput_, ec);
}

bool CEngine::WorkQueued() const {
    std::lock_guard queues(queueMutex_);
    return !deleteQueue_.empty() || !addQueue_.empty() || !loadQueue_.empty() || !changeQueue_.empty();
}

bool CEngine::WaitForIdle(std::chrono::milliseconds timeout) {
    const auto deadline = std::chrono::steady_clock::now() + timeout;
    while (threadsStarted_) {
        bool renderIdle;
        {
            std::lock_guard render(renderMutex_);
            renderIdle = renderJobs_.empty() && !renderBusy_;
        }
        {
            std::unique_lock signal(signalMutex_);
            if (sceneAsleep_ && renderIdle && !WorkQueued()) return true;
            if (idleChanged_.wait_until(
                    signal, std::min(deadline, std::chrono::steady_clock::now() + std::chrono::milliseconds(20))) ==
                    std::cv_status::timeout &&
                std::chrono::steady_clock::now() >= deadline)
                return false;
        }
    }
    return false;
}

std::vector<RenderJobResult> CEngine::TakeRenderResults() {
    std::lock_guard render(renderMutex_);
    std::vector<RenderJobResult> results;
    results.swap(renderResults_);
    return results;
}
