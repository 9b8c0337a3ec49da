#pragma once
// The desktop side of the project commands: Qt file dialogs for "*.scn"
// files, the main window's title and the wait cursor. Tests replace the
// modal dialogs with a hook.
#include <QString>
#include <functional>
#include <optional>
#include <string>

#include "project/ProjectCommands.h"

class CMainFrame;
class QWidget;

namespace boxora {
class SceneHistory;

class QtProjectUi : public IProjectUi {
public:
    // What a file dialog is asked to show.
    struct FileDialogRequest {
        bool save = false;
        bool folder = false;    // a folder is chosen (Collect Project)
        QString nameFilter;     // Qt form, e.g. "Boxora Scene (*.scn)"
        QString defaultSuffix;  // without the dot; empty for the open dialog
        QString initialName;    // empty for the open dialog
        QString directory;      // folder the dialog starts in
    };
    // Replaces the modal dialog: returns the chosen full path or nothing.
    using FileDialogHook = std::function<std::optional<std::string>(const FileDialogRequest&)>;

    // window: parent of the dialogs and owner of the title.
    explicit QtProjectUi(QWidget* window);

    void SetFileDialogHook(FileDialogHook hook) { hook_ = std::move(hook); }
    // The scene's undo history, which knows whether it was changed.
    void SetHistory(SceneHistory* history) { history_ = history; }
    // Told of every project file opened or saved.
    void SetRememberHook(std::function<void(const std::string&)> hook) { remember_ = std::move(hook); }

    std::optional<std::string> AskOpenPath(const std::string& filter) override;
    std::optional<std::string> AskFolder() override;
    std::optional<std::string> AskSavePath(const std::string& defaultExtension, const std::string& initialName,
                                           const std::string& filter) override;
    void SetTitle(const std::string& title) override;
    void SetBusy(bool busy) override;
    bool HasUnsavedChanges() const override;
    void ProjectSaved() override;
    void ProjectReplaced() override;
    void RememberProject(const std::string& path) override;

private:
    std::optional<std::string> Run(const FileDialogRequest& request);

    QWidget* window_;
    FileDialogHook hook_;
    SceneHistory* history_ = nullptr;
    std::function<void(const std::string&)> remember_;
    QString lastFolder_;
    int busyDepth_ = 0;
};

// Routes the main frame's New, Open, Save and Save As commands, its open by
// path (command line), dropped and recent projects and the questions before
// closing or loading a template to commands; ui learns of the frame's
// history and recent projects.
void InstallProjectCommands(CMainFrame& frame, CProjectCommands& commands, QtProjectUi& ui);

}  // namespace boxora
