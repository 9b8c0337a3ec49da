// The desktop windows on the program's real engine (its worker threads run;
// frames come from its renderer): settings reach the scene parameters, a
// project named on the command line is loaded by the scene thread and the
// pages show its values once the engine reports the change.
// The engine's headers come before Qt's: Qt defines "slots" as a macro.
#include "engine/Engine.h"

#include <gtest/gtest.h>

#include <QElapsedTimer>
#include <QMouseEvent>
#include <QCheckBox>
#include <QProgressBar>
#include <QSlider>
#include <QTest>

#include "platform/Notifier.h"
#include "tests/gui/GuiTestSupport.h"
#include "ui/BoxoraApp.h"
#include "ui/DialogCamera.h"
#include "ui/DialogLight.h"
#include "ui/DialogMain.h"
#include "ui/DialogOpenGL.h"
#include "ui/DialogShadow.h"
#include "ui/MainFrame.h"
#include "ui/NumberEdit.h"
#include "ui/TabCtrlMain.h"

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
    ASSERT_TRUE(WaitFor([&] { return tabs->CameraPage()->Zoom()->Edit()->text() == "77"; }));
    EXPECT_EQ(tabs->CameraPage()->Perspective()->Edit()->text(), "33");
    EXPECT_EQ(tabs->ShadowPage()->Blur()->Edit()->text(), "64");
    EXPECT_EQ(tabs->LightPage()->LightRow(2, 0)->Edit()->text(), "250");
    EXPECT_FALSE(tabs->LightPage()->LightCheck(2)->isChecked());
    EXPECT_FALSE(tabs->LightPage()->LightRow(2, 0)->Slider()->isEnabled());
    EXPECT_FLOAT_EQ(engine.Params().cameraZoom, 77.0f);
    // The status bar went back to idle after the load.
    EXPECT_TRUE(WaitFor([&] { return !frame->ProgressBar()->isVisible(); }));
    app.ExitInstance();
}

}  // namespace
