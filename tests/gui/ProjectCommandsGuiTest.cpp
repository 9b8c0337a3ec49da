// The project commands in the desktop program: the menu and toolbar reach
// them, the questions go through the program's message boxes, the file
// dialogs are real Qt dialogs (or answered by a hook), a template starts a new
// untitled project, and nothing is asked when nothing would be lost.
#include <gtest/gtest.h>

#include <QAction>
#include <QApplication>
#include <QFileDialog>
#include <QLineEdit>
#include <QProgressBar>
#include <QTest>
#include <QTimer>
#include <QToolBar>
#include <QToolButton>

#include "platform/AppPaths.h"
#include "platform/Notifier.h"
#include "platform/qt/QtNotifier.h"
#include "project/ProjectCommands.h"
#include "project/TemplateLibrary.h"
#include "project/gui/QtProjectUi.h"
#include "tests/gui/GuiTestSupport.h"
#include "tests/project/ProjectTestSupport.h"
#include "ui/BoxoraApp.h"
#include "ui/CommandIds.h"
#include "ui/DialogGeneral.h"
#include "ui/DialogMain.h"
#include "ui/DialogShadow.h"
#include "ui/MainFrame.h"
#include "ui/NumberEdit.h"
#include "ui/RecentProjects.h"
#include "ui/TabCtrlMain.h"
#include "ui/TemplateList.h"
#include "ui/undo/SceneHistory.h"

using namespace boxora;

namespace {

class ProjectApp : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(app.InitInstance(params));
        frame = app.MainFrame();
        app.Notifier()->SetMessageBoxHook([this](const QString& text, MsgIcon icon, MsgButtons buttons) {
            boxes.push_back({text.toStdString(), icon, buttons});
            if (answers.empty()) return MsgAnswer::Cancel;
            const MsgAnswer a = answers.front();
            answers.pop_front();
            return a;
        });
        app.ProjectUi()->SetFileDialogHook([this](const QtProjectUi::FileDialogRequest& request) {
            requests.push_back(request);
            std::optional<std::string> p;
            if (!paths.empty()) {
                p = paths.front();
                paths.pop_front();
            }
            return p;
        });
    }
    void TearDown() override { app.ExitInstance(); }

    // Shown and active, so the window's shortcuts reach it.
    void ShowActive() {
        frame->show();
        frame->activateWindow();
        ASSERT_TRUE(QTest::qWaitForWindowActive(frame));
    }

    // A change of the scene by the user's hand.
    void ChangeTheScene() {
        NumberEdit* blur = frame->Panel()->Tabs()->ShadowPage()->Blur()->Edit();
        blur->setFocus();
        blur->selectAll();
        QTest::keyClicks(blur, QString::number(engine.scene.Shadow_Blur + 1));
    }

    guitest::GuiEnvironment env;
    projecttest::SceneFileEngine engine;
    EngineBinding binding = engine.Binding();
    std::vector<std::string> params;
    CBoxoraApp app{binding};
    CMainFrame* frame = nullptr;
    std::vector<RecordingNotifier::Message> boxes;
    std::deque<MsgAnswer> answers;
    std::vector<QtProjectUi::FileDialogRequest> requests;
    std::deque<std::optional<std::string>> paths;
    testsupport::TempDir folder;
};

TEST_F(ProjectApp, NewAsksOnlyWhenSomethingWouldBeLost) {
    EXPECT_EQ(frame->windowTitle(), "Boxora[*]");
    ShowActive();
    QTest::keyClick(frame, Qt::Key_N, Qt::ControlModifier);
    EXPECT_TRUE(boxes.empty());
    EXPECT_EQ(engine.Count("DeleteAllObjects"), 1);
    EXPECT_EQ(frame->windowTitle(), "New Project[*] - Boxora");

    ChangeTheScene();
    answers = {MsgAnswer::No};
    frame->RunCommand(ID_TOOLBAR_NEW);
    ASSERT_EQ(boxes.size(), 1u);
    EXPECT_EQ(boxes[0].text, "Do you want to save the changes to \"New Project\"?");
    EXPECT_EQ(boxes[0].icon, MsgIcon::Question);
    EXPECT_EQ(boxes[0].buttons, MsgButtons::YesNoCancel);
    EXPECT_EQ(engine.Count("DeleteAllObjects"), 2);
}

