#include "render/ShadowMath.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <vector>

#include "scene/SceneParams.h"

using namespace boxora;

namespace {
std::array<float, 3> Flatten(const glm::dmat4& m, const std::array<float, 4>& p) {
    const glm::dvec4 r = m * glm::dvec4(p[0], p[1], p[2], p[3]);
    return {static_cast<float>(r.x / r.w), static_cast<float>(r.y / r.w), static_cast<float>(r.z / r.w)};
}
}  // namespace

TEST(ShadowMath, PlaneThroughThreePointsIsHalfAUnitAboveTheFloor) {
    const Plane p = DefaultShadowPlane();
    EXPECT_FLOAT_EQ(p[0], 0.0f);
    EXPECT_FLOAT_EQ(p[1], 2.0f);
    EXPECT_FLOAT_EQ(p[2], 0.0f);
    EXPECT_FLOAT_EQ(p[3], -1.0f);
}

TEST(ShadowMath, MatrixFlattensPointsOntoThePlaneAlongTheLight) {
    const auto light = ShadowLightVector(30, 0);
    const auto m = ShadowMatrix(DefaultShadowPlane(), light);
    const auto q = Flatten(m, {10, 30, 5, 1});
    EXPECT_NEAR(q[1], 0.5f, 1e-4);
    // Moved against the light by (30 − 0.5) / tan 30°.
    EXPECT_NEAR(q[0], 10 - 29.5 / std::tan(30 * 3.1415927 / 180), 1e-3);
    EXPECT_NEAR(q[2], 5, 1e-3);
    // A point already on the plane stays put.
    const auto on = Flatten(m, {-7, 0.5f, 3, 1});
    EXPECT_NEAR(on[0], -7, 1e-4);
    EXPECT_NEAR(on[2], 3, 1e-4);
}

TEST(ShadowMath, DirectionNinetyCastsTowardMinusZ) {
    const auto m = ShadowMatrix(DefaultShadowPlane(), ShadowLightVector(30, 90));
    const auto q = Flatten(m, {0, 40, 0, 1});
    EXPECT_NEAR(q[0], 0, 1e-2);
    EXPECT_LT(q[2], -60);
    // 0 and 360 degrees give the same shadow.
    const auto a = Flatten(ShadowMatrix(DefaultShadowPlane(), ShadowLightVector(30, 0)), {3, 40, 4, 1});
    const auto b = Flatten(ShadowMatrix(DefaultShadowPlane(), ShadowLightVector(30, 360)), {3, 40, 4, 1});
    for (int i = 0; i < 3; ++i) EXPECT_NEAR(a[i], b[i], 1e-2);
}

TEST(ShadowMath, PreviewSamplesForDefaultBlur) {
    const int passes = ShadowPassCount(20, 123.0f, true);
    EXPECT_EQ(passes, 300);
    const int n = ShadowGridSide(passes);
    EXPECT_EQ(n, 17);
    const float length[4] = {-8, -8, 0.5f, 0.5f};
    const float direction[4] = {-8, 0.5f, -8, 0.5f};
    for (int i = 0; i < 4; ++i) {
        EXPECT_FLOAT_EQ(ShadowJitterPreview(n, i, true), length[i]) << i;
        EXPECT_FLOAT_EQ(ShadowJitterPreview(n, i, false), direction[i]) << i;
    }
    // Blur 0: a hard shadow, all four samples in one place.
    const int hard = ShadowGridSide(ShadowPassCount(0, 1.0f, true));
    for (int i = 0; i < 4; ++i) {
        EXPECT_EQ(ShadowJitterPreview(hard, i, true), 0.0f);
        EXPECT_EQ(ShadowJitterPreview(hard, i, false), 0.0f);
    }
}

TEST(ShadowMath, OffscreenSamplesOfASmallRender) {
    SceneParams params;  // length 68.75, intensity 20, blur 20
    params.viewportWidth = 300;
    params.viewportHeight = 300;
    const float k = ComputeShadowQuality(params);
    EXPECT_NEAR(k, 0.1403, 1e-4);
    const int passes = ShadowPassCount(params.Shadow_Blur, k, false);
    EXPECT_EQ(passes, 42);
    const int n = ShadowGridSide(passes);
    EXPECT_EQ(n, 6);
    EXPECT_EQ(ShadowWorkEstimate(passes), 1);

    const ShadowRandom zero = [] { return 0; };
    const float spacing = std::sqrt(k);
    EXPECT_NEAR(spacing, 0.3746, 1e-4);
    float minLength = 1e9f, maxLength = -1e9f, minDirection = 1e9f, maxDirection = -1e9f;
    for (int i = 0; i < passes; ++i) {
        const float l = ShadowJitterOffscreen(n, i, true, k, zero);
        const float d = ShadowJitterOffscreen(n, i, false, k, zero);
        minLength = std::min(minLength, l);
        maxLength = std::max(maxLength, l);
        minDirection = std::min(minDirection, d);
        maxDirection = std::max(maxDirection, d);
    }
    EXPECT_NEAR(minLength, -8.01f, 0.01f);
    EXPECT_NEAR(maxLength, 8.01f, 0.01f);
    EXPECT_NEAR(minDirection, -8.01f, 0.01f);
    EXPECT_NEAR(maxDirection, 5.34f, 0.01f);

    // The random part adds up to 1 / F ≈ 2.67.
    const ShadowRandom top = [] { return 32767; };
    EXPECT_NEAR(ShadowJitterOffscreen(n, 0, true, k, top) - ShadowJitterOffscreen(n, 0, true, k, zero), 2.67f, 0.01f);
}

