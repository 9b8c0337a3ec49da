#pragma once
// Start-up and shut-down of the desktop program: the UI theme, the notifier
// that routes the engine's notifications to the main window, the starter
// templates, the main frame with its placement, the project commands and the
// project named on the command line.
#include <memory>
#include <string>
#include <vector>

#include "project/ProjectState.h"
#include "ui/EngineBinding.h"

class CMainFrame;

namespace boxora {
class CProjectCommands;
class QtNotifier;
class QtProjectUi;
}  // namespace boxora

class CBoxoraApp {
public:
    explicit CBoxoraApp(boxora::EngineBinding& engine);
    ~CBoxoraApp();

    // Needs a QApplication and the settings store. params: the command line
    // without the program name.
    bool InitInstance(const std::vector<std::string>& params);
    // Stores the theme; the frame is gone by then or goes with the app.
    int ExitInstance();

    CMainFrame* MainFrame() const { return frame_.get(); }
    boxora::QtNotifier* Notifier() const { return notifier_.get(); }
    // The current project (path and name) and its commands.
    const boxora::ProjectState& Project() const { return project_; }
    boxora::CProjectCommands* ProjectCommands() const { return projectCommands_.get(); }
    boxora::QtProjectUi* ProjectUi() const { return projectUi_.get(); }

private:
    boxora::EngineBinding& engine_;
    std::unique_ptr<boxora::QtNotifier> notifier_;
    std::unique_ptr<CMainFrame> frame_;
    boxora::ProjectState project_;
    std::unique_ptr<boxora::QtProjectUi> projectUi_;
    std::unique_ptr<boxora::CProjectCommands> projectCommands_;
};
