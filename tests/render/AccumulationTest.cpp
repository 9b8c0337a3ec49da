// Averaging in the accumulation buffer on real frames: jittered
// antialiasing and alpha.
#include <GL/gl.h>
#include <GL/glu.h>
#include <gtest/gtest.h>

#include "GlTestContext.h"
#include "render/AccumulationLoop.h"

using namespace boxora;

namespace {

constexpr int kSize = 64;

void LookAtOrigin() {
    glViewport(0, 0, kSize, kSize);
    glMatrixMode(GL_PROJECTION);
    glLoadIdentity();
    gluPerspective(30, 1, 10, 1700);
    glMatrixMode(GL_MODELVIEW);
    glLoadIdentity();
    gluLookAt(0, 0, 100, 0, 0, 0, 0, 1, 0);
    glDisable(GL_LIGHTING);
    glDisable(GL_DEPTH_TEST);
}

// A white triangle with a slanted hard edge across the middle of the frame.
bool DrawTriangle() {
    glColor4f(1, 1, 1, 1);
    glBegin(GL_TRIANGLES);
    glVertex3f(-30, -30, 0);
    glVertex3f(30, -30, 0);
    glVertex3f(-30, 20, 0);
    glEnd();
    return true;
}

struct Counts {
    int full = 0, empty = 0, partial = 0;
};
Counts Classify(const GlTestContext& gl) {
    Counts c;
    for (int y = 0; y < kSize; ++y)
        for (int x = 0; x < kSize; ++x) {
            const int v = gl.At(x, y)[0];
            if (v == 255)
                ++c.full;
            else if (v == 0)
                ++c.empty;
            else
                ++c.partial;
        }
    return c;
}

}  // namespace

TEST(Accumulation, EightJitteredPassesSoftenEdgesAndKeepInteriorsExact) {
    GlTestContext gl(kSize, kSize);
    ASSERT_TRUE(gl.Ok());
    LookAtOrigin();
    glClearColor(0, 0, 0, 0);
    glClear(GL_COLOR_BUFFER_BIT | GL_ACCUM_BUFFER_BIT);
    int passes = 0;
    EXPECT_TRUE(RenderJitteredSamples(8, 30, [&] {
        ++passes;
        return DrawTriangle();
    }));
    EXPECT_EQ(passes, 8);
    gl.Read();
    const Counts c = Classify(gl);
    EXPECT_GT(c.partial, 30);  // the slanted edge and the two straight ones
    EXPECT_GT(c.full, 300);
    EXPECT_GT(c.empty, 300);
    // Deep inside: exact colour and coverage; far outside: exactly nothing.
    EXPECT_EQ(gl.At(20, 20), (std::array<int, 4>{255, 255, 255, 255}));
    EXPECT_EQ(gl.At(60, 60), (std::array<int, 4>{0, 0, 0, 0}));
    // On the slanted edge, alpha is averaged like the colour.
    bool sawPartialAlpha = false;
    for (int y = 0; y < kSize; ++y)
        for (int x = 0; x < kSize; ++x) {
            const auto p = gl.At(x, y);
            EXPECT_NEAR(p[3], p[0], 1);
            sawPartialAlpha |= p[3] > 20 && p[3] < 235;
        }
    EXPECT_TRUE(sawPartialAlpha);

    // The same triangle drawn once has hard edges.
    glClear(GL_COLOR_BUFFER_BIT);
    LookAtOrigin();
    EXPECT_TRUE(RenderJitteredSamples(0, 30, DrawTriangle));
    gl.Read();
    EXPECT_EQ(Classify(gl).partial, 0);
}

TEST(Accumulation, CountWithoutATableAveragesUnshiftedFrames) {
    GlTestContext gl(kSize, kSize);
    ASSERT_TRUE(gl.Ok());
    LookAtOrigin();
    glClearColor(0, 0, 0, 0);
    glClear(GL_COLOR_BUFFER_BIT);
    DrawTriangle();
    gl.Read();
    const std::vector<uint8_t> single = gl.Pixels();

    glClear(GL_COLOR_BUFFER_BIT | GL_ACCUM_BUFFER_BIT);
    int passes = 0;
    EXPECT_TRUE(RenderJitteredSamples(5, 30, [&] {
        ++passes;
        return DrawTriangle();
    }));
    EXPECT_EQ(passes, 5);
    gl.Read();
    ASSERT_EQ(gl.Pixels().size(), single.size());
    for (size_t i = 0; i < single.size(); ++i) ASSERT_NEAR(gl.Pixels()[i], single[i], 1) << i;
}

TEST(Accumulation, PreviewFrameLeavesTheAccumulationBufferAlone) {
    GlTestContext gl(8, 8);
    ASSERT_TRUE(gl.Ok());
    glViewport(0, 0, 8, 8);
    glClearColor(0, 1, 0, 1);
    glClear(GL_COLOR_BUFFER_BIT);
    glAccum(GL_LOAD, 1.0f);
    EXPECT_TRUE(RenderJitteredSamples(0, 30, [] {
        glClearColor(1, 0, 0, 1);
        glClear(GL_COLOR_BUFFER_BIT);
        return true;
    }));
    glClearColor(0, 0, 0, 0);
    glClear(GL_COLOR_BUFFER_BIT);
    glAccum(GL_RETURN, 1.0f);
    gl.Read();
    EXPECT_EQ(gl.At(3, 3), (std::array<int, 4>{0, 255, 0, 255}));
}

TEST(Accumulation, AlphaIsAveragedLikeColour) {
    GlTestContext gl(8, 8);
    ASSERT_TRUE(gl.Ok());
    glViewport(0, 0, 8, 8);
    EXPECT_TRUE(AccumulateSamples(4, 0.25f, [](int i) {
        if (i % 2 == 0)
            glClearColor(1, 0, 0, 1);
        else
            glClearColor(0, 0, 1, 0);
        glClear(GL_COLOR_BUFFER_BIT);
        return true;
    }));
    gl.Read();
    const auto p = gl.At(4, 4);
    EXPECT_NEAR(p[0], 128, 1);
    EXPECT_EQ(p[1], 0);
    EXPECT_NEAR(p[2], 128, 1);
    EXPECT_NEAR(p[3], 128, 1);

    // Many light samples still add up (16-bit accumulation).
    EXPECT_TRUE(AccumulateSamples(300, 1.0f / 300, [](int i) {
        const float a = (i % 3 == 0) ? 0.7f : 0.0f;
        glClearColor(0.3f, 0.3f, 0.3f, a);
        glClear(GL_COLOR_BUFFER_BIT);
        return true;
    }));
    gl.Read();
    EXPECT_NEAR(gl.At(1, 1)[3], 0.7 / 3 * 255, 2);
    EXPECT_NEAR(gl.At(1, 1)[0], 0.3 * 255, 2);
}

TEST(Accumulation, AFailedSampleEndsTheLoopButTheSumIsReturned) {
    GlTestContext gl(8, 8);
    ASSERT_TRUE(gl.Ok());
    glViewport(0, 0, 8, 8);
    int calls = 0;
    EXPECT_FALSE(AccumulateSamples(8, 0.125f, [&calls](int) {
        ++calls;
        glClearColor(1, 1, 1, 1);
        glClear(GL_COLOR_BUFFER_BIT);
        return calls < 2;
    }));
    EXPECT_EQ(calls, 2);
    gl.Read();
    EXPECT_NEAR(gl.At(0, 0)[0], 64, 1);  // two of eight
    EXPECT_TRUE(AccumulateSamples(0, 1.0f, [](int) { return false; }));
}
