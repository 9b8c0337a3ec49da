// The preview window: frames from the scene thread, size reports, and the
// mouse and wheel control of camera, lights and shadow, with synthesized
// events.
#include <gtest/gtest.h>

#include <QKeyEvent>
#include <QMouseEvent>
#include <QSlider>
#include <QTest>
#include <QWheelEvent>
#include <thread>
#include <vector>

#include "tests/gui/FakeEngine.h"
#include "tests/gui/GuiTestSupport.h"
#include "ui/DialogCamera.h"
#include "ui/DialogLight.h"
#include "ui/DialogMain.h"
#include "ui/DialogOpenGL.h"
#include "ui/DialogShadow.h"
#include "ui/NumberEdit.h"
#include "ui/RightControlKey.h"
#include "ui/TabCtrlMain.h"

namespace {

class Preview : public ::testing::Test {
protected:
    guitest::GuiEnvironment env;
    FakeEngine engine;
    boxora::EngineBinding binding = engine.Binding();
    CDialogCamera camera{binding};
    CDialogLight light{binding};
    CDialogShadow shadow{binding};
    std::unique_ptr<CDialogOpenGL> preview;

    void SetUp() override {
        preview = std::make_unique<CDialogOpenGL>(binding);
        preview->SetPages(&camera, &light, &shadow);
        preview->resize(400, 300);
        preview->show();
        guitest::ProcessEvents();
        cursor_ = QPoint(200, 150);
        Move(cursor_, Qt::NoButton, Qt::NoModifier);  // the first move only sets the start
    }
    void TearDown() override { SetRightControl(false); }

    void Send(QEvent::Type type, QPoint pos, Qt::MouseButton button, Qt::MouseButtons buttons,
              Qt::KeyboardModifiers modifiers) {
        QMouseEvent event(type, QPointF(pos), QPointF(preview->mapToGlobal(pos)), button, buttons, modifiers);
        QApplication::sendEvent(preview.get(), &event);
    }
    void Move(QPoint pos, Qt::MouseButtons buttons, Qt::KeyboardModifiers modifiers) {
        Send(QEvent::MouseMove, pos, Qt::NoButton, buttons, modifiers);
        cursor_ = pos;
    }
    // A left drag by (dx, dy) in one move.
    void LeftDrag(int dx, int dy, Qt::KeyboardModifiers modifiers = Qt::NoModifier) {
        Send(QEvent::MouseButtonPress, cursor_, Qt::LeftButton, Qt::LeftButton, modifiers);
        Move(cursor_ + QPoint(dx, dy), Qt::LeftButton, modifiers);
        Send(QEvent::MouseButtonRelease, cursor_, Qt::LeftButton, Qt::NoButton, modifiers);
    }
    void Wheel(int delta, Qt::KeyboardModifiers modifiers = Qt::NoModifier) {
        QWheelEvent event(QPointF(cursor_), QPointF(preview->mapToGlobal(cursor_)), QPoint(), QPoint(0, delta),
                          Qt::NoButton, modifiers, Qt::NoScrollPhase, false);
        QApplication::sendEvent(preview.get(), &event);
    }
    static void SetRightControl(bool down) {
        QKeyEvent event(down ? QEvent::KeyPress : QEvent::KeyRelease, Qt::Key_Control,
                        down ? Qt::ControlModifier : Qt::NoModifier, RightControlKey::kRightControlScanCode, 0, 0);
        RightControlKey::Instance().Observe(event);
    }

