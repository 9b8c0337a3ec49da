// Preview frames drawn by the engine's scene thread with the OpenGL
// renderer: where the model lands, its lighting and cover images, culling,
// the floor, the background and its grid, the light markers, and the
// camera's perspective compensation.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>

#include "PreviewTestSupport.h"

namespace {

using namespace previewtest;

constexpr uint8_t kWhite = 255;

bool IsBackground(const std::array<uint8_t, 4>& p, Rgb bg = {kWhite, kWhite, kWhite}) {
    return p[0] == bg[0] && p[1] == bg[1] && p[2] == bg[2];
}

class PreviewFrameTest : public PreviewTest {};

// Drawing axes of the test box (half extents 50, 15, 70, standing on the
// floor): the centre of each cover face.
const std::array<std::array<double, 3>, 6> kFaceCentres{{
    {0, 0, 15},   // Front (the file's -y becomes +z, towards the camera)
    {0, 0, -15},  // Back
    {-50, 0, 0},  // Left
    {50, 0, 0},   // Right
    {0, 70, 0},   // Top
    {0, -70, 0},  // Bottom
}};

TEST_F(PreviewFrameTest, BoxIsCentredLitAndShowsEachCoverImageOnItsFace) {
    if (!BmpDecoderAvailable()) GTEST_SKIP() << "no BMP decoder linked";
    Start(320, 240);
    C3DObject* box = AddColouredBox();
    ASSERT_NE(box, nullptr);
    for (const auto& m : notes.Messages()) ADD_FAILURE() << m.text;

    // Seen from the front (rotation 0), from the left (90), the back (180)
    // and the right (270); the top always.
    const struct {
        float rotation;
        int face;
    } views[] = {{0, 0}, {90, 2}, {180, 1}, {270, 3}};
    for (const auto& view : views) {
        SCOPED_TRACE(CoverName(view.face));
        engine.SetCameraHorizontalRotation(view.rotation);
        ASSERT_TRUE(Idle());
        for (int mode : {0, 1}) {
            const boxora::PreviewFrame f = Frame(mode);
            ASSERT_EQ(f.width, 320);
            ASSERT_EQ(f.height, 240);
            const auto pixel = PixelAt(f, Project(*box, kFaceCentres[view.face]));
            EXPECT_TRUE(ShowsColour(pixel, CoverColours()[view.face]))
                << "mode " << mode << ": " << int(pixel[0]) << "," << int(pixel[1]) << "," << int(pixel[2]);
            const auto top = PixelAt(f, Project(*box, kFaceCentres[4]));
            EXPECT_TRUE(ShowsColour(top, CoverColours()[4])) << "top, mode " << mode;
        }
    }

    // Upside down, the bottom cover faces the sky.
    engine.SetCameraHorizontalRotation(0);
    engine.SetObjectRotateX(box->id, 180);
    ASSERT_TRUE(Idle());
    const auto bottom = PixelAt(Frame(1), Project(*box, kFaceCentres[5]));
    EXPECT_TRUE(ShowsColour(bottom, CoverColours()[5]))
        << int(bottom[0]) << "," << int(bottom[1]) << "," << int(bottom[2]);
}

TEST_F(PreviewFrameTest, BoxStandsInTheMiddleOfThePreview) {
    Start(320, 240);
    C3DObject* box = Add("Box", TestBox(50, 15, 70, {}));
    ASSERT_NE(box, nullptr);
    engine.SetReflectionOpacity(0);
    engine.EnableLightSource1(false);
    engine.EnableLightSource2(false);
    ASSERT_TRUE(Idle());
    const boxora::PreviewFrame f = Frame(0);
    // The row through the front's centre: the box spans the projected
    // corners and is symmetric about the middle of the preview.
    const auto centre = Project(*box, kFaceCentres[0]);
    const int y = static_cast<int>(centre[1]);
    int left = -1, right = -1;
    for (int x = 0; x < f.width; ++x)
        if (!IsBackground(f.At(x, y))) {
            if (left < 0) left = x;
            right = x;
        }
    ASSERT_GE(left, 0);
    EXPECT_NEAR((left + right + 1) / 2.0, f.width / 2.0, 1.0);
    EXPECT_NEAR(left, Project(*box, {-50, 0, 15})[0], 1.5);
    EXPECT_NEAR(right + 1, Project(*box, {50, 0, 15})[0], 1.5);
    // The base sits where the floor line of the front projects.
    int lowest = -1;
    for (int row = 0; row < f.height && lowest < 0; ++row)
        if (!IsBackground(f.At(static_cast<int>(centre[0]), row))) lowest = row;
    EXPECT_NEAR(lowest, Project(*box, {0, -70, 15})[1], 1.5);
}

TEST_F(PreviewFrameTest, LightsBrightenTheModelAndAmbientAloneIsDim) {
    Start(320, 240);
    C3DObject* box = Add("Box", TestBox(50, 15, 70, {}));
    ASSERT_NE(box, nullptr);
    auto front = [&] {
        EXPECT_TRUE(Idle());
        return PixelAt(Frame(1), Project(*box, kFaceCentres[0]));
    };
    const auto lit = front();
    engine.EnableLightSource1(false);
    engine.EnableLightSource2(false);
    const auto ambient = front();
    EXPECT_GT(lit[0], ambient[0] + 30);
    // Ambient 20 % of the material's grey.
    EXPECT_NEAR(ambient[0], 0.2 * kBoxGrey, 3);
    engine.SetGlobalLightBrightness(0);
    const auto dark = front();
    EXPECT_EQ(dark[0], 0);
    EXPECT_EQ(dark[1], 0);
    EXPECT_EQ(dark[2], 0);
}

TEST_F(PreviewFrameTest, CoverImagesAreUpright) {
    if (!BmpDecoderAvailable()) GTEST_SKIP() << "no BMP decoder linked";
    Start(320, 240);
    // Front: red upper half, blue lower half.
    WriteBmp(Texture("front.bmp"), 16, 16, [](int, int y) { return y < 8 ? Rgb{255, 0, 0} : Rgb{0, 0, 255}; });
    C3DObject* box = Add("Box", TestBox(50, 15, 70, {"front.bmp", "", "", "", "", ""}));
    ASSERT_NE(box, nullptr);
    for (int mode : {0, 1}) {
        const boxora::PreviewFrame f = Frame(mode);
        const auto upper = PixelAt(f, Project(*box, {0, 35, 15}));
        const auto lower = PixelAt(f, Project(*box, {0, -35, 15}));
        EXPECT_TRUE(ShowsColour(upper, {255, 0, 0})) << "mode " << mode;
        EXPECT_TRUE(ShowsColour(lower, {0, 0, 255})) << "mode " << mode;
    }
}

TEST_F(PreviewFrameTest, BackFacesAreCulled) {
    Start(320, 240);
    engine.SetReflectionOpacity(0);
    C3DObject* away = Add("Away", Panel("Away", "Grey", 40, true, {60, 60, 60}));
    ASSERT_NE(away, nullptr);
    for (int mode : {0, 1}) EXPECT_TRUE(IsBackground(PixelAt(Frame(mode), Project(*away, {0, 0, 0}))));
    engine.SetObjectRotateY(away->id, 180);  // turned round, it faces the camera
    ASSERT_TRUE(Idle());
    for (int mode : {0, 1}) EXPECT_FALSE(IsBackground(PixelAt(Frame(mode), Project(*away, {0, 0, 0}))));
}

TEST_F(PreviewFrameTest, ModelWithoutMaterialsIsDrawnRed) {
    Start(320, 240);
    // A box whose file defines none of the materials its faces name.
    model3ds::Model bare = TestBox(50, 15, 70, {});
    bare.materials.clear();
    C3DObject* box = Add("Box", bare);
    ASSERT_NE(box, nullptr);
    ASSERT_TRUE(engine.Models().Model().materials.empty());
    for (int mode : {0, 1}) {
        const auto front = PixelAt(Frame(mode), Project(*box, kFaceCentres[0]));
        EXPECT_GT(front[0], 100) << mode;
        EXPECT_LT(front[1], front[0] / 3) << mode;
        EXPECT_EQ(front[1], front[2]) << mode;
        // Its floor reflection is a faint red, not an opaque one.
        const auto mirrored = PixelAt(Frame(mode), Project(*box, {0, -70 - 20, 15}));
        EXPECT_GT(mirrored[1], 150) << mode;
        EXPECT_GT(mirrored[0], mirrored[1]) << mode;
    }
}

TEST_F(PreviewFrameTest, NothingBelowTheFloorButTheReflection) {
    if (!BmpDecoderAvailable()) GTEST_SKIP() << "no BMP decoder linked";
    Start(320, 240);
    C3DObject* box = AddColouredBox();
    ASSERT_NE(box, nullptr);
    // Sink the box by 40: its lowest 40 units lie below the floor.
    engine.SetObjectTranslateY(box->id, 30);
    engine.SetReflectionOpacity(0);
    ASSERT_TRUE(Idle());
    const std::array<double, 3> above{0, -20, 15}, below{0, -50, 15};  // world heights 10 and -20
    for (int mode : {0, 1}) {
        const boxora::PreviewFrame f = Frame(mode);
        EXPECT_TRUE(ShowsColour(PixelAt(f, Project(*box, above)), CoverColours()[0])) << mode;
        EXPECT_TRUE(IsBackground(PixelAt(f, Project(*box, below)))) << mode;
    }
    // With a reflection, a faint mirror image of the front shows there.
    engine.SetReflectionOpacity(50);
    ASSERT_TRUE(Idle());
    for (int mode : {0, 1}) {
        const auto p = PixelAt(Frame(mode), Project(*box, below));
        EXPECT_FALSE(IsBackground(p)) << mode;
        EXPECT_GT(p[0], p[1]) << mode;  // reddish
        EXPECT_GT(p[1], 100) << mode;   // and faint
    }
}

TEST_F(PreviewFrameTest, FullFramesLayTheSoftShadowOnTheFloor) {
    Start(320, 240);
    C3DObject* box = Add("Box", TestBox(50, 15, 70, {}));
    ASSERT_NE(box, nullptr);
    engine.SetReflectionOpacity(0);
    ASSERT_TRUE(Idle());
    // Direction 0, elevation 30: the light comes from +x, the shadow of the
    // 140 high box reaches about 240 along -x. Object coordinates: the
    // floor is drawn y = -70.
    const std::array<double, 3> inShadow{-110, -69.5, 0}, beside{110, -69.5, 0};
    const auto shadowed = PixelAt(Frame(1), Project(*box, inShadow));
    EXPECT_LT(shadowed[0], 235);
    EXPECT_GT(shadowed[0], 100);  // translucent grey
    EXPECT_EQ(shadowed[0], shadowed[2]);
    EXPECT_TRUE(IsBackground(PixelAt(Frame(1), Project(*box, beside))));
    // Quick frames draw no shadow.
    EXPECT_TRUE(IsBackground(PixelAt(Frame(0), Project(*box, inShadow))));
    // Turned by 180 degrees it falls on the other side.
    engine.SetShadowDirection(180);
    ASSERT_TRUE(Idle());
    EXPECT_TRUE(IsBackground(PixelAt(Frame(1), Project(*box, inShadow))));
    EXPECT_LT(PixelAt(Frame(1), Project(*box, beside))[0], 235);
}

TEST_F(PreviewFrameTest, BackgroundColourAndTransparentGrid) {
    Start(200, 150);
    auto gridPixels = [](const boxora::PreviewFrame& f, int& grid, int& white) {
        grid = white = 0;
        for (int y = 0; y < f.height; ++y)
            for (int x = 0; x < f.width; ++x) {
                const auto p = f.At(x, y);
                if (std::abs(p[0] - 230) <= 1 && std::abs(p[1] - 230) <= 1 && std::abs(p[2] - 242) <= 1) ++grid;
                if (IsBackground(p)) ++white;
            }
    };
    engine.SetBackgroundColor(10 | (20 << 8) | (30u << 16));
    ASSERT_TRUE(Idle());
    for (int mode : {0, 1}) {
        const boxora::PreviewFrame f = Frame(mode);
        for (const auto& corner : {f.At(0, 0), f.At(f.width - 1, f.height - 1)}) {
            EXPECT_EQ(corner[0], 10);
            EXPECT_EQ(corner[1], 20);
            EXPECT_EQ(corner[2], 30);
            EXPECT_EQ(corner[3], 0);
        }
    }
    engine.SetBackgroundTransparent(true);
    ASSERT_TRUE(Idle());
    for (int mode : {0, 1}) {
        int grid = 0, white = 0;
        gridPixels(Frame(mode), grid, white);
        EXPECT_GT(grid, 2000) << mode;  // diagonal lines all over the preview
        EXPECT_GT(white, 2000) << mode;
    }
    engine.SetBackgroundTransparent(false);
    engine.SetBackgroundColor(0xFFFFFF);
    ASSERT_TRUE(Idle());
    int grid = 0, white = 0;
    gridPixels(Frame(1), grid, white);
    EXPECT_EQ(grid, 0);
}

TEST_F(PreviewFrameTest, LightMarkersAppearAndVanishWithTheirSwitches) {
    Start(640, 480);
    const boxora::CameraSetup camera = boxora::ComputeCamera(engine.Params(), width, height);
    auto window = [&](const std::array<float, 4>& light) {
        std::array<double, 3> w{};
        boxora::ProjectToWindow({light[0], light[1], light[2], 1}, boxora::SceneModelview(camera),
                                boxora::ProjectionMatrix(camera), {0, 0, width, height}, w);
        return w;
    };
    // Whether a marker colour shows within 3 pixels of the light.
    auto shows = [](const boxora::PreviewFrame& f, const std::array<double, 3>& at, Rgb colour) {
        for (int dy = -3; dy <= 3; ++dy)
            for (int dx = -3; dx <= 3; ++dx) {
                const int x = static_cast<int>(at[0]) + dx, y = static_cast<int>(at[1]) + dy;
                if (x < 0 || y < 0 || x >= f.width || y >= f.height) continue;
                const auto p = f.At(x, y);
                if (p[0] == colour[0] && std::abs(p[1] - colour[1]) <= 1 && p[2] == colour[2]) return true;
            }
        return false;
    };
    const Rgb yellow{255, 255, 0}, orange{255, 128, 0};
    const auto at1 = window(engine.Params().light1Position.Get());
    const auto at2 = window(engine.Params().light2Position.Get());
    for (int mode : {0, 1}) {
        EXPECT_TRUE(shows(Frame(mode), at1, yellow)) << mode;
        EXPECT_TRUE(shows(Frame(mode), at2, orange)) << mode;
    }
    engine.EnableLightSource1(false);
    ASSERT_TRUE(Idle());
    for (int mode : {0, 1}) {
        EXPECT_FALSE(shows(Frame(mode), at1, yellow)) << mode;
        EXPECT_TRUE(shows(Frame(mode), at2, orange)) << mode;
    }
    engine.EnableLightSource2(false);
    engine.EnableLightSource1(true);
    ASSERT_TRUE(Idle());
    for (int mode : {0, 1}) {
        EXPECT_TRUE(shows(Frame(mode), at1, yellow)) << mode;
        EXPECT_FALSE(shows(Frame(mode), at2, orange)) << mode;
    }
    // A marker follows its light.
    engine.SetLightHorizontalRotation(200);
    ASSERT_TRUE(Idle());
    const auto moved = window(engine.Params().light1Position.Get());
    EXPECT_GT(std::abs(moved[0] - at1[0]), 20);
    EXPECT_TRUE(shows(Frame(1), moved, yellow));
    EXPECT_FALSE(shows(Frame(1), at1, yellow));
}

TEST_F(PreviewFrameTest, PerspectiveKeepsTheApparentSize) {
    Start(320, 320);
    C3DObject* box = Add("Box", TestBox(50, 15, 70, {}));
    ASSERT_NE(box, nullptr);
    engine.SetReflectionOpacity(0);
    engine.EnableLightSource1(false);
    engine.EnableLightSource2(false);
    auto frontHeight = [&](float perspective) {
        engine.SetCameraPerspective(perspective);
        EXPECT_TRUE(Idle());
        const boxora::PreviewFrame f = Frame(0);
        const int x = f.width / 2;
        int lowest = -1, highest = -1;
        for (int y = 0; y < f.height; ++y)
            if (!IsBackground(f.At(x, y))) {
                if (lowest < 0) lowest = y;
                highest = y;
            }
        return highest - lowest + 1;
    };
    const int narrow = frontHeight(0);  // field of view 30°
    const int wide = frontHeight(100);  // 110°
    const int middle = frontHeight(50);
    ASSERT_GT(narrow, 20);
    // Without the compensation the wide view would show it about five
    // times smaller.
    EXPECT_NEAR(wide, narrow, narrow * 0.15);
    EXPECT_NEAR(middle, narrow, narrow * 0.15);
}

TEST_F(PreviewFrameTest, SmallAndResizedPreviewsKeepTheirSize) {
    Start(120, 90);
    C3DObject* box = Add("Box", TestBox(50, 15, 70, {}));
    ASSERT_NE(box, nullptr);
    for (int mode : {0, 1}) {
        const boxora::PreviewFrame f = Frame(mode);
        EXPECT_EQ(f.width, 120);
        EXPECT_EQ(f.height, 90);
        EXPECT_FALSE(IsBackground(PixelAt(f, Project(*box, kFaceCentres[0]))));
    }
    engine.SetPreviewSize(300, 200);
    width = 300;
    height = 200;
    engine.Redraw();
    ASSERT_TRUE(Idle());
    for (int mode : {0, 1}) {
        const boxora::PreviewFrame f = Frame(mode);
        EXPECT_EQ(f.width, 300);
        EXPECT_EQ(f.height, 200);
        EXPECT_FALSE(IsBackground(PixelAt(f, Project(*box, kFaceCentres[0]))));
        EXPECT_TRUE(IsBackground(f.At(2, f.height - 3)));
    }
    EXPECT_EQ(engine.Params().viewportWidth, 300);
    EXPECT_EQ(engine.Params().viewportHeight, 200);
}

// The drawing surface keeps the size of a larger preview after the window
// shrinks again; the smaller preview must look as it did before (same
// place, cover images, shadow and reflection), drawn in the surface's lower
// left corner.
TEST_F(PreviewFrameTest, PreviewShrunkAfterGrowingLooksAsBefore) {
    if (!BmpDecoderAvailable()) GTEST_SKIP() << "no BMP decoder";
    Start(320, 240);
    ASSERT_NE(AddColouredBox(), nullptr);
    engine.SetReflectionOpacity(60);
    ASSERT_TRUE(Idle());
    const boxora::PreviewFrame before = Frame(1);
    ASSERT_EQ(before.width, 320);
    for (const auto& [w, h] : {std::pair{900, 700}, std::pair{320, 240}}) {
        engine.SetPreviewSize(w, h);
        engine.Redraw();
        ASSERT_TRUE(Idle());
        ASSERT_EQ(Frame(1).width, w);
    }
    const boxora::PreviewFrame after = Frame(1);
    ASSERT_EQ(after.height, 240);
    ASSERT_EQ(after.rgba.size(), before.rgba.size());
    int differing = 0, coloured = 0;
    for (std::size_t i = 0; i < before.rgba.size(); i += 4) {
        int most = 0;
        for (int c = 0; c < 4; ++c) most = std::max(most, std::abs(before.rgba[i + c] - after.rgba[i + c]));
        if (most > 24) ++differing;
        if (before.rgba[i] != before.rgba[i + 1] || before.rgba[i + 1] != before.rgba[i + 2]) ++coloured;
    }
    EXPECT_GT(coloured, 2000);  // the cover images are in the picture
    EXPECT_LT(differing, 320 * 240 / 200) << "pixels that changed: " << differing;
}

}  // namespace
