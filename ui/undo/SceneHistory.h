#pragma once
// The undo history of the scene and whether it differs from the saved
// project. The pages report each change the user makes; a change that
// arrives while a step of the same key is still open joins that step, so a
// slider drag, a typed number or a wheel turn is one step. Changes made by
// the program (re-reading the pages, applying an undo) are not recorded.
#include <QObject>
#include <QUndoStack>
#include <array>
#include <functional>
#include <string>

#include "ui/EngineBinding.h"
#include "ui/undo/SceneSettings.h"
#include "ui/undo/SceneSnapshots.h"
#include "ui/undo/ValueCommand.h"

namespace boxora {

class SceneHistory : public QObject {
    Q_OBJECT
public:
    explicit SceneHistory(EngineBinding& engine, QObject* parent = nullptr);

    QUndoStack* Stack() { return &stack_; }
    // The project differs from what was last saved or opened.
    bool IsModified() const { return !stack_.isClean(); }

    // Whether a change made now comes from the user: no undo or redo is being
    // applied and no multi-setting change is collecting it.
    bool IsRecording() const { return pause_ == 0 && settingsDepth_ == 0; }

    // One settings row went from before to after; apply puts a value back.
    void RecordValue(EditKey key, int before, int after, std::function<void(int)> apply);
    // One scene setting went from before to after (a row of a settings
    // page); undo and redo set it through the engine. Changes of settings
    // that share the table's merge id join one step while it is open.
    void RecordSetting(Setting setting, double before, double after);
    // The three scale factors of the object at this list position, changed
    // together (Fit to Images, a typed size, a locked scale). source keys the
    // step: steps of one source and object merge while keepOpen holds.
    void RecordScale(const void* source, int objectIndex, std::array<float, 3> before, std::array<float, 3> after,
                     bool keepOpen = false);
    // A face image of the object at this list position.
    void RecordImage(int objectIndex, int face, std::string before, std::string after);
    // A change that may touch several scene-wide settings: the settings are
    // taken at the first Begin and compared at the matching End. Rows edited
    // in between belong to it. keepOpen lets the next change with the same
    // key join the step (wheel turns).
    void BeginSettingsChange();
    void EndSettingsChange(EditKey key, bool keepOpen = false);
    // Adding or deleting objects, loading a template: before is the scene
    // taken just before (TakeScene), redo does the action again.
    QByteArray TakeScene();
    void RecordSceneChange(QByteArray before, std::function<void()> redo);

    void Undo();
    void Redo();
    // The step on top takes no further edits.
    void Seal();
    // A new or opened project: no history, nothing modified.
    void Clear();
    // The project was saved: this is the unmodified state.
    void MarkSaved();

    // How the pages are made to show the scene again after an undo or redo.
    void SetRefresh(std::function<void()> refresh) { refresh_ = std::move(refresh); }

    // Holds recording off for its lifetime.
    class Pause {
    public:
        explicit Pause(SceneHistory* history) : history_(history) {
            if (history_) ++history_->pause_;
        }
        ~Pause() {
            if (history_) --history_->pause_;
        }
        Pause(const Pause&) = delete;
        Pause& operator=(const Pause&) = delete;

    private:
        SceneHistory* history_;
    };

    // One multi-setting change for its lifetime (Begin at construction, End
    // with key at destruction).
    class SettingsChange {
    public:
        SettingsChange(SceneHistory* history, const void* source) : history_(history), source_(source) {
            if (history_) history_->BeginSettingsChange();
        }
        ~SettingsChange() {
            if (history_) history_->EndSettingsChange({source_, -1});
        }
        SettingsChange(const SettingsChange&) = delete;
        SettingsChange& operator=(const SettingsChange&) = delete;

    private:
        SceneHistory* history_;
        const void* source_;
    };

signals:
    void modifiedChanged(bool modified);

private:
    void Push(QUndoCommand* command);
    void Refresh();
    int ObjectIdAt(int index) const;

    EngineBinding& engine_;
    QUndoStack stack_;
    SceneSnapshots snapshots_;
    std::function<void()> refresh_;
    int pause_ = 0;
    int settingsDepth_ = 0;
    SettingValues settingsBefore_{};
};

}  // namespace boxora
