// Fit to Images on the Objects tab (one undo step, exact factors that the
// Scale page keeps and its sliders show) and the Scale page's real sizes:
// shown in mm or inches (remembered), typed sizes, and the lock that scales
// all three axes together.
#include <gtest/gtest.h>

#include <QAction>
#include <QCheckBox>
#include <QComboBox>
#include <QLineEdit>
#include <QLocale>
#include <QPushButton>
#include <QSlider>

#include "image/ImageCodec.h"
#include "tests/gui/FakeEngine.h"
#include "tests/gui/GuiTestSupport.h"
#include "tests/support/TestSupport.h"
#include "ui/DialogMain.h"
#include "ui/DialogObjects.h"
#include "ui/DialogScaleObject.h"
#include "ui/NumberEdit.h"
#include "ui/ObjectIconList.h"
#include "ui/ParamSpinBinding.h"
#include "ui/TabCtrlMain.h"
#include "ui/TabCtrlObjects.h"
#include "ui/undo/SceneHistory.h"

namespace {

std::string WritePng(const testsupport::TempDir& dir, const std::string& name, uint32_t w, uint32_t h) {
    std::vector<uint8_t> bgr(std::size_t{w} * h * 3, 128);
    ImageCodec image;
    EXPECT_TRUE(image.CreateFromArray(bgr.data(), w, h, 24, static_cast<int>(w * 3), false));
    const std::string path = dir.File(name);
    EXPECT_TRUE(image.Save(path, FORMAT_PNG));
    return path;
}

std::array<float, 3> Scale(const C3DObject& o) { return {o.scale[0], o.scale[1], o.scale[2]}; }

class FitAndScale : public ::testing::Test {
protected:
    guitest::GuiEnvironment env;
    FakeEngine engine;
    boxora::EngineBinding binding = engine.Binding();
    testsupport::TempDir dir;

