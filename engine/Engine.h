#pragma once
// CEngine: the one engine of the program, behind IEngine. It owns the scene
// parameters, the geometry store, the sides, the textures, the renderer and
// the two worker threads with their work queues.
//
// Threads and locking
// - The user-interface thread makes every IEngine call. The scene thread
//   processes the work queues (delete, add, load, pending textures, in that
//   order) and draws preview frames; the render thread performs render jobs.
// - The engine lock (re-entrant) guards the object list, the materials, the
//   textures, the sides and the preview context's OpenGL work. The scene
//   thread holds it for each queue and each frame. The render thread holds
//   it only while PublishScene publishes the scene snapshot a job draws
//   (settings, objects, shared meshes and artwork handles); the job then
//   draws from the snapshot in its own context, so changes go on meanwhile
//   and the picture is the scene as it was when the job started.
// - Scalar scene settings are relaxed atomics in SceneParams; their setters
//   do not lock.
// - The four queues have a small lock of their own, so that appending never
//   waits for a frame or a render job.
// - Changes of objects and sides requested on the user-interface thread
//   (object setters, SetObjectImage, invalidating side lists) try the engine
//   lock for a short while and are applied at once when they get it; when
//   the lock stays busy they are queued and the scene thread (or a render
//   job about to copy the scene) applies them, in order. A change applied
//   at once is visible to GetObject right after the call.
// - Snapshot(): the scene as the interface shows it (snapshot/SceneSnapshot.h),
//   published by the engine after every change of the objects and every
//   queued change (a queued change is already in its transforms and cover
//   images), so pages and SaveScene never take the engine lock. Lock
//   order: engine lock, then the snapshot mutex, then the queue mutex. A
//   snapshot owns what it shows (meshes, artwork), so it may outlive the
//   objects it was made from and the engine itself.
// - No OpenGL call is made on a thread without a current context. Display
//   lists and textures released on other threads are deleted by the scene
//   thread (GlReleaseQueue).
// - RedrawCounter: Redraw sets it to 2 and wakes the scene thread. The scene
//   thread draws a quick frame; if the counter is no longer 2 (no newer
//   request) it draws a full frame; then it decrements the counter and
//   sleeps while it is 0 or less. A request arriving during a frame sets it
//   back to 2, so changes that keep coming get quick frames only and one
//   full frame follows when they stop. The counter is changed under a mutex
//   paired with a condition variable, so no request is lost between the
//   thread's last look at it and its sleep.
#include <atomic>
#include <chrono>
#include <condition_variable>
#include <deque>
#include <functional>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <thread>
#include <vector>

#include "engine/IEngine.h"
#include "engine/ModelManager.h"
#include "platform/ReentrantLock.h"
#include "render/FrameRenderer.h"
#include "render/GlReleaseQueue.h"
#include "render/RenderHost.h"
#include "render/SideManager.h"
#include "scene/SceneParams.h"
#include "snapshot/SceneSnapshot.h"

struct SceneFileData;

// How a render job ended: the file it was to write and its outcome (the
// messages were reported as well).
struct RenderJobResult {
    std::string fileName;
    boxora::Outcome outcome;
    double outputMs = 0;  // the output step's time after the last row (encoding, writing)
};

class CEngine : public IEngine, public IRenderHost {
public:
    CEngine();
    ~CEngine() override;
    CEngine(const CEngine&) = delete;
    CEngine& operator=(const CEngine&) = delete;

    // --- IEngine ---
    bool Initialize(IFrameSink* sink) override;
    bool Release() override;
    void Redraw(int unused = 0) override;
    void Resize(int width, int height) override;
    void AddObject(const std::string& path) override;
    void SetObjectImage(int id, int face, const std::string& path) override;
    void DeleteObject(int id, bool recompute) override;
    C3DObject* GetObject(int id) override;
    std::vector<ObjectListEntry> GetObjectList() override;
    void SetObjectTranslateX(int id, int value) override;
    void SetObjectTranslateY(int id, int value) override;
    void SetObjectTranslateZ(int id, int value) override;
    void SetObjectRotateX(int id, int degrees) override;
    void SetObjectRotateY(int id, int degrees) override;
    void SetObjectRotateZ(int id, int degrees) override;
    void SetObjectScaleX(int id, float factor) override;
    void SetObjectScaleY(int id, float factor) override;
    void SetObjectScaleZ(int id, float factor) override;
    void DeleteAllObjects() override;
    void LoadScene(const std::string& path) override;
    bool SaveScene(const std::string& path) override;
    boxora::Outcome WriteScene(const std::string& path) override;
    void RenderToFile(const RenderJob& job) override;
    void SetSetting(boxora::Setting setting, double value) override;
    std::string SceneFileText() override;
    void LoadSceneText(std::string text) override;

