// Render > Print Size... on the real engine: a paper size at a resolution
// becomes a picture of exactly the pixels the paper needs, with the
// resolution in the file, followed through the engine's notifications; a
// cancelled job leaves an older file of that name as it was; sizes beyond
// the engine's largest picture are refused before anything starts.
// The engine's headers come before Qt's: Qt defines "slots" as a macro.
#include "engine/Engine.h"

#include <gtest/gtest.h>

#include <QComboBox>
#include <QDoubleSpinBox>
#include <QLabel>
#include <QLineEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QSpinBox>
#include <QTest>
#include <filesystem>
#include <fstream>
#include <iterator>

#include "image/ImageCodec.h"
#include "platform/qt/QtNotifier.h"
#include "render/FrameSink.h"
#include "tests/gui/GuiTestSupport.h"
#include "ui/DialogPrintRender.h"
#include "ui/DialogTexts.h"

namespace {

namespace fs = std::filesystem;
using guitest::WaitFor;

class DropFrames : public IFrameSink {
public:
    void OnPreviewFrame(const uint8_t*, int, int) override {}
};

std::string Bytes(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

// The horizontal resolution a PNG states, in pixels per metre (0: none).
uint32_t PngPixelsPerMetre(const std::string& bytes) {
    const std::size_t at = bytes.find("pHYs");
    if (at == std::string::npos || at + 13 > bytes.size()) return 0;
    const auto* p = reinterpret_cast<const unsigned char*>(bytes.data() + at + 4);
    return p[8] == 1 ? (uint32_t{p[0]} << 24) | (uint32_t{p[1]} << 16) | (uint32_t{p[2]} << 8) | p[3] : 0;
}

void CustomPaper(CDialogPrintRender& dialog, double widthMm, double heightMm, int dpi) {
    dialog.PaperList()->setCurrentIndex(CDialogPrintRender::Custom);
    dialog.UnitList()->setCurrentIndex(CDialogPrintRender::Millimetres);
    dialog.WidthBox()->setValue(widthMm);
    dialog.HeightBox()->setValue(heightMm);
    dialog.DpiBox()->setValue(dpi);
}

TEST(PrintRenderDialog, RendersThePaperSizeWithItsResolutionAndCancelsCleanly) {
    guitest::GuiEnvironment env;
    fs::create_directory_symlink(testsupport::AppDir() / "data", fs::path(env.ProgramFolder()) / "data");
    boxora::QtNotifier notifier;
    boxora::SetNotifier(&notifier);
    DropFrames frames;
    CEngine engine;
    ASSERT_TRUE(engine.Initialize(&frames));
    engine.SetPreviewSize(64, 64);
    engine.Redraw();
    engine.LoadScene((testsupport::DataDir().parent_path().parent_path() / "examples" / "single-box.scn").string());
    ASSERT_TRUE(engine.WaitForIdle(std::chrono::minutes(2)));
    ASSERT_EQ(engine.GetObjectList().size(), 1u);
    boxora::EngineBinding binding = boxora::BindEngine(engine);
    testsupport::TempDir out;
    const std::string poster = out.File("poster.png");
    {
        CDialogPrintRender dialog(binding, RenderJob{});
        notifier.SetNotificationHandler([&](int message, int wParam) { dialog.OnEngineNotify(message, wParam); });
        dialog.show();

        // A2 at 1200 dpi is 19843 pixels high: refused, nothing to start.
        dialog.PaperList()->setCurrentIndex(CDialogPrintRender::A2);
        dialog.DpiBox()->setValue(1200);
        EXPECT_FALSE(dialog.PictureSize().has_value());
        EXPECT_FALSE(dialog.RenderButton()->isEnabled());
        EXPECT_FALSE(dialog.Start());

        // 50 mm = 196.85 px and 40 mm = 157.48 px at 100 dpi.
        CustomPaper(dialog, 50, 40, 100);
        EXPECT_TRUE(dialog.RenderButton()->isEnabled());
        dialog.FormatList()->setCurrentIndex(CDialogPrintRender::Png);
        dialog.FileEdit()->setText(QString::fromStdString(out.File("card.png")));
        ASSERT_TRUE(dialog.Start());
        EXPECT_FALSE(dialog.RenderButton()->isEnabled());
        ASSERT_TRUE(WaitFor([&] { return !dialog.Running(); }, 120000));
        EXPECT_EQ(dialog.Progress()->value(), 100);
        ImageCodec png;
        ASSERT_TRUE(png.Load(out.File("card.png"), FORMAT_PNG));
        EXPECT_EQ(png.GetWidth(), 197u);
        EXPECT_EQ(png.GetHeight(), 157u);
        // 100 dpi = 3937.0 pixels per metre.
        EXPECT_EQ(PngPixelsPerMetre(Bytes(out.File("card.png"))), 3937u);
        // The box is there, not an empty background.
        const std::vector<uint8_t> rgba = png.ToRgbaTopDown();
        const auto centre = rgba.begin() + (157 / 2 * 197 + 197 / 2) * 4;
        EXPECT_FALSE(std::equal(rgba.begin(), rgba.begin() + 3, centre));

        // A picture large enough to be drawn in tiles, cancelled once it has
        // begun: the older file of that name keeps its content and no
        // stray file appears.
        { std::ofstream(poster) << "older picture"; }
        CustomPaper(dialog, 300, 300, 300);
        dialog.FileEdit()->setText(QString::fromStdString(poster));
        ASSERT_TRUE(dialog.Start());
        ASSERT_TRUE(WaitFor([&] { return dialog.Progress()->value() >= 1 || !dialog.Running(); }, 60000));
        QTest::mouseClick(dialog.CancelButton(), Qt::LeftButton);
        ASSERT_TRUE(WaitFor([&] { return !dialog.Running(); }, 120000));
        EXPECT_EQ(Bytes(poster), "older picture");
        EXPECT_EQ(std::distance(fs::directory_iterator(out.Path()), fs::directory_iterator()), 2);
        EXPECT_TRUE(dialog.RenderButton()->isEnabled());
        notifier.SetNotificationHandler(nullptr);
    }
    // The next dialog offers the last choices.
    CDialogPrintRender again(binding, RenderJob{});
    EXPECT_EQ(again.PaperList()->currentIndex(), CDialogPrintRender::Custom);
    EXPECT_DOUBLE_EQ(again.WidthBox()->value(), 300);
    EXPECT_EQ(again.DpiBox()->value(), 300);
    EXPECT_EQ(again.FileEdit()->text().toStdString(), poster);
    boxora::SetNotifier(nullptr);
    engine.Release();
}

}  // namespace

TEST(DialogTexts, AFileNameHoldingAMarkIsNotFilledAgain) {
    // "%s" is a legal part of a file name; the status text must show the
    // name as it is and leave the next value for the next mark.
    EXPECT_EQ(boxora::FillMarks(QStringLiteral("Saved to \"%s\" (%s)."),
                                {QStringLiteral("/tmp/50%sale.png"), QStringLiteral("2 MB")}),
              QStringLiteral("Saved to \"/tmp/50%sale.png\" (2 MB)."));
}
