// The Rendering tab: the size fields (digit filtering, clamping, kept
// proportion held as a 32-bit float), the file name following the format's
// extension, the option buttons and their values, the formats' option sets,
// the stored size, and Render and Save (from the page, the menu and the
// toolbar) handing the job to the engine.
#include <gtest/gtest.h>

#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QTest>

#include "lang/Lng.h"
#include "render/RenderJob.h"
#include "tests/gui/FakeEngine.h"
#include "tests/gui/GuiTestSupport.h"
#include "ui/CommandIds.h"
#include "ui/DialogRender.h"
#include "ui/GroupBox.h"
#include "ui/LayoutAdapter.h"
#include "ui/MainFrame.h"
#include "ui/NumberEdit.h"
#include "ui/SpinButtons.h"

namespace {

class RenderTab : public ::testing::Test {
protected:
    guitest::GuiEnvironment env;
    FakeEngine engine;
    boxora::EngineBinding binding = engine.Binding();

    std::unique_ptr<CDialogRender> Show() {
        auto page = std::make_unique<CDialogRender>(binding);
        page->resize(560, 520);
        page->show();
        guitest::ProcessEvents();
        return page;
    }
};

void Click(QWidget* w) {
    if (auto* b = qobject_cast<QAbstractButton*>(w)) b->click();
}

TEST_F(RenderTab, SizeFieldsDropNonDigitsAndClampToTheLimits) {
    auto page = Show();
    NumberEdit* width = page->WidthEdit();
    width->setText("12a");
    EXPECT_EQ(width->text(), "12");
    EXPECT_EQ(page->ImageWidth(), 12);
    width->setText("5000");
    EXPECT_EQ(width->text(), "3000");
    EXPECT_EQ(page->ImageWidth(), 3000);
    width->setText("0");
    EXPECT_EQ(width->text(), "1");
    EXPECT_EQ(page->ImageWidth(), 1);
    // One character per change, so a pasted text is cleaned step by step.
    page->HeightEdit()->setText("4x0-0");
    EXPECT_EQ(page->HeightEdit()->text(), "400");
    EXPECT_EQ(page->ImageHeight(), 400);
    page->HeightEdit()->setText("");
    EXPECT_EQ(page->HeightEdit()->text(), "1");
    // Typed digits and the spin buttons.
    width->setFocus();
    width->selectAll();
    QTest::keyClicks(width, "640");
    EXPECT_EQ(page->ImageWidth(), 640);
    static_cast<SpinButtons*>(page->Control(1095))->Step(1);
    EXPECT_EQ(width->text(), "641");
    EXPECT_GT(engine.redrawCount, 0);
}

TEST_F(RenderTab, KeptProportionUsesTheRatioAsASinglePrecisionFloat) {
    auto page = Show();
    page->WidthEdit()->setText("800");
    page->HeightEdit()->setText("600");
    page->KeepProportionBox()->click();
    ASSERT_TRUE(page->KeepProportion());
    EXPECT_EQ(page->Ratio(), 1.3333334f);
    // Switching it on keeps the size the ratio was taken from.
    EXPECT_EQ(page->HeightEdit()->text(), "600");
    page->WidthEdit()->setText("400");
    EXPECT_EQ(page->HeightEdit()->text(), "299");
    EXPECT_EQ(page->ImageHeight(), 299);
    page->HeightEdit()->setText("301");
    EXPECT_EQ(page->WidthEdit()->text(), "401");
    EXPECT_EQ(page->ImageWidth(), 401);

    // Switched off, the fields are independent again.
    page->KeepProportionBox()->click();
    page->WidthEdit()->setText("1000");
    EXPECT_EQ(page->HeightEdit()->text(), "301");
}

TEST_F(RenderTab, KeptProportionTruncatesHeightsAndRoundsWidths) {
    auto page = Show();
    page->WidthEdit()->setText("600");
    page->HeightEdit()->setText("300");
    page->KeepProportionBox()->click();
    EXPECT_EQ(page->Ratio(), 2.0f);
    page->WidthEdit()->setText("500");
    EXPECT_EQ(page->HeightEdit()->text(), "250");
    page->HeightEdit()->setText("301");
    EXPECT_EQ(page->WidthEdit()->text(), "602");
    // A width clamped at 3000 still drives the height.
    page->HeightEdit()->setText("2000");
    EXPECT_EQ(page->WidthEdit()->text(), "3000");
    EXPECT_EQ(page->HeightEdit()->text(), "2000");
}

TEST_F(RenderTab, ChoosingAFormatSwapsTheFileNameExtension) {
    auto page = Show();
    QLineEdit* file = page->FileNameEdit();
    file->setText("/renders/box.png");
    page->FormatList()->setCurrentIndex(1);
    EXPECT_EQ(file->text(), "/renders/box.jpg");
    EXPECT_EQ(page->FileName(), "/renders/box.jpg");
    page->FormatList()->setCurrentIndex(3);
    EXPECT_EQ(file->text(), "/renders/box.tiff");
    page->FormatList()->setCurrentIndex(1);
    EXPECT_EQ(file->text(), "/renders/box.jpg");
    file->setText("a.png");
    page->FormatList()->setCurrentIndex(0);
    EXPECT_EQ(file->text(), "a.png");
    file->setText("render");
    page->FormatList()->setCurrentIndex(1);
    EXPECT_EQ(file->text(), "render.jpg");
}

TEST_F(RenderTab, JpegOptionBitsFollowTheButtons) {
    auto page = Show();
    page->FormatList()->setCurrentIndex(1);
    EXPECT_EQ(page->JpegOptions(), 0);
    Click(page->OptionControl(1125));  // Optimize
    EXPECT_EQ(page->JpegOptions(), 8);
    Click(page->OptionControl(1124));  // Progressive
    EXPECT_EQ(page->JpegOptions(), 24);
    Click(page->OptionControl(1123));  // Baseline
    EXPECT_EQ(page->JpegOptions(), 8);
    Click(page->OptionControl(1125));
    EXPECT_EQ(page->JpegOptions(), 0);

    // Quality 0..100, 100 at start.
    EXPECT_EQ(page->JpegQuality(), 100);
    page->QualityEdit()->setText("150");
    EXPECT_EQ(page->QualityEdit()->text(), "100");
    page->QualityEdit()->setText("35");
    EXPECT_EQ(page->JpegQuality(), 35);
}

TEST_F(RenderTab, OptionButtonsOfEachFormatAreExclusiveAndCarryTheirValues) {
    auto page = Show();
    Click(page->OptionControl(1119));
    EXPECT_EQ(page->PngInterlace(), 1);
    page->FormatList()->setCurrentIndex(2);
    Click(page->OptionControl(1122));
    EXPECT_EQ(page->GifCompression(), 2);
    page->FormatList()->setCurrentIndex(3);
    const int tiffIds[5] = {1111, 1112, 1115, 1116, 1117};
    const int tiffValues[5] = {0, 1, 32773, 7, 5};
    for (int i = 0; i < 5; ++i) {
        Click(page->OptionControl(tiffIds[i]));
        EXPECT_EQ(page->TiffCompression(), tiffValues[i]);
    }
    // Sets do not clear each other.
    EXPECT_TRUE(static_cast<QRadioButton*>(page->OptionControl(1119))->isChecked());
    EXPECT_TRUE(static_cast<QRadioButton*>(page->OptionControl(1122))->isChecked());
    EXPECT_TRUE(static_cast<QRadioButton*>(page->OptionControl(1117))->isChecked());
    EXPECT_EQ(page->PngInterlace(), 1);
}

TEST_F(RenderTab, EachFormatShowsItsOwnOptionsAndSetsTheSceneOutputFormat) {
    auto page = Show();
    page->ApplyLanguageTexts();
    const int ids[11] = {4, 3, 2, 6, 1, 7, 11, 12, 15, 14, 20};
    const char* names[11] = {"PNG", "JPG", "GIF", "TIFF", "BMP", "TGA", "JP2", "JPC", "RAS", "PNM", "WebP"};
    ASSERT_EQ(page->FormatList()->count(), 11);
    for (int i = 0; i < 11; ++i) {
        page->FormatList()->setCurrentIndex(i);
        EXPECT_EQ(page->FormatList()->itemText(i), names[i]);
        EXPECT_EQ(page->FormatId(), ids[i]);
        EXPECT_EQ(static_cast<int>(engine.scene.outputFormat), ids[i]);
        EXPECT_EQ(page->OptionsGroup()->isVisible(), i < 4 || i == 10) << i;
        EXPECT_EQ(page->OptionsCaption()->isVisible(), i < 4 || i == 10) << i;
        EXPECT_EQ(page->QualityEdit()->isVisible(), i == 1 || i == 10) << i;
        EXPECT_EQ(page->OptionControl(1140)->isVisible(), i == 10) << i;
        EXPECT_EQ(page->OptionControl(1118)->isVisible(), i == 0);
        EXPECT_EQ(page->OptionControl(1125)->isVisible(), i == 1);
        EXPECT_EQ(page->OptionControl(1121)->isVisible(), i == 2);
        EXPECT_EQ(page->OptionControl(1115)->isVisible(), i == 3);
        // TIFF RLE and Fax are never offered.
        EXPECT_FALSE(page->OptionControl(1113)->isVisible());
        EXPECT_FALSE(page->OptionControl(1114)->isVisible());
    }
    // WebP's lossless box reaches the render job.
    EXPECT_EQ(page->CurrentJob().webpLossless, 0);
    Click(page->OptionControl(1140));
    EXPECT_EQ(page->CurrentJob().webpLossless, 1);
    // The format and size are the project's: the page shows what a scene
    // brings, and a scene without them has today's PNG at 300 x 300.
    EXPECT_EQ(static_cast<int>(engine.scene.pictureFormat), 20);
    engine.scene.Reset();
    engine.scene.pictureFormat = 20;
    engine.scene.pictureWidth = 640;
    page->RefreshFromEngine();
    EXPECT_EQ(page->FormatId(), 20);
    EXPECT_EQ(page->ImageWidth(), 640);
    EXPECT_EQ(page->CurrentJob().width, 640);
    engine.scene.Reset();
    page->RefreshFromEngine();
    EXPECT_EQ(static_cast<int>(engine.scene.outputFormat), 4);
    EXPECT_EQ(page->ImageWidth(), 300);
    page->FormatList()->setCurrentIndex(1);
    EXPECT_EQ(page->OptionsCaption()->text(), "Quality:");
    EXPECT_EQ(page->Filter(), "JPG Files (*.jpg *.jpeg)");
    page->FormatList()->setCurrentIndex(3);
    EXPECT_EQ(page->OptionsCaption()->text(), "Compression:");
    EXPECT_EQ(static_cast<QRadioButton*>(page->OptionControl(1115))->text(), "PackBits");
}

TEST_F(RenderTab, SizeAndKeepProportionAreStoredAndRestored) {
    {
        auto page = Show();
        // Nothing stored: 300 x 300, proportion free.
        EXPECT_EQ(page->WidthEdit()->text(), "300");
        EXPECT_EQ(page->HeightEdit()->text(), "300");
        EXPECT_FALSE(page->KeepProportionBox()->isChecked());
        page->WidthEdit()->setText("1024");
        page->HeightEdit()->setText("768");
        page->KeepProportionBox()->click();
        // Written when the page goes, not before.
        EXPECT_EQ(env.Settings().GetString("RenderImageWidth", "none"), "none");
    }
    EXPECT_EQ(env.Settings().GetString("RenderImageWidth", ""), "1024");
    EXPECT_EQ(env.Settings().GetString("RenderImageHeight", ""), "768");
    EXPECT_EQ(env.Settings().GetString("KeepProportion", ""), "1");

    auto page = Show();
    EXPECT_EQ(page->ImageWidth(), 1024);
    EXPECT_EQ(page->ImageHeight(), 768);
    EXPECT_TRUE(page->KeepProportionBox()->isChecked());
    EXPECT_EQ(page->Ratio(), 1024.0f / 768.0f);
    // Restoring the choice leaves the stored size as it was; later widths
    // follow the single-precision ratio (512 / 1.3333334 is just below 384).
    page->WidthEdit()->setText("512");
    EXPECT_EQ(page->ImageHeight(), 383);
}

TEST_F(RenderTab, BrokenStoredSizesAreCorrected) {
    env.Settings().SetString("RenderImageWidth", "-20");
    env.Settings().SetString("RenderImageHeight", "99999");
    env.Settings().SetString("KeepProportion", "01");
    auto page = Show();
    EXPECT_EQ(page->ImageWidth(), 20);
    EXPECT_EQ(page->ImageHeight(), 3000);
    EXPECT_FALSE(page->KeepProportion());
}

TEST_F(RenderTab, RenderAndSaveHandsTheJobToTheEngine) {
    auto page = Show();
    page->FormatList()->setCurrentIndex(1);
    page->QualityEdit()->setText("80");
    Click(page->OptionControl(1124));
    page->WidthEdit()->setText("640");
    page->HeightEdit()->setText("480");

    // No file name yet: the save dialog is asked first; cancelling stops.
    QString filter, suffix;
    int asked = 0;
    page->SetFileChooser([&](QWidget*, const QString& f, const QString& s) {
        ++asked;
        filter = f;
        suffix = s;
        return QString();
    });
    page->RenderButton()->click();
    EXPECT_EQ(asked, 1);
    EXPECT_EQ(filter, "JPG Files (*.jpg *.jpeg)");
    EXPECT_EQ(suffix, "jpg");
    EXPECT_TRUE(engine.renderJobs.empty());

    page->SetFileChooser([&](QWidget*, const QString&, const QString&) { return QString("/out/shot.jpg"); });
    page->RenderButton()->click();
    ASSERT_EQ(engine.renderJobs.size(), 1u);
    const RenderJob& job = engine.renderJobs[0];
    EXPECT_EQ(job.fileName, "/out/shot.jpg");
    EXPECT_EQ(job.width, 640);
    EXPECT_EQ(job.height, 480);
    EXPECT_EQ(job.format, 3);
    EXPECT_EQ(job.jpegQuality, 80);
    EXPECT_EQ(job.jpegOptions, 16);
    EXPECT_EQ(job.pngInterlace, 0);
    EXPECT_EQ(job.gifCompression, 0);
    EXPECT_EQ(job.tiffCompression, 0);
    EXPECT_EQ(page->FileNameEdit()->text(), "/out/shot.jpg");

    // With a file name the dialog is not asked again.
    page->SetFileChooser([&](QWidget*, const QString&, const QString&) {
        ADD_FAILURE() << "asked again";
        return QString();
    });
    page->RenderAndSave();
    EXPECT_EQ(engine.renderJobs.size(), 2u);
}

TEST_F(RenderTab, MenuAndToolbarRunTheTabsRenderAndSave) {
    CMainFrame frame(binding);
    frame.show();
    guitest::ProcessEvents();
    auto* page = frame.findChild<CDialogRender*>();
    ASSERT_NE(page, nullptr);
    page->FileNameEdit()->setText("/out/menu.png");
    frame.RunCommand(boxora::ID_RENDER_AND_SAVE);
    frame.RunCommand(boxora::ID_TOOLBAR_RENDER);
    ASSERT_EQ(engine.renderJobs.size(), 2u);
    EXPECT_EQ(engine.renderJobs[1].fileName, "/out/menu.png");
    EXPECT_EQ(engine.renderJobs[1].format, 4);
}

TEST_F(RenderTab, CaptionsComeFromTheLanguageFileWithEnglishFallback) {
    env.Settings().SetString("ActualLanguage", "Deutsch");
    ASSERT_TRUE(Lng().ListLanguages());
    auto page = Show();
    page->ApplyLanguageTexts();
    EXPECT_EQ(page->KeepProportionBox()->text(), "Proportionen halten");
    EXPECT_EQ(page->RenderButton()->text(), "Render and Save");  // missing in German
    page->FormatList()->setCurrentIndex(1);
    EXPECT_EQ(page->OptionsCaption()->text(), "Qualität:");
    env.Settings().SetString("ActualLanguage", "English");
    Lng().ListLanguages();
}

TEST_F(RenderTab, LayoutFollowsTheRules) {
    auto page = Show();
    page->ApplyLanguageTexts();
    page->resize(600, 560);
    guitest::ProcessEvents();
    const DialogUnits du = boxora::DialogUnitsOf(page.get());
    auto g = [&](int id) { return page->Control(id)->geometry(); };
    EXPECT_EQ(g(1099).x(), du.ToPixelsX(7));
    EXPECT_EQ(g(1099).right() + 1, 600 - du.ToPixelsX(7));
    EXPECT_EQ(g(1093).y(), g(1099).y() + du.ToPixelsY(10));
    EXPECT_EQ(g(1093).right() + 1, g(1099).right() + 1 - du.ToPixelsX(7));
    EXPECT_EQ(g(1097).y(), g(1093).bottom() + 1 + du.ToPixelsY(3));
    EXPECT_EQ(g(1102).right() + 1, g(1097).x() - du.ToPixelsX(7));
    EXPECT_EQ(g(1102).x(), g(1093).x());
    EXPECT_EQ(g(1103).y(), g(1099).bottom() + 1 + du.ToPixelsY(3));
    EXPECT_EQ(g(1095).x(), g(1106).right() + 1);
    EXPECT_EQ(g(1098).x(), g(1095).right() + 1 + du.ToPixelsX(7));
    EXPECT_EQ(g(1107).y(), g(1106).bottom() + 1 + du.ToPixelsY(3));
    EXPECT_EQ(g(1107).x(), g(1106).x());
    EXPECT_EQ(g(1128).y(), g(1103).bottom() + 1 + du.ToPixelsY(3));
    // The first button of PNG, GIF and TIFF sits level with the quality
    // field; JPEG's buttons start below it.
    for (int id : {1118, 1120, 1111}) {
        EXPECT_LE(std::abs(g(id).center().y() - g(1127).center().y()), 1) << id;
        EXPECT_EQ(g(id).x(), g(1127).x());
    }
    EXPECT_EQ(g(1123).y(), g(1127).bottom() + 1 + du.ToPixelsY(7));
    EXPECT_EQ(g(1117).y(), g(1116).bottom() + 1 + du.ToPixelsY(3));
    EXPECT_EQ(g(1128).bottom() + 1, g(1117).bottom() + 1 + du.ToPixelsY(7));
    EXPECT_EQ(g(1092).y(), g(1128).bottom() + 1 + du.ToPixelsY(10));
    EXPECT_EQ(g(1092).x(), g(1128).x() + du.ToPixelsX(7));
    // Labels share one column at least 50 units wide.
    EXPECT_GE(g(1100).width(), du.ToPixelsX(50));
    EXPECT_EQ(g(1104).width(), g(1100).width());
}

}  // namespace
