#include "render/CameraMath.h"

#include <gtest/gtest.h>

#include <cmath>

#include "model/MirrorMath.h"
#include "render/ReflectionFade.h"
#include "scene/SceneParams.h"

using namespace boxora;

TEST(CameraMath, FieldOfViewAndZoomOffsetSpanTheirRanges) {
    EXPECT_FLOAT_EQ(FieldOfView(0), 30.0f);
    EXPECT_FLOAT_EQ(FieldOfView(100), 110.0f);
    EXPECT_FLOAT_EQ(FieldOfView(1), 30.8f);
    EXPECT_FLOAT_EQ(ZoomOffset(0), -400.0f);
    EXPECT_FLOAT_EQ(ZoomOffset(100), 0.0f);
    EXPECT_FLOAT_EQ(ZoomOffset(2), -392.0f);
}

TEST(CameraMath, CompensationIsTheDistanceDifferenceAtSeventyDegrees) {
    // At fovy 70 the two tangents cancel: D = reference − zo.
    EXPECT_NEAR(PerspectiveCompensation(70.0f, 50.0f, 0.0f), 50.0f, 1e-3);
    EXPECT_NEAR(PerspectiveCompensation(70.0f, 50.0f, -392.0f), 442.0f, 1e-2);
    // Narrower field of view, farther camera.
    EXPECT_GT(PerspectiveCompensation(30.0f, 50.0f, -392.0f), PerspectiveCompensation(110.0f, 50.0f, -392.0f) * 4);
}

TEST(CameraMath, DefaultSceneCamera) {
    SceneParams params;
    const CameraSetup c = ComputeCamera(params, 800, 600);
    EXPECT_NEAR(c.fovy, 30.8, 1e-5);
    EXPECT_NEAR(c.aspect, 800.0 / 600.0, 1e-12);
    EXPECT_FLOAT_EQ(c.zoomOffset, -392.0f);
    const double d = c.compensation;
    EXPECT_NEAR(d, std::tan(0.6108653) * 442.0 / std::tan(30.8 / 2 * 3.1415927 / 180), 1e-2);
    EXPECT_DOUBLE_EQ(c.eye[0], 0.0);
    EXPECT_NEAR(c.eye[2], 50.0 + d - 392.0, 1e-3);
    EXPECT_DOUBLE_EQ(c.centre[1], 60.0);  // target vertical 40 × 1.5
    EXPECT_DOUBLE_EQ(c.centre[2], -392.0);
    EXPECT_FLOAT_EQ(c.verticalRotation, 36.0f);
    EXPECT_EQ(c.zNear, 10.0);
    EXPECT_EQ(c.zFar, 1700.0);
    // A window height of 0 is taken as 1.
    EXPECT_DOUBLE_EQ(ComputeCamera(params, 300, 0).aspect, 300.0);
}

namespace {
// Pixel offset from the window centre of a scene point, seen head-on
// (no orbit, target at the origin), in a 600-pixel-high window.
double ProjectedHeight(float perspective, const std::array<double, 3>& scenePoint, bool compensate) {
    CameraValues v;
    v.perspective = perspective;
    v.targetVertical = 0;
    v.verticalRotation = 0;
    v.horizontalRotation = 0;
    CameraSetup c = ComputeCamera(v, 600, 600);
    if (!compensate) {
        // A camera that stays where it is at perspective 0.
        CameraValues fixed = v;
        fixed.perspective = 0;
        c.eye = ComputeCamera(fixed, 600, 600).eye;
    }
    std::array<double, 3> window{};
    EXPECT_TRUE(ProjectToWindow({scenePoint[0], scenePoint[1], scenePoint[2], 1}, SceneModelview(c),
                                ProjectionMatrix(c), {0, 0, 600, 600}, window));
    return window[1] - 300.0;
}
}  // namespace

