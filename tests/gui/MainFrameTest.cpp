// The main window and the start-up: status bar notifications, placement,
// the command line, languages, themes, help and the notifier's threading.
#include <gtest/gtest.h>

#include <QAction>
#include <QDialogButtonBox>
#include <QLabel>
#include <QMenu>
#include <QMenuBar>
#include <QProgressBar>
#include <QPushButton>
#include <QStyle>
#include <QTest>
#include <QTextBrowser>
#include <QThread>
#include <QToolBar>
#include <QUrlQuery>
#include <atomic>
#include <filesystem>
#include <thread>

#include "lang/Lng.h"
#include "platform/Notifier.h"
#include "platform/qt/QtNotifier.h"
#include "tests/gui/FakeEngine.h"
#include "tests/gui/GuiTestSupport.h"
#include "ui/AboutDlg.h"
#include "ui/BoxoraApp.h"
#include "ui/CommandIds.h"
#include "ui/CommandLineInfo.h"
#include "ui/DialogCamera.h"
#include "ui/DialogMain.h"
#include "ui/DialogShadow.h"
#include "ui/GroupBox.h"
#include "ui/MainFrame.h"
#include "ui/NumberEdit.h"
#include "ui/TabCtrlMain.h"
#include "ui/UiTheme.h"

using namespace boxora;

