// File ▸ Export Dieline…: sizes from the selected object's real size, and
// the file written in the format of its name.
#include <gtest/gtest.h>

#include <QComboBox>
#include <QDoubleSpinBox>
#include <QLabel>
#include <QLineEdit>

#include "tests/gui/FakeEngine.h"
#include "tests/gui/GuiTestSupport.h"
#include "tests/support/TestSupport.h"
#include "ui/DialogDieline.h"

namespace {

class DielineDialog : public ::testing::Test {
protected:
    guitest::GuiEnvironment env;
    FakeEngine engine;
    boxora::EngineBinding binding = engine.Binding();
    testsupport::TempDir dir;
};

TEST_F(DielineDialog, SizesComeFromTheObjectsScaledRealSizeAndTheFileIsWritten) {
    C3DObject& box = engine.AddFakeObject("Box");
    box.realSizeMm = {190, 266, 57};
    box.scale[0] = 0.5f;
    // A flat box, far lower than wide and deep, is offered as a mailer.
    C3DObject& flat = engine.AddFakeObject("Flat");
    flat.realSizeMm = {300, 60, 200};

    CDialogDieline dialog(binding, box.id);
    EXPECT_DOUBLE_EQ(dialog.WidthBox()->value(), 95);
    EXPECT_DOUBLE_EQ(dialog.HeightBox()->value(), 266);
    EXPECT_DOUBLE_EQ(dialog.DepthBox()->value(), 57);
    EXPECT_EQ(dialog.CurrentParams().style, boxora::dieline::Style::ReverseTuckEnd);
    CDialogDieline mailer(binding, flat.id);
    EXPECT_EQ(mailer.CurrentParams().style, boxora::dieline::Style::Mailer);

    const std::string svg = dir.File("net.svg");
    dialog.FileEdit()->setText(QString::fromStdString(svg));
    ASSERT_TRUE(dialog.Export());
    EXPECT_NE(testsupport::ReadFileBytes(svg).find("<rect id=\"panel-front\""), std::string::npos);

    // A name of no known format is refused and nothing written.
    const std::string png = dir.File("net.png");
    dialog.FileEdit()->setText(QString::fromStdString(png));
    EXPECT_FALSE(dialog.Export());
    EXPECT_TRUE(dialog.Status()->text().contains(".dxf"));
    EXPECT_FALSE(std::filesystem::exists(png));
}

}  // namespace
