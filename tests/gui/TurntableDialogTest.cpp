// Render > Turntable... on the real engine: a run writes its animation
// while the window keeps handling events, and a cancelled run leaves no
// file and the scene's camera as it was.
// The engine's headers come before Qt's: Qt defines "slots" as a macro.
#include "engine/Engine.h"

#include <gtest/gtest.h>

#include <QComboBox>
#include <QLineEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QSpinBox>
#include <QTest>
#include <filesystem>

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
    }
    engine.Release();
}

}  // namespace
