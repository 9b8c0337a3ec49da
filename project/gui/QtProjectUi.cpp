#include "project/gui/QtProjectUi.h"

#include <QApplication>
#include <QDir>
#include <QFileDialog>
#include <QFileInfo>
#include <QWidget>

#include "project/ProjectState.h"
#include "ui/DialogMain.h"
#include "ui/MainFrame.h"
#include "ui/undo/SceneHistory.h"

namespace boxora {

QtProjectUi::QtProjectUi(QWidget* window) : window_(window), lastFolder_(QDir::homePath()) {}

std::optional<std::string> QtProjectUi::AskOpenPath(const std::string& filter) {
    FileDialogRequest request;
    request.save = false;
    request.nameFilter = QString::fromStdString(QtFileFilter(filter));
    request.directory = lastFolder_;
    return Run(request);
}

std::optional<std::string> QtProjectUi::AskFolder() {
    FileDialogRequest request;
    request.folder = true;
    request.directory = lastFolder_;
    return Run(request);
}

std::optional<std::string> QtProjectUi::AskSavePath(const std::string& defaultExtension, const std::string& initialName,
                                                    const std::string& filter) {
    FileDialogRequest request;
    request.save = true;
    request.nameFilter = QString::fromStdString(QtFileFilter(filter));
    request.defaultSuffix = QString::fromStdString(defaultExtension);
    if (request.defaultSuffix.startsWith(QLatin1Char('.'))) request.defaultSuffix.remove(0, 1);
    request.initialName = QString::fromStdString(initialName);
    request.directory = lastFolder_;
    return Run(request);
}

std::optional<std::string> QtProjectUi::Run(const FileDialogRequest& request) {
    std::optional<std::string> chosen;
    if (hook_) {
        chosen = hook_(request);
    } else {
        QFileDialog dialog(window_);
        dialog.setAcceptMode(request.save ? QFileDialog::AcceptSave : QFileDialog::AcceptOpen);
        dialog.setFileMode(request.folder ? QFileDialog::Directory
                                          : (request.save ? QFileDialog::AnyFile : QFileDialog::ExistingFile));
        if (request.folder)
            dialog.setOption(QFileDialog::ShowDirsOnly);
        else
            dialog.setNameFilter(request.nameFilter);
        dialog.setDirectory(request.directory);
        if (request.save) {
            // Replacing an existing file is confirmed by the dialog itself.
            dialog.setDefaultSuffix(request.defaultSuffix);
            dialog.selectFile(request.initialName);
        }
        if (dialog.exec() == QDialog::Accepted && !dialog.selectedFiles().isEmpty())
            chosen = QDir::cleanPath(dialog.selectedFiles().first()).toStdString();
    }
    if (chosen && !chosen->empty())
        lastFolder_ = request.folder ? QString::fromStdString(*chosen)
                                     : QFileInfo(QString::fromStdString(*chosen)).absolutePath();
    return chosen;
}

void QtProjectUi::SetTitle(const std::string& title) {
    if (window_) window_->setWindowTitle(CMainFrame::WithModifiedMarker(QString::fromStdString(title)));
}

bool QtProjectUi::HasUnsavedChanges() const { return history_ && history_->IsModified(); }

void QtProjectUi::ProjectSaved() {
    if (history_) history_->MarkSaved();
}

void QtProjectUi::ProjectReplaced() {
    if (history_) history_->Clear();
}

void QtProjectUi::RememberProject(const std::string& path) {
    if (remember_) remember_(path);
}

void QtProjectUi::SetBusy(bool busy) {
    if (busy) {
        QApplication::setOverrideCursor(Qt::WaitCursor);
        ++busyDepth_;
    } else if (busyDepth_ > 0) {
        QApplication::restoreOverrideCursor();
        --busyDepth_;
    }
}

void InstallProjectCommands(CMainFrame& frame, CProjectCommands& commands, QtProjectUi& ui) {
    if (CDialogMain* panel = frame.Panel()) ui.SetHistory(panel->History());
    ui.SetRememberHook([&frame](const std::string& path) { frame.RememberRecentProject(path); });
    CMainFrame::ProjectHooks hooks;
    hooks.newProject = [&commands] { commands.NewProject(); };
    hooks.openProject = [&commands] { commands.OpenProject(); };
    hooks.saveProject = [&commands] { return commands.SaveProject(); };
    hooks.saveProjectAs = [&commands] { return commands.SaveProjectAs(); };
    hooks.openByPath = [&commands](const std::string& path, const std::string& fileName) {
        commands.OpenByPath(path, fileName);
    };
    hooks.openWithQuestion = [&commands](const std::string& path) { commands.OpenWithQuestion(path); };
    hooks.mayDiscardChanges = [&commands] { return commands.MayDiscardChanges(); };
    hooks.collectProject = [&commands] { commands.CollectProject(); };
    hooks.openTemplate = [&commands](const std::string& scene) { commands.OpenTemplate(scene); };
    frame.SetProjectHooks(std::move(hooks));
}

}  // namespace boxora
