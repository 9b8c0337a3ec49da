// Render jobs drawn by the render thread on the offscreen context: the
// picture's size and alpha, the preview's size afterwards, and a file that
// cannot be written.
#include <gtest/gtest.h>

#include "PreviewTestSupport.h"
#include "image/ImageCodec.h"

namespace {

using namespace previewtest;

class RenderJobTest : public PreviewTest {
protected:
    // Renders and waits for the job to end; the picture is loaded.
    bool Render(const std::string& file, int w, int h, int format, ImageCodec& image) {
        RenderJob job;
        job.fileName = file;
        job.width = w;
        job.height = h;
        job.format = format;
        engine.RenderToFile(job);
        if (!Idle()) return false;
        return image.Load(file, format);
    }
    // Alpha of the pixel at (x, y) from the lower left corner.
    static int AlphaAt(const ImageCodec& image, int x, int y) {
        const auto& d = image.Data();
        if (d.alpha.empty()) return 255;
        return d.alpha[static_cast<std::size_t>(y) * d.width + x];
    }
};

TEST_F(RenderJobTest, TransparentPngKeepsTheCoverageAndThePreviewGoesOn) {
    Start(240, 180);
    C3DObject* box = AddColouredBox();
    ASSERT_NE(box, nullptr);
    engine.SetBackgroundTransparent(true);
    ASSERT_TRUE(Idle());
    const long framesBefore = capture.Count(1);

    ImageCodec image;
    ASSERT_TRUE(Render(dir.File("shot.png"), 300, 200, FORMAT_PNG, image)) << image.LastError();
    EXPECT_EQ(image.GetWidth(), 300u);
    EXPECT_EQ(image.GetHeight(), 200u);
    ASSERT_TRUE(image.HasAlpha());
    EXPECT_EQ(AlphaAt(image, 0, 0), 0);
    EXPECT_EQ(AlphaAt(image, 299, 199), 0);
    // The front of the box is opaque and red.
    width = 300;
    height = 200;
    const auto at = Project(*box, {0, 0, 15});
    const int x = static_cast<int>(at[0]), y = static_cast<int>(at[1]);
    EXPECT_EQ(AlphaAt(image, x, y), 255);
    const std::size_t i = (static_cast<std::size_t>(y) * 300 + x) * 3;
    EXPECT_GT(image.Data().pixels[i + 2], 60);  // B, G, R stored
    EXPECT_EQ(image.Data().pixels[i + 1], 0);
    EXPECT_EQ(image.Data().pixels[i], 0);
    for (const auto& m : notes.Messages()) ADD_FAILURE() << m.text;

    // The scene's own settings are back; the preview keeps its size and
    // draws again.
    EXPECT_FLOAT_EQ(engine.Params().Reflection_Opacity, 20.0f);
    EXPECT_EQ(engine.Params().Shadow_Intensity, 20);
    EXPECT_EQ(engine.Params().accumulationPasses, 0);
    EXPECT_EQ(engine.Params().viewportWidth, 240);
    EXPECT_EQ(engine.Params().viewportHeight, 180);
    EXPECT_GT(capture.Count(1), framesBefore);
    EXPECT_EQ(Frame(1).width, 240);
}

TEST_F(RenderJobTest, OpaqueBackgroundAndTinyRenders) {
    Start(200, 150);
    ASSERT_NE(Add("Box", TestBox(50, 15, 70, {})), nullptr);
    engine.SetBackgroundColor(0x00FF00);  // green
    ASSERT_TRUE(Idle());
    ImageCodec image;
    ASSERT_TRUE(Render(dir.File("shot.bmp"), 64, 48, FORMAT_BMP, image)) << image.LastError();
    EXPECT_EQ(image.GetWidth(), 64u);
    const auto& px = image.Data().pixels;
    EXPECT_EQ(px[0], 0);  // B
    EXPECT_EQ(px[1], 255);
    EXPECT_EQ(px[2], 0);
    for (int y = 0; y < 48; y += 7)
        for (int x = 0; x < 64; x += 7) EXPECT_EQ(AlphaAt(image, x, y), 255);

    ImageCodec tiny;
    ASSERT_TRUE(Render(dir.File("tiny.png"), 1, 1, FORMAT_PNG, tiny)) << tiny.LastError();
    EXPECT_EQ(tiny.GetWidth(), 1u);
    EXPECT_EQ(tiny.GetHeight(), 1u);
    EXPECT_EQ(engine.Params().viewportWidth, 200);
    EXPECT_EQ(engine.Params().viewportHeight, 150);
}

TEST_F(RenderJobTest, UnwritableFileIsReported) {
    Start(160, 120);
    ASSERT_NE(Add("Box", TestBox(50, 15, 70, {})), nullptr);
    notes.Clear();
    const std::string file = dir.File("missing/folder/shot.png");
    RenderJob job;
    job.fileName = file;
    job.width = 80;
    job.height = 60;
    job.format = FORMAT_PNG;
    engine.RenderToFile(job);
    ASSERT_TRUE(Idle());
    const auto messages = notes.Messages();
    ASSERT_EQ(messages.size(), 1u);
    EXPECT_NE(messages[0].text.find(file), std::string::npos);
    EXPECT_EQ(messages[0].icon, boxora::MsgIcon::Error);
    // The preview goes on.
    EXPECT_EQ(engine.Params().viewportWidth, 160);
}

}  // namespace
