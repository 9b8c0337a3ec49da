// The template library and the project commands on the program's real
// engine: a scene saved as a template, listed, loaded into a new project,
// saved as a project, and opened again with "-o" in a fresh start.
// The engine's headers come before Qt's: Qt defines "slots" as a macro.
#include "engine/Engine.h"
#include "snapshot/SceneSnapshot.h"

#include <gtest/gtest.h>

#include <QElapsedTimer>
#include <QImage>
#include <QStringList>
#include <QTest>
#include <filesystem>
#include <future>
#include <ostream>
#include <thread>

#include "model/ModelTypes.h"
#include "platform/AppPaths.h"
#include "platform/Notifier.h"
#include "platform/qt/QtNotifier.h"
#include "project/TemplateLibrary.h"
#include "project/gui/QtProjectUi.h"
#include "tests/gui/GuiTestSupport.h"
#include "ui/BoxoraApp.h"
#include "ui/CommandIds.h"
#include "ui/DialogGeneral.h"
#include "ui/DialogMain.h"
#include "ui/MainFrame.h"
#include "ui/TabCtrlMain.h"
#include "ui/TemplateList.h"

using namespace boxora;
namespace fs = std::filesystem;

namespace {

using guitest::WaitFor;

// What identifies the scene: its objects and a few settings.
struct SceneSummary {
    std::vector<std::string> objects;
    float translateX = 0;
    float rotateY = 0;
    float zoom = 0;
    float perspective = 0;
    int blur = 0;
    unsigned background = 0;
    bool operator==(const SceneSummary&) const = default;
};

std::ostream& operator<<(std::ostream& out, const SceneSummary& s) {
    out << "{";
    for (const std::string& o : s.objects) out << o << ",";
    return out << " tx " << s.translateX << " ry " << s.rotateY << " zoom " << s.zoom << " persp " << s.perspective
               << " blur " << s.blur << " bg " << s.background << "}";
}

// The objects as the interface shows and saves them: an edit made while the
// scene thread holds the engine lock is queued, and the objects themselves
// only get it later (reading them would also race with that thread).
SceneSummary Summarize(CEngine& engine) {
    SceneSummary s;
    for (const ObjectSnapshot& object : engine.Snapshot()->objects) {
        s.objects.push_back(object.userName);
        s.translateX = object.translate[0];
        s.rotateY = object.rotate[1];
    }
    s.zoom = engine.Params().cameraZoom;
    s.perspective = engine.Params().Camera_Perspective;
    s.blur = engine.Params().Shadow_Blur;
    s.background = engine.Params().backgroundColor;
    return s;
}

TEST(TemplateEndToEnd, TemplateToProjectAndBackWithACommandLineStart) {
    guitest::GuiEnvironment env;
    // The catalogue models of the built program.
    fs::create_directory_symlink(testsupport::AppDir() / "data", fs::path(env.ProgramFolder()) / "data");
    testsupport::TempDir projects;
    const std::string projectPath = projects.File("Shop Window.scn");
    SceneSummary saved;

    {
        CEngine engine;
        EngineBinding binding = BindEngine(engine);
        CBoxoraApp app(binding);
        ASSERT_TRUE(app.InitInstance({}));
        CMainFrame* frame = app.MainFrame();
        std::deque<MsgAnswer> answers;
        std::vector<std::string> boxes;
        app.Notifier()->SetMessageBoxHook([&](const QString& text, MsgIcon, MsgButtons) {
            boxes.push_back(text.toStdString());
            if (answers.empty()) return MsgAnswer::Cancel;
            const MsgAnswer a = answers.front();
            answers.pop_front();
            return a;
        });
        app.ProjectUi()->SetFileDialogHook(
            [&](const QtProjectUi::FileDialogRequest&) { return std::optional<std::string>(projectPath); });
        // The frame still gets every notification; the render jobs' ends are
        // counted on the way.
        int renderJobsEnded = 0;
        bool rendering = false;
        app.Notifier()->SetNotificationHandler([&](int message, int wParam) {
            if (message == WM_ENGINE_BEGIN) rendering = wParam == ENGINE_OP_RENDER;
            if (message == WM_ENGINE_END && rendering) {
                rendering = false;
                ++renderJobsEnded;
            }
            frame->OnEngineNotify(message, wParam);
        });

        // A scene: one catalogue box, moved and turned, with its own camera,
        // shadow and background.
        engine.AddObject(ObjectsFolder() + "Box.3ds");
        engine.Redraw();
        ASSERT_TRUE(WaitFor([&] { return engine.GetObjectList().size() == 1; }));
        const int id = engine.GetObjectList()[0].id;
        // The object is edited and the template saved while the engine is
        // busy (as in a long frame on a loaded machine): the edits wait in
        // the engine's queue, and the template must have them all the same.
        std::promise<void> busy;
        std::promise<void> done;
        std::future<void> lockHeld = busy.get_future();
        std::thread holder([&engine, &busy, finished = done.get_future()] {
            std::lock_guard lock(engine.Lock());
            busy.set_value();
            finished.wait();
        });
        lockHeld.wait();
        engine.SetObjectTranslateX(id, 12);
        engine.SetObjectRotateY(id, 25);
        engine.SetCameraZoom(61);
        engine.SetCameraPerspective(24);
        engine.SetShadowBlur(33);
        engine.SetBackgroundColor(0x00C0A080u);
        saved = Summarize(engine);
        EXPECT_EQ(saved.translateX, 12);
        EXPECT_EQ(saved.rotateY, 25);

        // Save it as a template: it is listed.
        CDialogGeneral* general = frame->Panel()->Tabs()->GeneralPage();
        general->SetSaveTemplatePrompt([] { return std::optional<std::string>("Shop Window"); });
        general->SaveProjectAsTemplate();
        done.set_value();
        holder.join();
        ASSERT_EQ(saved.objects.size(), 1u);
        const TemplateLibrary library = TemplateLibrary::ForCurrentUser();
        ASSERT_TRUE(fs::exists(library.ScenePath("Shop Window")));
        // The list is refilled whenever the engine reports a change: look the
        // item up each time.
        auto findRow = [general] {
            for (int i = 0; i < general->List()->count(); ++i)
                if (general->List()->item(i)->text() == "Shop Window") return i;
            return -1;
        };
        ASSERT_GE(findRow(), 0);
        EXPECT_TRUE(boxes.empty());
        // The engine renders the preview picture; when its render job has
        // written one, the refreshed list shows it.
        ASSERT_TRUE(WaitFor([&] { return renderJobsEnded > 0; }));
        ASSERT_TRUE(fs::exists(library.PicturePath("Shop Window")));
        const QImage written(QString::fromStdString(library.PicturePath("Shop Window")), "JPG");
        EXPECT_EQ(written.size(), QSize(94, 94));
        ASSERT_TRUE(WaitFor([&] {
            const int row = findRow();
            return row >= 0 && !general->List()->item(row)->icon().isNull();
        }));
        const QImage picture = general->List()->item(findRow())->icon().pixmap(94, 94).toImage();
        EXPECT_EQ(picture.size(), QSize(94, 94));

        // A new project empties the scene; the settings are changed by hand,
        // and loading the template brings all of it back.
        answers = {MsgAnswer::No};
        frame->RunCommand(ID_FILE_NEW_PROJECT);
        ASSERT_TRUE(WaitFor([&] { return engine.GetObjectList().empty(); }));
        EXPECT_EQ(frame->windowTitle(), "New Project[*] - Boxora");
        engine.SetCameraZoom(5);
        engine.SetShadowBlur(80);

        ASSERT_GE(findRow(), 0);
        general->List()->SelectRow(findRow());
        general->LoadTemplate();
        ASSERT_TRUE(WaitFor([&] { return Summarize(engine) == saved; })) << Summarize(engine) << " vs " << saved;
        EXPECT_EQ(frame->windowTitle(), "New Project[*] - Boxora");

        // Saved as the project.
        frame->RunCommand(ID_FILE_SAVE_PROJECT);
        ASSERT_TRUE(fs::exists(projectPath));
        EXPECT_EQ(frame->windowTitle(), "Shop Window.scn[*] - Boxora");
        EXPECT_EQ(app.Project().Path(), projectPath);
        app.ExitInstance();
    }

    // A fresh start with the project on the command line.
    CEngine engine;
    EngineBinding binding = BindEngine(engine);
    CBoxoraApp app(binding);
    ASSERT_TRUE(app.InitInstance({"-o", projectPath}));
    EXPECT_EQ(app.MainFrame()->windowTitle(), "Shop Window.scn[*] - Boxora");
    ASSERT_TRUE(WaitFor([&] { return Summarize(engine) == saved; })) << Summarize(engine) << " vs " << saved;
    // The template is still in the library, beside the starter set the
    // first start installed.
    const TemplateList* list = app.MainFrame()->Panel()->Tabs()->GeneralPage()->List();
    QStringList names;
    for (int i = 0; i < list->count(); ++i) names << list->item(i)->text();
    EXPECT_TRUE(names.contains("Shop Window"));
    EXPECT_TRUE(names.contains("Software Box"));
    app.ExitInstance();
}

}  // namespace
