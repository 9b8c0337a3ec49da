// The desktop windows on the program's real engine (its worker threads run;
// frames come from its renderer): settings reach the scene parameters, a
// project named on the command line is loaded by the scene thread and the
// pages show its values once the engine reports the change.
// The engine's headers come before Qt's: Qt defines "slots" as a macro.
#include "engine/Engine.h"

#include <gtest/gtest.h>

#include <QCheckBox>
#include <QElapsedTimer>
#include <QMouseEvent>
#include <QProgressBar>
#include <QSlider>
#include <QTest>
#include <chrono>
#include <filesystem>

#include "platform/AppPaths.h"
#include "platform/Notifier.h"
#include "tests/gui/GuiTestSupport.h"
#include "ui/BoxoraApp.h"
#include "ui/DialogCamera.h"
#include "ui/DialogLight.h"
#include "ui/DialogMain.h"
#include "ui/DialogOpenGL.h"
#include "ui/DialogScene.h"
#include "ui/DialogShadow.h"
#include "ui/MainFrame.h"
#include "ui/NumberEdit.h"
#include "ui/ObjectIconList.h"
#include "ui/TabCtrlMain.h"
#include "ui/undo/SceneHistory.h"

namespace {

using guitest::WaitFor;

TEST(RealEngine, TypedAndDraggedValuesReachTheSceneParameters) {
    guitest::GuiEnvironment env;
    CEngine engine;
    boxora::EngineBinding binding = boxora::BindEngine(engine);
    {
        CDialogMain panel(binding);
        panel.resize(1100, 650);
        panel.show();
        guitest::ProcessEvents();
        CTabCtrlMain* tabs = panel.Tabs();

        NumberEdit* direction = tabs->ShadowPage()->Direction()->Edit();
        direction->setFocus();
        direction->selectAll();
        QTest::keyClicks(direction, "400");
        EXPECT_EQ(direction->text(), "360");
        EXPECT_FLOAT_EQ(engine.Params().shadowDirection, 360.0f);

        // Orbit down past the floor: the engine stores half a degree.
        CDialogOpenGL* preview = panel.Preview();
        auto send = [preview](QEvent::Type type, QPoint pos, Qt::MouseButton button, Qt::MouseButtons buttons) {
            QMouseEvent e(type, QPointF(pos), QPointF(preview->mapToGlobal(pos)), button, buttons, Qt::NoModifier);
            QApplication::sendEvent(preview, &e);
        };
        send(QEvent::MouseMove, {100, 300}, Qt::NoButton, Qt::NoButton);
        send(QEvent::MouseButtonPress, {100, 300}, Qt::LeftButton, Qt::LeftButton);
        send(QEvent::MouseMove, {100, 10}, Qt::NoButton, Qt::LeftButton);
        send(QEvent::MouseButtonRelease, {100, 10}, Qt::LeftButton, Qt::NoButton);
        EXPECT_FLOAT_EQ(engine.Params().cameraVerticalRotation, 0.5f);
        EXPECT_EQ(tabs->CameraPage()->VerticalRotation()->Edit()->text(), "0");

        // The panel's refresh takes the real engine lock and gives it back.
        engine.Params().Shadow_Blur = 61;
        panel.RefreshFromScene();
        EXPECT_EQ(tabs->ShadowPage()->Blur()->Edit()->text(), "61");
        EXPECT_FALSE(engine.Lock().HeldByCurrentThread());
    }
}

TEST(RealEngine, ProjectOnTheCommandLineFillsThePagesWhenLoaded) {
    guitest::GuiEnvironment env;
    testsupport::TempDir folder;
    const std::string path = folder.File("Studio Shot.scn");
    {
        CEngine source;
        source.SetCameraZoom(77);
        source.SetCameraPerspective(33);
        source.SetShadowBlur(64);
        source.SetLightHorizontalRotation2(250);
        source.EnableLightSource2(false);
        ASSERT_TRUE(source.SaveScene(path));
    }

    CEngine engine;
    boxora::EngineBinding binding = boxora::BindEngine(engine);
    CBoxoraApp app(binding);
    ASSERT_TRUE(app.InitInstance({"-o", path}));
    CMainFrame* frame = app.MainFrame();
    EXPECT_EQ(frame->windowTitle(), "Studio Shot.scn[*] - Boxora");
    CTabCtrlMain* tabs = frame->Panel()->Tabs();
    // The pages are refreshed at once on opening, while the scene thread may
    // be half-way through the file, and again by the load's scene-change
    // report: wait for the values the load sets last.
    ASSERT_TRUE(WaitFor([&] {
        return tabs->CameraPage()->Zoom()->Edit()->text() == "77" &&
               tabs->CameraPage()->Perspective()->Edit()->text() == "33";
    }));
    EXPECT_EQ(tabs->ShadowPage()->Blur()->Edit()->text(), "64");
    EXPECT_EQ(tabs->LightPage()->LightRow(2, 0)->Edit()->text(), "250");
    EXPECT_FALSE(tabs->LightPage()->LightCheck(2)->isChecked());
    EXPECT_FALSE(tabs->LightPage()->LightRow(2, 0)->Slider()->isEnabled());
    EXPECT_FLOAT_EQ(engine.Params().cameraZoom, 77.0f);
    // The status bar went back to idle after the load.
    EXPECT_TRUE(WaitFor([&] { return !frame->ProgressBar()->isVisible(); }));
    app.ExitInstance();
}

// Adding an object is one step: undone, the scene the engine had before
// comes back (loaded from what the engine saved of it); redone, the model is
// added again.
TEST(RealEngine, AddingAnObjectIsUndoneAndRedone) {
    guitest::GuiEnvironment env;
    std::filesystem::create_directory_symlink(testsupport::AppDir() / "data",
                                              std::filesystem::path(env.ProgramFolder()) / "data");
    CEngine engine;
    boxora::EngineBinding binding = boxora::BindEngine(engine);
    {
        CDialogMain panel(binding);
        panel.resize(1100, 650);
        panel.show();
        panel.Tabs()->setCurrentIndex(CTabCtrlMain::Scene);
        guitest::ProcessEvents();
        engine.SetCameraZoom(33);
        CDialogScene* scene = panel.Tabs()->ScenePage();
        ASSERT_GT(scene->Catalogue()->count(), 0);
        scene->Catalogue()->SelectIndex(0);
        scene->AddObject();
        ASSERT_TRUE(WaitFor([&] { return engine.GetObjectList().size() == 1; }));
        boxora::SceneHistory* history = panel.History();
        EXPECT_EQ(history->Stack()->count(), 1);
        EXPECT_TRUE(history->IsModified());

        history->Undo();
        ASSERT_TRUE(WaitFor([&] { return engine.GetObjectList().empty(); }));
        EXPECT_FLOAT_EQ(engine.Params().cameraZoom, 33.0f);
        EXPECT_FALSE(history->IsModified());
        history->Redo();
        ASSERT_TRUE(WaitFor([&] { return engine.GetObjectList().size() == 1; }));
        EXPECT_EQ(history->Stack()->count(), 1);
    }
}

// Bounding box of the box's pixels: with both lights off the box is dark,
// far darker than the white background and the grey drop shadow.
QRect Drawn(const QImage& image) {
    QRect box;
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x) {
            const QColor c = image.pixelColor(x, y);
            if (std::max({c.red(), c.green(), c.blue()}) < 90) box |= QRect(x, y, 1, 1);
        }
    return box;
}

