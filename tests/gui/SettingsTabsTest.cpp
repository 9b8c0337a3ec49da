// The Camera, Lighting, Shadows and Reflection tabs driven like a user would:
// typing, spin buttons, slider drags, check boxes, radio buttons, the colour
// button, and refreshes from the scene.
#include <gtest/gtest.h>

#include <QCheckBox>
#include <QLabel>
#include <QMouseEvent>
#include <QRadioButton>
#include <QSlider>
#include <QStyleOptionSlider>
#include <QTest>
#include <QToolButton>
#include <cmath>
#include <limits>

#include "tests/gui/FakeEngine.h"
#include "tests/gui/GuiTestSupport.h"
#include "ui/ColorButton.h"
#include "ui/DialogCamera.h"
#include "ui/DialogLight.h"
#include "ui/DialogReflection.h"
#include "ui/DialogShadow.h"
#include "ui/NumberEdit.h"
#include "ui/SpinButtons.h"

namespace {

class SettingsTabs : public ::testing::Test {
protected:
    guitest::GuiEnvironment env;
    FakeEngine engine;
    boxora::EngineBinding binding = engine.Binding();

    template <class Page>
    std::unique_ptr<Page> Show() {
        auto page = std::make_unique<Page>(binding);
        page->resize(520, 420);
        page->show();
        guitest::ProcessEvents();
        return page;
    }
};

void TypeInto(NumberEdit* edit, const QString& text) {
    edit->setFocus();
    edit->selectAll();
    QTest::keyClicks(edit, text);
}

QPoint HandleCentre(QSlider* slider) {
    QStyleOptionSlider option;
    option.initFrom(slider);
    option.orientation = slider->orientation();
    option.minimum = slider->minimum();
    option.maximum = slider->maximum();
    option.sliderPosition = slider->sliderPosition();
    option.sliderValue = slider->value();
    option.subControls = QStyle::SC_SliderHandle;
    return slider->style()->subControlRect(QStyle::CC_Slider, &option, QStyle::SC_SliderHandle, slider).center();
}

void SendMouse(QWidget* w, QEvent::Type type, QPoint pos, Qt::MouseButton button, Qt::MouseButtons buttons) {
    QMouseEvent event(type, QPointF(pos), QPointF(w->mapToGlobal(pos)), button, buttons, Qt::NoModifier);
    QApplication::sendEvent(w, &event);
}

TEST_F(SettingsTabs, TypingAboveTheRangeLeavesTheMaximumInFieldSliderAndEngine) {
    auto page = Show<CDialogShadow>();
    NumberEdit* edit = page->Direction()->Edit();
    TypeInto(edit, "400");
    EXPECT_EQ(edit->text(), "360");
    EXPECT_EQ(page->Direction()->Slider()->value(), 360);
    EXPECT_EQ(page->Direction()->Slider()->value(), page->Direction()->Slider()->maximum());
    EXPECT_EQ(engine.Last("Direction"), 360);
    EXPECT_FLOAT_EQ(engine.scene.shadowDirection, 360.0f);
}

TEST_F(SettingsTabs, TypedLettersAndSignsAreRefusedButDigitsPass) {
    auto page = Show<CDialogShadow>();
    NumberEdit* edit = page->Blur()->Edit();
    TypeInto(edit, "4x-2");
    EXPECT_EQ(edit->text(), "42");
    EXPECT_EQ(engine.Last("Shadow_Blur"), 42);
    EXPECT_EQ(engine.scene.Shadow_Blur, 42);
}

TEST_F(SettingsTabs, ALeadingMinusIsTypedOnlyWhereTheRangeGoesBelowZero) {
    auto page = Show<CDialogCamera>();
    NumberEdit* edit = page->TargetHorizontal()->Edit();
    // Only a first minus at the start of the number counts.
    TypeInto(edit, "-3-0");
    EXPECT_EQ(edit->text(), "-30");
    EXPECT_EQ(engine.Last("Camera_Target_Horizontal"), -30);
    edit->setCursorPosition(0);
    QTest::keyClicks(edit, "-");
    EXPECT_EQ(edit->text(), "-30");
    TypeInto(edit, "-150");
    EXPECT_EQ(edit->text(), "-100");
    EXPECT_EQ(page->TargetHorizontal()->Slider()->value(), -100);
    // The vertical target starts at 0: no sign there.
    NumberEdit* vertical = page->TargetVertical()->Edit();
    TypeInto(vertical, "-7");
    EXPECT_EQ(vertical->text(), "7");
}

TEST_F(SettingsTabs, EmptiedZoomFieldStaysEmptyWhileEngineAndSliderGetZero) {
    auto page = Show<CDialogCamera>();
    NumberEdit* edit = page->Zoom()->Edit();
    edit->setFocus();
    edit->selectAll();
    QTest::keyClick(edit, Qt::Key_Delete);
    EXPECT_EQ(edit->text(), "");
    EXPECT_EQ(engine.Last("Camera_Zoom"), 0);
    EXPECT_EQ(page->Zoom()->Slider()->value(), 0);
}

TEST_F(SettingsTabs, PlaceholdersReachTheEngineWhenThePageIsCreated) {
    auto camera = Show<CDialogCamera>();
    auto light = Show<CDialogLight>();
    EXPECT_EQ(engine.Last("Camera_Zoom"), 50);
    EXPECT_EQ(engine.Last("Camera_Horizontal_Rotation"), 20);
    EXPECT_EQ(engine.Last("Camera_Target_Horizontal"), 0);
    EXPECT_EQ(engine.Last("Light_Horizontal_Rotation_2"), 130);
    EXPECT_EQ(camera->Perspective()->Edit()->text(), "10");
    EXPECT_EQ(light->Brightness()->Slider()->value(), 20);
}

TEST_F(SettingsTabs, SliderDragSendsEveryStepThroughTheFieldToTheEngine) {
    auto page = Show<CDialogShadow>();
    QSlider* slider = page->Intensity()->Slider();
    const QPoint start = HandleCentre(slider);
    engine.ClearCalls();
    SendMouse(slider, QEvent::MouseButtonPress, start, Qt::LeftButton, Qt::LeftButton);
    int lastSeen = -1;
    for (int step = 1; step <= 6; ++step) {
        SendMouse(slider, QEvent::MouseMove, start + QPoint(step * 12, 0), Qt::NoButton, Qt::LeftButton);
        EXPECT_EQ(page->Intensity()->Edit()->text().toInt(), slider->value());
        EXPECT_EQ(engine.Last("Shadow_Intensity"), slider->value());
        EXPECT_GT(slider->value(), lastSeen);
        lastSeen = slider->value();
    }
    SendMouse(slider, QEvent::MouseButtonRelease, start + QPoint(72, 0), Qt::LeftButton, Qt::NoButton);
    EXPECT_GT(slider->value(), 20);
    EXPECT_EQ(engine.scene.Shadow_Intensity, slider->value());
    EXPECT_GE(engine.Count("Shadow_Intensity"), 6);
}

TEST_F(SettingsTabs, KeyboardOnTheSliderReachesTheEngine) {
    auto page = Show<CDialogCamera>();
    QSlider* slider = page->Perspective()->Slider();
    slider->setFocus();
    QTest::keyClick(slider, Qt::Key_End);
    EXPECT_EQ(page->Perspective()->Edit()->text(), "100");
    EXPECT_EQ(engine.Last("Camera_Perspective"), 100);
}

TEST_F(SettingsTabs, SpinButtonsStepWithinTheRangeAndReachNegativeTargets) {
    auto page = Show<CDialogCamera>();
    ParamSpinBinding* row = page->TargetHorizontal();
    ASSERT_EQ(row->Edit()->text(), "0");
    QTest::mouseClick(row->Spin()->DownButton(), Qt::LeftButton);
    EXPECT_EQ(row->Edit()->text(), "-1");
    EXPECT_EQ(engine.Last("Camera_Target_Horizontal"), -1);
    EXPECT_EQ(row->Slider()->value(), -1);

    row->WriteValue(100);
    engine.ClearCalls();
    QTest::mouseClick(row->Spin()->UpButton(), Qt::LeftButton);
    EXPECT_EQ(row->Edit()->text(), "100");
    // The arrow keys in the field step like the buttons.
    row->Edit()->setFocus();
    QTest::keyClick(row->Edit(), Qt::Key_Down);
    EXPECT_EQ(row->Edit()->text(), "99");
    EXPECT_EQ(engine.Last("Camera_Target_Horizontal"), 99);
}

TEST_F(SettingsTabs, RefreshWritesTruncatedEngineValuesBackToTheEngine) {
    auto page = Show<CDialogShadow>();
    engine.scene.SetShadowLengthPlain(68.75f);  // elevation 30
    engine.ClearCalls();
    page->RefreshFromEngine();
    EXPECT_EQ(page->Length()->Edit()->text(), "68");
    EXPECT_EQ(engine.Last("Length"), 68);
    EXPECT_NEAR(engine.scene.shadowElevation, 85.0f - 0.8f * 68.0f, 1e-4);

    // The field already shows 68: the engine still gets the clamped integer.
    engine.scene.SetShadowLengthPlain(68.75f);
    engine.ClearCalls();
    page->RefreshFromEngine();
    EXPECT_EQ(engine.Count("Length"), 1);
    EXPECT_EQ(engine.Last("Length"), 68);
}

TEST_F(SettingsTabs, RefreshClampsWildSceneValues) {
    auto page = Show<CDialogCamera>();
    engine.scene.cameraHorizontalRotation = 1e20f;
    engine.scene.cameraVerticalRotation = std::numeric_limits<float>::quiet_NaN();
    engine.scene.Camera_Perspective = -5.7f;
    engine.scene.cameraTarget.SetAt(0, -250.0f);
    page->RefreshFromEngine();
    EXPECT_EQ(page->HorizontalRotation()->Edit()->text(), "360");
    EXPECT_EQ(page->VerticalRotation()->Edit()->text(), "0");
    EXPECT_EQ(page->Perspective()->Edit()->text(), "0");
    EXPECT_EQ(page->TargetHorizontal()->Edit()->text(), "-100");
    EXPECT_FLOAT_EQ(engine.scene.cameraHorizontalRotation, 360.0f);
    EXPECT_FLOAT_EQ(engine.scene.cameraVerticalRotation, 0.5f);  // the engine's own rule for 0
    EXPECT_FLOAT_EQ(engine.scene.cameraTarget[0], -100.0f);
}

TEST_F(SettingsTabs, CameraRefreshSelectorsTouchOnlyTheirRows) {
    auto page = Show<CDialogCamera>();
    engine.scene.cameraHorizontalRotation = 123;
    engine.scene.cameraZoom = 77;
    engine.scene.Camera_Perspective = 44;
    page->RefreshFromEngine(CDialogCamera::RefreshZoom);
    EXPECT_EQ(page->Zoom()->Edit()->text(), "77");
    EXPECT_EQ(page->HorizontalRotation()->Edit()->text(), "20");
    page->RefreshFromEngine(CDialogCamera::RefreshRotation);
    EXPECT_EQ(page->HorizontalRotation()->Edit()->text(), "123");
    EXPECT_EQ(page->Perspective()->Edit()->text(), "10");
    page->RefreshFromEngine(CDialogCamera::RefreshAll);
    EXPECT_EQ(page->Perspective()->Edit()->text(), "44");
}

TEST_F(SettingsTabs, UncheckingLightSourceTwoGreysItsRowsAndSwitchesTheLightOff) {
    auto page = Show<CDialogLight>();
    page->LightRow(2, 0)->WriteValue(200);
    QCheckBox* check = page->LightCheck(2);
    ASSERT_TRUE(check->isChecked());
    QTest::mouseClick(check, Qt::LeftButton, Qt::NoModifier, QPoint(6, check->height() / 2));
    EXPECT_FALSE(check->isChecked());
    EXPECT_EQ(engine.Last("Light_Source_Enabled_2"), 0);
    EXPECT_FALSE(engine.scene.Light_Source_Enabled_2);
    for (int row = 0; row < 3; ++row) {
        ParamSpinBinding* r = page->LightRow(2, row);
        EXPECT_FALSE(r->Slider()->isEnabled());
        EXPECT_FALSE(r->Edit()->isEnabled());
        EXPECT_FALSE(r->Spin()->isEnabled());
        EXPECT_TRUE(r->Label()->isEnabled());
        EXPECT_TRUE(page->LightRow(1, row)->Slider()->isEnabled());
    }
    EXPECT_EQ(page->LightRow(2, 0)->Edit()->text(), "200");

    QTest::mouseClick(check, Qt::LeftButton, Qt::NoModifier, QPoint(6, check->height() / 2));
    EXPECT_TRUE(check->isChecked());
    EXPECT_EQ(engine.Last("Light_Source_Enabled_2"), 1);
    EXPECT_TRUE(page->LightRow(2, 0)->Slider()->isEnabled());
    EXPECT_EQ(page->LightRow(2, 0)->Edit()->text(), "200");
}

TEST_F(SettingsTabs, LightingRefreshFollowsTheEnabledFlagsWithoutCallingTheEngine) {
    auto page = Show<CDialogLight>();
    engine.scene.Light_Source_Enabled_1 = false;
    engine.ClearCalls();
    page->RefreshFromEngine();
    EXPECT_FALSE(page->LightCheck(1)->isChecked());
    EXPECT_FALSE(page->LightRow(1, 2)->Edit()->isEnabled());
    EXPECT_TRUE(page->LightRow(2, 2)->Edit()->isEnabled());
    EXPECT_EQ(engine.Count("Light_Source_Enabled_1"), 0);
    EXPECT_EQ(engine.Count("Light_Source_Enabled_2"), 0);
}

TEST_F(SettingsTabs, TransparentGreysTheColourButtonAndKeepsTheColour) {
    auto page = Show<CDialogReflection>();
    ColorButton* button = page->BackgroundButton();
    ASSERT_TRUE(page->ColorRadio()->isChecked());
    ASSERT_TRUE(button->isEnabled());

    QTest::mouseClick(page->TransparentRadio(), Qt::LeftButton, Qt::NoModifier, QPoint(6, 6));
    EXPECT_FALSE(button->isEnabled());
    EXPECT_EQ(engine.Last("Background_Transparent"), 1);

    QTest::mouseClick(page->ColorRadio(), Qt::LeftButton, Qt::NoModifier, QPoint(6, 6));
    EXPECT_TRUE(button->isEnabled());
    EXPECT_EQ(engine.Last("Background_Transparent"), 0);
    EXPECT_EQ(button->Color(), QColor(Qt::white));
}

TEST_F(SettingsTabs, ChosenColourReachesTheEngineAsColorref) {
    auto page = Show<CDialogReflection>();
    ColorButton* button = page->BackgroundButton();
    button->SetChooser([](const QColor&, QWidget*) { return QColor(0x10, 0x20, 0x30); });
    QTest::mouseClick(button, Qt::LeftButton);
    EXPECT_EQ(static_cast<unsigned>(engine.Last("Background_Color")), 0x302010u);
    EXPECT_EQ(button->Color(), QColor(0x10, 0x20, 0x30));

    // A cancelled dialog changes nothing.
    engine.ClearCalls();
    button->SetChooser([](const QColor&, QWidget*) { return QColor(); });
    QTest::mouseClick(button, Qt::LeftButton);
    EXPECT_EQ(engine.Count("Background_Color"), 0);
    EXPECT_EQ(button->Color(), QColor(0x10, 0x20, 0x30));
}

TEST_F(SettingsTabs, ReflectionRefreshShowsBackgroundState) {
    auto page = Show<CDialogReflection>();
    engine.scene.backgroundTransparent = true;
    engine.scene.backgroundColor = 0x0000FFu;  // red
    engine.scene.Reflection_Opacity = 33.9f;
    page->RefreshFromEngine();
    EXPECT_TRUE(page->TransparentRadio()->isChecked());
    EXPECT_FALSE(page->ColorRadio()->isChecked());
    EXPECT_FALSE(page->BackgroundButton()->isEnabled());
    EXPECT_EQ(page->BackgroundButton()->Color(), QColor(255, 0, 0));
    EXPECT_EQ(page->Opacity()->Edit()->text(), "33");
    EXPECT_EQ(engine.Last("Reflection_Opacity"), 33);
}

TEST(ColorRef, ConvertsBothWays) {
    EXPECT_EQ(boxora::ColorRefFromColor(QColor(0x12, 0x34, 0x56)), 0x563412u);
    EXPECT_EQ(boxora::ColorFromColorRef(0x563412u), QColor(0x12, 0x34, 0x56));
    EXPECT_EQ(boxora::ColorFromColorRef(0xFF000000u | 0xFFFFFFu), QColor(255, 255, 255));
}

TEST_F(SettingsTabs, PagesTakeTheirTextsFromTheLanguageFile) {
    auto camera = Show<CDialogCamera>();
    auto light = Show<CDialogLight>();
    camera->ApplyLanguageTexts();
    light->ApplyLanguageTexts();
    // "camtv" labels the horizontal target row, "camth" the vertical one.
    EXPECT_EQ(camera->TargetHorizontal()->Label()->text(), "Camera target horizontal");
    EXPECT_EQ(camera->TargetVertical()->Label()->text(), "Camera target vertical");
    EXPECT_EQ(light->LightCheck(2)->text(), "Light source 2");
    EXPECT_EQ(light->LightRow(2, 2)->Label()->text(), "Distance");
}

}  // namespace