TEST(ShadowMath, EachOffscreenOffsetDrawsItsOwnRandomNumber) {
    int calls = 0;
    const ShadowRandom counting = [&calls] { return (++calls % 2) ? 0 : 32767; };
    const float a = ShadowJitterOffscreen(6, 0, true, 1.0f, counting);
    const float b = ShadowJitterOffscreen(6, 0, false, 1.0f, counting);
    EXPECT_EQ(calls, 2);
    EXPECT_FLOAT_EQ(b - a, 1.0f);
}

TEST(ShadowMath, NoLengthOrIntensityGivesOneUnjitteredSample) {
    for (float k : {ComputeShadowQuality(300, 300, 0.0f, 20), ComputeShadowQuality(300, 300, 68.75f, 0),
                    ComputeShadowQuality(0, 0, 68.75f, 20)}) {
        EXPECT_EQ(k, 0.0f);
        const int passes = ShadowPassCount(20, k, false);
        EXPECT_EQ(passes, 1);
        int calls = 0;
        const ShadowRandom random = [&calls] { return ++calls, 32767; };
        const float l = ShadowJitterOffscreen(ShadowGridSide(passes), 0, true, k, random);
        const float d = ShadowJitterOffscreen(ShadowGridSide(passes), 0, false, k, random);
        EXPECT_EQ(l, 0.0f);
        EXPECT_EQ(d, 0.0f);
        EXPECT_EQ(calls, 0);
        EXPECT_FALSE(std::isnan(l));
    }
}

TEST(ShadowMath, NoBlurOffscreenIsOneSampleWithinOneSpacing) {
    const float k = 0.25f;  // spacing 0.5: offsets below 2
    EXPECT_EQ(ShadowPassCount(0, k, false), 1);
    const ShadowRandom top = [] { return 32767; };
    const ShadowRandom zero = [] { return 0; };
    EXPECT_FLOAT_EQ(ShadowJitterOffscreen(1, 0, true, k, zero), 0.0f);
    EXPECT_NEAR(ShadowJitterOffscreen(1, 0, true, k, top), 2.0f, 1e-5);
}

TEST(ShadowMath, UncheckedValuesKeepTheSampleCountBounded) {
    EXPECT_EQ(ShadowPassCount(100000, 10.0f, false), kMaxOffscreenShadowPasses);
    EXPECT_EQ(ShadowPassCount(20, std::nanf(""), false), 1);
    EXPECT_EQ(ShadowPassCount(-5, 1.0f, false), 1);
    EXPECT_EQ(ShadowPassCount(2000000000, 1.0f, true), std::numeric_limits<int>::max());
    EXPECT_EQ(ShadowGridSide(ShadowPassCount(-5, 1.0f, true)), 0);
    // The largest render the settings allow.
    const float kMax = ComputeShadowQuality(3000, 3000, 100, 100);
    EXPECT_LT(ShadowPassCount(100, kMax, false), kMaxOffscreenShadowPasses);
    EXPECT_EQ(ShadowWorkEstimate(420), 14);
    EXPECT_EQ(ShadowWorkEstimate(ShadowPassCount(100, kMax, false)), kMaxShadowWorkEstimate);
}

TEST(ShadowMath, RandomSourceCoversFifteenBitsAndRepeatsPerSeed) {
    ShadowRandomSource source(12345);
    std::vector<int> first;
    int low = 0, high = 0;
    for (int i = 0; i < 2000; ++i) {
        const int r = source();
        ASSERT_GE(r, 0);
        ASSERT_LE(r, 32767);
        (r < 16384 ? low : high)++;
        first.push_back(r);
    }
    EXPECT_GT(low, 800);
    EXPECT_GT(high, 800);
    source.Seed(12345);
    for (int i = 0; i < 2000; ++i) ASSERT_EQ(source(), first[i]) << i;
    ShadowRandomSource other(12346);
    int same = 0;
    for (int i = 0; i < 2000; ++i) same += other() == first[i];
    EXPECT_LT(same, 20);
}