    // --- Further operations ---
    // Queues an object for deletion by the scene thread; the caller then
    // calls Redraw.
    void QueueObjectDeletion(int id);
    // Puts the scene's settings (camera, lights, shadow, reflection,
    // background) back to the values a new engine starts with, as before a
    // scene of its own; objects and the viewport stay. Ends with a redraw
    // request.
    void ResetSceneSettings();
    // The preview's size; the scene thread applies it with Resize before its
    // next frame.
    void SetPreviewSize(int width, int height);
    // Before Initialize: an engine without a preview (boxora-render, tools).
    // No preview context is made and no preview frame drawn; images are
    // decoded only by render jobs, at the size their picture needs, and a
    // job reports those that give no pixels.
    void SetHeadless();
    bool Headless() const { return headless_; }
    // Where the engine's messages and progress go (not owned; nullptr:
    // standard error). Set before the threads start.
    void SetReporter(boxora::IReporter* reporter);
    boxora::IReporter& Reporter() { return *reporter_; }

    // The results of the render jobs ended since the last call, in order
    // (render thread's record; any thread).
    std::vector<RenderJobResult> TakeRenderResults();
    // What the last scene load had to say (models and images that could not
    // be loaded, warnings), as it was shown; taken once (any thread).
    boxora::Outcome TakeSceneLoadOutcome();

    // The engine lock, for tools and tests that read the scene's geometry:
    // std::lock_guard lock(Engine().Lock()). The interface does not take it.
    ReentrantLock& Lock() override { return lock_; }
    // The objects as last published (never null).
    SceneSnapshotPtr Snapshot() const;
    // The scene as it is now, changes still queued included, published
    // and returned (takes the engine lock briefly; never null). Render jobs
    // and exporters start from it.
    SceneSnapshotPtr PublishScene() override;
    // A render job's picture is to be written under another name: queued
    // jobs and the job in progress take the new name, and a picture already
    // written under the old name is moved (a template renamed while its
    // preview is rendered).
    void RetargetRenderOutput(const std::string& from, const std::string& to);
    // For the render thread: the name the picture of the job in progress is
    // to be written under now, and, once it is written under that name,
    // FinishRenderOutput moves it when the job was retargeted meanwhile.
    std::string RenderOutputName(const std::string& requested) override;
    void FinishRenderOutput(const std::string& written) override;

    SceneParams& Params() override { return params_; }
    CModelManager& Models() { return models_; }
    CSideManager& Sides() override { return sides_; }
    SceneModel& SceneObjects() override { return models_.Model(); }
    TextureNameTable& TextureNames() override { return models_.TextureNames(); }
    CTextureStore& Textures() override { return models_.Textures(); }
    GlReleaseQueue& ReleaseQueue() { return releaseQueue_; }
    IFrameRenderer& Renderer() { return *renderer_; }
    // Replaces the renderer; only before Initialize.
    void SetFrameRenderer(std::unique_ptr<IFrameRenderer> renderer);

    // --- For the renderer ---
    // The continue condition of full frames: (previous result and render
    // mode not 1) or a scene load pending or RedrawCounter not 2.
    bool ContinueCondition(bool previousResult) const override;
    int RedrawCounter() const { return redrawCounter_.load(); }
    bool LoadPending() const { return loadPending_.load(); }
    // Set by Release while the worker threads are ending, or on the render
    // thread when its job was cancelled: a render job in progress stops
    // early and writes nothing.
    bool RenderAbortRequested() const override;
    bool RenderJobActive() const { return renderJobActive_.load(); }
    ThreadRole RoleOfCurrentThread() const;

    // Progress and notifications to the main window.
    void NotifyBegin(int kind);
    void NotifyEnd();
    void ReportProgress(float value) override;
    void Report(const boxora::Outcome& outcome) override;
    void AddProgress(float delta) override;
    void NotifySceneChanged();

    // --- State for tools and tests ---
    bool Initialized() const { return initialized_.load(); }
    bool ThreadsRunning() const { return threadsStarted_.load(); }
    // Waits until the worker threads have nothing left to do: queues empty,
    // no queued change, no render job, the scene thread asleep. False on
    // timeout or when the threads are not running.
    bool WaitForIdle(std::chrono::milliseconds timeout);

    // Called by the scene thread with "changes", "delete", "add", "load" or
    // "textures" each time it starts on a non-empty queue (diagnostics and
    // tests). Set before the threads start.
    void SetQueueTrace(std::function<void(const char* queue)> trace) { queueTrace_ = std::move(trace); }

    // The scene-file load, as the scene thread performs it (engine lock
    // held by the caller).
    // A scene to load: a file, or a scene file's text held in memory.
    struct SceneLoad {
        std::string path;
        std::optional<std::string> text;
    };
    void LoadSceneNow(const SceneLoad& load);
    // Publishes the scene for writing it out, without waiting for a render job.
    void PublishForFile();
    void ApplySceneFile(const SceneFileData& data);
    // DeleteObject's work, engine lock held.
    void DeleteObjectLocked(int id, bool recompute);
    // SetObjectImage's work, engine lock held; false when the object or its
    // cover face does not exist.
    bool SetObjectImageLocked(int id, int face, const std::string& path);

private:
    enum class ObjectField { TranslateX, TranslateY, TranslateZ, RotateX, RotateY, RotateZ, ScaleX, ScaleY, ScaleZ };

