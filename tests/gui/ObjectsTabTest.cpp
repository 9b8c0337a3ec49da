// The Objects tab and its sub-tabs: the object list and the object it binds,
// the six face rows (missing faces disabled, "*" faces empty, the browse
// dialog's filter), the transform rows with their ranges and the Scale
// page's percent mapping, and everything disabled without a selection.
#include <gtest/gtest.h>

#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSlider>
#include <QTest>
#include <cmath>
#include <limits>

#include "tests/gui/FakeEngine.h"
#include "tests/gui/GuiTestSupport.h"
#include "ui/DialogObjects.h"
#include "ui/DialogRotateObject.h"
#include "ui/DialogScaleObject.h"
#include "ui/DialogTextures.h"
#include "ui/DialogTranslateObject.h"
#include "ui/FileFilter.h"
#include "ui/GroupBox.h"
#include "ui/LayoutAdapter.h"
#include "ui/NumberEdit.h"
#include "ui/ObjectIconList.h"
#include "ui/ObjectTransformValues.h"
#include "ui/SpinButtons.h"
#include "ui/TabCtrlObjects.h"

namespace {

class ObjectsTab : public ::testing::Test {
protected:
    guitest::GuiEnvironment env;
    FakeEngine engine;
    boxora::EngineBinding binding = engine.Binding();