namespace {

class Frame : public ::testing::Test {
protected:
    guitest::GuiEnvironment env;
    FakeEngine engine;
    EngineBinding binding = engine.Binding();
};

TEST_F(Frame, ProgressNotificationsDriveTheStatusBar) {
    CMainFrame frame(binding);
    frame.show();
    QLabel* pane = frame.MessagePane();
    QProgressBar* bar = frame.ProgressBar();
    EXPECT_FALSE(bar->isVisible());
    EXPECT_EQ(bar->minimum(), 0);
    EXPECT_EQ(bar->maximum(), 100);

    frame.OnEngineNotify(WM_ENGINE_BEGIN, ENGINE_OP_LOAD_SCENE);
    EXPECT_TRUE(bar->isVisible());
    EXPECT_EQ(bar->value(), 0);
    EXPECT_EQ(pane->text(), "Loading project...");
    frame.OnEngineNotify(WM_ENGINE_PROGRESS, 42);
    EXPECT_EQ(bar->value(), 42);
    frame.OnEngineNotify(WM_ENGINE_END, 0);
    EXPECT_FALSE(bar->isVisible());
    EXPECT_EQ(pane->text(), "");

    const char* expected[] = {"Rendering...", "Loading template...", "Loading objects...", "Loading project..."};
    for (int kind = 1; kind <= 4; ++kind) {
        frame.OnEngineNotify(WM_ENGINE_BEGIN, kind);
        EXPECT_EQ(pane->text(), expected[kind - 1]);
    }
}

TEST_F(Frame, ProgressBeginOfAnUnknownKindShowsTheBarButLeavesThePane) {
    CMainFrame frame(binding);
    frame.show();
    frame.OnEngineNotify(WM_ENGINE_BEGIN, ENGINE_OP_ADD_OBJECTS);
    frame.OnEngineNotify(WM_ENGINE_PROGRESS, 60);
    frame.OnEngineNotify(WM_ENGINE_BEGIN, 5);
    EXPECT_EQ(frame.MessagePane()->text(), "Loading objects...");
    EXPECT_TRUE(frame.ProgressBar()->isVisible());
    EXPECT_EQ(frame.ProgressBar()->value(), 0);
}

TEST_F(Frame, SceneChangeRefreshesEveryPage) {
    CMainFrame frame(binding);
    engine.scene.cameraZoom = 12.9f;
    engine.scene.Shadow_Blur = 64;
    engine.ClearCalls();
    frame.OnEngineNotify(WM_ENGINE_SCENE_CHANGED, 0);
    CTabCtrlMain* tabs = frame.Panel()->Tabs();
    EXPECT_EQ(tabs->CameraPage()->Zoom()->Edit()->text(), "12");
    EXPECT_EQ(tabs->ShadowPage()->Blur()->Edit()->text(), "64");
    ASSERT_FALSE(engine.calls.empty());
    // Lighting is re-read before Shadows, Shadows before Camera.
    auto position = [&](const std::string& name) {
        for (std::size_t i = 0; i < engine.calls.size(); ++i)
            if (engine.calls[i].name == name) return static_cast<int>(i);
        return -1;
    };
    EXPECT_LT(position("Global_Light_Brightness"), position("Direction"));
    EXPECT_LT(position("Direction"), position("Camera_Horizontal_Rotation"));
    EXPECT_LT(position("Camera_Horizontal_Rotation"), position("Reflection_Length"));
}

TEST_F(Frame, PlacementRoundTripsThroughTheSettings) {
    {
        CMainFrame frame(binding);
        frame.show();
        frame.move(40, 50);
        frame.resize(900, 640);
        frame.close();
    }
    EXPECT_EQ(env.Settings().GetString("WinPosX", ""), "40");
    EXPECT_EQ(env.Settings().GetString("WinPosY", ""), "50");
    EXPECT_EQ(env.Settings().GetString("WinWidth", ""), "900");
    EXPECT_EQ(env.Settings().GetString("WinHeight", ""), "640");
    EXPECT_EQ(env.Settings().GetString("WinMaximized", ""), "0");

    CMainFrame again(binding);
    again.RestorePlacement();
    EXPECT_EQ(again.pos(), QPoint(40, 50));
    EXPECT_EQ(again.size(), QSize(900, 640));
    EXPECT_FALSE(again.isMaximized());
}

TEST_F(Frame, AnyUnsetPlacementValueKeepsTheDefaultRectangle) {
    CMainFrame reference(binding);
    const QSize defaultSize = reference.size();
    env.Settings().SetString("WinPosX", "10");
    env.Settings().SetString("WinPosY", "20");
    env.Settings().SetString("WinWidth", "1234567890");
    env.Settings().SetString("WinHeight", "700");
    env.Settings().SetString("WinMaximized", "1");
    CMainFrame frame(binding);
    frame.RestorePlacement();
    EXPECT_EQ(frame.size(), defaultSize);
    EXPECT_NE(frame.pos(), QPoint(10, 20));
    EXPECT_TRUE(frame.isMaximized());
}

TEST_F(Frame, OnlyExactlyOneMaximizes) {
    for (const char* value : {"0", "01", "1 ", "true", ""}) {
        env.Settings().SetString("WinMaximized", value);
        CMainFrame frame(binding);
        frame.RestorePlacement();
        EXPECT_FALSE(frame.isMaximized()) << value;
    }
}

TEST_F(Frame, ClosingMaximizedKeepsTheNormalRectangle) {
    env.Settings().SetString("WinPosX", "7");
    env.Settings().SetString("WinPosY", "8");
    env.Settings().SetString("WinWidth", "1000");
    env.Settings().SetString("WinHeight", "700");
    CMainFrame frame(binding);
    frame.showMaximized();
    frame.close();
    EXPECT_EQ(env.Settings().GetString("WinMaximized", ""), "1");
    EXPECT_EQ(env.Settings().GetString("WinPosX", ""), "7");
    EXPECT_EQ(env.Settings().GetString("WinWidth", ""), "1000");
}

TEST_F(Frame, RefusesToShrinkBelowTheMinimum) {
    CMainFrame frame(binding);
    frame.show();
    frame.resize(500, 300);
    EXPECT_GE(frame.width(), 800);
    EXPECT_GE(frame.height(), 572);
}

TEST(CommandLine, OpenFlagTakesTheNextParameter) {
    auto parse = [](std::vector<std::string> params) {
        CCustomCommandLineInfo info;
        info.ParseParams(params);
        return info.FileToOpen();
    };
    EXPECT_EQ(parse({"-o", "box.scn"}), "box.scn");
    EXPECT_EQ(parse({"/o", "box.scn"}), "box.scn");
    EXPECT_EQ(parse({"-o", "/home/me/My Box.scn"}), "/home/me/My Box.scn");
    EXPECT_EQ(parse({"-o", "a.scn", "-o", "b.scn"}), "b.scn");
    EXPECT_EQ(parse({"-o", "-x", "c.scn"}), "c.scn");
    EXPECT_EQ(parse({"-o"}), "");
    // A bare path (as file managers pass it) opens as well; unknown flags
    // are skipped.
    EXPECT_EQ(parse({"box.scn"}), "box.scn");
    EXPECT_EQ(parse({"-O", "box.scn"}), "box.scn");
    EXPECT_EQ(parse({"/home/me/box.scn"}), "/home/me/box.scn");
}

TEST_F(Frame, OpenOnTheCommandLineLoadsTheProjectAndTitlesTheWindow) {
    testsupport::TempDir folder;
    testsupport::WriteFileBytes(folder.File("Box Shot.scn"), "[SCENE]\nVersion=1.8\n");
    CBoxoraApp app(binding);
    ASSERT_TRUE(app.InitInstance({"-o", folder.File("Box Shot.scn")}));
    ASSERT_EQ(engine.loadedScenes.size(), 1u);
    EXPECT_EQ(engine.loadedScenes[0], folder.File("Box Shot.scn"));
    EXPECT_EQ(app.MainFrame()->windowTitle(), "Box Shot.scn[*] - Boxora");
    // The notifier routes the engine's notifications to this frame.
    Notifier().EngineNotify(WM_ENGINE_BEGIN, ENGINE_OP_RENDER);
    EXPECT_EQ(app.MainFrame()->MessagePane()->text(), "Rendering...");
    app.ExitInstance();
}

TEST_F(Frame, WithoutACommandLineTheTitleIsPlain) {
    CBoxoraApp app(binding);
    ASSERT_TRUE(app.InitInstance({}));
    EXPECT_TRUE(engine.loadedScenes.empty());
    EXPECT_EQ(app.MainFrame()->windowTitle(), "Boxora[*]");
}

TEST_F(Frame, MenusCarryTheirCommandsAndTexts) {
    CMainFrame frame(binding);
    const QList<QAction*> top = frame.menuBar()->actions();
    ASSERT_GE(top.size(), 6);
    EXPECT_EQ(top[0]->text(), "&File");
    EXPECT_EQ(top[1]->text(), "&Edit");
    EXPECT_EQ(top[2]->text(), "&View");
    EXPECT_EQ(top[3]->text(), "&Render");
    EXPECT_EQ(top[4]->text(), "&Options");
    EXPECT_EQ(top[5]->text(), "&Help");
    EXPECT_EQ(frame.OptionsMenu()->actions()[0]->menu(), frame.ThemeMenu());
    EXPECT_EQ(frame.OptionsMenu()->actions()[1]->menu(), frame.LanguageMenu());
    for (int id : {ID_FILE_NEW_PROJECT, ID_FILE_OPEN_PROJECT, ID_FILE_SAVE_PROJECT, ID_FILE_SAVE_PROJECT_AS,
                   ID_FILE_SAVE_AS_TEMPLATE, ID_APP_EXIT, ID_RENDER_AND_SAVE, ID_HELP_CONTENTS, ID_HELP_HOMEPAGE,
                   ID_APP_ABOUT}) {
        QAction* action = frame.CommandAction(id);
        ASSERT_NE(action, nullptr) << id;
        EXPECT_FALSE(action->icon().isNull()) << id;
    }
    EXPECT_EQ(frame.CommandAction(ID_FILE_SAVE_PROJECT_AS)->text(), "Save Project &As...");
    EXPECT_EQ(frame.CommandAction(ID_FILE_NEW_PROJECT)->shortcut(), QKeySequence(Qt::CTRL | Qt::Key_N));
    const QList<QAction*> buttons = frame.MainToolBar()->actions();
    ASSERT_EQ(buttons.size(), 5);  // four buttons and a separator
    EXPECT_TRUE(buttons[3]->isSeparator());
    EXPECT_EQ(buttons[0]->toolTip(), "New Project");
    EXPECT_EQ(buttons[2]->toolTip(), "Save Project");
    EXPECT_EQ(buttons[4]->toolTip(), "Render and Save");
    EXPECT_EQ(frame.MainToolBar()->iconSize(), QSize(32, 32));
}

TEST_F(Frame, CommandsReachTheirHandlers) {
    CMainFrame frame(binding);
    std::vector<std::string> ran;
    CMainFrame::ProjectHooks hooks;
    hooks.newProject = [&] { ran.push_back("new"); };
    hooks.openProject = [&] { ran.push_back("open"); };
    hooks.saveProject = [&] {
        ran.push_back("save");
        return true;
    };
    hooks.saveProjectAs = [&] {
        ran.push_back("saveas");
        return true;
    };
    frame.SetProjectHooks(hooks);
    for (int id : {ID_TOOLBAR_NEW, ID_TOOLBAR_OPEN, ID_TOOLBAR_SAVE_AS, ID_FILE_SAVE_PROJECT, ID_FILE_NEW_PROJECT})
        frame.CommandAction(id)->trigger();
    EXPECT_EQ(ran, (std::vector<std::string>{"new", "open", "saveas", "save", "new"}));

    std::vector<QUrl> opened;
    frame.SetUrlOpener([&](const QUrl& url) {
        opened.push_back(url);
        return false;
    });
    frame.RunCommand(ID_HELP_CONTENTS);
    frame.RunCommand(ID_HELP_HOMEPAGE);
    ASSERT_EQ(opened.size(), 2u);
    EXPECT_EQ(opened[0], QUrl::fromLocalFile(QString::fromStdString(env.ProgramFolder()) + "/help/index.html"));
    const QUrlQuery query(opened[1]);
    EXPECT_EQ(query.queryItemValue("version"), "1.8");
    EXPECT_EQ(query.queryItemValue("build"), "519");
    EXPECT_EQ(query.queryItemValue("product"), "Boxora");
    // No web browser took the help: it opens inside the program.
    const auto* help = frame.findChild<QTextBrowser*>();
    ASSERT_NE(help, nullptr);
    EXPECT_TRUE(help->isVisible());
    EXPECT_EQ(help->source(), opened[0]);
}

TEST_F(Frame, CtrlNRunsNewProject) {
    CMainFrame frame(binding);
    int runs = 0;
    CMainFrame::ProjectHooks hooks;
    hooks.newProject = [&] { ++runs; };
    frame.SetProjectHooks(hooks);
    frame.show();
    frame.activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&frame));
    QTest::keyClick(frame.Panel(), Qt::Key_N, Qt::ControlModifier);
    EXPECT_EQ(runs, 1);
}

