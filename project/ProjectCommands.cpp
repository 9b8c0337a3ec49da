#include "project/ProjectCommands.h"

#include "engine/CollectProject.h"
#include "engine/IEngine.h"
#include "engine/SceneFileCheck.h"
#include "lang/Lng.h"
#include "lang/Messages.h"
#include "platform/AppPaths.h"
#include "platform/Notifier.h"
#include "platform/TextUtil.h"

namespace boxora {
namespace {

constexpr int kAnswerYes = 0;
constexpr int kAnswerNo = 1;
constexpr int kAnswerCancel = 2;

// Wait cursor for the lifetime of the guard.
class BusyGuard {
public:
    explicit BusyGuard(IProjectUi& ui) : ui_(ui) { ui_.SetBusy(true); }
    ~BusyGuard() { ui_.SetBusy(false); }
    BusyGuard(const BusyGuard&) = delete;
    BusyGuard& operator=(const BusyGuard&) = delete;

private:
    IProjectUi& ui_;
};

}  // namespace

CProjectCommands::CProjectCommands(ProjectState& state, IEngine& engine, IProjectUi& ui)
    : state_(state), engine_(engine), ui_(ui) {}

int CProjectCommands::AskToSave() {
    const std::string text = FormatText(Lng().GetText("TabGeneral", "saveprj"), {state_.Name()});
    switch (Notifier().ShowMessage(text, MsgIcon::Question, MsgButtons::YesNoCancel)) {
        case MsgAnswer::Yes: return kAnswerYes;
        case MsgAnswer::No: return kAnswerNo;
        default: return kAnswerCancel;
    }
}

bool CProjectCommands::WriteScene(const std::string& path) {
    const Outcome outcome = engine_.WriteScene(path);
    RaiseMessages(outcome);
    return !outcome.failed;
}

bool CProjectCommands::SaveBeforeLeaving(bool saveAsWhenUnnamed) {
    if (state_.Path().empty()) {
        // A cancelled dialog is the user's choice to go on without saving.
        return !saveAsWhenUnnamed || RunSaveAs() != SaveResult::Failed;
    }
    return WriteScene(state_.Path());
}

void CProjectCommands::NewProject() {
    if (ui_.HasUnsavedChanges()) {
        const int answer = AskToSave();
        if (answer == kAnswerCancel) return;
        if (answer == kAnswerYes && !SaveBeforeLeaving(true)) return;
    }
    engine_.DeleteAllObjects();
    state_.Reset();
    ui_.SetTitle(ProjectTitle(state_.Name()));
    ui_.ProjectReplaced();
}

bool CProjectCommands::MayLeaveProject() {
    // A question that comes when nothing would be lost teaches people to
    // answer it without reading.
    if (!ui_.HasUnsavedChanges()) return true;
    const int answer = AskToSave();
    if (answer == kAnswerCancel) return false;
    // A cancelled Save As dialog keeps the changes and the project.
    return answer == kAnswerNo || SaveProject();
}

bool CProjectCommands::MayDiscardChanges() { return MayLeaveProject(); }

void CProjectCommands::OpenWithQuestion(const std::string& path) {
    if (!MayLeaveProject()) return;
    OpenByPath(path, FileNamePart(path));
}

void CProjectCommands::OpenProject() {
    if (!MayLeaveProject()) return;
    const std::optional<std::string> path = ui_.AskOpenPath(kSceneFileFilter);
    if (!path || path->empty()) return;
    OpenByPath(*path, FileNamePart(*path));
}

bool CProjectCommands::OpenTemplate(const std::string& scenePath) {
    if (!MayLeaveProject()) return false;
    if (!IsReadableSceneFile(scenePath)) {
        Notifier().ShowMessage(CouldNotOpenFileText(scenePath), MsgIcon::Error, MsgButtons::Ok);
        return false;
    }
    {
        BusyGuard busy(ui_);
        Notifier().EngineNotify(WM_ENGINE_BEGIN, ENGINE_OP_TEMPLATE);
        engine_.LoadScene(scenePath);
        Notifier().EngineNotify(WM_ENGINE_END, 0);
    }
    // The template is a starting point, not the file to save into: keeping
    // the previous project's name would let Save overwrite it.
    state_.Reset();
    ui_.SetTitle(ProjectTitle(state_.Name()));
    ui_.ProjectReplaced();
    return true;
}

bool CProjectCommands::OpenByPath(const std::string& path, const std::string& fileName) {
    // A file that is no scene would leave an empty scene under its name:
    // say so and keep the project as it is.
    if (!IsReadableSceneFile(path)) {
        Notifier().ShowMessage(CouldNotOpenFileText(path), MsgIcon::Error, MsgButtons::Ok);
        return false;
    }
    state_.Set(path, fileName);
    {
        BusyGuard busy(ui_);
        Notifier().EngineNotify(WM_ENGINE_BEGIN, ENGINE_OP_LOAD_SCENE);
        engine_.LoadScene(path);
        Notifier().EngineNotify(WM_ENGINE_END, 0);
    }
    ui_.SetTitle(ProjectTitle(fileName));
    ui_.ProjectReplaced();
    ui_.RememberProject(path);
    return true;
}

bool CProjectCommands::SaveProject() {
    if (state_.Path().empty()) return RunSaveAs() == SaveResult::Saved;
    if (!WriteScene(state_.Path())) return false;
    ui_.ProjectSaved();
    return true;
}

bool CProjectCommands::SaveProjectAs() { return RunSaveAs() == SaveResult::Saved; }

bool CProjectCommands::CollectProject() {
    const std::optional<std::string> folder = ui_.AskFolder();
    if (!folder || folder->empty()) return false;
    const std::string name = state_.Path().empty() ? state_.Name() + kSceneFileExtension : state_.Name();
    const std::string scene = *folder + "/" + name;
    CollectResult collected;
    {
        BusyGuard busy(ui_);
        // The scene as it is now, not as last saved.
        if (!WriteScene(scene)) return false;
        collected = CollectSceneFile(scene, *folder);
    }
    if (!collected.outcome.messages.empty()) RaiseMessages(collected.outcome);
    if (collected.outcome.failed) return false;
    Notifier().ShowMessage(FormatText(Lng().GetText("Common", "collected").empty()
                                          ? std::string("The project and the %s files it uses were copied to \"%s\".")
                                          : Lng().GetText("Common", "collected"),
                                      {std::to_string(collected.copied), *folder}),
                           MsgIcon::Information, MsgButtons::Ok);
    return true;
}

CProjectCommands::SaveResult CProjectCommands::RunSaveAs() {
    const std::optional<std::string> path = ui_.AskSavePath(kSceneFileExtension, state_.Name(), kSceneFileFilter);
    if (!path || path->empty()) return SaveResult::Cancelled;
    if (!WriteScene(*path)) return SaveResult::Failed;
    state_.Set(*path, FileNamePart(*path));
    ui_.SetTitle(ProjectTitle(state_.Name()));
    ui_.ProjectSaved();
    ui_.RememberProject(*path);
    return SaveResult::Saved;
}

}  // namespace boxora