    std::unique_ptr<CDialogObjects> Show() {
        auto page = std::make_unique<CDialogObjects>(binding);
        page->resize(600, 640);
        page->show();
        guitest::ProcessEvents();
        return page;
    }
    static CDialogTextures* Textures(CDialogObjects& p) { return p.SubTabs()->TexturesPage(); }
};

void TypeInto(QLineEdit* edit, const QString& text) {
    edit->setFocus();
    edit->selectAll();
    QTest::keyClicks(edit, text);
}

TEST_F(ObjectsTab, ListsTheSceneObjectsAndBindsTheFirstOne) {
    engine.AddFakeObject("Book", {"/img/book.png", "*", "", "", "", ""});
    engine.AddFakeObject("Box", {"/img/box.png", "", "", "", "", ""});
    auto page = Show();
    boxora::ObjectIconList* list = page->ObjectList();
    ASSERT_EQ(list->count(), 2);
    EXPECT_EQ(list->item(0)->text(), "Book");
    EXPECT_EQ(list->IdAt(1), 1);
    EXPECT_EQ(page->SelectedObjectId(), 0);
    EXPECT_EQ(Textures(*page)->FaceEdit(COVER_FRONT)->text(), "/img/book.png");

    // Selecting another object shows it.
    list->SelectIndex(1);
    EXPECT_EQ(page->SelectedObjectId(), 1);
    EXPECT_EQ(Textures(*page)->FaceEdit(COVER_FRONT)->text(), "/img/box.png");
    EXPECT_FALSE(Textures(*page)->FaceEdit(COVER_BACK)->isEnabled());
}

TEST_F(ObjectsTab, MissingFacesAreDisabledAndFacesWithoutAnImageAreEnabledAndEmpty) {
    engine.AddFakeObject("Box", {"/img/front.png", "*", "", "/img/right.png", "", "*"});
    auto page = Show();
    CDialogTextures* textures = Textures(*page);
    EXPECT_TRUE(textures->FaceEdit(COVER_FRONT)->isEnabled());
    EXPECT_TRUE(textures->FaceEdit(COVER_FRONT)->isReadOnly());
    EXPECT_EQ(textures->FaceEdit(COVER_FRONT)->text(), "/img/front.png");
    // "*": the face exists but shows no image.
    EXPECT_TRUE(textures->FaceEdit(COVER_BACK)->isEnabled());
    EXPECT_TRUE(textures->FaceButton(COVER_BACK)->isEnabled());
    EXPECT_EQ(textures->FaceEdit(COVER_BACK)->text(), "");
    // "": the model has no such face.
    EXPECT_FALSE(textures->FaceEdit(COVER_LEFT)->isEnabled());
    EXPECT_FALSE(textures->FaceButton(COVER_LEFT)->isEnabled());
    EXPECT_EQ(textures->FaceEdit(COVER_LEFT)->text(), "");
    EXPECT_FALSE(textures->FaceButton(COVER_TOP)->isEnabled());
    EXPECT_TRUE(textures->FaceButton(COVER_BOTTOM)->isEnabled());
}

TEST_F(ObjectsTab, FaceRowsAppearInScreenOrderFrontLeftTopBackRightBottom) {
    engine.AddFakeObject("Box", {"a", "b", "c", "d", "e", "f"});
    auto page = Show();
    page->ApplyLanguageTexts();
    CDialogTextures* textures = Textures(*page);
    const int order[6] = {COVER_FRONT, COVER_LEFT, COVER_TOP, COVER_BACK, COVER_RIGHT, COVER_BOTTOM};
    const char* labels[6] = {"Front:", "Left:", "Top:", "Back:", "Right:", "Bottom:"};
    const DialogUnits du = boxora::DialogUnitsOf(textures);
    for (int i = 0; i < 6; ++i) {
        EXPECT_EQ(textures->FaceLabel(order[i])->text(), labels[i]);
        if (i > 0) {
            const QRect previous = textures->FaceEdit(order[i - 1])->geometry();
            EXPECT_EQ(textures->FaceEdit(order[i])->y(), previous.bottom() + 1 + du.ToPixelsY(3));
        }
        const QRect edit = textures->FaceEdit(order[i])->geometry();
        const QRect button = textures->FaceButton(order[i])->geometry();
        EXPECT_EQ(button.y(), edit.y());
        EXPECT_EQ(edit.right() + 1, button.x() - du.ToPixelsX(7));
        EXPECT_EQ(textures->FaceLabel(order[i])->width(), du.ToPixelsX(50));
    }
    // The group spans the page without side margins.
    const QRect group = textures->Control(55535)->geometry();
    EXPECT_EQ(group.x(), 0);
    EXPECT_EQ(group.right() + 1, textures->width());
}

TEST_F(ObjectsTab, BrowseOffersTheImageFilterAndSetsTheChosenImage) {
    engine.AddFakeObject("Book", {"", "", "", "", "", ""});
    engine.AddFakeObject("Box", {"*", "*", "*", "*", "*", "*"});
    auto page = Show();
    page->ObjectList()->SelectIndex(1);
    CDialogTextures* textures = Textures(*page);
    QString offered;
    textures->SetFileChooser([&](QWidget*, const QString& filter) {
        offered = filter;
        return QString("/pictures/left side.jpg");
    });
    textures->FaceButton(COVER_LEFT)->click();
    EXPECT_TRUE(offered.startsWith(
        "Supported files (*.bmp *.gif *.jpg *.jpeg *.png *.webp *.ico *.tif *.tiff *.tga *.pcx "
        "*.wbmp *.wmf *.emf *.j2k *.jp2 *.jbg *.j2c *.jpc *.pgx *.pnm *.pgm *.ppm *.ras *.svg *.pdf);;"));
    EXPECT_TRUE(offered.contains(";;WebP files (*.webp);;"));
    EXPECT_TRUE(offered.contains(";;ICO CUR files (*.ico *.cur);;"));
    EXPECT_TRUE(offered.endsWith(";;PNM files (*.pnm *.pgm *.ppm);;SVG files (*.svg);;PDF files (*.pdf)"));
    EXPECT_EQ(offered.count(";;"), 18);  // nineteen entries
    const FakeEngine::Call* call = engine.LastCall("SetObjectImage");
    ASSERT_NE(call, nullptr);
    EXPECT_EQ(call->id, 1);
    EXPECT_EQ(call->value, COVER_LEFT);
    EXPECT_EQ(call->text, "/pictures/left side.jpg");
    EXPECT_EQ(textures->FaceEdit(COVER_LEFT)->text(), "/pictures/left side.jpg");

    // Cancelling changes nothing.
    textures->SetFileChooser([](QWidget*, const QString&) { return QString(); });
    textures->FaceButton(COVER_TOP)->click();
    EXPECT_EQ(engine.Count("SetObjectImage"), 1);
    EXPECT_EQ(textures->FaceEdit(COVER_TOP)->text(), "");
}

TEST_F(ObjectsTab, TypingBeyondTheTranslateRangeLeavesTheLimitAndMovesTheObjectThere) {
    engine.AddFakeObject("Box");
    C3DObject& second = engine.AddFakeObject("Box");
    auto page = Show();
    page->ObjectList()->SelectIndex(1);
    CDialogTranslateObject* translate = page->SubTabs()->TranslatePage();
    NumberEdit* x = translate->Row(0)->Edit();
    TypeInto(x, "500");
    EXPECT_EQ(x->text(), "300");
    EXPECT_EQ(translate->Row(0)->Slider()->value(), 300);
    EXPECT_EQ(engine.LastCall("SetObjectTranslateX")->id, 1);
    EXPECT_EQ(engine.Last("SetObjectTranslateX"), 300);
    EXPECT_FLOAT_EQ(second.translate[0], 300.0f);
    // Ranges of the other pages.
    EXPECT_EQ(page->SubTabs()->RotatePage()->Row(2)->Slider()->minimum(), -180);
    EXPECT_EQ(page->SubTabs()->ScalePage()->Row(1)->Slider()->maximum(), 100);
}

TEST_F(ObjectsTab, TransformPagesShowTruncatedValuesAndWriteThemBack) {
    C3DObject& box = engine.AddFakeObject("Box");
    box.translate[0] = 12.9f;
    box.translate[1] = -7.6f;
    box.rotate[2] = -179.5f;
    box.scale[0] = 1.5f;
    box.scale[1] = 0.994f;
    box.scale[2] = 1.0f;
    auto page = Show();
    CTabCtrlObjects* tabs = page->SubTabs();
    EXPECT_EQ(tabs->TranslatePage()->Row(0)->Edit()->text(), "12");
    EXPECT_EQ(tabs->TranslatePage()->Row(1)->Edit()->text(), "-7");
    EXPECT_EQ(tabs->RotatePage()->Row(2)->Edit()->text(), "-179");
    EXPECT_EQ(tabs->ScalePage()->Row(0)->Edit()->text(), "50");
    EXPECT_EQ(tabs->ScalePage()->Row(1)->Edit()->text(), "-1");
    EXPECT_EQ(tabs->ScalePage()->Row(2)->Edit()->text(), "0");
    // The object now holds what the pages show; the Scale page keeps the
    // exact factors, which may lie between its steps (a fitted scale).
    EXPECT_FLOAT_EQ(box.translate[0], 12.0f);
    EXPECT_FLOAT_EQ(box.rotate[2], -179.0f);
    EXPECT_FLOAT_EQ(box.scale[0], 1.5f);
    EXPECT_FLOAT_EQ(box.scale[1], 0.994f);
    EXPECT_FLOAT_EQ(box.scale[2], 1.0f);
}

TEST_F(ObjectsTab, ScaleSliderAtItsLowerEndSendsTheSmallestFactor) {
    C3DObject& box = engine.AddFakeObject("Box");
    auto page = Show();
    CDialogScaleObject* scale = page->SubTabs()->ScalePage();
    scale->Row(0)->Slider()->setValue(-100);
    EXPECT_EQ(scale->Row(0)->Edit()->text(), "-100");
    EXPECT_FLOAT_EQ(engine.Last("SetObjectScaleX"), 0.001f);
    EXPECT_FLOAT_EQ(box.scale[0], 0.001f);
    scale->Row(2)->Spin()->Step(1);
    EXPECT_FLOAT_EQ(box.scale[2], 1.01f);
    TypeInto(scale->Row(1)->Edit(), "100");
    EXPECT_FLOAT_EQ(box.scale[1], 2.0f);
}

TEST(ScaleMapping, PercentAndFactorConvertBothWays) {
    EXPECT_EQ(boxora::ScalePercentFromFactor(1.5f), 50);
    EXPECT_EQ(boxora::ScalePercentFromFactor(0.994f), -1);
    EXPECT_EQ(boxora::ScalePercentFromFactor(1.0f), 0);
    EXPECT_EQ(boxora::ScalePercentFromFactor(1.125f), 13);  // half away from zero
    EXPECT_EQ(boxora::ScalePercentFromFactor(0.875f), -13);
    EXPECT_EQ(boxora::ScalePercentFromFactor(0.001f), -100);
    EXPECT_EQ(boxora::ScalePercentFromFactor(2.0f), 100);
    EXPECT_EQ(boxora::ScalePercentFromFactor(std::numeric_limits<float>::quiet_NaN()), 0);
    EXPECT_EQ(boxora::ScalePercentFromFactor(1e30f), std::numeric_limits<int>::max());
    EXPECT_FLOAT_EQ(boxora::ScaleFactorFromPercent(-100), 0.001f);
    EXPECT_FLOAT_EQ(boxora::ScaleFactorFromPercent(50), 1.5f);
    EXPECT_FLOAT_EQ(boxora::ScaleFactorFromPercent(0), 1.0f);
    // Every shown value survives the way to the engine and back.
    for (int v = -99; v <= 100; ++v)
        EXPECT_EQ(boxora::ScalePercentFromFactor(boxora::ScaleFactorFromPercent(v)), v) << v;
}

TEST_F(ObjectsTab, WithoutObjectsEveryControlOfTheSubPagesIsDisabled) {
    auto page = Show();
    EXPECT_EQ(page->SelectedObjectId(), -1);
    CTabCtrlObjects* tabs = page->SubTabs();
    for (int face = 0; face < 6; ++face) {
        EXPECT_FALSE(tabs->TexturesPage()->FaceEdit(face)->isEnabled());
        EXPECT_FALSE(tabs->TexturesPage()->FaceButton(face)->isEnabled());
    }
    for (CDialogObjectTransform* p :
         std::initializer_list<CDialogObjectTransform*>{tabs->TranslatePage(), tabs->RotatePage(), tabs->ScalePage()})
        for (int axis = 0; axis < 3; ++axis) {
            EXPECT_FALSE(p->Row(axis)->Slider()->isEnabled());
            EXPECT_FALSE(p->Row(axis)->Edit()->isEnabled());
            EXPECT_FALSE(p->Row(axis)->Spin()->isEnabled());
            EXPECT_FALSE(p->Row(axis)->Label()->isEnabled());
        }

    // An object arrives with the next scene change; its row is selected and
    // the pages come alive.
    engine.AddFakeObject("Box", {"*", "", "", "", "", ""});
    page->RefreshFromEngine();
    EXPECT_EQ(page->SelectedObjectId(), 0);
    EXPECT_TRUE(tabs->TranslatePage()->Row(0)->Edit()->isEnabled());
    EXPECT_TRUE(tabs->TexturesPage()->FaceButton(COVER_FRONT)->isEnabled());
    // And go dead again when it is deleted.
    engine.objects.clear();
    page->RefreshFromEngine();
    EXPECT_FALSE(tabs->TranslatePage()->Row(0)->Edit()->isEnabled());
}

TEST_F(ObjectsTab, SelectionSurvivesRefreshesAndIsRememberedWhileHidden) {
    for (int i = 0; i < 3; ++i) engine.AddFakeObject("Box");
    auto page = Show();
    page->ObjectList()->SelectIndex(2);
    // A scene change (a finished render, say) does not switch the object.
    page->RefreshFromEngine();
    EXPECT_EQ(page->SelectedObjectId(), 2);
    page->hide();
    page->ObjectList()->SelectIndex(0);
    page->show();
    guitest::ProcessEvents();
    // Hidden with row 2 selected: row 2 again.
    EXPECT_EQ(page->ObjectList()->FirstSelectedIndex(), 2);
    // A remembered row beyond the list falls back to the first.
    page->hide();
    engine.objects.resize(1);
    page->show();
    guitest::ProcessEvents();
    EXPECT_EQ(page->SelectedObjectId(), 0);
}

TEST_F(ObjectsTab, SubPagesShowThePublishedSnapshotNotTheLiveRecord) {
    // While a render job holds the engine, a change is queued and only the
    // snapshot has it: the pages must show (and write back) that value.
    C3DObject& box = engine.AddFakeObject("Box", {"front.png", "", "", "", "", ""});
    box.translate[0] = 5.0f;
    auto snapshot = std::make_shared<SceneSnapshot>();
    snapshot->objects.push_back(ObjectSnapshot::Of(box));
    snapshot->objects[0].translate[0] = -42.0f;
    snapshot->objects[0].coverImages[0] = "/art/queued.png";
    binding.snapshot = [snapshot] { return snapshot; };
    auto page = Show();
    engine.ClearCalls();
    page->RefreshFromEngine();
    CTabCtrlObjects* tabs = page->SubTabs();
    EXPECT_EQ(tabs->TranslatePage()->Row(0)->Edit()->text(), "-42");
    EXPECT_EQ(engine.Last("SetObjectTranslateX"), -42);
    EXPECT_EQ(tabs->TexturesPage()->FaceEdit(0)->text(), "/art/queued.png");
}

TEST_F(ObjectsTab, TextsComeFromTheLanguageFile) {
    auto page = Show();
    page->ApplyLanguageTexts();
    CTabCtrlObjects* tabs = page->SubTabs();
    EXPECT_EQ(static_cast<GroupBox*>(page->Control(1009))->title(), "Objects");
    EXPECT_EQ(tabs->tabText(0), "Textures");
    EXPECT_EQ(tabs->tabText(3), "Scale");
    EXPECT_EQ(tabs->TranslatePage()->Row(1)->Label()->text(), "Y");
    EXPECT_EQ(static_cast<GroupBox*>(tabs->RotatePage()->Control(1022))->title(), "Rotate");
}

TEST_F(ObjectsTab, LayoutStacksListAndSubTabsInTheGroup) {
    auto page = Show();
    const DialogUnits du = boxora::DialogUnitsOf(page.get());
    const QRect group = page->Control(1009)->geometry();
    const QRect list = page->ObjectList()->geometry();
    const QRect tabs = page->SubTabs()->geometry();
    EXPECT_EQ(group.bottom() + 1, page->height() - du.ToPixelsY(7));
    EXPECT_EQ(list.y(), group.y() + du.ToPixelsY(10));
    EXPECT_EQ(list.bottom() + 1, group.y() + du.ToPixelsY(70));
    const QRect fit = page->FitButton()->geometry();
    EXPECT_EQ(fit.y(), list.bottom() + 1 + du.ToPixelsY(3));
    EXPECT_EQ(fit.x(), list.x());
    EXPECT_EQ(tabs.y(), fit.bottom() + 1 + du.ToPixelsY(3));
    EXPECT_EQ(tabs.bottom() + 1, group.bottom() + 1 - du.ToPixelsY(7));
    EXPECT_EQ(tabs.x(), list.x());
    EXPECT_EQ(tabs.width(), list.width());

    // Transform rows: labels 10 units wide, spins at the group's right - 7.
    CDialogTranslateObject* translate = page->SubTabs()->TranslatePage();
    page->SubTabs()->setCurrentIndex(1);
    guitest::ProcessEvents();
    const DialogUnits tu = boxora::DialogUnitsOf(translate);
    const QRect g = translate->Control(1021)->geometry();
    EXPECT_EQ(g.x(), 0);
    EXPECT_EQ(g.right() + 1, translate->width());
    for (int axis = 0; axis < 3; ++axis) {
        const ParamSpinBinding* row = translate->Row(axis);
        EXPECT_EQ(row->Label()->width(), tu.ToPixelsX(10));
        EXPECT_EQ(row->Spin()->geometry().right() + 1, g.right() + 1 - tu.ToPixelsX(7));
        EXPECT_EQ(row->Slider()->x(), row->Label()->geometry().right() + 1 + tu.ToPixelsX(7));
    }
    EXPECT_EQ(g.bottom() + 1, translate->Row(2)->Spin()->geometry().bottom() + 1 + tu.ToPixelsY(7));
}

TEST(FileFilters, ClassicFiltersBecomeQtFilters) {
    EXPECT_EQ(boxora::QtFileFilter("PNG Files (*.png)|*.png||"), "PNG Files (*.png)");
    EXPECT_EQ(boxora::QtFileFilter("JPG Files (*.jpg;*.jpeg)|*.jpg;*.jpeg||"), "JPG Files (*.jpg *.jpeg)");
    EXPECT_EQ(boxora::QtFileFilter("A|*.a|B files|*.b;*.c||"), "A (*.a);;B files (*.b *.c)");
    EXPECT_EQ(boxora::QtFileFilter(""), "");
    EXPECT_TRUE(boxora::IsFaceImageFile("/x/Cover.JPEG"));
    EXPECT_TRUE(boxora::IsFaceImageFile("side.ppm"));
    EXPECT_TRUE(boxora::IsFaceImageFile("front.webp"));
    EXPECT_FALSE(boxora::IsFaceImageFile("model.3ds"));
    EXPECT_FALSE(boxora::IsFaceImageFile("cursor.cur"));  // not among the "Supported files"
}

}  // namespace
