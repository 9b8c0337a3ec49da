// Render jobs drawn by the render thread on the offscreen context: the
// picture's size and alpha, the preview's size afterwards, and a file that
// cannot be written.
#include "RenderTestSupport.h"

namespace {

using namespace rendertest;
namespace fs = std::filesystem;

class RenderJobTest : public RenderTest {};

TEST_F(RenderJobTest, TransparentPngKeepsTheCoverageAndThePreviewGoesOn) {
    Start(240, 180);
    C3DObject* box = AddColouredBox();
    ASSERT_NE(box, nullptr);
    engine.SetBackgroundTransparent(true);
    ASSERT_TRUE(Idle());
    const long framesBefore = capture.Count(1);

    Picture image;
    ASSERT_TRUE(Render("shot.png", 300, 200, FORMAT_PNG, image)) << image.Image().LastError();
    EXPECT_EQ(image.Width(), 300);
    EXPECT_EQ(image.Height(), 200);
    ASSERT_TRUE(image.HasAlpha());
    EXPECT_EQ(image.At(0, 0)[3], 0);
    EXPECT_EQ(image.At(299, 199)[3], 0);
    // The front of the box is opaque and red.
    const Rgba front = image.At(Project(*box, {0, 0, 15}));
    EXPECT_EQ(front[3], 255);
    EXPECT_GT(front[0], 60);
    EXPECT_EQ(front[1], 0);
    EXPECT_EQ(front[2], 0);
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

TEST_F(RenderJobTest, AnObjectMovedAndDeletedDuringAJobChangesAtOnceButNotInThePicture) {
    Start(160, 120);
    C3DObject* box = AddSolidBox("Box", 50, 15, 70, kRed);
    ASSERT_NE(box, nullptr);
    // A long shadow pre-pass keeps the job busy for a while.
    engine.SetShadowLength(60);
    engine.SetShadowBlur(100);
    engine.SetShadowIntensity(100);
    ASSERT_TRUE(Idle());
    RenderJob job;
    job.fileName = dir.File("before-the-move.png");
    job.width = width = 1000;
    job.height = height = 1000;
    job.format = FORMAT_PNG;
    job.seed = 1;
    engine.RenderToFile(job);
    const auto waitStart = std::chrono::steady_clock::now();
    while (!engine.RenderJobActive() && std::chrono::steady_clock::now() - waitStart < 10s)
        std::this_thread::sleep_for(1ms);
    ASSERT_TRUE(engine.RenderJobActive());
    engine.SetObjectTranslateX(box->id, 400);  // far out of the picture
    EXPECT_FLOAT_EQ(engine.GetObject(box->id)->translate[0], 400.0f);
    // Gone from the scene altogether: the job's snapshot keeps its mesh.
    engine.DeleteAllObjects();
    const bool jobStillRunning = engine.RenderJobActive();
    ASSERT_TRUE(Idle());
    EXPECT_EQ(engine.Models().Model().ObjectCount(), 0);
    EXPECT_TRUE(jobStillRunning) << "the job ended before the change could overlap it";
    Picture picture;
    ASSERT_TRUE(picture.Load(job.fileName, FORMAT_PNG));
    const Rgba front = picture.At(ProjectWorld({0, 35, 15}));
    EXPECT_GT(front[0], 100) << Show(front);
    EXPECT_LT(front[1], 60) << Show(front);
    for (const auto& m : notes.Messages()) ADD_FAILURE() << m.text;
}

TEST_F(RenderJobTest, OpaqueBackgroundAndTinyRenders) {
    Start(200, 150);
    ASSERT_NE(Add("Box", TestBox(50, 15, 70, {})), nullptr);
    engine.SetBackgroundColor(0x00FF00);  // green
    ASSERT_TRUE(Idle());
    Picture image;
    ASSERT_TRUE(Render("shot.bmp", 64, 48, FORMAT_BMP, image)) << image.Image().LastError();
    EXPECT_EQ(image.Width(), 64);
    EXPECT_EQ(image.At(0, 0), (Rgba{0, 255, 0, 255}));
    for (int y = 0; y < 48; y += 7)
        for (int x = 0; x < 64; x += 7) EXPECT_EQ(image.At(x, y)[3], 255);

    Picture tiny;
    ASSERT_TRUE(Render("tiny.png", 1, 1, FORMAT_PNG, tiny)) << tiny.Image().LastError();
    EXPECT_EQ(tiny.Width(), 1);
    EXPECT_EQ(tiny.Height(), 1);
    EXPECT_EQ(engine.Params().viewportWidth, 200);
    EXPECT_EQ(engine.Params().viewportHeight, 150);
}

TEST_F(RenderJobTest, UnwritableFileIsReported) {
    Start(160, 120);
    ASSERT_NE(Add("Box", TestBox(50, 15, 70, {})), nullptr);
    notes.Clear();
    const std::string file = dir.File("missing/folder/shot.png");
    Picture none;
    EXPECT_FALSE(Render("missing/folder/shot.png", 80, 60, FORMAT_PNG, none));
    const auto messages = notes.Messages();
    ASSERT_EQ(messages.size(), 1u);
    EXPECT_NE(messages[0].text.find(file), std::string::npos);
    EXPECT_EQ(messages[0].icon, boxora::MsgIcon::Error);
    // The preview goes on.
    EXPECT_EQ(engine.Params().viewportWidth, 160);
}

TEST_F(RenderJobTest, GifCarriesNoAlphaUnlessAskedForAndARetargetedJobLandsUnderItsNewName) {
    Start(160, 120);
    ASSERT_NE(Add("Box", TestBox(50, 15, 70, {})), nullptr);
    engine.SetBackgroundTransparent(true);
    ASSERT_TRUE(Idle());
    // As from the Rendering tab: the background shows white, as in JPEG.
    Picture plain;
    ASSERT_TRUE(Render("plain.gif", 80, 60, FORMAT_GIF, plain));
    EXPECT_FALSE(plain.HasAlpha() && plain.At(0, 0)[3] == 0);
    EXPECT_GT(plain.At(0, 0)[0], 240);
    // An explicit request keeps it transparent.
    Picture cutout;
    RenderJob asked;
    asked.gifTransparency = true;
    ASSERT_TRUE(Render("cutout.gif", 80, 60, FORMAT_GIF, cutout, asked));
    ASSERT_TRUE(cutout.HasAlpha());
    EXPECT_EQ(cutout.At(0, 0)[3], 0);

    // A job whose picture is renamed before it is written (a template
    // renamed while its preview is rendered) writes under the new name.
    engine.Release();
    RenderJob job;
    job.fileName = dir.File("old.jpg");
    job.width = job.height = 20;
    job.format = FORMAT_JPG;
    engine.RenderToFile(job);  // waits: the threads are stopped
    engine.RetargetRenderOutput(dir.File("old.jpg"), dir.File("new.jpg"));
    Start(160, 120);
    ASSERT_TRUE(Idle());
    EXPECT_TRUE(fs::is_regular_file(dir.File("new.jpg")));
    EXPECT_FALSE(fs::exists(dir.File("old.jpg")));
    // A picture finished before the rename arrives is moved.
    engine.RetargetRenderOutput(dir.File("new.jpg"), dir.File("newer.jpg"));
    EXPECT_TRUE(fs::is_regular_file(dir.File("newer.jpg")));
}

}  // namespace