TEST_F(ProjectApp, NewYesThenCancelInSaveAsStillClearsTheScene) {
    ChangeTheScene();
    answers = {MsgAnswer::Yes};
    paths = {std::nullopt};
    frame->RunCommand(ID_FILE_NEW_PROJECT);
    ASSERT_EQ(requests.size(), 1u);
    EXPECT_TRUE(requests[0].save);
    EXPECT_EQ(requests[0].initialName, "New Project");
    EXPECT_EQ(requests[0].defaultSuffix, "scn");
    EXPECT_EQ(requests[0].nameFilter, "Boxora Scene (*.scn)");
    EXPECT_TRUE(engine.savedPaths.empty());
    EXPECT_EQ(engine.Count("DeleteAllObjects"), 1);
    EXPECT_EQ(frame->windowTitle(), "New Project[*] - Boxora");
}

TEST_F(ProjectApp, OpenOnAFreshProgramAsksNothingAndTheTitleShowsOnlyTheFileName) {
    paths = {folder.File("Kitchen Shot.scn")};
    testsupport::WriteFileBytes(folder.File("Kitchen Shot.scn"), "[SCENE]\nVersion=1.8\n");
    frame->RunCommand(ID_TOOLBAR_OPEN);
    EXPECT_TRUE(boxes.empty());
    ASSERT_EQ(requests.size(), 1u);
    EXPECT_FALSE(requests[0].save);
    EXPECT_EQ(requests[0].nameFilter, "Boxora Scene (*.scn)");
    ASSERT_EQ(engine.loadedScenes.size(), 1u);
    EXPECT_EQ(engine.loadedScenes[0], folder.File("Kitchen Shot.scn"));
    EXPECT_EQ(frame->windowTitle(), "Kitchen Shot.scn[*] - Boxora");
    EXPECT_EQ(app.Project().Path(), folder.File("Kitchen Shot.scn"));
    // The status bar went back to idle and the cursor to the arrow.
    EXPECT_FALSE(frame->ProgressBar()->isVisible());
    EXPECT_EQ(QApplication::overrideCursor(), nullptr);
}

TEST_F(ProjectApp, ToolbarSaveAlwaysShowsSaveAsAndMenuSaveIsSilentOnceThereIsAPath) {
    paths = {folder.File("Shelf.scn")};
    frame->RunCommand(ID_FILE_SAVE_PROJECT);  // no path yet: Save As
    ASSERT_EQ(requests.size(), 1u);
    EXPECT_EQ(frame->windowTitle(), "Shelf.scn[*] - Boxora");
    frame->RunCommand(ID_FILE_SAVE_PROJECT);
    EXPECT_EQ(requests.size(), 1u);
    EXPECT_EQ(engine.savedPaths.size(), 2u);
    paths = {std::nullopt};
    frame->RunCommand(ID_TOOLBAR_SAVE_AS);
    ASSERT_EQ(requests.size(), 2u);
    EXPECT_EQ(requests[1].initialName, "Shelf.scn");
    EXPECT_EQ(engine.savedPaths.size(), 2u);
}

TEST_F(ProjectApp, ATemplateThenCtrlSAsksForANameAndLeavesTheProjectFileAsItWas) {
    const TemplateLibrary library = TemplateLibrary::ForCurrentUser();
    testsupport::WriteFileBytes(library.ScenePath("Shelf"), "[SCENE]\n");
    const std::string mine = folder.File("Mine.scn");
    testsupport::WriteFileBytes(mine, "[SCENE]\nVersion=1.8\n");
    frame->OpenProjectByPath(mine, "Mine.scn");
    ShowActive();
    CDialogGeneral* general = frame->Panel()->Tabs()->GeneralPage();
    general->RefillList();
    general->List()->SelectRow(0);
    general->LoadTemplate();
    EXPECT_TRUE(boxes.empty());  // nothing was changed: nothing to ask
    ASSERT_EQ(engine.loadedScenes.size(), 2u);
    EXPECT_EQ(engine.loadedScenes[1], library.ScenePath("Shelf"));
    EXPECT_EQ(frame->windowTitle(), "New Project[*] - Boxora");
    EXPECT_EQ(app.Project().Path(), "");

    paths = {std::nullopt};
    QTest::keyClick(frame, Qt::Key_S, Qt::ControlModifier);
    ASSERT_EQ(requests.size(), 1u);
    EXPECT_TRUE(requests[0].save);
    EXPECT_EQ(requests[0].initialName, "New Project");
    EXPECT_TRUE(engine.savedPaths.empty());
    EXPECT_EQ(testsupport::ReadFileBytes(mine), "[SCENE]\nVersion=1.8\n");
}

