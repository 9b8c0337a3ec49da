#include "ui/undo/SceneHistory.h"

#include "engine/IEngine.h"
#include "scene/SceneParams.h"
#include "ui/undo/ActionCommand.h"

namespace boxora {
namespace {
// The sources of the steps that set a face image and a scene setting.
constexpr char kImageSource = 0;
constexpr char kSettingSource = 0;
}  // namespace

SceneHistory::SceneHistory(EngineBinding& engine, QObject* parent) : QObject(parent), engine_(engine) {
    connect(&stack_, &QUndoStack::cleanChanged, this, [this](bool clean) { emit modifiedChanged(!clean); });
}

void SceneHistory::Push(QUndoCommand* command) {
    Pause pause(this);
    stack_.push(command);
}

void SceneHistory::Refresh() {
    Pause pause(this);
    if (refresh_) refresh_();
}

int SceneHistory::ObjectIdAt(int index) const {
    if (!engine_.engine || index < 0) return -1;
    const std::vector<ObjectListEntry> objects = engine_.engine->GetObjectList();
    return index < static_cast<int>(objects.size()) ? objects[static_cast<std::size_t>(index)].id : -1;
}

void SceneHistory::RecordValue(EditKey key, int before, int after, std::function<void(int)> apply) {
    if (!IsRecording() || before == after) return;
    Push(new ValueCommand<int>(key, before, after, [this, apply = std::move(apply)](const int& value) {
        Pause pause(this);
        apply(value);
    }));
}

void SceneHistory::RecordSetting(Setting setting, double before, double after) {
    if (!IsRecording() || before == after) return;
    auto apply = [this, setting](const double& value) {
        if (IEngine* engine = engine_.engine) {
            Pause pause(this);
            engine->SetSetting(setting, value);
        }
        Refresh();
    };
    Push(new ValueCommand<double>({&kSettingSource, RowOf(setting).mergeId}, before, after, apply));
}

void SceneHistory::RecordImage(int objectIndex, int face, std::string before, std::string after) {
    if (!IsRecording() || before == after || objectIndex < 0) return;
    auto apply = [this, objectIndex, face](const std::string& path) {
        if (engine_.engine) engine_.engine->SetObjectImage(ObjectIdAt(objectIndex), face, path);
        Refresh();
    };
    Push(new ValueCommand<std::string>({&kImageSource, objectIndex * 8 + face}, std::move(before), std::move(after),
                                       apply, false));
}

void SceneHistory::RecordScale(const void* source, int objectIndex, std::array<float, 3> before,
                               std::array<float, 3> after, bool keepOpen) {
    if (!IsRecording() || before == after || objectIndex < 0) return;
    auto apply = [this, objectIndex](const std::array<float, 3>& scale) {
        if (IEngine* engine = engine_.engine) {
            const int id = ObjectIdAt(objectIndex);
            engine->SetObjectScaleX(id, scale[0]);
            engine->SetObjectScaleY(id, scale[1]);
            engine->SetObjectScaleZ(id, scale[2]);
            engine->Redraw();
        }
        Refresh();
    };
    Push(new ValueCommand<std::array<float, 3>>({source, objectIndex}, before, after, apply, keepOpen));
}

void SceneHistory::BeginSettingsChange() {
    if (pause_ > 0) return;
    if (settingsDepth_++ == 0 && engine_.scene) settingsBefore_ = CaptureSettings(*engine_.scene);
}

void SceneHistory::EndSettingsChange(EditKey key, bool keepOpen) {
    if (pause_ > 0 || settingsDepth_ == 0) return;
    if (--settingsDepth_ > 0 || !engine_.scene || !engine_.engine) return;
    const SettingValues after = CaptureSettings(*engine_.scene);
    if (after == settingsBefore_) return;
    auto apply = [this](const SettingValues& target) {
        {
            Pause pause(this);
            ApplySceneSettings(*engine_.engine, *engine_.scene, target);
        }
        Refresh();
    };
    Push(new ValueCommand<SettingValues>(key, settingsBefore_, after, apply, keepOpen));
}

QByteArray SceneHistory::TakeScene() {
    return engine_.engine && IsRecording() ? snapshots_.Take(*engine_.engine) : QByteArray();
}

void SceneHistory::RecordSceneChange(QByteArray before, std::function<void()> redo) {
    if (!IsRecording() || before.isEmpty() || !engine_.engine) return;
    auto undo = [this, before] {
        Pause pause(this);
        snapshots_.Restore(*engine_.engine, before);
    };
    auto again = [this, redo = std::move(redo)] {
        Pause pause(this);
        redo();
    };
    Push(new ActionCommand(undo, again));
}

void SceneHistory::Undo() {
    Seal();
    {
        Pause pause(this);
        stack_.undo();
    }
    Seal();
}

void SceneHistory::Redo() {
    Seal();
    {
        Pause pause(this);
        stack_.redo();
    }
    Seal();
}

void SceneHistory::Seal() {
    const int top = stack_.index() - 1;
    if (top < 0) return;
    if (const auto* command = dynamic_cast<const MergeableCommand*>(stack_.command(top)))
        const_cast<MergeableCommand*>(command)->Close();
}

void SceneHistory::Clear() {
    settingsDepth_ = 0;
    stack_.clear();
}

void SceneHistory::MarkSaved() {
    Seal();
    stack_.setClean();
}

}  // namespace boxora