    QPoint cursor_;
};

TEST_F(Preview, OrbitWrapsAcrossZeroAndThreeSixty) {
    camera.HorizontalRotation()->WriteValue(350);
    LeftDrag(30, 0);  // +15
    EXPECT_EQ(camera.HorizontalRotation()->Edit()->text(), "5");
    EXPECT_FLOAT_EQ(engine.scene.cameraHorizontalRotation, 5.0f);
    LeftDrag(-40, 0);  // -20
    EXPECT_EQ(camera.HorizontalRotation()->Edit()->text(), "345");
    EXPECT_FLOAT_EQ(engine.scene.cameraHorizontalRotation, 345.0f);
    // Odd pixel counts halve toward zero.
    LeftDrag(-3, 0);
    EXPECT_FLOAT_EQ(engine.scene.cameraHorizontalRotation, 344.0f);
}

TEST_F(Preview, OrbitStopsAtNinetyAndAtZeroStoredAsHalfADegree) {
    LeftDrag(0, 200);
    EXPECT_EQ(camera.VerticalRotation()->Edit()->text(), "90");
    EXPECT_FLOAT_EQ(engine.scene.cameraVerticalRotation, 90.0f);
    LeftDrag(0, -400);
    EXPECT_EQ(camera.VerticalRotation()->Edit()->text(), "0");
    EXPECT_FLOAT_EQ(engine.scene.cameraVerticalRotation, 0.5f);
    EXPECT_GT(engine.redrawCount, 0);
}

TEST_F(Preview, AltDragUpLengthensTheShadowWithinZeroToHundred) {
    ASSERT_EQ(shadow.Length()->Edit()->text(), "30");
    engine.ClearCalls();
    LeftDrag(0, -20, Qt::AltModifier);
    EXPECT_EQ(shadow.Length()->Edit()->text(), "40");
    EXPECT_NEAR(engine.scene.ShadowLength(), 40.0f, 1e-3);
    LeftDrag(0, -300, Qt::AltModifier);
    EXPECT_EQ(shadow.Length()->Edit()->text(), "100");
    LeftDrag(0, 500, Qt::AltModifier);
    EXPECT_EQ(shadow.Length()->Edit()->text(), "0");
    // Sideways turns the direction the other way, wrapping below zero.
    ASSERT_EQ(shadow.Direction()->Edit()->text(), "90");
    LeftDrag(200, 0, Qt::AltModifier);
    EXPECT_EQ(shadow.Direction()->Edit()->text(), "350");
    EXPECT_FLOAT_EQ(engine.scene.shadowDirection, 350.0f);
}

TEST_F(Preview, CtrlDragMovesLightOneUnlessRightCtrlIsHeld) {
    LeftDrag(20, -10, Qt::ControlModifier);
    EXPECT_EQ(light.LightRow(1, 0)->Edit()->text(), "80");  // 90 - 10
    EXPECT_EQ(light.LightRow(1, 1)->Edit()->text(), "35");  // 30 + 5
    EXPECT_EQ(light.LightRow(2, 0)->Edit()->text(), "130");
    EXPECT_FLOAT_EQ(engine.scene.light1HorizontalRotation, 80.0f);

    SetRightControl(true);
    LeftDrag(20, 100, Qt::ControlModifier);
    EXPECT_EQ(light.LightRow(2, 0)->Edit()->text(), "120");
    EXPECT_EQ(light.LightRow(2, 1)->Edit()->text(), "0");  // 20 - 50, clamped
    EXPECT_EQ(light.LightRow(1, 0)->Edit()->text(), "80");
    EXPECT_FLOAT_EQ(engine.scene.light2HorizontalRotation, 120.0f);

    SetRightControl(false);
    LeftDrag(-20, 0, Qt::ControlModifier);
    EXPECT_EQ(light.LightRow(1, 0)->Edit()->text(), "90");
}

TEST_F(Preview, ShiftDragAndMiddleDragPanTheTarget) {
    LeftDrag(20, 10, Qt::ShiftModifier);
    EXPECT_EQ(camera.TargetHorizontal()->Edit()->text(), "-10");
    EXPECT_EQ(camera.TargetVertical()->Edit()->text(), "35");
    EXPECT_FLOAT_EQ(engine.scene.cameraTarget[0], -10.0f);

    Move(cursor_ + QPoint(-400, 300), Qt::MiddleButton, Qt::NoModifier);
    EXPECT_EQ(camera.TargetHorizontal()->Edit()->text(), "100");
    EXPECT_EQ(camera.TargetVertical()->Edit()->text(), "100");
}

TEST_F(Preview, RightDragChangesThePerspective) {
    Move(cursor_ + QPoint(0, -20), Qt::RightButton, Qt::NoModifier);
    EXPECT_EQ(camera.Perspective()->Edit()->text(), "20");
    EXPECT_EQ(engine.Last("Camera_Perspective"), 20);
    Move(cursor_ + QPoint(0, 400), Qt::RightButton, Qt::NoModifier);
    EXPECT_EQ(camera.Perspective()->Edit()->text(), "0");
}

TEST_F(Preview, MovingWithoutButtonsChangesNothing) {
    engine.ClearCalls();
    Move(cursor_ + QPoint(50, 50), Qt::NoButton, Qt::NoModifier);
    Move(cursor_ + QPoint(-80, 10), Qt::NoButton, Qt::AltModifier);
    EXPECT_TRUE(engine.calls.empty());
}

TEST_F(Preview, WheelUpZoomsInThreeUnitsPerNotch) {
    ASSERT_EQ(camera.Zoom()->Edit()->text(), "50");
    Wheel(120);
    EXPECT_EQ(camera.Zoom()->Edit()->text(), "53");
    EXPECT_FLOAT_EQ(engine.scene.cameraZoom, 53.0f);
    Wheel(-240);
    EXPECT_EQ(camera.Zoom()->Edit()->text(), "47");
    // Fractions of a notch add up.
    Wheel(60);
    Wheel(60);
    EXPECT_EQ(camera.Zoom()->Edit()->text(), "50");
}

TEST_F(Preview, CtrlWheelChangesTheLightDistanceAndWraps) {
    Wheel(120, Qt::ControlModifier);  // 50 - 1.2
    EXPECT_EQ(light.LightRow(1, 2)->Edit()->text(), "48");
    light.LightRow(1, 2)->WriteValue(0);
    Wheel(120, Qt::ControlModifier);  // -1.2 wraps to 98.8
    EXPECT_EQ(light.LightRow(1, 2)->Edit()->text(), "98");
    SetRightControl(true);
    Wheel(-120, Qt::ControlModifier);  // 50 + 1.2
    EXPECT_EQ(light.LightRow(2, 2)->Edit()->text(), "51");
    EXPECT_FLOAT_EQ(engine.scene.light2Distance, 51.0f);
}

TEST_F(Preview, ReportsItsSizeAndAsksForAFrame) {
    const int redraws = engine.redrawCount;
    preview->resize(321, 211);
    guitest::ProcessEvents();
    EXPECT_EQ(engine.previewWidth, 321);
    EXPECT_EQ(engine.previewHeight, 211);
    EXPECT_GT(engine.redrawCount, redraws);
    EXPECT_EQ(engine.initializeCount, 1);
    EXPECT_EQ(engine.sink, preview.get());
}

TEST_F(Preview, FramesFromAnotherThreadArePaintedTopRowFirst) {
    const int w = preview->width();
    const int h = preview->height();
    std::vector<uint8_t> rgba(static_cast<std::size_t>(w) * h * 4);
    for (int y = 0; y < h; ++y) {
        for (int x = 0; x < w; ++x) {
            uint8_t* px = &rgba[(static_cast<std::size_t>(y) * w + x) * 4];
            // Bottom half (rows sent first) red, top half blue; alpha 0 as in
            // preview frames.
            px[0] = y < h / 2 ? 255 : 0;
            px[1] = 0;
            px[2] = y < h / 2 ? 0 : 255;
            px[3] = 0;
        }
    }
    std::thread sceneThread([&] { engine.sink->OnPreviewFrame(rgba.data(), w, h); });
    sceneThread.join();
    guitest::ProcessEvents();
    const QImage shot = preview->grab().toImage();
    EXPECT_EQ(QColor(shot.pixel(w / 2, 2)), QColor(0, 0, 255));
    EXPECT_EQ(QColor(shot.pixel(w / 2, h - 3)), QColor(255, 0, 0));
    EXPECT_EQ(preview->LatestFrame().size(), QSize(w, h));
}

TEST_F(Preview, DestroyingThePreviewReleasesTheEngine) {
    preview.reset();
    EXPECT_EQ(engine.releaseCount, 1);
}

TEST(PreviewPanel, WheelOverThePreviewZoomsAndNeverReachesThePage) {
    guitest::GuiEnvironment env;
    FakeEngine engine;
    boxora::EngineBinding binding = engine.Binding();
    CDialogMain panel(binding);
    panel.resize(1000, 600);
    panel.show();
    panel.Tabs()->setCurrentIndex(CTabCtrlMain::Camera);
    guitest::ProcessEvents();
    CDialogCamera* camera = panel.Tabs()->CameraPage();

    // Over the preview: zoom.
    const QPoint overPreview = panel.Preview()->rect().center();
    QWheelEvent onPreview(QPointF(overPreview), QPointF(panel.Preview()->mapToGlobal(overPreview)), QPoint(),
                          QPoint(0, 120), Qt::NoButton, Qt::NoModifier, Qt::NoScrollPhase, false);
    QApplication::sendEvent(panel.Preview(), &onPreview);
    EXPECT_EQ(camera->Zoom()->Edit()->text(), "53");
    const int brightness = panel.Tabs()->CameraPage()->Perspective()->Slider()->value();

    // Over a slider of the page: the slider moves, the zoom stays.
    QSlider* slider = camera->Perspective()->Slider();
    const QPoint onSlider = slider->rect().center();
    QWheelEvent onPage(QPointF(onSlider), QPointF(slider->mapToGlobal(onSlider)), QPoint(), QPoint(0, -120),
                       Qt::NoButton, Qt::NoModifier, Qt::NoScrollPhase, false);
    QApplication::sendEvent(slider, &onPage);
    EXPECT_NE(slider->value(), brightness);
    EXPECT_EQ(camera->Perspective()->Edit()->text().toInt(), slider->value());
    EXPECT_EQ(camera->Zoom()->Edit()->text(), "53");
}

}  // namespace