TEST_F(Frame, ExitClosesAndStoresThePlacement) {
    CMainFrame frame(binding);
    frame.show();
    frame.RunCommand(ID_APP_EXIT);
    EXPECT_FALSE(frame.isVisible());
    EXPECT_EQ(env.Settings().GetString("WinMaximized", "unset"), "0");
}

TEST_F(Frame, LanguageSwitchRetitlesMenusTabsAndLabels) {
    CMainFrame frame(binding);
    const std::vector<LNG_FILE> languages = Lng().Languages();
    ASSERT_EQ(frame.LanguageMenu()->actions().size(), static_cast<int>(languages.size()));
    int deutsch = -1;
    for (const LNG_FILE& l : languages)
        if (l.name == "Deutsch") deutsch = l.index;
    ASSERT_GE(deutsch, 0);
    QAction* item = frame.CommandAction(ID_LANGUAGE_FIRST + deutsch);
    ASSERT_NE(item, nullptr);
    item->trigger();

    EXPECT_TRUE(item->isChecked());
    EXPECT_EQ(Lng().CurrentIndex(), deutsch);
    EXPECT_EQ(env.Settings().GetString("ActualLanguage", ""), "Deutsch");
    EXPECT_EQ(frame.menuBar()->actions()[0]->text(), "&Datei");
    EXPECT_EQ(frame.LanguageMenu()->title(), "&Sprache");
    EXPECT_EQ(frame.CommandAction(ID_FILE_NEW_PROJECT)->text(), "&Neues Projekt");
    // Keys the file lacks come from English.
    EXPECT_EQ(frame.CommandAction(ID_FILE_OPEN_PROJECT)->text(), "&Open Project...");
    EXPECT_EQ(frame.CommandAction(ID_TOOLBAR_NEW)->toolTip(), "Neues Projekt");
    CTabCtrlMain* tabs = frame.Panel()->Tabs();
    EXPECT_EQ(tabs->tabText(CTabCtrlMain::Camera), "Kamera");
    EXPECT_EQ(tabs->tabText(CTabCtrlMain::Shadows), "Schatten");
    EXPECT_EQ(tabs->tabText(CTabCtrlMain::Lighting), "Lighting");
    EXPECT_EQ(tabs->CameraPage()->HorizontalRotation()->Label()->text(), "Horizontale Drehung");
    EXPECT_EQ(tabs->CameraPage()->VerticalRotation()->Label()->text(), "Vertical rotation");
    EXPECT_EQ(tabs->ShadowPage()->Direction()->Label()->text(), "Richtung");
    EXPECT_EQ(frame.Panel()->PreviewGroup()->title(), "Vorschau");

    frame.OnEngineNotify(WM_ENGINE_BEGIN, ENGINE_OP_LOAD_SCENE);
    EXPECT_EQ(frame.MessagePane()->text(), "Projekt wird geladen...");
}

