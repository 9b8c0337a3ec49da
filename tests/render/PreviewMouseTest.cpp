#include "render/PreviewMouse.h"

#include <gtest/gtest.h>

#include <cmath>

using namespace boxora;

TEST(PreviewMouse, OrbitWrapsAcrossZeroAndClampsTheElevation) {
    auto o = OrbitDrag(359, 45, 4, 0);
    EXPECT_FLOAT_EQ(o.horizontal, 1);
    o = OrbitDrag(1, 45, -5, 0);  // −5 / 2 = −2 (toward zero)
    EXPECT_FLOAT_EQ(o.horizontal, 359);
    EXPECT_FLOAT_EQ(OrbitDrag(10, 45, 1, 1).horizontal, 10);  // half a pixel is nothing
    EXPECT_FLOAT_EQ(OrbitDrag(0, 89, 0, 10).vertical, 90);
    o = OrbitDrag(0, 1, 0, -10);
    EXPECT_FLOAT_EQ(o.vertical, 0);
    EXPECT_FLOAT_EQ(StoredCameraVerticalRotation(o.vertical), 0.5f);
    EXPECT_FLOAT_EQ(StoredCameraVerticalRotation(-3), 0.5f);
    EXPECT_FLOAT_EQ(StoredCameraVerticalRotation(12), 12);
}

TEST(PreviewMouse, WrappingTakesOneStepEachWay) {
    EXPECT_FLOAT_EQ(WrapDegrees(-3), 357);
    EXPECT_FLOAT_EQ(WrapDegrees(360), 0);
    EXPECT_FLOAT_EQ(WrapDegrees(365.5f), 5.5f);
    EXPECT_FLOAT_EQ(WrapDegrees(0), 0);
    EXPECT_FLOAT_EQ(WrapDistance(-0.5f), 99.5f);
    EXPECT_FLOAT_EQ(WrapDistance(100), 0);
}

TEST(PreviewMouse, ShadowDragUpLengthensWithinItsRange) {
    auto s = ShadowDrag(10, 50, 4, -6);
    EXPECT_FLOAT_EQ(s.direction, 8);
    EXPECT_FLOAT_EQ(s.length, 53);
    EXPECT_FLOAT_EQ(ShadowDrag(10, 50, 0, -3).length, 51);  // −3 / 2 = −1
    EXPECT_FLOAT_EQ(ShadowDrag(0, 99, 0, -10).length, 100);
    EXPECT_FLOAT_EQ(ShadowDrag(0, 2, 0, 10).length, 0);
    EXPECT_FLOAT_EQ(ShadowDrag(1, 50, 5, 0).direction, 359);
    EXPECT_FLOAT_EQ(ShadowDrag(359, 50, -4, 0).direction, 1);
}

TEST(PreviewMouse, LightDragMovesAgainstThePointer) {
    auto l = LightDrag(70, 30, -4, 100);
    EXPECT_FLOAT_EQ(l.horizontal, 72);
    EXPECT_FLOAT_EQ(l.vertical, 0);
    l = LightDrag(2, 85, 10, -20);
    EXPECT_FLOAT_EQ(l.horizontal, 357);
    EXPECT_FLOAT_EQ(l.vertical, 90);
}

TEST(PreviewMouse, PanAndPerspectiveWorkOnTruncatedValues) {
    auto p = PanDrag(10.9f, 40.7f, 5, 3);
    EXPECT_EQ(p.targetHorizontal, 8);
    EXPECT_EQ(p.targetVertical, 41);
    p = PanDrag(-10.9f, 0.5f, -1, -1);
    EXPECT_EQ(p.targetHorizontal, -10);
    EXPECT_EQ(p.targetVertical, 0);
    p = PanDrag(-99, 99, 10, 10);
    EXPECT_EQ(p.targetHorizontal, -100);
    EXPECT_EQ(p.targetVertical, 100);
    p = PanDrag(99, 1, -10, -10);
    EXPECT_EQ(p.targetHorizontal, 100);
    EXPECT_EQ(p.targetVertical, 0);
    EXPECT_EQ(PerspectiveDrag(1.9f, -7), 4);
    EXPECT_EQ(PerspectiveDrag(99, -10), 100);
    EXPECT_EQ(PerspectiveDrag(3, 10), 0);
    // Values from a scene file far outside the ranges still land in them.
    EXPECT_EQ(PanDrag(1e30f, -1e30f, 0, 0).targetHorizontal, 100);
    EXPECT_EQ(PerspectiveDrag(std::nanf(""), 0), 0);
}

TEST(PreviewMouse, WheelZoomUsesWholeStepsOfForty) {
    EXPECT_EQ(WheelZoom(50.7f, 120), 47);
    EXPECT_EQ(WheelZoom(50.7f, -120), 53);
    EXPECT_EQ(WheelZoom(50.7f, 100), 48);   // 100 / 40 = 2
    EXPECT_EQ(WheelZoom(50.7f, -100), 52);  // 52.7 truncated
    EXPECT_EQ(WheelZoom(50.7f, 39), 50);
    EXPECT_EQ(WheelZoom(2, 120), -1);  // the zoom setter clamps to 0
}

TEST(PreviewMouse, WheelLightDistanceWrapsAndTruncates) {
    EXPECT_EQ(WheelLightDistance(50, 120), 48);
    EXPECT_EQ(WheelLightDistance(50, 60), 49);
    EXPECT_EQ(WheelLightDistance(0.5f, 120), 99);
    EXPECT_EQ(WheelLightDistance(99.5f, -120), 0);
}