// What lies inside the preview's picture frame lands at the same place in
// the rendered picture: a tall 600 x 1200 render against the framed preview,
// scaled to the render's size.
TEST(RealEngine, PictureFrameOfThePreviewShowsWhatTheRenderShows) {
    guitest::GuiEnvironment env;
    std::filesystem::create_directory_symlink(testsupport::AppDir() / "data",
                                              std::filesystem::path(env.ProgramFolder()) / "data");
    testsupport::TempDir out;
    const std::string picture = out.File("tall.png");
    CEngine engine;
    boxora::EngineBinding binding = boxora::BindEngine(engine);
    {
        CDialogMain panel(binding);
        panel.resize(1100, 650);
        panel.show();
        guitest::ProcessEvents();
        CDialogOpenGL* preview = panel.Preview();
        preview->SetPictureSize(600, 1200);
        preview->SetPictureFrame(true);
        const QRect frame = preview->SceneRect();
        ASSERT_LT(frame.width(), preview->width());
        EXPECT_NEAR(frame.height(), 2 * frame.width(), 1);

        // Only the box: no light markers or reflection, turned so that it is
        // wide in the picture.
        engine.EnableLightSource1(false);
        engine.EnableLightSource2(false);
        engine.SetReflectionOpacity(0);
        engine.SetCameraHorizontalRotation(35);
        engine.SetCameraZoom(60);
        engine.AddObject(boxora::ObjectsFolder() + "Box.3ds");
        engine.Redraw(0);
        QImage shown;
        ASSERT_TRUE(WaitFor([&] {
            shown = preview->LatestFrame();
            return shown.size() == frame.size() && !Drawn(shown).isEmpty() && engine.GetObjectList().size() == 1;
        }));
        // The scene thread goes to sleep only after the full frame that
        // follows the quick one.
        ASSERT_TRUE(engine.WaitForIdle(std::chrono::seconds(60)));
        shown = preview->LatestFrame();
        ASSERT_EQ(shown.size(), frame.size());

        RenderJob job;
        job.fileName = picture;
        job.width = 600;
        job.height = 1200;
        job.format = 4;
        engine.RenderToFile(job);
        QImage rendered;
        ASSERT_TRUE(WaitFor([&] { return rendered.load(QString::fromStdString(picture)); }, 60000));
        ASSERT_EQ(rendered.size(), QSize(600, 1200));

        const QRect inPreview = Drawn(shown);
        const QRect inPicture = Drawn(rendered);
        ASSERT_FALSE(inPicture.isEmpty());
        const double scale = 600.0 / shown.width();
        const int tolerance = static_cast<int>(scale * 2) + 3;
        EXPECT_NEAR(inPreview.left() * scale, inPicture.left(), tolerance);
        EXPECT_NEAR((inPreview.right() + 1) * scale, inPicture.right() + 1, tolerance);
        EXPECT_NEAR(inPreview.top() * scale, inPicture.top(), tolerance);
        EXPECT_NEAR((inPreview.bottom() + 1) * scale, inPicture.bottom() + 1, tolerance);
        // The box fills a good part of the picture, so a framing of another
        // ratio could not pass.
        EXPECT_GT(inPicture.width(), 200);
    }
}

}  // namespace
