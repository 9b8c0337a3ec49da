// Render > Turntable... on the real engine: a run writes its animation
// while the window keeps handling events, the vertical sweep and lossless
// WebP reach the frames and the file, a cancelled run leaves no file and
// the scene's camera as it was, and the next dialog offers the last choices.
// The engine's headers come before Qt's: Qt defines "slots" as a macro.
#include "engine/Engine.h"

#include <gtest/gtest.h>

#include <QCheckBox>
#include <QComboBox>
#include <QLineEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QSpinBox>
#include <QTest>
#include <filesystem>
#include <fstream>
#include <iterator>

#include "image/ImageCodec.h"
#include "render/FrameSink.h"
#include "tests/gui/GuiTestSupport.h"
#include "ui/DialogTurntable.h"

namespace {

namespace fs = std::filesystem;
using guitest::WaitFor;

class DropFrames : public IFrameSink {
public:
    void OnPreviewFrame(const uint8_t*, int, int) override {}
};

std::vector<uint8_t> Pixels(const std::string& png) {
    ImageCodec image;
    EXPECT_TRUE(image.Load(png, FORMAT_PNG)) << png;
    return image.ToRgbaTopDown();
}

// Mean difference per channel of two pictures of one size.
double Difference(const std::vector<uint8_t>& a, const std::vector<uint8_t>& b) {
    if (a.size() != b.size() || a.empty()) return 255;
    double sum = 0;
    for (std::size_t i = 0; i < a.size(); ++i) sum += std::abs(int(a[i]) - int(b[i]));
    return sum / static_cast<double>(a.size());
}

// One frame of the scene seen from these angles, rendered without the dialog.
std::vector<uint8_t> Reference(CEngine& engine, float horizontal, float vertical, const std::string& name) {
    SceneParams seen = engine.Params();
    seen.cameraHorizontalRotation = horizontal;
    seen.cameraVerticalRotation = vertical;
    boxora::TurntableSettings s;
    s.output = name;
    s.frames = 1;
    s.width = 48;
    s.height = 48;
    EXPECT_EQ(boxora::RenderTurntable(engine, seen, s, {}).status, boxora::TurntableResult::Status::Written);
    return Pixels(boxora::NumberedName(name, 0));
}

TEST(TurntableDialog, RendersAnAnimationAndCancelsCleanly) {
    guitest::GuiEnvironment env;
    fs::create_directory_symlink(testsupport::AppDir() / "data", fs::path(env.ProgramFolder()) / "data");
    DropFrames frames;
    CEngine engine;
    ASSERT_TRUE(engine.Initialize(&frames));
    engine.SetPreviewSize(64, 64);
    engine.Redraw();
    engine.LoadScene((testsupport::DataDir().parent_path().parent_path() / "examples" / "single-box.scn").string());
    ASSERT_TRUE(engine.WaitForIdle(std::chrono::minutes(2)));
    ASSERT_EQ(engine.GetObjectList().size(), 1u);
    const float horizontal = engine.Params().cameraHorizontalRotation;
    const float vertical = engine.Params().cameraVerticalRotation;
    boxora::EngineBinding binding = boxora::BindEngine(engine);
    testsupport::TempDir out;
    {
        CDialogTurntable dialog(binding);
        dialog.show();
        dialog.FramesBox()->setValue(4);
        dialog.WidthBox()->setValue(40);
        dialog.HeightBox()->setValue(30);
        dialog.FormatList()->setCurrentIndex(CDialogTurntable::Gif);
        dialog.FileEdit()->setText(QString::fromStdString(out.File("spin.png")));
        ASSERT_TRUE(dialog.Start());
        EXPECT_FALSE(dialog.RenderButton()->isEnabled());
        ASSERT_TRUE(WaitFor([&] { return !dialog.Running(); }, 120000));
        ASSERT_EQ(dialog.LastResult().status, boxora::TurntableResult::Status::Written) << dialog.LastResult().error;
        EXPECT_EQ(dialog.Progress()->value(), 4);
        EXPECT_TRUE(dialog.RenderButton()->isEnabled());
        ImageCodec gif;
        ASSERT_TRUE(gif.Load(out.File("spin.gif"), FORMAT_GIF));
        EXPECT_EQ(gif.GetWidth(), 40u);
        EXPECT_EQ(gif.GetHeight(), 30u);
        EXPECT_FLOAT_EQ(engine.Params().cameraHorizontalRotation, horizontal);

        // A long run, cancelled after its first frame.
        dialog.FramesBox()->setValue(400);
        dialog.FormatList()->setCurrentIndex(CDialogTurntable::Webp);
        EXPECT_EQ(dialog.FileEdit()->text().toStdString(), out.File("spin.webp"));
        ASSERT_TRUE(dialog.Start());
        ASSERT_TRUE(WaitFor([&] { return dialog.Progress()->value() >= 1; }, 60000));
        QTest::mouseClick(dialog.CancelButton(), Qt::LeftButton);
        ASSERT_TRUE(WaitFor([&] { return !dialog.Running(); }, 60000));
        EXPECT_EQ(dialog.LastResult().status, boxora::TurntableResult::Status::Cancelled);
        EXPECT_LT(dialog.LastResult().framesRendered, 400);
        EXPECT_FALSE(fs::exists(out.File("spin.webp")));
        EXPECT_EQ(std::distance(fs::directory_iterator(out.Path()), fs::directory_iterator()), 1);
        EXPECT_FLOAT_EQ(engine.Params().cameraHorizontalRotation, horizontal);
        EXPECT_FLOAT_EQ(engine.Params().cameraVerticalRotation, vertical);

        // Swept from 5 to 85 degrees: the first of two frames is seen from
        // the start, the second (half the turn) from the end.
        dialog.FramesBox()->setValue(2);
        dialog.WidthBox()->setValue(48);
        dialog.HeightBox()->setValue(48);
        dialog.SweepBox()->setChecked(true);
        dialog.SweepFromBox()->setValue(5);
        dialog.SweepToBox()->setValue(85);
        dialog.FormatList()->setCurrentIndex(CDialogTurntable::PngSequence);
        dialog.FileEdit()->setText(QString::fromStdString(out.File("sweep.png")));
        ASSERT_TRUE(dialog.Start());
        ASSERT_TRUE(WaitFor([&] { return !dialog.Running(); }, 120000));
        ASSERT_EQ(dialog.LastResult().status, boxora::TurntableResult::Status::Written) << dialog.LastResult().error;
        const std::vector<uint8_t> first = Pixels(out.File("sweep-000.png")), half = Pixels(out.File("sweep-001.png"));
        const std::string refs = (fs::path(out.Path()) / "refs").string();
        fs::create_directory(refs);
        const float turned = horizontal + 180.0f;
        const double firstLow = Difference(first, Reference(engine, horizontal, 5, refs + "/a-%d.png"));
        const double firstHigh = Difference(first, Reference(engine, horizontal, 85, refs + "/b-%d.png"));
        const double halfLow = Difference(half, Reference(engine, turned, 5, refs + "/c-%d.png"));
        const double halfHigh = Difference(half, Reference(engine, turned, 85, refs + "/d-%d.png"));
        EXPECT_LT(firstLow * 4, firstHigh) << firstLow << " " << firstHigh;
        EXPECT_LT(halfHigh * 4, halfLow) << halfHigh << " " << halfLow;
        fs::remove_all(refs);
        engine.SetCameraHorizontalRotation(horizontal);
        engine.SetCameraVerticalRotation(vertical);

        // Lossless WebP frames are stored as such.
        dialog.FormatList()->setCurrentIndex(CDialogTurntable::Webp);
        dialog.LosslessBox()->setChecked(true);
        ASSERT_TRUE(dialog.Start());
        ASSERT_TRUE(WaitFor([&] { return !dialog.Running(); }, 120000));
        ASSERT_EQ(dialog.LastResult().status, boxora::TurntableResult::Status::Written) << dialog.LastResult().error;
        std::ifstream webp(out.File("sweep.webp"), std::ios::binary);
        const std::string bytes{std::istreambuf_iterator<char>(webp), std::istreambuf_iterator<char>()};
        EXPECT_NE(bytes.find("VP8L"), std::string::npos);
        EXPECT_EQ(bytes.find("VP8 "), std::string::npos);
    }
    CDialogTurntable again(binding);
    EXPECT_TRUE(again.SweepBox()->isChecked());
    EXPECT_EQ(again.SweepFromBox()->value(), 5);
    EXPECT_EQ(again.SweepToBox()->value(), 85);
    EXPECT_EQ(again.FormatList()->currentIndex(), CDialogTurntable::Webp);
    EXPECT_TRUE(again.LosslessBox()->isChecked());
    engine.Release();
}

}  // namespace