TEST_F(ProjectApp, FailedSaveIsReported) {
    engine.saveFails = true;
    paths = {folder.File("Shelf.scn")};
    frame->RunCommand(ID_FILE_SAVE_PROJECT_AS);
    ASSERT_EQ(boxes.size(), 1u);
    EXPECT_EQ(boxes[0].text, "The project could not be saved to \"" + folder.File("Shelf.scn") + "\".");
    EXPECT_EQ(frame->windowTitle(), "Boxora[*]");
}

TEST_F(ProjectApp, RealSaveDialogOffersTheSceneFilterTheNameAndTheExtension) {
    app.ProjectUi()->SetFileDialogHook(nullptr);
    ChangeTheScene();
    answers = {MsgAnswer::Yes};
    QString filter, initial, suffix;
    bool confirmsOverwrite = false;
    QTimer::singleShot(0, [&] {
        auto* dialog = qobject_cast<QFileDialog*>(QApplication::activeModalWidget());
        ASSERT_NE(dialog, nullptr);
        filter = dialog->nameFilters().join(";;");
        suffix = dialog->defaultSuffix();
        confirmsOverwrite = !dialog->testOption(QFileDialog::DontConfirmOverwrite);
        auto* nameEdit = dialog->findChild<QLineEdit*>("fileNameEdit");
        ASSERT_NE(nameEdit, nullptr);
        initial = nameEdit->text();
        dialog->setDirectory(QString::fromStdString(folder.Path().string()));
        nameEdit->setText("Kitchen");
        static_cast<QDialog*>(dialog)->accept();
    });
    frame->RunCommand(ID_FILE_NEW_PROJECT);
    EXPECT_EQ(filter, "Boxora Scene (*.scn)");
    EXPECT_EQ(initial, "New Project");
    EXPECT_EQ(suffix, "scn");
    EXPECT_TRUE(confirmsOverwrite);
    ASSERT_EQ(engine.savedPaths.size(), 1u);
    EXPECT_EQ(engine.savedPaths[0], folder.File("Kitchen.scn"));
    EXPECT_EQ(engine.Count("DeleteAllObjects"), 1);
}

TEST_F(ProjectApp, RealOpenDialogCancelledOpensNothing) {
    app.ProjectUi()->SetFileDialogHook(nullptr);
    QString filter;
    QTimer::singleShot(0, [&] {
        auto* dialog = qobject_cast<QFileDialog*>(QApplication::activeModalWidget());
        ASSERT_NE(dialog, nullptr);
        filter = dialog->nameFilters().join(";;");
        EXPECT_EQ(dialog->fileMode(), QFileDialog::ExistingFile);
        dialog->reject();
    });
    frame->RunCommand(ID_FILE_OPEN_PROJECT);
    EXPECT_EQ(filter, "Boxora Scene (*.scn)");
    EXPECT_TRUE(engine.loadedScenes.empty());
    EXPECT_EQ(frame->windowTitle(), "Boxora[*]");
}

TEST_F(ProjectApp, ClosingAsksOnlyOverUnsavedChangesAndCancelKeepsTheProgram) {
    frame->show();
    EXPECT_TRUE(frame->close());
    EXPECT_TRUE(boxes.empty());

    frame->show();
    ChangeTheScene();
    ASSERT_TRUE(frame->isWindowModified());
    answers = {MsgAnswer::Cancel};
    EXPECT_FALSE(frame->close());
    ASSERT_EQ(boxes.size(), 1u);
    EXPECT_EQ(boxes[0].text, "Do you want to save the changes to \"New Project\"?");
    EXPECT_TRUE(frame->isVisible());
    // Yes on a project without a path is Save As; cancelling it stays too.
    answers = {MsgAnswer::Yes};
    frame->RunCommand(ID_APP_EXIT);
    EXPECT_TRUE(frame->isVisible());
    ASSERT_EQ(requests.size(), 1u);
    EXPECT_TRUE(requests[0].save);
    answers = {MsgAnswer::Yes};
    paths = {folder.File("Kept.scn")};
    EXPECT_TRUE(frame->close());
    EXPECT_EQ(engine.savedPaths.back(), folder.File("Kept.scn"));
    EXPECT_FALSE(frame->isWindowModified());
}

