// What render jobs draw, read back from the written files: alpha and
// antialiased edges, the transparent-background boost, the floor reflection
// and its fade, the soft shadow, the largest surface, a surface that cannot
// be made, a job given up when the engine is released, and the blended
// transparent sides of quick preview frames.
#include <chrono>
#include <filesystem>
#include <thread>

#include "RenderTestSupport.h"
#include "render/OsMesaContext.h"

namespace {

using namespace rendertest;
namespace fs = std::filesystem;

class RenderFrameTest : public RenderTest {
protected:
    // A red box 100 × 140 × 30 standing at the origin; the shadow short and
    // behind it, so that only what a test switches on shows on the floor.
    C3DObject* RedBox() {
        C3DObject* box = AddSolidBox("Box", 50, 15, 70, kRed);
        engine.SetShadowDirection(90);  // towards -z, away from the camera
        engine.SetShadowLength(0);
        EXPECT_TRUE(Idle());
        return box;
    }
    // Number of pixels of a row (or column) whose alpha is neither 0 nor 255.
    static int PartialAlphaAlong(const Picture& p, int fixed, bool row, int& first255, int& last255) {
        int partial = 0;
        first255 = -1;
        last255 = -1;
        const int n = row ? p.Width() : p.Height();
        for (int i = 0; i < n; ++i) {
            const int a = (row ? p.At(i, fixed) : p.At(fixed, i))[3];
            if (a != 0 && a != 255) ++partial;
            if (a == 255) {
                if (first255 < 0) first255 = i;
                last255 = i;
            }
        }
        return partial;
    }
};

TEST_F(RenderFrameTest, TransparentPngIsOpaqueOnTheBoxClearAroundItAndSoftOnlyAtItsEdges) {
    Start(160, 120);
    ASSERT_NE(RedBox(), nullptr);
    engine.SetBackgroundTransparent(true);
    ASSERT_TRUE(Idle());
    Picture png;
    ASSERT_TRUE(Render("cut.png", 240, 200, FORMAT_PNG, png)) << png.Image().LastError();
    ASSERT_TRUE(png.HasAlpha());

    // A row through the middle of the front and a column through the top
    // edge: clear, a narrow antialiased edge, then solid box, and back.
    const auto middle = ProjectWorld({0, 70, 15});
    const auto top = ProjectWorld({0, 140, 0});
    const int row = static_cast<int>(middle[1]), column = static_cast<int>(middle[0]);
    ASSERT_GT(top[1], middle[1]);
    EXPECT_EQ(png.At(middle)[3], 255);
    EXPECT_GT(png.At(middle)[0], 100);
    EXPECT_EQ(png.At(middle)[1], png.At(middle)[2]);
    int first = 0, last = 0;
    const int rowPartial = PartialAlphaAlong(png, row, true, first, last);
    EXPECT_GT(first, 0);
    EXPECT_LT(last, png.Width() - 1);
    for (int x = first; x <= last; ++x) EXPECT_EQ(png.At(x, row)[3], 255) << x;  // no holes
    for (int x = 0; x < first - 2; ++x) EXPECT_EQ(png.At(x, row)[3], 0) << x;
    for (int x = last + 3; x < png.Width(); ++x) EXPECT_EQ(png.At(x, row)[3], 0) << x;
    const int columnPartial = PartialAlphaAlong(png, column, false, first, last);
    for (int y = last + 3; y < png.Height(); ++y) EXPECT_EQ(png.At(column, y)[3], 0) << y;  // above the box
    // Eight jittered passes leave edge pixels partly covered, never more
    // than about a pixel's width of them per edge.
    EXPECT_GE(rowPartial + columnPartial, 1);
    EXPECT_LE(rowPartial, 4);

    // Across the whole picture intermediate alpha is found only next to
    // fully clear or fully covered pixels, or low on the floor where the
    // reflection and the shadow lie.
    const int floorRow = static_cast<int>(ProjectWorld({0, 0, 15})[1]);
    int intermediate = 0;
    for (int y = floorRow + 2; y < png.Height(); ++y)
        for (int x = 1; x + 1 < png.Width(); ++x) {
            const int a = png.At(x, y)[3];
            if (a == 0 || a == 255) continue;
            ++intermediate;
            bool nearEdge = false;
            for (int dy = -2; dy <= 2 && !nearEdge; ++dy)
                for (int dx = -2; dx <= 2; ++dx) {
                    const int b = png.At(x + dx, y + dy)[3];
                    if (b == 0 || b == 255) nearEdge = true;
                }
            EXPECT_TRUE(nearEdge) << x << "," << y << " alpha " << a;
        }
    EXPECT_GT(intermediate, 4);
}

TEST_F(RenderFrameTest, BoostOfTransparentPngLastsForTheFrameOnly) {
    Start(160, 120);
    ASSERT_NE(AddSolidBox("Box", 50, 15, 70, kRed), nullptr);
    engine.SetBackgroundTransparent(true);
    engine.SetReflectionOpacity(20);
    engine.SetShadowIntensity(20);
    ASSERT_TRUE(Idle());
    Picture png, tga;
    ASSERT_TRUE(Render("boost.png", 200, 200, FORMAT_PNG, png));
    ASSERT_TRUE(Render("plain.tga", 200, 200, FORMAT_TGA, tga));
    ASSERT_TRUE(tga.HasAlpha());
    // Reflection of the front 20 below the floor: its fade alpha of at most
    // 0.2 squared by the blending (under 10 of 255) in the TGA; the PNG's
    // opacity 40 + 0.6 × 20 makes it several times stronger.
    const auto reflection = ProjectWorld({0, -20, 15});
    EXPECT_GT(tga.At(reflection)[3], 3);
    EXPECT_LT(tga.At(reflection)[3], 20);
    EXPECT_GT(png.At(reflection)[3], 2 * tga.At(reflection)[3] + 15);
    // The shadow on the empty floor: translucent, never above 0.7 squared.
    const auto shadow = ProjectWorld({-110, 0.5, 0});
    EXPECT_GT(png.At(shadow)[3], 20);
    EXPECT_LE(png.At(shadow)[3], 126);
    EXPECT_GT(tga.At(shadow)[3], 20);
    // The scene keeps its own values.
    EXPECT_FLOAT_EQ(engine.Params().Reflection_Opacity, 20.0f);
    EXPECT_EQ(engine.Params().Shadow_Intensity, 20);

    // JPEG has no alpha: the transparent background is white whatever the
    // background colour, and the box is opaque.
    engine.SetBackgroundColor(0x00FF0000);  // blue
    ASSERT_TRUE(Idle());
    Picture jpg;
    ASSERT_TRUE(Render("white.jpg", 200, 200, FORMAT_JPG, jpg));
    for (const auto& corner : {std::pair{0, 0}, std::pair{199, 0}, std::pair{0, 199}, std::pair{199, 199}})
        EXPECT_LE(Distance(jpg.At(corner.first, corner.second), kWhitePixel), 3) << corner.first;
    const Rgba front = jpg.At(ProjectWorld({0, 70, 15}));
    EXPECT_GT(front[0], 150);
    EXPECT_LT(front[1], 60);
}

TEST_F(RenderFrameTest, ReflectionFadesWithDepthAndVanishesAtZeroOpacityOrLength) {
    Start(160, 120);
    ASSERT_NE(RedBox(), nullptr);
    engine.SetReflectionLength(20);
    engine.SetReflectionOpacity(100);
    ASSERT_TRUE(Idle());
    Picture strong;
    ASSERT_TRUE(Render("strong.png", 200, 240, FORMAT_PNG, strong));
    // The mirror image of the front, 10, 100 and 150 below the floor: red
    // close under the box, paler further down, nothing beyond the box's
    // own height.
    const auto near = ProjectWorld({0, -10, 15}), mid = ProjectWorld({0, -100, 15}), far = ProjectWorld({0, -150, 15});
    ASSERT_GT(far[1], 0);
    const Rgba pNear = strong.At(near), pMid = strong.At(mid);
    EXPECT_EQ(pNear[0], 255);
    EXPECT_LT(pNear[1], 170);
    EXPECT_EQ(pNear[1], pNear[2]);
    EXPECT_GT(pMid[1], pNear[1] + 15);
    EXPECT_LT(pMid[1], 250);
    EXPECT_EQ(Distance(strong.At(far), kWhitePixel), 0);

    // Weaker opacity, paler mirror image; none at opacity 0 or length 0.
    engine.SetReflectionOpacity(30);
    ASSERT_TRUE(Idle());
    Picture weak;
    ASSERT_TRUE(Render("weak.png", 200, 240, FORMAT_PNG, weak));
    EXPECT_GT(weak.At(near)[1], pNear[1] + 40);
    EXPECT_LT(weak.At(near)[1], 250);
    engine.SetReflectionOpacity(0);
    ASSERT_TRUE(Idle());
    Picture none;
    ASSERT_TRUE(Render("none.png", 200, 240, FORMAT_PNG, none));
    engine.SetReflectionOpacity(100);
    engine.SetReflectionLength(0);
    ASSERT_TRUE(Idle());
    Picture zeroLength;
    ASSERT_TRUE(Render("short.png", 200, 240, FORMAT_PNG, zeroLength));
    for (const auto& at : {near, mid, far}) {
        EXPECT_EQ(Distance(none.At(at), kWhitePixel), 0);
        EXPECT_EQ(Distance(zeroLength.At(at), kWhitePixel), 0);
    }
}

TEST_F(RenderFrameTest, ShadowFallsAwayFromTheLightAndSoftensWithBlur) {
    Start(160, 120);
    ASSERT_NE(AddSolidBox("Box", 50, 15, 70, kRed), nullptr);
    engine.SetReflectionOpacity(0);
    engine.SetShadowDirection(0);  // light from +x, elevation 30
    engine.SetShadowBlur(0);
    ASSERT_TRUE(Idle());
    Picture hard;
    ASSERT_TRUE(Render("hard.png", 300, 240, FORMAT_PNG, hard));
    const auto left = ProjectWorld({-110, 0.5, 0}), right = ProjectWorld({110, 0.5, 0});
    const Rgba shadowed = hard.At(left);
    EXPECT_LT(shadowed[0], 200);
    EXPECT_GT(shadowed[0], 100);  // translucent grey
    EXPECT_EQ(shadowed[0], shadowed[1]);
    EXPECT_EQ(shadowed[1], shadowed[2]);
    EXPECT_EQ(Distance(hard.At(right), kWhitePixel), 0);

    // Intermediate greys along the floor from inside the shadow to beyond
    // its far end: few for a hard shadow, many more once blurred.
    auto greys = [this](const Picture& p) {
        int count = 0;
        for (double x = -60; x >= -400; x -= 1) {
            const Rgba c = p.At(ProjectWorld({x, 0.5, 0}));
            if (c[0] > 150 && c[0] < 250) ++count;
        }
        return count;
    };
    engine.SetShadowBlur(100);
    ASSERT_TRUE(Idle());
    Picture soft;
    ASSERT_TRUE(Render("soft.png", 300, 240, FORMAT_PNG, soft));
    EXPECT_GT(greys(soft), 2 * greys(hard) + 10) << greys(soft) << " vs " << greys(hard);

    // Turned round, it falls on the other side; at length 0 it keeps under
    // the box.
    engine.SetShadowBlur(20);
    engine.SetShadowDirection(180);
    ASSERT_TRUE(Idle());
    Picture turned;
    ASSERT_TRUE(Render("turned.png", 300, 240, FORMAT_PNG, turned));
    EXPECT_EQ(Distance(turned.At(left), kWhitePixel), 0);
    EXPECT_LT(turned.At(right)[0], 220);
    engine.SetShadowLength(0);
    ASSERT_TRUE(Idle());
    Picture under;
    ASSERT_TRUE(Render("under.png", 300, 240, FORMAT_PNG, under));
    EXPECT_EQ(Distance(under.At(left), kWhitePixel), 0);
    EXPECT_EQ(Distance(under.At(right), kWhitePixel), 0);
}

TEST_F(RenderFrameTest, LargestAndNarrowestPictures) {
    Start(200, 150);
    ASSERT_NE(RedBox(), nullptr);
    Picture big;
    ASSERT_TRUE(Render("big.png", 3000, 3000, FORMAT_PNG, big));
    EXPECT_EQ(big.Width(), 3000);
    EXPECT_EQ(big.Height(), 3000);
    const Rgba front = big.At(ProjectWorld({0, 70, 15}));
    EXPECT_GT(front[0], 150);
    EXPECT_LT(front[1], 60);
    EXPECT_EQ(Distance(big.At(0, 0), kWhitePixel), 0);
    EXPECT_EQ(Distance(big.At(2999, 2999), kWhitePixel), 0);
    // One pixel wide: the middle column crosses the box.
    Picture strip;
    ASSERT_TRUE(Render("strip.bmp", 1, 400, FORMAT_BMP, strip));
    EXPECT_EQ(strip.Width(), 1);
    EXPECT_GT(strip.At(0, static_cast<int>(ProjectWorld({0, 70, 15})[1]))[0], 100);
    EXPECT_EQ(engine.Params().viewportWidth, 200);
    EXPECT_EQ(engine.Params().viewportHeight, 150);
    for (const auto& m : notes.Messages()) ADD_FAILURE() << m.text;
}

// Restores the surface limit however the test ends.
struct SurfaceLimit {
    explicit SurfaceLimit(uint64_t bytes) { boxora::OsMesaContext::SetSurfaceMemoryLimit(bytes); }
    ~SurfaceLimit() { boxora::OsMesaContext::SetSurfaceMemoryLimit(0); }
};

TEST_F(RenderFrameTest, SurfaceThatCannotBeMadeIsReportedAndTheEngineGoesOn) {
    Start(160, 120);
    ASSERT_NE(RedBox(), nullptr);
    const long framesBefore = capture.Count(1);
    notes.Clear();
    {
        SurfaceLimit limit(8u << 20);
        Picture picture;
        EXPECT_FALSE(Render("huge.png", 2000, 2000, FORMAT_PNG, picture));
        EXPECT_FALSE(fs::exists(dir.File("huge.png")));
        const auto messages = notes.Messages();
        ASSERT_EQ(messages.size(), 1u);
        EXPECT_NE(messages[0].text.find(dir.File("huge.png")), std::string::npos) << messages[0].text;
        EXPECT_EQ(messages[0].icon, boxora::MsgIcon::Error);
        // The job began and ended as usual; the preview keeps its size.
        bool began = false, ended = false;
        for (const auto& n : notes.Notifications()) {
            if (n.message == boxora::WM_ENGINE_BEGIN && n.wParam == boxora::ENGINE_OP_RENDER) began = true;
            if (n.message == boxora::WM_ENGINE_END && began) ended = true;
        }
        EXPECT_TRUE(began);
        EXPECT_TRUE(ended);
        EXPECT_EQ(engine.Params().viewportWidth, 160);

        // A picture that fits is still made under the same limit.
        Picture small;
        ASSERT_TRUE(Render("small.png", 100, 100, FORMAT_PNG, small));
        EXPECT_GT(small.At(ProjectWorld({0, 70, 15}))[0], 100);
    }
    engine.SetCameraZoom(60);
    ASSERT_TRUE(Idle());
    EXPECT_GT(capture.Count(1), framesBefore);
}

TEST_F(RenderFrameTest, ReleaseEndsARunningJobPromptlyAndWritesNothing) {
    Start(160, 120);
    ASSERT_NE(RedBox(), nullptr);
    engine.SetShadowLength(60);
    engine.SetShadowBlur(100);  // a long pre-pass
    engine.SetShadowIntensity(100);
    ASSERT_TRUE(Idle());
    RenderJob job;
    job.fileName = dir.File("given-up.png");
    job.width = 3000;
    job.height = 3000;
    job.format = FORMAT_PNG;
    engine.RenderToFile(job);
    const auto waitStart = std::chrono::steady_clock::now();
    while (!engine.RenderJobActive() && std::chrono::steady_clock::now() - waitStart < 10s)
        std::this_thread::sleep_for(5ms);
    ASSERT_TRUE(engine.RenderJobActive());
    std::this_thread::sleep_for(200ms);
    const auto start = std::chrono::steady_clock::now();
    engine.Release();
    const double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    EXPECT_LT(seconds, 3.0);
    EXPECT_FALSE(fs::exists(job.fileName));
    for (const auto& m : notes.Messages()) ADD_FAILURE() << m.text;
}

TEST_F(RenderFrameTest, QuickFramesBlendTransparentSidesOverWhatLiesBehind) {
    Start(240, 180);
    C3DObject* box = AddSolidBox("Box", 50, 15, 70, {0, 255, 0});
    ASSERT_NE(box, nullptr);
    // A clear blue lid of level 128 in front of the box.
    C3DObject* lid = Add("Lid", LevelPanel("Lid", "Sleeve", 70, {0, 0, 255}, 128, 0));
    ASSERT_NE(lid, nullptr);
    engine.SetObjectTranslateZ(lid->id, 60);
    engine.SetReflectionOpacity(0);
    engine.Redraw();
    ASSERT_TRUE(Idle());
    const auto centre = Project(*lid, {0, 0, 0});
    const auto quick = PixelAt(Frame(0), centre);
    const auto full = PixelAt(Frame(1), centre);
    // The green box shows through the blue lid in both kinds of frame.
    EXPECT_GT(quick[1], 40) << int(quick[0]) << " " << int(quick[1]) << " " << int(quick[2]);
    EXPECT_GT(quick[2], 40);
    EXPECT_GT(full[1], 40);
    for (int c = 0; c < 3; ++c) EXPECT_NEAR(quick[c], full[c], 12) << c;
    // Beside the box the lid lies over the white background.
    const auto beside = PixelAt(Frame(0), Project(*lid, {-64, 0, 0}));
    const auto boxEdge = Project(*box, {-50, 0, 15});
    ASSERT_LT(Project(*lid, {-64, 0, 0})[0], boxEdge[0]);
    EXPECT_GT(beside[0], 100);
    EXPECT_GT(beside[2], 200);
}

}  // namespace
