// The undo history of the desktop program: a slider drag, a typed number, a
// drag in the preview and a run of wheel turns are one step each; object
// edits go back on their own object; the pages re-reading the scene add no
// step; the title's modified marker follows the saved state through undo
// and redo.
#include <gtest/gtest.h>

#include <QLineEdit>
#include <QMouseEvent>
#include <QSlider>
#include <QTest>

#include "tests/gui/FakeEngine.h"
#include "tests/gui/GuiTestSupport.h"
#include "ui/BoxoraApp.h"
#include "ui/CommandIds.h"
#include "ui/DialogCamera.h"
#include "ui/DialogMain.h"
#include "ui/DialogObjects.h"
#include "ui/DialogOpenGL.h"
#include "ui/DialogRotateObject.h"
#include "ui/DialogScaleObject.h"
#include "ui/DialogShadow.h"
#include "ui/MainFrame.h"
#include "ui/NumberEdit.h"
#include "ui/ObjectIconList.h"
#include "ui/TabCtrlMain.h"
#include "ui/TabCtrlObjects.h"
#include "ui/undo/SceneHistory.h"

namespace {

void Drag(QSlider* slider, std::initializer_list<int> values) {
    slider->setSliderDown(true);
    for (int v : values) slider->setValue(v);
    slider->setSliderDown(false);  // sliderReleased
}

void Type(NumberEdit* edit, const QString& text) {
    edit->setFocus();
    edit->selectAll();
    QTest::keyClicks(edit, text);
}

class Undo : public ::testing::Test {
protected:
    guitest::GuiEnvironment env;
    FakeEngine engine;
    boxora::EngineBinding binding = engine.Binding();
};

TEST_F(Undo, EachSliderDragIsOneStep) {
    CDialogMain panel(binding);
    boxora::SceneHistory* history = panel.History();
    ParamSpinBinding* direction = panel.Tabs()->ShadowPage()->Direction();
    Drag(direction->Slider(), {100, 120, 140});
    Drag(direction->Slider(), {150, 200});
    EXPECT_EQ(history->Stack()->count(), 2);
    EXPECT_FLOAT_EQ(engine.scene.shadowDirection, 200.0f);

    history->Undo();
    EXPECT_FLOAT_EQ(engine.scene.shadowDirection, 140.0f);
    EXPECT_EQ(direction->Edit()->text(), "140");
    history->Undo();
    EXPECT_FLOAT_EQ(engine.scene.shadowDirection, 90.0f);
    EXPECT_EQ(direction->Slider()->value(), 90);
    history->Redo();
    EXPECT_FLOAT_EQ(engine.scene.shadowDirection, 140.0f);
    // Undo and redo themselves add nothing; a drag back to where it began
    // leaves no step behind.
    EXPECT_EQ(history->Stack()->count(), 2);
    Drag(direction->Slider(), {170, 140});
    EXPECT_EQ(history->Stack()->count(), 1);
    EXPECT_EQ(history->Stack()->index(), 1);
}

TEST_F(Undo, ObjectEditsGoBackOnTheirObjectAndRefreshesAreNoSteps) {
    engine.AddFakeObject("Book");
    engine.AddFakeObject("Box");
    CDialogMain panel(binding);
    panel.resize(1100, 650);
    panel.show();
    CTabCtrlMain* tabs = panel.Tabs();
    tabs->setCurrentIndex(CTabCtrlMain::Objects);
    panel.RefreshFromScene();
    guitest::ProcessEvents();
    boxora::SceneHistory* history = panel.History();
    EXPECT_EQ(history->Stack()->count(), 0);

    boxora::ObjectIconList* list = tabs->ObjectsPage()->ObjectList();
    list->SelectIndex(0);
    ParamSpinBinding* rotateY = tabs->ObjectsPage()->SubTabs()->RotatePage()->Row(1);
    Type(rotateY->Edit(), "-30");
    EXPECT_FLOAT_EQ(engine.objects[0]->rotate[1], -30.0f);
    list->SelectIndex(1);  // shows the other object: no step
    EXPECT_EQ(history->Stack()->count(), 1);

    history->Undo();
    EXPECT_FLOAT_EQ(engine.objects[0]->rotate[1], 0.0f);
    EXPECT_FLOAT_EQ(engine.objects[1]->rotate[1], 0.0f);
    EXPECT_EQ(list->FirstSelectedIndex(), 0);
    EXPECT_EQ(rotateY->Edit()->text(), "0");
}

TEST_F(Undo, APreviewDragIsOneStepAndUndoingToTheSavedStateClearsTheMark) {
    CBoxoraApp app(binding);
    ASSERT_TRUE(app.InitInstance({}));
    CMainFrame* frame = app.MainFrame();
    CDialogOpenGL* preview = frame->Panel()->Preview();
    boxora::SceneHistory* history = frame->Panel()->History();
    EXPECT_FALSE(frame->isWindowModified());
    EXPECT_TRUE(frame->windowTitle().contains("[*]"));

    const float horizontal = engine.scene.cameraHorizontalRotation;
    auto send = [preview](QEvent::Type type, QPoint pos, Qt::MouseButton button, Qt::MouseButtons buttons) {
        QMouseEvent e(type, QPointF(pos), QPointF(preview->mapToGlobal(pos)), button, buttons, Qt::NoModifier);
        QApplication::sendEvent(preview, &e);
    };
    send(QEvent::MouseMove, {100, 100}, Qt::NoButton, Qt::NoButton);
    send(QEvent::MouseButtonPress, {100, 100}, Qt::LeftButton, Qt::LeftButton);
    for (int x = 110; x <= 160; x += 10) send(QEvent::MouseMove, {x, 100}, Qt::NoButton, Qt::LeftButton);
    send(QEvent::MouseButtonRelease, {160, 100}, Qt::LeftButton, Qt::NoButton);
    EXPECT_FLOAT_EQ(engine.scene.cameraHorizontalRotation, horizontal + 30);
    EXPECT_EQ(history->Stack()->count(), 1);
    EXPECT_TRUE(frame->isWindowModified());

    frame->RunCommand(boxora::ID_EDIT_UNDO);
    EXPECT_FLOAT_EQ(engine.scene.cameraHorizontalRotation, horizontal);
    EXPECT_FALSE(frame->isWindowModified());
    EXPECT_FALSE(frame->CommandAction(boxora::ID_EDIT_UNDO)->isEnabled());
    frame->RunCommand(boxora::ID_EDIT_REDO);
    EXPECT_FLOAT_EQ(engine.scene.cameraHorizontalRotation, horizontal + 30);
    EXPECT_TRUE(frame->isWindowModified());

    // Wheel turns in a row make one step.
    const float zoom = engine.scene.cameraZoom;
    for (int i = 0; i < 3; ++i) preview->HandleWheel(120, Qt::NoModifier);
    EXPECT_EQ(history->Stack()->count(), 2);
    frame->RunCommand(boxora::ID_EDIT_UNDO);
    EXPECT_FLOAT_EQ(engine.scene.cameraZoom, zoom);
    app.ExitInstance();
}

// Ctrl+Z reaches the scene's history right after a value was typed and
// entered, with the focus still in the field (a plain text field and a
// number field), and a typed value not yet entered is entered first.
TEST_F(Undo, CtrlZRightAfterTypingAValueUndoesItWithTheFocusStillInTheField) {
    C3DObject& box = engine.AddFakeObject("Box");
    box.width = 100;
    box.height = 140;
    box.depth = 30;
    box.realSizeMm = {190, 266, 57};
    CBoxoraApp app(binding);
    ASSERT_TRUE(app.InitInstance({}));
    CMainFrame* frame = app.MainFrame();
    frame->show();
    frame->activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(frame));
    CTabCtrlMain* tabs = frame->Panel()->Tabs();

