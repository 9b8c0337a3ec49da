// How the layers of a final render combine, read back from the written
// files: what a mirror panel shows, the floor shadow under nearer objects,
// the alpha that reflections and shadows leave in a transparent PNG, and
// transparent panels blended back to front; and the fast shadow pre-pass
// against the plain one.
#include <cmath>

#include "RenderTestSupport.h"

namespace {

using namespace rendertest;

class RenderLayersTest : public RenderTest {
protected:
    // Neither reflection nor shadow unless a test asks for them.
    void PlainFloor() {
        engine.SetReflectionOpacity(0);
        engine.SetShadowDirection(90);
        engine.SetShadowLength(0);
    }
};

TEST_F(RenderLayersTest, MirrorPanelShowsTheBoxInFrontOfItWhereItsMirrorImageLies) {
    Start(160, 120);
    // A dark grey mirror 240 × 240 facing the camera, 60 behind the floor's
    // origin, and a red box in front of it.
    C3DObject* mirror = Add("Mirror", LevelPanel("Mirror", "Glass", 120, {40, 40, 40}, 0, 80));
    ASSERT_NE(mirror, nullptr);
    engine.SetObjectTranslateZ(mirror->id, -60);
    C3DObject* box = AddSolidBox("Box", 50, 15, 70, kRed);
    ASSERT_NE(box, nullptr);
    PlainFloor();
    ASSERT_TRUE(Idle());
    int mirrors = 0;
    for (const CSide* side : engine.Sides().DirectOrder()) mirrors += side->kind == SIDE_MIRROR ? 1 : 0;
    ASSERT_EQ(mirrors, 1);

    // The mirror image of a point (x, y, z) lies at (x, y, -120 - z). The
    // camera looks down on the scene, so the mirror image of the box's top
    // shows above the box itself.
    const auto mirrored = [](double x, double y, double z) { return std::array<double, 3>{x, y, -120 - z}; };
    Picture shot;
    ASSERT_TRUE(Render("mirror.png", 240, 240, FORMAT_PNG, shot)) << shot.Image().LastError();
    const auto topImage = ProjectWorld(mirrored(0, 140, 0));
    ASSERT_GT(topImage[1], ProjectWorld({0, 140, -15})[1] + 4);  // clear of the box itself
    ASSERT_LT(topImage[1], ProjectWorld({0, 235, -60})[1]);      // within the mirror
    const Rgba top = shot.At(topImage);
    EXPECT_GT(top[0], top[1] + 50) << Show(top);
    EXPECT_LE(std::abs(top[1] - top[2]), 3) << Show(top);
    // Beside the box's mirror image the mirror shows only its own grey
    // laid over the empty background.
    const Rgba beside = shot.At(ProjectWorld(mirrored(-95, 140, 0)));
    EXPECT_TRUE(IsNeutral(beside)) << Show(beside);
    EXPECT_LT(beside[0], 235) << Show(beside);

    // The box moved to the left: its mirror image follows it.
    engine.SetObjectTranslateX(box->id, -60);
    ASSERT_TRUE(Idle());
    Picture moved;
    ASSERT_TRUE(Render("moved.png", 240, 240, FORMAT_PNG, moved));
    const Rgba movedTop = moved.At(ProjectWorld(mirrored(-60, 140, 0)));
    EXPECT_GT(movedTop[0], movedTop[1] + 50) << Show(movedTop);
    const Rgba left = moved.At(ProjectWorld(mirrored(45, 140, 0)));
    EXPECT_TRUE(IsNeutral(left)) << Show(left);

    // Without the box the mirror is its grey surface everywhere.
    engine.DeleteObject(box->id, true);
    engine.Redraw();
    ASSERT_TRUE(Idle());
    Picture empty;
    ASSERT_TRUE(Render("empty.png", 240, 240, FORMAT_PNG, empty));
    const Rgba alone = empty.At(topImage);
    EXPECT_TRUE(IsNeutral(alone)) << Show(alone);
    EXPECT_LE(Distance(alone, beside), 3) << Show(alone) << " " << Show(beside);
}

TEST_F(RenderLayersTest, FloorReflectionFollowsTheFadeAndTheMirroredLights) {
    Start(160, 120);
    ASSERT_NE(AddSolidBox("Box", 50, 15, 70, kRed), nullptr);
    PlainFloor();
    engine.SetReflectionLength(20);  // reaches up to height 60
    engine.SetReflectionOpacity(100);
    engine.EnableLightSource1(false);
    ASSERT_TRUE(Idle());
    Picture shot;
    ASSERT_TRUE(Render("fade.png", 300, 300, FORMAT_PNG, shot));
    // The front's corners stand at heights 0 (alpha 1) and 140 (alpha 0):
    // across the face the alpha falls linearly with the height, so the
    // mirror image h below the floor lets h / 140 of the white through.
    // Light source 2 adds no highlight there.
    for (const double h : {10.0, 40.0, 70.0, 100.0}) {
        const Rgba p = shot.At(ProjectWorld({0, -h, 15}));
        EXPECT_NEAR(p[1], 255.0 * h / 140.0, 4.0) << h << " " << Show(p);
        EXPECT_EQ(p[1], p[2]) << Show(p);
        EXPECT_GT(p[0], p[1]) << Show(p);
    }

    // Light source 1 stands in front, to the right and above. Mirrored with
    // the box, it lights the mirror image as the box would look from below
    // the floor: its highlight lies on the lower right of the mirror image,
    // while the box itself, seen from above, keeps its bottom red.
    engine.EnableLightSource1(true);
    ASSERT_TRUE(Idle());
    Picture lit;
    ASSERT_TRUE(Render("lit.png", 300, 300, FORMAT_PNG, lit));
    const Rgba imageRight = lit.At(ProjectWorld({45, -10, 15})), imageLeft = lit.At(ProjectWorld({-45, -10, 15}));
    EXPECT_GT(imageRight[1], imageLeft[1] + 100) << Show(imageRight) << " " << Show(imageLeft);
    EXPECT_LT(imageLeft[1], 40) << Show(imageLeft);
    EXPECT_LT(lit.At(ProjectWorld({45, 10, 15}))[1], 30);
}

TEST_F(RenderLayersTest, FloorShadowStaysBehindTheBoxStandingInFrontOfIt) {
    Start(160, 120);
    // A wide, tall box at the back whose long shadow falls forward (the
    // light from -z) past a smaller green box at the front.
    C3DObject* back = AddSolidBox("Back", 100, 15, 100, {200, 200, 200});
    ASSERT_NE(back, nullptr);
    engine.SetObjectTranslateZ(back->id, -200);
    C3DObject* front = AddSolidBox("Front", 40, 15, 40, {0, 255, 0});
    ASSERT_NE(front, nullptr);
    engine.SetReflectionOpacity(0);
    engine.SetShadowBlur(0);
    engine.SetShadowDirection(270);
    engine.SetShadowLength(0);
    ASSERT_TRUE(Idle());
    Picture unshaded;
    ASSERT_TRUE(Render("unshaded.png", 240, 240, FORMAT_PNG, unshaded));
    engine.SetShadowLength(80);
    ASSERT_TRUE(Idle());
    Picture shaded;
    ASSERT_TRUE(Render("shaded.png", 240, 240, FORMAT_PNG, shaded));

    // The shadow reaches the floor beside the front box and beyond it...
    for (const double x : {-55.0, 55.0}) {
        const Rgba floor = shaded.At(ProjectWorld({x, 0.5, 0}));
        EXPECT_TRUE(IsNeutral(floor, 0)) << Show(floor);
        EXPECT_LT(floor[0], 200) << x << " " << Show(floor);
        EXPECT_EQ(Distance(unshaded.At(ProjectWorld({x, 0.5, 0})), kWhitePixel), 0) << x;
    }
    // ...but not over the front box: its front and top are the same pixels
    // with the shadow and without.
    int compared = 0;
    for (double x = -36; x <= 36; x += 6) {
        for (double y = 4; y <= 76; y += 6) {
            const auto at = ProjectWorld({x, y, 15});
            EXPECT_EQ(Distance(shaded.At(at), unshaded.At(at)), 0) << x << "," << y << " " << Show(shaded.At(at));
            ++compared;
        }
        const auto onTop = ProjectWorld({x, 80, 0});
        EXPECT_EQ(Distance(shaded.At(onTop), unshaded.At(onTop)), 0) << x << " top";
    }
    EXPECT_GT(compared, 100);
    EXPECT_GT(unshaded.At(ProjectWorld({0, 40, 15}))[1], 100);
}

TEST_F(RenderLayersTest, TransparentPngCarriesTheSquaredAlphaOfReflectionAndShadow) {
    Start(160, 120);
    // The red box 140 high; reflection length 20 (up to height 60) and
    // opacity 50, which the transparent PNG raises to 40 + 0.6 × 50 = 70.
    ASSERT_NE(AddSolidBox("Box", 50, 15, 70, kRed), nullptr);
    engine.SetBackgroundTransparent(true);
    engine.SetReflectionLength(20);
    engine.SetReflectionOpacity(50);
    engine.SetShadowDirection(0);  // light from +x, the shadow on the floor at -x
    engine.SetShadowBlur(0);
    ASSERT_TRUE(Idle());
    Picture png;
    ASSERT_TRUE(Render("alpha.png", 300, 300, FORMAT_PNG, png)) << png.Image().LastError();
    ASSERT_TRUE(png.HasAlpha());

    // The front's corners stand at heights 0 and 140: their fade alphas are
    // 0.7 and 0, and between them the alpha runs linearly with the height.
    // Blending squares it over the empty background.
    for (const double h : {10.0, 30.0, 50.0, 70.0, 90.0}) {
        const double fade = 0.7 * (1.0 - h / 140.0);
        const Rgba p = png.At(ProjectWorld({0, -h, 15}));
        EXPECT_NEAR(p[3], fade * fade * 255.0, 4.0) << "height " << h << " " << Show(p);
        EXPECT_GT(p[0], p[1] + 40) << Show(p);  // red over the white clear colour
    }
    // Deep in the hard shadow the grey of alpha 0.7, squared.
    for (const double x : {-90.0, -130.0, -170.0}) {
        const Rgba p = png.At(ProjectWorld({x, 0.5, 0}));
        EXPECT_NEAR(p[3], 0.49 * 255.0, 3.0) << x << " " << Show(p);
        EXPECT_TRUE(IsNeutral(p, 1)) << Show(p);
    }
    // The box itself is opaque, the background clear.
    EXPECT_EQ(png.At(ProjectWorld({0, 70, 15}))[3], 255);
    EXPECT_EQ(png.At(0, png.Height() - 1)[3], 0);
}

TEST_F(RenderLayersTest, TransparentPanelsBlendBackToFrontOverTheBox) {
    Start(160, 120);
    engine.SetBackgroundColor(0);  // black, so that only the box adds green
    C3DObject* box = AddSolidBox("Box", 50, 15, 70, {0, 255, 0});
    ASSERT_NE(box, nullptr);
    // Two clear panels of level 128 in front of it, larger than the box:
    // red at z 60, blue at z 100 (nearer the camera).
    C3DObject* red = Add("Red", LevelPanel("Red", "RedFoil", 100, {255, 0, 0}, 128, 0));
    C3DObject* blue = Add("Blue", LevelPanel("Blue", "BlueFoil", 100, {0, 0, 255}, 128, 0));
    ASSERT_NE(red, nullptr);
    ASSERT_NE(blue, nullptr);
    engine.SetObjectTranslateZ(red->id, 60);
    engine.SetObjectTranslateZ(blue->id, 100);
    PlainFloor();
    ASSERT_TRUE(Idle());

    // Each layer keeps half of what lies behind it: the nearer panel's
    // colour weighs twice the farther one's, and the box shows through
    // both with a quarter of its own.
    Picture blueFront;
    ASSERT_TRUE(Render("blue-front.png", 240, 240, FORMAT_PNG, blueFront));
    const auto overBox = ProjectWorld({0, 70, 15});
    const auto besideBox = ProjectWorld({-75, 70, 15});
    const Rgba a = blueFront.At(overBox);
    EXPECT_GT(a[2], a[0] + 30) << Show(a);
    EXPECT_GT(a[0], 20) << Show(a);  // the red behind it
    EXPECT_GT(a[1], 30) << Show(a);  // the box behind both
    const Rgba b = blueFront.At(besideBox);
    EXPECT_GT(b[2], b[0] + 30) << Show(b);
    EXPECT_LT(b[1], a[1] - 20) << Show(b);  // no box behind the panels there

    // The other way round the red panel is on top.
    engine.SetObjectTranslateZ(red->id, 100);
    engine.SetObjectTranslateZ(blue->id, 60);
    ASSERT_TRUE(Idle());
    Picture redFront;
    ASSERT_TRUE(Render("red-front.png", 240, 240, FORMAT_PNG, redFront));
    const Rgba c = redFront.At(overBox);
    EXPECT_GT(c[0], c[2] + 30) << Show(c);
    EXPECT_GT(c[2], 20) << Show(c);
    EXPECT_NEAR(c[1], a[1], 12) << Show(c) << " " << Show(a);
    // The two panels' weights are swapped, nothing else.
    EXPECT_NEAR(c[0], a[2], 25) << Show(c) << " " << Show(a);
    EXPECT_NEAR(c[2], a[0], 25) << Show(c) << " " << Show(a);
}

// How far two pictures of the same size differ, over the four channels:
// the largest difference, the mean one, and the number of pixels that
// differ by more than 20 in some channel.
struct PictureDifference {
    int largest = 0;
    double mean = 0;
    int pixelsOver20 = 0;
};

PictureDifference Compare(const Picture& a, const Picture& b) {
    PictureDifference d;
    double sum = 0;
    for (int y = 0; y < a.Height(); ++y)
        for (int x = 0; x < a.Width(); ++x) {
            const Rgba p = a.At(x, y), q = b.At(x, y);
            int pixel = 0;
            for (int c = 0; c < 4; ++c) {
                pixel = std::max(pixel, std::abs(p[c] - q[c]));
                sum += std::abs(p[c] - q[c]);
            }
            d.largest = std::max(d.largest, pixel);
            if (pixel > 20) ++d.pixelsOver20;
        }
    d.mean = sum / (4.0 * a.Width() * a.Height());
    return d;
}

TEST_F(RenderLayersTest, ShadowPrepassWithinItsRectangleMatchesTheWholeFrameOne) {
    Start(160, 120);
    ASSERT_NE(AddSolidBox("Box", 50, 15, 70, kRed), nullptr);
    engine.SetBackgroundTransparent(true);  // the shadow's alpha is compared too
    CShadowManager2& shadow = Renderer().Shadow();
    // Default blur: the rectangle at full resolution; full blur and
    // intensity: so many samples that the rectangle is drawn reduced.
    for (const int blur : {20, 100}) {
        SCOPED_TRACE(blur);
        engine.SetShadowBlur(blur);
        engine.SetShadowIntensity(blur);
        ASSERT_TRUE(Idle());
        shadow.SetReferencePrepass(true);
        Picture whole;
        ASSERT_TRUE(Render("whole.png", 600, 600, FORMAT_PNG, whole));
        shadow.SetReferencePrepass(false);
        Picture fast;
        ASSERT_TRUE(Render("fast.png", 600, 600, FORMAT_PNG, fast));
        const CShadowManager2::PrepassInfo info = shadow.LastPrepass();
        EXPECT_LT(info.rect[2] * info.rect[3], 600 * 600 / 2);
        EXPECT_EQ(info.reduction, blur == 100 ? 2 : 1);
        // The same picture but for a few pixels where the shadow meets the
        // box's foot.
        const PictureDifference d = Compare(whole, fast);
        EXPECT_LT(d.mean, 0.2);
        EXPECT_LE(d.pixelsOver20, 100);
        EXPECT_LE(d.largest, blur == 100 ? 80 : 12);
    }
}

}  // namespace
