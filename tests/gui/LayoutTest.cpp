// Geometry of the control panel and the settings pages after their layout
// rules ran: margins, row alignment, the tab width rule, check boxes on the
// group frames, nothing overlapping.
#include <gtest/gtest.h>

#include <QCheckBox>
#include <QLabel>
#include <QRadioButton>
#include <QSlider>

#include "tests/gui/FakeEngine.h"
#include "tests/gui/GuiTestSupport.h"
#include "ui/ColorButton.h"
#include "ui/DialogCamera.h"
#include "ui/DialogLight.h"
#include "ui/DialogMain.h"
#include "ui/DialogOpenGL.h"
#include "ui/DialogReflection.h"
#include "ui/DialogShadow.h"
#include "ui/GroupBox.h"
#include "ui/LayoutAdapter.h"
#include "ui/NumberEdit.h"
#include "ui/SpinButtons.h"
#include "ui/TabCtrlMain.h"

namespace {

class Layout : public ::testing::Test {
protected:
    guitest::GuiEnvironment env;
    FakeEngine engine;
    boxora::EngineBinding binding = engine.Binding();
};

void ExpectRowInGroup(const ParamSpinBinding* row, const QWidget* group, const DialogUnits& du) {
    const QRect spin = row->Spin()->geometry();
    const QRect edit = row->Edit()->geometry();
    const QRect slider = row->Slider()->geometry();
    const QRect label = row->Label()->geometry();
    const QRect g = group->geometry();
    EXPECT_EQ(spin.x() + spin.width(), g.x() + g.width() - du.ToPixelsX(7));
    EXPECT_EQ(edit.x() + edit.width(), spin.x());
    EXPECT_EQ(edit.y(), spin.y());
    EXPECT_EQ(slider.y(), spin.y());
    EXPECT_EQ(slider.x() + slider.width(), edit.x() - du.ToPixelsX(7));
    EXPECT_EQ(label.x(), g.x() + du.ToPixelsX(7));
    EXPECT_EQ(label.width(), du.ToPixelsX(70));
    EXPECT_EQ(slider.x(), label.x() + label.width() + du.ToPixelsX(7));
    EXPECT_LE(std::abs(label.center().y() - spin.center().y()), 1);
    EXPECT_TRUE(g.contains(spin) && g.contains(edit) && g.contains(slider) && g.contains(label));
}

TEST_F(Layout, CameraRowsStackInsideTheirGroupAndStretchWithThePage) {
    CDialogCamera page(binding);
    page.resize(560, 420);
    page.show();
    guitest::ProcessEvents();
    const DialogUnits du = boxora::DialogUnitsOf(&page);
    QWidget* group = page.Control(1067);
    ASSERT_NE(group, nullptr);
    EXPECT_EQ(group->y(), du.ToPixelsY(3));
    EXPECT_EQ(group->x(), du.ToPixelsX(7));
    EXPECT_EQ(group->x() + group->width(), page.width() - du.ToPixelsX(7));
    ParamSpinBinding* rows[] = {
        page.HorizontalRotation(), page.VerticalRotation(), page.TargetHorizontal(), page.TargetVertical(), page.Zoom(),
        page.Perspective()};
    EXPECT_EQ(rows[0]->Spin()->y(), group->y() + du.ToPixelsY(10));
    for (int i = 0; i < 6; ++i) {
        ExpectRowInGroup(rows[i], group, du);
        if (i > 0) {
            const QRect previous = rows[i - 1]->Spin()->geometry();
            EXPECT_EQ(rows[i]->Spin()->y(), previous.y() + previous.height() + du.ToPixelsY(3));
        }
    }
    const QRect last = rows[5]->Spin()->geometry();
    EXPECT_EQ(group->y() + group->height(), last.y() + last.height() + du.ToPixelsY(7));

    const int sliderWidth = rows[0]->Slider()->width();
    page.resize(760, 420);
    guitest::ProcessEvents();
    EXPECT_EQ(rows[0]->Slider()->width(), sliderWidth + 200);
    EXPECT_EQ(rows[0]->Edit()->width(), du.ToPixelsX(26));
}

TEST_F(Layout, LightingGroupsFollowEachOtherWithCheckBoxesOnTheirFrames) {
    CDialogLight page(binding);
    page.ApplyLanguageTexts();
    page.resize(560, 520);
    page.show();
    guitest::ProcessEvents();
    const DialogUnits du = boxora::DialogUnitsOf(&page);
    QWidget* global = page.Control(1169);
    QWidget* first = page.Control(1059);
    QWidget* second = page.Control(1183);
    EXPECT_EQ(first->y(), global->y() + global->height() + du.ToPixelsY(3));
    EXPECT_EQ(second->y(), first->y() + first->height() + du.ToPixelsY(3));
    for (int light = 1; light <= 2; ++light) {
        QWidget* group = light == 1 ? first : second;
        QCheckBox* check = page.LightCheck(light);
        EXPECT_EQ(check->x(), group->x() + du.ToPixelsX(7));
        EXPECT_EQ(check->y(), group->y() - du.ToPixelsY(1));
        EXPECT_GE(check->width(), check->sizeHint().width());
        for (int row = 0; row < 3; ++row) ExpectRowInGroup(page.LightRow(light, row), group, du);
        // The box is drawn above the frame it sits on.
        EXPECT_GT(page.children().indexOf(check), page.children().indexOf(group));
    }
}

TEST_F(Layout, ReflectionBackgroundGroupHoldsItsRadiosAndColourButton) {
    CDialogReflection page(binding);
    page.ApplyLanguageTexts();
    page.resize(560, 420);
    page.show();
    guitest::ProcessEvents();
    const DialogUnits du = boxora::DialogUnitsOf(&page);
    QWidget* reflection = page.Control(1081);
    QWidget* background = page.Control(1131);
    const QRect color = page.ColorRadio()->geometry();
    const QRect transparent = page.TransparentRadio()->geometry();
    const QRect button = page.BackgroundButton()->geometry();
    EXPECT_EQ(background->y(), reflection->y() + reflection->height() + du.ToPixelsY(3));
    EXPECT_EQ(color.x(), background->x() + du.ToPixelsX(7));
    EXPECT_EQ(color.width(), du.ToPixelsX(70));
    EXPECT_EQ(button.x(), color.x() + color.width() + du.ToPixelsX(7));
    EXPECT_EQ(button.y(), background->y() + du.ToPixelsY(10));
    EXPECT_LE(std::abs(color.center().y() - button.center().y()), 1);
    EXPECT_EQ(transparent.x(), color.x());
    EXPECT_EQ(transparent.y(), color.y() + color.height() + du.ToPixelsY(7));
    EXPECT_EQ(background->y() + background->height(), transparent.y() + transparent.height() + du.ToPixelsY(7));
    EXPECT_FALSE(color.intersects(button));
    EXPECT_GE(button.width(), page.BackgroundButton()->sizeHint().width());
}

TEST_F(Layout, PanelGivesTheTabsThirtyPercentInDialogUnitsUpToFourHundred) {
    EXPECT_EQ(CDialogMain::TabWidthUnits(1000), 300);
    EXPECT_EQ(CDialogMain::TabWidthUnits(1333), 399);
    EXPECT_EQ(CDialogMain::TabWidthUnits(1334), 400);
    EXPECT_EQ(CDialogMain::TabWidthUnits(2500), 400);

    CDialogMain panel(binding);
    panel.resize(1000, 600);
    panel.show();
    guitest::ProcessEvents();
    const DialogUnits du = boxora::DialogUnitsOf(&panel);
    const QRect tabs = panel.Tabs()->geometry();
    const QRect group = panel.PreviewGroup()->geometry();
    const QRect preview = panel.Preview()->geometry();
    EXPECT_EQ(tabs.x(), 1000 - du.ToPixelsX(300));
    EXPECT_EQ(tabs.x() + tabs.width(), 1000);
    EXPECT_EQ(tabs.y(), du.ToPixelsY(4));
    EXPECT_EQ(tabs.y() + tabs.height(), 600);
    EXPECT_EQ(group.x(), du.ToPixelsX(7));
    EXPECT_EQ(group.y(), du.ToPixelsY(3));
    EXPECT_EQ(group.x() + group.width(), tabs.x() - du.ToPixelsX(3));
    EXPECT_EQ(group.y() + group.height(), 600 - du.ToPixelsY(7));
    EXPECT_EQ(preview.x(), group.x() + du.ToPixelsX(7));
    EXPECT_EQ(preview.y(), group.y() + du.ToPixelsY(10));
    EXPECT_EQ(preview.x() + preview.width(), group.x() + group.width() - du.ToPixelsX(7));
    EXPECT_EQ(preview.y() + preview.height(), group.y() + group.height() - du.ToPixelsY(7));
    EXPECT_EQ(engine.previewWidth, preview.width());
    EXPECT_EQ(engine.previewHeight, preview.height());

    panel.resize(1600, 700);
    guitest::ProcessEvents();
    EXPECT_EQ(panel.Tabs()->x(), 1600 - du.ToPixelsX(400));
    // The hidden preview-settings group never shows.
    EXPECT_FALSE(boxora::FindControl(&panel, 1134)->isVisible());
}

TEST_F(Layout, TabsComeInTheirFixedOrder) {
    CDialogMain panel(binding);
    const QStringList expected = {"General",  "Scene",   "Objects",    "Camera",
                                  "Lighting", "Shadows", "Reflection", "Rendering"};
    ASSERT_EQ(panel.Tabs()->count(), 8);
    for (int i = 0; i < 8; ++i) EXPECT_EQ(panel.Tabs()->tabText(i), expected[i]);
    panel.ApplyLanguageTexts();
    for (int i = 0; i < 8; ++i) EXPECT_EQ(panel.Tabs()->tabText(i), expected[i]);
    EXPECT_EQ(panel.PreviewGroup()->title(), "Preview");
}

}  // namespace

namespace {

TEST_F(Layout, PagesLaidOutInsideThePanelLayoutStillPaint) {
    CDialogMain panel(binding);
    panel.resize(1100, 650);
    panel.show();
    panel.Tabs()->setCurrentIndex(CTabCtrlMain::Camera);
    guitest::ProcessEvents();
    panel.resize(1200, 700);  // the panel's layout resizes the tabs, whose pages lay out in turn
    guitest::ProcessEvents();
    for (int i = 0; i < CTabCtrlMain::PageCount; ++i) EXPECT_TRUE(panel.Tabs()->PageAt(i)->updatesEnabled()) << i;
    // The page really paints: its group frame's caption area is not black.
    const QImage shot = panel.Tabs()->CameraPage()->grab().toImage();
    const QColor pixel = shot.pixelColor(shot.width() / 2, shot.height() - 5);
    EXPECT_EQ(pixel, panel.Tabs()->CameraPage()->palette().color(QPalette::Window));
}

}  // namespace