    // A 100 x 140 x 30 box, like the catalogue's, declared 190 x 266 x 57 mm.
    C3DObject& AddBox(const std::array<std::string, 6>& images = {"*", "*", "*", "*", "*", "*"}) {
        C3DObject& box = engine.AddFakeObject("Box", images);
        box.width = 100;
        box.height = 140;
        box.depth = 30;
        box.realSizeMm = {190, 266, 57};
        return box;
    }
};

TEST_F(FitAndScale, FitToImagesIsOneUndoStepThatTheScalePageKeeps) {
    const std::string front = WritePng(dir, "front.png", 800, 400), side = WritePng(dir, "side.png", 200, 800);
    AddBox();
    C3DObject& box = AddBox({front, "*", side, side, "*", "*"});
    box.scale[1] = 1.5f;
    CDialogMain panel(binding);
    panel.resize(1100, 650);
    panel.show();
    CTabCtrlMain* tabs = panel.Tabs();
    tabs->setCurrentIndex(CTabCtrlMain::Objects);
    panel.RefreshFromScene();
    guitest::ProcessEvents();
    CDialogObjects* objects = tabs->ObjectsPage();
    boxora::SceneHistory* history = panel.History();

    // The first box has no images: nothing to fit, nothing recorded.
    objects->ObjectList()->SelectIndex(0);
    EXPECT_FALSE(objects->FitSelectedToImages());
    EXPECT_EQ(history->Stack()->count(), 0);

    objects->ObjectList()->SelectIndex(1);
    objects->FitButton()->click();
    // Width 2 x the height of 210, depth a quarter of it; the height stays.
    EXPECT_FLOAT_EQ(box.scale[0], 4.2f);
    EXPECT_FLOAT_EQ(box.scale[1], 1.5f);
    EXPECT_FLOAT_EQ(box.scale[2], 1.75f);
    EXPECT_EQ(history->Stack()->count(), 1);
    // Showing the object again does not round or clamp the fitted factors,
    // and the width's slider shows 320 short of its end.
    objects->ObjectList()->SelectIndex(0);
    objects->ObjectList()->SelectIndex(1);
    EXPECT_FLOAT_EQ(box.scale[0], 4.2f);
    ParamSpinBinding* width = objects->SubTabs()->ScalePage()->Row(0);
    QSlider* widthSlider = width->Slider();
    EXPECT_EQ(width->Edit()->text(), "320");
    EXPECT_EQ(widthSlider->value(), 320);
    EXPECT_GE(widthSlider->maximum(), 400);
    EXPECT_EQ(widthSlider->minimum(), -100);

    history->Undo();
    EXPECT_EQ(Scale(box), (std::array<float, 3>{1.0f, 1.5f, 1.0f}));
    EXPECT_EQ(widthSlider->maximum(), 100);
    history->Redo();
    EXPECT_EQ(Scale(box), (std::array<float, 3>{4.2f, 1.5f, 1.75f}));
    EXPECT_EQ(widthSlider->value(), 320);

    // The list's context menu offers the same command; fitting again
    // changes nothing and adds no step.
    objects->FitAction()->trigger();
    EXPECT_EQ(history->Stack()->count(), 1);

    // On the widened slider a position still means position / 100 + 1, and
    // a drag is one step.
    widthSlider->setSliderDown(true);
    widthSlider->setValue(250);
    widthSlider->setValue(400);
    widthSlider->setSliderDown(false);
    EXPECT_FLOAT_EQ(box.scale[0], 5.0f);
    EXPECT_EQ(history->Stack()->count(), 2);
    history->Undo();
    EXPECT_FLOAT_EQ(box.scale[0], 4.2f);
}

TEST_F(FitAndScale, TheSizeUnitFollowsTheLocaleUntilTheUserPicksOne) {
    const QLocale before;
    QLocale::setDefault(QLocale(QLocale::English, QLocale::UnitedStates));
    {
        CDialogScaleObject page(binding);
        EXPECT_EQ(page.CurrentUnit(), CDialogScaleObject::Unit::Inch);
        page.UnitBox()->setCurrentIndex(0);
    }
    CDialogScaleObject next(binding);
    EXPECT_EQ(next.CurrentUnit(), CDialogScaleObject::Unit::Millimetre);
    QLocale::setDefault(before);
}

TEST_F(FitAndScale, ScalePageShowsRealSizesTakesTypedSizesAndLocksTheAxes) {
    C3DObject& box = AddBox();
    CDialogMain panel(binding);
    panel.resize(1100, 650);
    panel.show();
    CTabCtrlMain* tabs = panel.Tabs();
    tabs->setCurrentIndex(CTabCtrlMain::Objects);
    panel.RefreshFromScene();
    tabs->ObjectsPage()->SubTabs()->setCurrentIndex(3);
    guitest::ProcessEvents();
    CDialogScaleObject* page = tabs->ObjectsPage()->SubTabs()->ScalePage();
    boxora::SceneHistory* history = panel.History();

    page->SetUnit(CDialogScaleObject::Unit::Millimetre);
    EXPECT_EQ(page->SizeEdit(0)->text(), "190.0");
    EXPECT_EQ(page->SizeEdit(1)->text(), "266.0");
    EXPECT_EQ(page->SizeEdit(2)->text(), "57.0");
    page->SetUnit(CDialogScaleObject::Unit::Inch);
    EXPECT_EQ(page->SizeEdit(0)->text(), "7.48");
    page->SetUnit(CDialogScaleObject::Unit::Millimetre);

    // A typed width scales the width alone, with either decimal mark.
    EXPECT_TRUE(page->EnterSize(0, "142,5"));
    EXPECT_EQ(Scale(box), (std::array<float, 3>{0.75f, 1.0f, 1.0f}));
    EXPECT_EQ(page->Row(0)->Edit()->text(), "-25");
    EXPECT_FALSE(page->EnterSize(1, "tall"));
    EXPECT_EQ(page->SizeEdit(1)->text(), "266.0");

    // Locked: a slider drag scales all three axes by the same ratio, and is
    // one step.
    page->LockBox()->setChecked(true);
    QSlider* height = page->Row(1)->Slider();
    height->setSliderDown(true);
    height->setValue(20);
    height->setValue(50);
    height->setSliderDown(false);
    EXPECT_FLOAT_EQ(box.scale[0], 1.125f);
    EXPECT_FLOAT_EQ(box.scale[1], 1.5f);
    EXPECT_FLOAT_EQ(box.scale[2], 1.5f);
    EXPECT_EQ(page->SizeEdit(1)->text(), "399.0");
    EXPECT_EQ(page->Row(2)->Edit()->text(), "50");
    // A typed depth, locked: 57 mm is scale 1, two thirds of the present.
    EXPECT_TRUE(page->EnterSize(2, "57"));
    EXPECT_FLOAT_EQ(box.scale[0], 0.75f);
    EXPECT_FLOAT_EQ(box.scale[1], 1.0f);
    EXPECT_FLOAT_EQ(box.scale[2], 1.0f);
    EXPECT_EQ(history->Stack()->count(), 3);

    history->Undo();
    EXPECT_EQ(Scale(box), (std::array<float, 3>{1.125f, 1.5f, 1.5f}));
    history->Undo();
    EXPECT_EQ(Scale(box), (std::array<float, 3>{0.75f, 1.0f, 1.0f}));
    EXPECT_EQ(page->SizeEdit(0)->text(), "142.5");
}

}  // namespace