// Qt's own buttons and dialogs follow the chosen language: every shipped
// language names a locale Qt has a translation for, and English gives Qt's
// English back.
TEST_F(Frame, QtStandardButtonsSpeakTheChosenLanguage) {
    env.InstallShippedLanguages();
    CMainFrame frame(binding);
    auto cancelText = [] {
        QDialogButtonBox box(QDialogButtonBox::Cancel);
        return box.button(QDialogButtonBox::Cancel)->text();
    };
    int english = -1;
    ASSERT_GE(Lng().Languages().size(), 5u);
    for (const LNG_FILE& l : Lng().Languages()) {
        SCOPED_TRACE(l.name);
        frame.CommandAction(ID_LANGUAGE_FIRST + l.index)->trigger();
        if (l.name == "English") {
            english = l.index;
        } else {
            EXPECT_NE(cancelText(), "Cancel");
        }
        if (l.name == "Deutsch") {
            EXPECT_EQ(cancelText(), "Abbrechen");
        }
    }
    ASSERT_GE(english, 0);
    frame.CommandAction(ID_LANGUAGE_FIRST + english)->trigger();
    EXPECT_EQ(cancelText(), "Cancel");
}

TEST_F(Frame, ThemesApplyToTheWholeApplicationAndPersist) {
    const auto themes = UiTheme::Available();
    ASSERT_GE(themes.size(), 3u);
    EXPECT_EQ(themes[0].id, "light");
    EXPECT_EQ(themes[1].id, "dark");

    CMainFrame frame(binding);
    QAction* dark = nullptr;
    for (QAction* a : frame.ThemeMenu()->actions())
        if (a->data().toString() == "dark") dark = a;
    ASSERT_NE(dark, nullptr);
    dark->trigger();
    guitest::ProcessEvents();
    EXPECT_EQ(UiTheme::Current(), "dark");
    EXPECT_EQ(env.Settings().GetString("UITheme", ""), "dark");
    EXPECT_LT(QApplication::palette().color(QPalette::Window).lightness(), 100);
    EXPECT_LT(frame.Panel()->palette().color(QPalette::Window).lightness(), 100);
    EXPECT_TRUE(dark->isChecked());
    EXPECT_EQ(QApplication::style()->name().toLower(), "fusion");

    env.Settings().SetString("UITheme", "no-such-theme");
    UiTheme::Restore();
    EXPECT_EQ(UiTheme::Current(), UiTheme::DefaultId());
    EXPECT_GT(QApplication::palette().color(QPalette::Window).lightness(), 200);
}