    tabs->setCurrentWidget(tabs->ShadowPage());
    NumberEdit* blur = tabs->ShadowPage()->Blur()->Edit();
    const int blurBefore = engine.scene.Shadow_Blur;
    Type(blur, QString::number(blurBefore + 7));
    QTest::keyClick(blur, Qt::Key_Return);
    ASSERT_EQ(engine.scene.Shadow_Blur, blurBefore + 7);
    QTest::keyClick(blur, Qt::Key_Z, Qt::ControlModifier);
    EXPECT_EQ(engine.scene.Shadow_Blur, blurBefore);
    EXPECT_EQ(blur->text(), QString::number(blurBefore));

    tabs->setCurrentIndex(CTabCtrlMain::Objects);
    frame->Panel()->RefreshFromScene();
    tabs->ObjectsPage()->ObjectList()->SelectIndex(0);
    tabs->ObjectsPage()->SubTabs()->setCurrentIndex(3);
    guitest::ProcessEvents();
    CDialogScaleObject* scale = tabs->ObjectsPage()->SubTabs()->ScalePage();
    scale->SetUnit(CDialogScaleObject::Unit::Millimetre);
    QLineEdit* width = scale->SizeEdit(0);
    width->setFocus();
    width->selectAll();
    QTest::keyClicks(width, "95");
    QTest::keyClick(width, Qt::Key_Return);
    ASSERT_FLOAT_EQ(box.scale[0], 0.5f);
    QTest::keyClick(width, Qt::Key_Z, Qt::ControlModifier);
    EXPECT_FLOAT_EQ(box.scale[0], 1.0f);
    EXPECT_EQ(width->text(), "190.0");
    QTest::keyClick(width, Qt::Key_Y, Qt::ControlModifier);
    EXPECT_FLOAT_EQ(box.scale[0], 0.5f);

    // Typed, not entered: Ctrl+Z enters it and takes it back.
    width->selectAll();
    QTest::keyClicks(width, "380");
    QTest::keyClick(width, Qt::Key_Z, Qt::ControlModifier);
    EXPECT_FLOAT_EQ(box.scale[0], 0.5f);
    EXPECT_EQ(width->text(), "95.0");
    app.ExitInstance();
}

}  // namespace
