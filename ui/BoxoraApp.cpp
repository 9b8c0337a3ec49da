#include "ui/BoxoraApp.h"

#include "platform/AppPaths.h"
#include "platform/Notifier.h"
#include "platform/qt/QtNotifier.h"
#include "project/ProjectCommands.h"
#include "project/StarterTemplates.h"
#include "project/gui/QtProjectUi.h"
#include "ui/CommandLineInfo.h"
#include "ui/DialogMain.h"
#include "ui/DialogObjects.h"
#include "ui/DialogRender.h"
#include "ui/MainFrame.h"
#include "ui/TabCtrlMain.h"
#include "ui/TabCtrlObjects.h"
#include "ui/UiTheme.h"

CBoxoraApp::CBoxoraApp(boxora::EngineBinding& engine) : engine_(engine) {}

CBoxoraApp::~CBoxoraApp() {
    projectCommands_.reset();
    projectUi_.reset();
    if (notifier_) {
        notifier_->SetNotificationHandler(nullptr);
        boxora::SetNotifier(nullptr);
    }
    // The frame (and with it the preview, which stops the engine's threads)
    // goes before the notifier.
    frame_.reset();
    notifier_.reset();
}

bool CBoxoraApp::InitInstance(const std::vector<std::string>& params) {
    boxora::UiTheme::Restore();

    notifier_ = std::make_unique<boxora::QtNotifier>();
    boxora::SetNotifier(notifier_.get());

    // A first start finds an empty template folder: give it the shipped set
    // before the General tab lists it.
    boxora::InstallStarterTemplates(boxora::StarterTemplateFolder(), boxora::TemplateFolder());

    frame_ = std::make_unique<CMainFrame>(engine_);
    notifier_->SetNotificationHandler(
        [frame = frame_.get()](int message, int wParam) { frame->OnEngineNotify(message, wParam); });
    if (engine_.engine) {
        projectUi_ = std::make_unique<boxora::QtProjectUi>(frame_.get());
        projectCommands_ = std::make_unique<boxora::CProjectCommands>(project_, *engine_.engine, *projectUi_);
        boxora::InstallProjectCommands(*frame_, *projectCommands_, *projectUi_);
    }
    frame_->RestorePlacement();

    CCustomCommandLineInfo commandLine;
    commandLine.ParseParams(params);
    if (CDialogMain* panel = frame_->Panel()) {
        CTabCtrlMain* tabs = panel->Tabs();
        if (commandLine.StartTab() >= 0) tabs->setCurrentIndex(commandLine.StartTab());
        if (commandLine.StartSubTab() >= 0) tabs->ObjectsPage()->SubTabs()->setCurrentIndex(commandLine.StartSubTab());
        if (commandLine.StartFormat() >= 0) tabs->RenderPage()->SelectFormat(commandLine.StartFormat());
    }
    if (!commandLine.FileToOpen().empty()) {
        const std::string& path = commandLine.FileToOpen();
        frame_->OpenProjectByPath(path, boxora::FileNamePart(path));
    }
    return true;
}

int CBoxoraApp::ExitInstance() {
    boxora::UiTheme::Save();
    return 0;
}
