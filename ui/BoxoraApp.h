#pragma once
// Start-up and shut-down of the desktop program: the UI theme, the notifier
// that routes the engine's notifications to the main window, the main frame
// with its placement, and the project named on the command line.
#include <memory>
#include <string>
#include <vector>

#include "ui/EngineBinding.h"

class CMainFrame;

namespace boxora {
class QtNotifier;
}

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

private:
    boxora::EngineBinding& engine_;
    std::unique_ptr<boxora::QtNotifier> notifier_;
    std::unique_ptr<CMainFrame> frame_;
};
