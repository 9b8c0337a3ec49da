// The engine's work queues: objects to delete, model files to add, scene
// files to load (and changes queued by the user-interface thread while the
// engine lock was busy). They are appended on any thread and drained by the
// scene thread under the engine lock, in the order delete, add, load, then
// the textures waiting for upload.
#include "engine/Engine.h"
#include "lang/Messages.h"

void CEngine::AddObject(const std::string& path) {
    std::lock_guard queues(queueMutex_);
    addQueue_.push_back(path);
}

void CEngine::QueueObjectDeletion(int id) {
    std::lock_guard queues(queueMutex_);
    deleteQueue_.push_back(id);
}

void CEngine::DeleteAllObjects() {
    {
        std::lock_guard list(models_.ListMutex());
        std::lock_guard queues(queueMutex_);
        const auto& objects = models_.Model().objects;
        for (auto it = objects.rbegin(); it != objects.rend(); ++it) deleteQueue_.push_back((*it)->id);
    }
    Redraw();
}

void CEngine::LoadScene(const std::string& path) {
    loadPending_ = true;
    {
        std::lock_guard signal(signalMutex_);
        redrawCounter_ = 2;
    }
    {
        std::lock_guard queues(queueMutex_);
        loadQueue_.push_back({path, std::nullopt});
    }
    loadPending_ = true;
    Redraw();
}

void CEngine::LoadSceneText(std::string text) {
    loadPending_ = true;
    {
        std::lock_guard signal(signalMutex_);
        redrawCounter_ = 2;
    }
    {
        std::lock_guard queues(queueMutex_);
        loadQueue_.push_back({std::string(), std::move(text)});
    }
    Redraw();
}

void CEngine::ProcessQueues() {
    {
        std::lock_guard lock(lock_);
        ApplyQueuedChanges();
    }
    ProcessDeleteQueue();
    ProcessAddQueue();
    ProcessLoadQueue();
    ProcessPendingTextures();
}

void CEngine::ProcessDeleteQueue() {
    std::lock_guard lock(lock_);
    const SceneChangeMark changing(sceneChanging_);
    BeginGlSection();
    bool deleted = false;
    while (true) {
        int id;
        {
            std::lock_guard queues(queueMutex_);
            if (deleteQueue_.empty()) break;
            id = deleteQueue_.front();
            deleteQueue_.pop_front();
        }
        if (!deleted) Trace("delete");
        DeleteObjectLocked(id, false);
        deleted = true;
    }
    if (deleted) {
        PublishSnapshot();
        NotifySceneChanged();
        Redraw();
    }
}

void CEngine::ProcessAddQueue() {
    std::lock_guard lock(lock_);
    std::size_t count;
    {
        std::lock_guard queues(queueMutex_);
        count = addQueue_.size();
    }
    if (count == 0) return;
    const SceneChangeMark changing(sceneChanging_);
    BeginGlSection();
    Trace("add");
    NotifyBegin(boxora::ENGINE_OP_ADD_OBJECTS);
    models_.SetBatchSize(static_cast<int>(count));
    while (true) {
        std::string path;
        {
            std::lock_guard queues(queueMutex_);
            if (addQueue_.empty()) break;
            path = std::move(addQueue_.front());
            addQueue_.pop_front();
        }
        Report(models_.LoadModelFile(path, true));
        sides_.RefreshMirrors();
    }
    sides_.BuildSides();
    sides_.OrderSides(false);
    PublishSnapshot();
    NotifyEnd();
    NotifySceneChanged();
}

void CEngine::ProcessLoadQueue() {
    std::lock_guard lock(lock_);
    while (true) {
        SceneLoad load;
        {
            std::lock_guard queues(queueMutex_);
            if (loadQueue_.empty()) break;
            load = std::move(loadQueue_.front());
            loadQueue_.pop_front();
        }
        const SceneChangeMark changing(sceneChanging_);
        BeginGlSection();
        Trace("load");
        LoadSceneNow(load);
    }
}

void CEngine::ProcessPendingTextures() {
    std::lock_guard lock(lock_);
    BeginGlSection();
    if (!models_.Textures().PendingTextures().empty()) Trace("textures");
    Raise(models_.Textures().UploadPendingTextures());
}
