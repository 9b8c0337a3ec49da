#pragma once
// New, Open, Save and Save As of project files. The commands keep the
// project state and the window title; loading and saving are the engine's.
// What they need of the windowing side (file dialogs, the title, the wait
// cursor) comes through IProjectUi, questions and errors through the
// program's notifier, so the commands run the same in the desktop program
// and in tests.
#include <optional>
#include <string>

#include "project/ProjectState.h"

class IEngine;

namespace boxora {

class IProjectUi {
public:
    virtual ~IProjectUi() = default;
    // The open-file dialog: no default extension, no initial name. The full
    // path of the chosen file, or nothing when cancelled.
    virtual std::optional<std::string> AskOpenPath(const std::string& filter) = 0;
    // The save-file dialog with a default extension (".scn"), an initial file
    // name and the question before replacing an existing file. The full path,
    // or nothing when cancelled.
    virtual std::optional<std::string> AskSavePath(const std::string& defaultExtension, const std::string& initialName,
                                                   const std::string& filter) = 0;
    // A folder dialog (for Collect Project); nothing when cancelled.
    virtual std::optional<std::string> AskFolder() { return std::nullopt; }
    // The main window's title.
    virtual void SetTitle(const std::string& title) = 0;
    // Wait cursor on (true) or back to the arrow (false).
    virtual void SetBusy(bool busy) = 0;

    // Whether the scene holds changes the project file does not.
    virtual bool HasUnsavedChanges() const { return false; }
    // The project file now holds the scene (it was saved).
    virtual void ProjectSaved() {}
    // Another project took the scene's place (new or opened): nothing is
    // changed and there is nothing to undo.
    virtual void ProjectReplaced() {}
    // A project file the user worked with, for the recent projects.
    virtual void RememberProject(const std::string& /*path*/) {}
};

class CProjectCommands {
public:
    CProjectCommands(ProjectState& state, IEngine& engine, IProjectUi& ui);

    // Asks whether to save the current project when it holds unsaved
    // changes, then clears the scene and starts "New Project". A cancelled Save As dialog does not
    // stop it; a save that fails does, so the scene is not lost.
    void NewProject();
    // Asks to save first when the project holds unsaved changes; then the
    // open dialog and Open by path.
    void OpenProject();
    // Makes path the project (fileName its name), loads it and titles the
    // window. Used by Open Project and the command line. A file that cannot
    // be read as a scene is reported ("Could not open file") and changes
    // nothing: false then.
    bool OpenByPath(const std::string& path, const std::string& fileName);
    // A dropped project or a recent one: asks as Open Project does, then
    // opens path.
    void OpenWithQuestion(const std::string& path);
    // Loads a template as a new, untitled project (asking first as Open
    // Project does), so the first Save asks where. False when the user
    // cancelled or the file is no scene.
    bool OpenTemplate(const std::string& scenePath);
    // Before the scene is lost (closing the program, loading a template):
    // with unsaved changes, asks whether to save them. False when the user
    // cancels or the project could not be saved (the program stays as it is).
    bool MayDiscardChanges();
    // Saves to the project path, or runs Save As when there is none. True
    // when the scene was written.
    bool SaveProject();
    // The save dialog, then saves there and makes it the project. False when
    // cancelled or when the file could not be written (the project keeps its
    // previous path and name then).
    bool SaveProjectAs();
    // The folder dialog, then the scene as it is now and every image it uses
    // copied into that folder (the scene naming them relative to it), with
    // a message saying how it went. False when cancelled or failed.
    bool CollectProject();

    const ProjectState& State() const { return state_; }

private:
    enum class SaveResult { Saved, Cancelled, Failed };
    SaveResult RunSaveAs();
    // SaveScene with a message when the file could not be written.
    bool WriteScene(const std::string& path);
    // The "saveprj" question with the project name: Yes, No or Cancel.
    int AskToSave();
    // Answers the save question's Yes; false when the project must not go on
    // (the file could not be written).
    bool SaveBeforeLeaving(bool saveAsWhenUnnamed);
    // The save question when the project has unsaved changes. True when the
    // project may be left: nothing to lose, No, or Yes and it was saved.
    bool MayLeaveProject();

    ProjectState& state_;
    IEngine& engine_;
    IProjectUi& ui_;
};

}  // namespace boxora