    // Runs change under the engine lock now if it can get it soon, else
    // queues it for the scene thread; a change that returns true redraws.
    // patch shows a queued change in the snapshot until it is applied.
    void RunLockedOrQueued(std::function<bool()> change, std::function<void(SceneSnapshot&)> patch = {});
    // Engine lock held: a new snapshot from the objects, with the changes
    // still queued.
    void PublishSnapshot();
    void ApplyQueuedChanges();
    void ChangeObject(int id, ObjectField field, float value);
    // Shows the messages of an outcome; during a scene load they become
    // part of the load's outcome as well.
    void Raise(const boxora::Outcome& outcome);
    bool ApplyObjectChangeLocked(int id, ObjectField field, float value);

    void StartThreads();
    void RequestRedraw();
    void SceneThreadMain();
    void RenderThreadMain();
    void ProcessQueues();
    void ProcessDeleteQueue();
    void ProcessAddQueue();
    void ProcessLoadQueue();
    void ProcessPendingTextures();
    // Start of a locked section of the scene thread that may use OpenGL.
    void BeginGlSection();
    void DrawPreviewFrame(int mode);
    bool WorkQueued() const;
    void Trace(const char* queue) {
        if (queueTrace_) queueTrace_(queue);
    }

    SceneParams params_;
    boxora::StderrReporter stderrReporter_;
    boxora::IReporter* reporter_ = &stderrReporter_;
    bool headless_ = false;
    GlReleaseQueue releaseQueue_;
    CModelManager models_;
    CSideManager sides_;
    std::unique_ptr<IFrameRenderer> renderer_;
    ReentrantLock lock_;

    // Work queues (guarded by queueMutex_).
    mutable std::mutex queueMutex_;
    std::deque<int> deleteQueue_;
    std::deque<std::string> addQueue_;
    std::deque<SceneLoad> loadQueue_;
    struct QueuedChange {
        std::function<bool()> apply;
        std::function<void(SceneSnapshot&)> patch;
    };
    std::deque<QueuedChange> changeQueue_;
    // Guards snapshot_; taken before queueMutex_ when both are needed.
    mutable std::mutex snapshotMutex_;
    SceneSnapshotPtr snapshot_ = std::make_shared<SceneSnapshot>();
    // Keeps the meshes and artwork handles of the last publish (engine lock).
    boxora::SnapshotBuilder snapshotBuilder_;

    // Threads and signalling.
    std::atomic<bool> initialized_{false};
    std::atomic<bool> threadsStarted_{false};
    std::atomic<bool> running_{false};
    std::atomic<bool> loadPending_{false};
    std::atomic<bool> renderJobActive_{false};
    std::atomic<int> redrawCounter_{0};
    std::mutex startMutex_;
    mutable std::mutex signalMutex_;  // guards changes of redrawCounter_ and sceneAsleep_
    std::condition_variable sceneWake_;
    std::condition_variable idleChanged_;
    bool sceneAsleep_ = false;
    std::mutex renderMutex_;  // guards renderJobs_ and renderBusy_
    std::condition_variable renderWake_;
    std::deque<RenderJob> renderJobs_;
    std::vector<RenderJobResult> renderResults_;
    bool renderBusy_ = false;
    // Output of the job in progress (empty between jobs), by renderMutex_.
    std::string activeOutput_;
    // The cancel test of the job in progress; only the render thread touches it.
    std::function<bool()> activeJobCancelled_;
    // Scene loads, adds and deletes running on the scene thread. They hold
    // the engine lock briefly and publish a snapshot when done, so a save
    // waits for them (it never waits for a render job).
    std::atomic<int> sceneChanging_{0};
    struct SceneChangeMark {
        explicit SceneChangeMark(std::atomic<int>& count) : count_(count) { ++count_; }
        ~SceneChangeMark() { --count_; }
        SceneChangeMark(const SceneChangeMark&) = delete;
        SceneChangeMark& operator=(const SceneChangeMark&) = delete;
        std::atomic<int>& count_;
    };
    std::thread sceneThread_;
    std::thread renderThread_;
    std::atomic<std::thread::id> uiThreadId_{};
    std::atomic<std::thread::id> sceneThreadId_{};
    std::atomic<std::thread::id> renderThreadId_{};

    // Preview size requested by the preview widget, and the size the scene
    // thread applied last.
    std::atomic<int> previewWidth_{0};
    std::atomic<int> previewHeight_{0};
    int appliedWidth_ = -1;
    int appliedHeight_ = -1;

    std::atomic<float> progress_{0};
    std::mutex loadOutcomeMutex_;  // guards loadOutcome_ and recordingLoad_
    boxora::Outcome loadOutcome_;
    bool recordingLoad_ = false;
    // Images a scene being loaded names but that are nowhere to be found,
    // told in one message at the end rather than one box each.
    std::vector<std::string> missingOnLoad_;
    std::function<void(const char*)> queueTrace_;
};

// The program's engine.
CEngine& Engine();