TEST_F(Frame, AboutBoxShowsVersionAndBuild) {
    CAboutDlg about;
    EXPECT_EQ(about.windowTitle(), "Boxora");
    EXPECT_EQ(about.ProductLabel()->text(), "Boxora");
    EXPECT_EQ(about.VersionLabel()->text(), "Version 1.8");
    EXPECT_EQ(about.BuildLabel()->text(), "Build 519");
}

TEST_F(Frame, NotifierDeliversOtherThreadsNotificationsOnTheUiThreadInOrder) {
    QtNotifier notifier;
    std::vector<std::pair<int, int>> seen;
    std::atomic<bool> offThread{false};
    notifier.SetNotificationHandler([&](int message, int wParam) {
        if (QThread::currentThread() != QApplication::instance()->thread()) offThread = true;
        seen.emplace_back(message, wParam);
    });
    notifier.EngineNotify(WM_ENGINE_BEGIN, 1);  // UI thread: at once
    ASSERT_EQ(seen.size(), 1u);

    std::thread worker([&] {
        notifier.EngineNotify(WM_ENGINE_PROGRESS, 10);
        notifier.EngineNotify(WM_ENGINE_PROGRESS, 20);
        notifier.EngineNotify(WM_ENGINE_END, 0);
    });
    worker.join();
    EXPECT_EQ(seen.size(), 1u);  // queued, not yet delivered
    guitest::ProcessEvents();
    ASSERT_EQ(seen.size(), 4u);
    EXPECT_EQ(seen[1], std::make_pair(WM_ENGINE_PROGRESS, 10));
    EXPECT_EQ(seen[2], std::make_pair(WM_ENGINE_PROGRESS, 20));
    EXPECT_EQ(seen[3], std::make_pair(WM_ENGINE_END, 0));
    EXPECT_FALSE(offThread);
}

