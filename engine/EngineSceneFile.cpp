// Saving and loading scene files through the engine.
#include <algorithm>
#include <chrono>

#include "engine/Engine.h"
#include "engine/SceneFile.h"
#include "lang/Messages.h"
#include "model/ForeignModel.h"
#include "model/shapes/ShapeSpec.h"
#include "platform/AppPaths.h"
#include "platform/TextUtil.h"

bool CEngine::SaveScene(const std::string& path) { return !WriteScene(path).failed; }

std::string CEngine::SceneFileText() {
    PublishForFile();
    return BuildSceneDocument(params_, *Snapshot()).Serialize();
}

boxora::Outcome CEngine::WriteScene(const std::string& path) {
    PublishForFile();
    return WriteSceneFile(path, params_, *Snapshot());
}

void CEngine::PublishForFile() {
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
}

void CEngine::LoadSceneNow(const SceneLoad& load) {
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
    if (load.text) {
        // A scene kept in memory names its images as they were found.
        ApplySceneFile(ParseSceneFile(*load.text));
    } else {
        const std::string& path = load.path;
        const std::size_t slash = path.find_last_of('/');
        textures.SetSceneFolder(slash == std::string::npos ? std::string("./") : path.substr(0, slash + 1));
        ApplySceneFile(ReadSceneFile(path));
    }
    textures.SetSceneFolder({});
    std::vector<std::string> missing;
    {
        std::lock_guard record(loadOutcomeMutex_);
        recordingLoad_ = false;
        std::swap(missing, missingOnLoad_);
    }
    if (!missing.empty()) {
        std::string list;
        for (const std::string& file : missing) list += "\n" + file;
        Report(boxora::Outcome::Failure(
            {"Common",
             "filesmissing",
             "The scene uses files that were not found, neither where it names them nor beside it:%s",
             {list}}));
    }
}

void CEngine::Raise(const boxora::Outcome& outcome) {
    boxora::Outcome shown = outcome;
    {
        std::lock_guard record(loadOutcomeMutex_);
        if (recordingLoad_) {
            loadOutcome_.Merge(outcome);
            // Missing images of a scene being opened are gathered.
            std::erase_if(shown.messages, [this](const boxora::UserMessage& m) {
                if (m.key != "textnotfound" || m.args.empty()) return false;
                if (std::find(missingOnLoad_.begin(), missingOnLoad_.end(), m.args[0]) == missingOnLoad_.end())
                    missingOnLoad_.push_back(m.args[0]);
                return true;
            });
        }
    }
    Report(shown);
}

boxora::Outcome CEngine::TakeSceneLoadOutcome() {
    std::lock_guard record(loadOutcomeMutex_);
    boxora::Outcome outcome;
    std::swap(outcome, loadOutcome_);
    return outcome;
}

void CEngine::ApplySceneFile(const SceneFileData& data) {
    // Values are stored as read: the setters' rules (the camera's lift)
    // are for values the user gives.
    bool shadowChanged = false;
    for (const boxora::SettingRow& row : boxora::SettingTable()) {
        const std::optional<double>& value = data.settings[static_cast<int>(row.id)];
        if (!value) continue;
        row.store(params_, *value);
        shadowChanged = shadowChanged || (row.effects & boxora::kEffectShadow) != 0;
    }
    if (shadowChanged) renderer_->InvalidateShadowList();
    if (!data.problems.messages.empty()) Raise(data.problems);

    if (data.objectsLeftOut > 0) {
        boxora::Outcome leftOut;
        leftOut.Note({"",
                      "",
                      "The scene holds more than %s objects: the last %s were left out",
                      {std::to_string(kMaxObjects), std::to_string(data.objectsLeftOut)},
                      boxora::MsgIcon::Warning});
        Raise(leftOut);
    }
    if (data.cutAfterLine > 0) {
        boxora::Outcome cut;
        cut.Note({"",
                  "",
                  "The scene file is longer than can be read: everything after line %s was left out",
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
        std::optional<std::string> modelPath = section.shape ? std::string(boxora::kShapePrefix) + *section.shape
                                                             : ModelPathForObjectName(section.objectName);
        double mmPerUnit = 0;
        if (section.modelFile && !section.shape && boxora::IsForeignModelPath(*section.modelFile)) {
            const std::string& file = *section.modelFile;
            modelPath = file.front() == '/' ? file : models_.Textures().SceneFolder() + file;
            if (section.modelUnits) mmPerUnit = boxora::MillimetresPerUnit(*section.modelUnits);
        }
        if (!modelPath) {
            Raise(boxora::Outcome::Failure(
                {"", "", "Could not open file: %s", {boxora::ObjectsFolder() + section.objectName + ".3ds"}}));
            continue;
        }
        const boxora::Outcome loaded = models_.LoadModelFile(*modelPath, false, mmPerUnit);
        Raise(loaded);
        if (loaded.failed) continue;
        sides_.RefreshMirrors();
        C3DObject& object = *model.objects.back();
        if (!object.modelFile.empty()) {
            // Saved again as the scene named it (relative stays relative).
            object.modelFile = *section.modelFile;
            if (mmPerUnit > 0) object.modelUnits = *section.modelUnits;
        }
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
