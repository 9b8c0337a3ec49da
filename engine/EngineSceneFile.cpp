// Saving and loading scene files through the engine.
#include <algorithm>
#include <chrono>

#include "engine/Engine.h"
#include "engine/SceneFile.h"
#include "lang/Messages.h"
#include "platform/AppPaths.h"
#include "platform/Notifier.h"
#include "platform/TextUtil.h"

bool CEngine::SaveScene(const std::string& path) { return !WriteScene(path).failed; }

boxora::Outcome CEngine::WriteScene(const std::string& path) {
    // From the published snapshot, so that saving never waits for a render
    // job; changes still queued are in it.
    bool locked = lock_.try_lock();
    // A scene load or object add in progress has changed the objects but not
    // yet published them: wait for it, or the file would miss its objects.
    while (!locked && sceneChanging_.load() > 0) locked = lock_.try_lock_for(std::chrono::milliseconds(20));
    if (locked) {
        std::lock_guard lock(lock_, std::adopt_lock);
        ApplyQueuedChanges();
        PublishSnapshot();
    }
    return WriteSceneFile(path, params_, *Snapshot());
}

void CEngine::LoadSceneNow(const std::string& path) {
    // Engine lock held by the caller (the scene thread).
    loadPending_ = false;
    {
        std::lock_guard record(loadOutcomeMutex_);
        loadOutcome_ = {};
        recordingLoad_ = true;
    }
    NotifyBegin(boxora::ENGINE_OP_LOAD_SCENE);
    std::vector<int> ids;
    {
        std::lock_guard list(models_.ListMutex());
        for (const auto& o : models_.Model().objects) ids.push_back(o->id);
    }
    for (auto it = ids.rbegin(); it != ids.rend(); ++it) DeleteObjectLocked(*it, false);
    // Images the scene names are also looked for beside the scene file, and
    // broken ones are reported again for this scene.
    CTextureStore& textures = models_.Textures();
    textures.ForgetReportedImages();
    const std::size_t slash = path.find_last_of('/');
    textures.SetSceneFolder(slash == std::string::npos ? std::string("./") : path.substr(0, slash + 1));
    ApplySceneFile(ReadSceneFile(path));
    textures.SetSceneFolder({});
    std::lock_guard record(loadOutcomeMutex_);
    recordingLoad_ = false;
}

void CEngine::Raise(const boxora::Outcome& outcome) {
    boxora::RaiseMessages(outcome);
    std::lock_guard record(loadOutcomeMutex_);
    if (recordingLoad_) loadOutcome_.Merge(outcome);
}

boxora::Outcome CEngine::TakeSceneLoadOutcome() {
    std::lock_guard record(loadOutcomeMutex_);
    boxora::Outcome outcome;
    std::swap(outcome, loadOutcome_);
    return outcome;
}

void CEngine::ApplySceneFile(const SceneFileData& data) {
    if (data.lightShadow) {
        const LightShadowSection& s = *data.lightShadow;
        params_.globalLightBrightness = s.brightness;
        params_.Light_Source_Enabled_1 = s.light1Enabled;
        params_.light1HorizontalRotation = s.light1Horizontal;
        params_.light1VerticalRotation = s.light1Vertical;
        params_.light1Distance = s.light1Distance;
        params_.RecomputeLight1Position();
        params_.Light_Source_Enabled_2 = s.light2Enabled;
        params_.light2HorizontalRotation = s.light2Horizontal;
        params_.light2VerticalRotation = s.light2Vertical;
        params_.light2Distance = s.light2Distance;
        params_.RecomputeLight2Position();
        params_.SetShadowDirectionPlain(static_cast<float>(s.shadowDirection));
        params_.SetShadowLengthPlain(static_cast<float>(s.shadowLength));
        params_.Shadow_Intensity = s.shadowIntensity;
        params_.Shadow_Blur = s.shadowBlur;
        renderer_->InvalidateShadowList();
    }
    if (data.camera) {
        const CameraSection& c = *data.camera;
        params_.cameraHorizontalRotation = c.horizontal;
        params_.cameraVerticalRotation = c.vertical;
        params_.cameraTarget.SetAt(0, c.targetHorizontal);
        params_.cameraTarget.SetAt(1, c.targetVertical);
        params_.cameraZoom = c.zoom;
        params_.Camera_Perspective = c.perspective;
    }
    if (data.reflection) {
        const ReflectionSection& r = *data.reflection;
        params_.Reflection_Length = r.length;
        params_.Reflection_Opacity = r.opacity;
        params_.backgroundTransparent = r.backgroundTransparent;
        params_.backgroundColor = r.backgroundColor;
    }

    if (data.objectsLeftOut > 0) {
        boxora::Outcome leftOut;
        leftOut.Note({"", "", "The scene holds more than %s objects: the last %s were left out",
                      {std::to_string(kMaxObjects), std::to_string(data.objectsLeftOut)},
                      boxora::MsgIcon::Warning});
        Raise(leftOut);
    }
    if (data.cutAfterLine > 0) {
        boxora::Outcome cut;
        cut.Note({"", "", "The scene file is longer than can be read: everything after line %s was left out",
                  {std::to_string(data.cutAfterLine)},
                  boxora::MsgIcon::Warning});
        Raise(cut);
    }

    const float step = 5.0f / static_cast<float>(std::max<std::size_t>(1, data.objects.size()));
    models_.SetBatchSize(static_cast<int>(std::max<std::size_t>(1, data.objects.size())));
    SceneModel& model = models_.Model();
    for (const SceneObjectSection& section : data.objects) {
        // A thousand models take a while: closing the program does not wait for them.
        if (RenderAbortRequested()) break;
        const std::optional<std::string> modelPath = ModelPathForObjectName(section.objectName);
        if (!modelPath) {
            Raise(boxora::Outcome::Failure(
                {"", "", "Could not open file: %s", {boxora::ObjectsFolder() + section.objectName + ".3ds"}}));
            continue;
        }
        const boxora::Outcome loaded = models_.LoadModelFile(*modelPath, false);
        Raise(loaded);
        if (loaded.failed) continue;
        sides_.RefreshMirrors();
        C3DObject& object = *model.objects.back();
        if (section.type) object.type = *section.type;
        if (section.userName) models_.SetUserName(object, *section.userName);
        for (int k = 0; k < kCoverFaceCount; ++k) {
            // A face the section does not name keeps the model's own image,
            // which the model load left without texture.
            if (section.images[k])
                SetObjectImageLocked(object.id, k, *section.images[k]);
            else if (!object.coverImages[k].empty())
                SetObjectImageLocked(object.id, k, std::string(object.coverImages[k]));
            AddProgress(step);
        }
        static constexpr ObjectField kFields[9] = {
            ObjectField::TranslateX, ObjectField::TranslateY, ObjectField::TranslateZ,
            ObjectField::RotateX,    ObjectField::RotateY,    ObjectField::RotateZ,
            ObjectField::ScaleX,     ObjectField::ScaleY,     ObjectField::ScaleZ};
        for (int k = 0; k < 9; ++k)
            if (section.transform[k]) ApplyObjectChangeLocked(object.id, kFields[k], *section.transform[k]);
    }
    sides_.BuildSides();
    sides_.OrderSides(false);
    PublishSnapshot();
    NotifyEnd();
    NotifySceneChanged();
}