TEST_F(Frame, NotifierQueuesMessageBoxesFromOtherThreadsAndAnswersAtOnce) {
    QtNotifier notifier;
    std::vector<QString> shown;
    notifier.SetMessageBoxHook([&](const QString& text, MsgIcon, MsgButtons) {
        EXPECT_EQ(QThread::currentThread(), QApplication::instance()->thread());
        shown.push_back(text);
        return MsgAnswer::No;
    });
    MsgAnswer fromWorker = MsgAnswer::Cancel;
    std::thread worker([&] { fromWorker = notifier.ShowMessage("Disk full", MsgIcon::Error, MsgButtons::YesNo); });
    worker.join();
    EXPECT_EQ(fromWorker, MsgAnswer::Yes);
    EXPECT_TRUE(shown.empty());
    guitest::ProcessEvents();
    ASSERT_EQ(shown.size(), 1u);
    EXPECT_EQ(shown[0], "Disk full");
    // On the UI thread the box's own answer comes back.
    EXPECT_EQ(notifier.ShowMessage("Question", MsgIcon::Question, MsgButtons::YesNoCancel), MsgAnswer::No);
}

}  // namespace

TEST(RuntimeFiles, HelpIsShippedBesideTheProgram) {
    const auto help = testsupport::AppDir() / "help" / "index.html";
    ASSERT_TRUE(std::filesystem::exists(help));
    const std::string text = testsupport::ReadFileBytes(help.string());
    EXPECT_NE(text.find("<title>Boxora Help</title>"), std::string::npos);
}