TEST(CameraMath, FieldOfViewThirtyAndHundredTenKeepTheApparentSize) {
    // The plane 50 units in front of the scene centre keeps its size exactly.
    const double near30 = ProjectedHeight(0, {0, 100, 50}, true);
    const double near110 = ProjectedHeight(100, {0, 100, 50}, true);
    EXPECT_NEAR(near30, near110, 1e-3 * std::abs(near30));
    // At the scene centre the size stays within a fifth, where an
    // uncompensated camera would shrink the scene about fivefold.
    const double at30 = ProjectedHeight(0, {0, 100, 0}, true);
    const double at110 = ProjectedHeight(100, {0, 100, 0}, true);
    EXPECT_GT(at110 / at30, 0.8);
    EXPECT_LT(at110 / at30, 1.0);
    const double fixed110 = ProjectedHeight(100, {0, 100, 0}, false);
    EXPECT_LT(fixed110 / at30, 0.25);
}

TEST(ReflectionFade, HeightIsWhereTheObjectTransformLiftsTheVertex) {
    // Lifted by 2, turned 90 degrees about x, scaled by 3: the drawing z
    // axis of the model becomes -y, so (0, 0, 1) ends at 2 - 3 = -1.
    const float t[3] = {0, 2, 0}, r[3] = {90, 0, 0}, s[3] = {3, 3, 3};
    const glm::dmat4 m = ObjectTransformMatrix(t, r, s);
    EXPECT_NEAR(FadeHeight(m, 0, 0, 1), -1.0, 1e-9);
    EXPECT_NEAR(FadeHeight(m, 5, 0, 0), 2.0, 1e-9);
}

TEST(ReflectionFade, FadesOverThirtyUnitsBelowTheReachAndIsCappedByOpacity) {
    const ReflectionFade fade(20, 20);  // L = 60, O = 0.2
    EXPECT_FLOAT_EQ(fade.Reach(), 60.0f);
    EXPECT_FLOAT_EQ(fade.Opacity(), 0.2f);
    EXPECT_FLOAT_EQ(fade.Alpha(10), 0.2f);
    EXPECT_FLOAT_EQ(fade.Alpha(20), 0.2f);
    EXPECT_FLOAT_EQ(fade.Alpha(30), 0.2f);  // exactly 30 below L: the ramp is 1, capped
    EXPECT_FLOAT_EQ(fade.Ramp(45), 0.5f);
    EXPECT_FLOAT_EQ(fade.Alpha(45), 0.2f);
    EXPECT_NEAR(fade.Alpha(54), 0.2f, 1e-6);
    EXPECT_NEAR(fade.Alpha(57), 0.1f, 1e-6);
    EXPECT_NEAR(fade.Alpha(59), 1.0f / 30, 1e-6);
    EXPECT_FLOAT_EQ(fade.Alpha(60), 0.0f);
    EXPECT_FLOAT_EQ(fade.Alpha(61), 0.0f);
    EXPECT_EQ(fade.AlphaByte(10), 51);
    EXPECT_EQ(fade.AlphaByte(57), 25);  // 25.5 truncated
    EXPECT_EQ(fade.AlphaByte(61), 0);
}

TEST(ReflectionFade, ZeroOpacityOrLengthHidesTheReflection) {
    const ReflectionFade noOpacity(20, 0);
    const ReflectionFade noLength(0, 20);
    for (float h : {0.0f, 5.0f, 29.0f, 45.0f, 100.0f}) {
        EXPECT_EQ(noOpacity.Alpha(h), 0.0f) << h;
        EXPECT_EQ(noLength.Alpha(h), 0.0f) << h;
        EXPECT_EQ(noLength.AlphaByte(h), 0) << h;
    }
}

TEST(ReflectionFade, UncheckedOpacityStaysAColourByte) {
    EXPECT_EQ(ReflectionFade(20, 150).AlphaByte(0), 255);
    EXPECT_EQ(ReflectionFade(20, -50).AlphaByte(0), 0);
    EXPECT_EQ(ReflectionFade(20, std::nanf("")).AlphaByte(0), 0);
}