TEST_F(ProjectApp, OpenDropAndTemplateAskOverUnsavedChangesOfAnUnnamedProject) {
    ChangeTheScene();
    answers = {MsgAnswer::Cancel, MsgAnswer::Cancel, MsgAnswer::Cancel};
    frame->RunCommand(ID_FILE_OPEN_PROJECT);
    EXPECT_TRUE(requests.empty());
    const std::string dropped = folder.File("Dropped.scn");
    testsupport::WriteFileBytes(dropped, "[SCENE]\n");
    frame->Panel()->DropFiles({QString::fromStdString(dropped)});
    const TemplateLibrary library = TemplateLibrary::ForCurrentUser();
    testsupport::WriteFileBytes(library.ScenePath("Shelf"), "[SCENE]\n");
    CDialogGeneral* general = frame->Panel()->Tabs()->GeneralPage();
    general->RefillList();
    general->List()->SelectRow(0);
    general->LoadTemplate();
    EXPECT_EQ(boxes.size(), 3u);
    EXPECT_TRUE(engine.loadedScenes.empty());
    // No goes on and starts a clean history.
    answers = {MsgAnswer::No};
    frame->Panel()->DropFiles({QString::fromStdString(dropped)});
    ASSERT_EQ(engine.loadedScenes.size(), 1u);
    EXPECT_FALSE(frame->isWindowModified());
    EXPECT_FALSE(frame->Panel()->History()->Stack()->canUndo());
}

TEST_F(ProjectApp, RecentProjectsKeepTheLastEightAndDropAMissingOne) {
    std::vector<std::string> files;
    for (int i = 0; i < 9; ++i) {
        files.push_back(folder.File("P" + std::to_string(i) + ".scn"));
        testsupport::WriteFileBytes(files.back(), "[SCENE]\n");
        frame->OpenProjectByPath(files.back(), FileNamePart(files.back()));
    }
    std::vector<std::string> recent = RecentProjects::Load();
    ASSERT_EQ(recent.size(), 8u);
    EXPECT_EQ(recent.front(), files[8]);
    EXPECT_EQ(recent.back(), files[1]);
    emit frame->RecentMenu()->aboutToShow();
    EXPECT_EQ(frame->RecentMenu()->actions().size(), 8);

    std::filesystem::remove(files[5]);
    frame->OpenRecentProject(files[5]);
    ASSERT_EQ(boxes.size(), 1u);
    EXPECT_NE(boxes[0].text.find(files[5]), std::string::npos);
    EXPECT_EQ(RecentProjects::Load().size(), 7u);
    EXPECT_EQ(engine.loadedScenes.size(), 9u);
    // An existing one opens; the open project was not changed, so nothing
    // is asked.
    frame->OpenRecentProject(files[3]);
    EXPECT_EQ(boxes.size(), 1u);
    EXPECT_EQ(engine.loadedScenes.back(), files[3]);
    EXPECT_EQ(RecentProjects::Load().front(), files[3]);
}

class ProjectAppWithCommandLine : public ProjectApp {
protected:
    ProjectAppWithCommandLine() {
        testsupport::WriteFileBytes(folder.File("Desk.scn"), "[SCENE]\nVersion=1.8\n");
        params = {"-o", folder.File("Desk.scn")};
    }
};

TEST_F(ProjectAppWithCommandLine, OpensTheProjectAndCtrlNOrCtrlORightAfterAskNothing) {
    EXPECT_EQ(frame->windowTitle(), "Desk.scn[*] - Boxora");
    EXPECT_EQ(app.Project().Path(), folder.File("Desk.scn"));
    ShowActive();
    QTest::keyClick(frame, Qt::Key_O, Qt::ControlModifier);
    EXPECT_TRUE(boxes.empty());
    EXPECT_EQ(requests.size(), 1u);  // straight to the open dialog
    QTest::keyClick(frame, Qt::Key_N, Qt::ControlModifier);
    EXPECT_TRUE(boxes.empty());
    EXPECT_EQ(engine.Count("DeleteAllObjects"), 1);
}

}  // namespace
