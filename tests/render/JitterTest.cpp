#include <GL/gl.h>
#include <GL/glu.h>
#include <gtest/gtest.h>

#include <cmath>

#include "GlTestContext.h"
#include "render/JitterTables.h"
#include "render/JitteredProjection.h"

using namespace boxora;

TEST(JitterTables, PublishedTablesInOrder) {
    const JitterPoint eight[8] = {{-0.334818f, 0.435331f},  {0.286438f, -0.393495f}, {0.459462f, 0.141540f},
                                  {-0.414498f, -0.192829f}, {-0.183790f, 0.082102f}, {-0.079263f, -0.317383f},
                                  {0.102254f, 0.299133f},   {0.164216f, -0.054399f}};
    const auto j8 = JitterTable(8);
    ASSERT_EQ(j8.size(), 8u);
    for (int i = 0; i < 8; ++i) {
        EXPECT_EQ(j8[i].x, eight[i].x) << i;
        EXPECT_EQ(j8[i].y, eight[i].y) << i;
    }
    const auto j2 = JitterTable(2);
    ASSERT_EQ(j2.size(), 2u);
    EXPECT_EQ(j2[0].x, 0.246490f);
    EXPECT_EQ(j2[0].y, 0.249999f);
    EXPECT_EQ(j2[1].x, -0.246490f);
    EXPECT_EQ(j2[1].y, -0.249999f);
    const JitterPoint four[4] = {
        {-0.208147f, 0.353730f}, {0.203849f, -0.353780f}, {-0.292626f, -0.149945f}, {0.296924f, 0.149994f}};
    const auto j4 = JitterTable(4);
    ASSERT_EQ(j4.size(), 4u);
    for (int i = 0; i < 4; ++i) {
        EXPECT_EQ(j4[i].x, four[i].x) << i;
        EXPECT_EQ(j4[i].y, four[i].y) << i;
    }
    // First and last points of the other tables.
    EXPECT_EQ(JitterTable(3)[0].x, -0.373411f);
    EXPECT_EQ(JitterTable(3)[2].y, -0.117570f);
    EXPECT_EQ(JitterTable(15)[0].x, 0.285561f);
    EXPECT_EQ(JitterTable(15)[14].y, 0.387504f);
    EXPECT_EQ(JitterTable(24)[0].y, 0.136384f);
    EXPECT_EQ(JitterTable(24)[23].x, 0.297997f);
    EXPECT_EQ(JitterTable(66)[0].x, 0.266377f);
    EXPECT_EQ(JitterTable(66)[65].y, 0.221726f);
}

TEST(JitterTables, SizesAndSixtyFourFromTheLargestTable) {
    for (int n : {2, 3, 4, 8, 15, 24, 66}) {
        const auto t = JitterTable(n);
        ASSERT_EQ(t.size(), static_cast<size_t>(n));
        double sx = 0, sy = 0;
        for (const auto& p : t) {
            EXPECT_LT(std::abs(p.x), 0.5f);
            EXPECT_LT(std::abs(p.y), 0.5f);
            sx += p.x;
            sy += p.y;
        }
        // Spread around the pixel centre.
        EXPECT_LT(std::abs(sx / n), 0.1) << n;
        EXPECT_LT(std::abs(sy / n), 0.1) << n;
    }
    const auto t64 = JitterTable(64);
    ASSERT_EQ(t64.size(), 64u);
    EXPECT_EQ(t64.data(), JitterTable(66).data());
    for (int n : {0, 1, 5, 16, 65, -8}) EXPECT_TRUE(JitterTable(n).empty()) << n;
}

TEST(JitteredProjection, FrustumArgumentsShiftByPixelsAndEyeOffset) {
    const auto plain = JitteredPerspectiveFrustum(90, 2, 1, 100, 0, 0, 0, 0, 1, 200, 100);
    EXPECT_NEAR(plain.top, 1.0, 1e-6);
    EXPECT_NEAR(plain.bottom, -1.0, 1e-6);
    EXPECT_NEAR(plain.right, 2.0, 1e-6);
    EXPECT_NEAR(plain.left, -2.0, 1e-6);
    EXPECT_EQ(plain.zNear, 1);
    EXPECT_EQ(plain.zFar, 100);
    // One pixel of a 200-pixel-wide window of width 4 is 0.02.
    const auto shifted = JitteredPerspectiveFrustum(90, 2, 1, 100, 1, 0.5, 0, 0, 1, 200, 100);
    EXPECT_NEAR(shifted.left, -2.02, 1e-6);
    EXPECT_NEAR(shifted.right, 1.98, 1e-6);
    EXPECT_NEAR(shifted.bottom, -1.01, 1e-6);
    EXPECT_NEAR(shifted.top, 0.99, 1e-6);
    const auto eye = JitteredFrustum(-1, 1, -1, 1, 2, 10, 0, 0, 0.5, -0.25, 4, 100, 100);
    EXPECT_NEAR(eye.left, -1.25, 1e-9);  // − eyedx × near / focus
    EXPECT_NEAR(eye.bottom, -0.875, 1e-9);
    EXPECT_EQ(eye.eyeShiftX, -0.5);
    EXPECT_EQ(eye.eyeShiftY, 0.25);
    // Degenerate inputs leave the frustum unshifted instead of NaN.
    const auto empty = JitteredFrustum(-1, 1, -1, 1, 1, 10, 0.5, 0.5, 0.3, 0.3, 0, 0, 0);
    EXPECT_EQ(empty.left, -1);
    EXPECT_EQ(empty.top, 1);
}

namespace {
// First lit column of row y (−1 if none).
int FirstLitColumn(const GlTestContext& gl, int y) {
    for (int x = 0; x < gl.Width(); ++x)
        if (gl.At(x, y)[0] > 127) return x;
    return -1;
}

void DrawRightHalfPlane() {
    glColor3f(1, 1, 1);
    glBegin(GL_QUADS);
    glVertex3f(0, -100, 0);
    glVertex3f(100, -100, 0);
    glVertex3f(100, 100, 0);
    glVertex3f(0, 100, 0);
    glEnd();
}
}  // namespace

TEST(JitteredProjection, OnePixelOffsetMovesTheImageByOnePixel) {
    GlTestContext gl(100, 80);
    ASSERT_TRUE(gl.Ok());
    glViewport(0, 0, 100, 80);
    glDisable(GL_LIGHTING);
    glDisable(GL_DEPTH_TEST);
    int column[3];
    const double shifts[3] = {0.0, 1.0, -2.0};
    for (int k = 0; k < 3; ++k) {
        glClearColor(0, 0, 0, 1);
        glClear(GL_COLOR_BUFFER_BIT);
        SetJitteredPerspective(40, 100.0 / 80.0, 1, 100, shifts[k], 0, 0, 0, 1);
        GLint mode = 0;
        glGetIntegerv(GL_MATRIX_MODE, &mode);
        EXPECT_EQ(mode, GL_MODELVIEW);
        glTranslatef(0.37f, 0, -10);  // edge inside a pixel, away from its centre
        DrawRightHalfPlane();
        gl.Read();
        column[k] = FirstLitColumn(gl, 40);
    }
    ASSERT_GT(column[0], 0);
    EXPECT_EQ(column[1], column[0] + 1);
    EXPECT_EQ(column[2], column[0] - 2);
}

TEST(JitteredProjection, MatchesGluPerspectiveWithoutJitter) {
    GlTestContext gl(64, 48);
    ASSERT_TRUE(gl.Ok());
    glViewport(0, 0, 64, 48);
    SetJitteredPerspective(30.8, 64.0 / 48.0, 10, 1700, 0, 0, 0, 0, 1);
    double jittered[16];
    glGetDoublev(GL_PROJECTION_MATRIX, jittered);
    glMatrixMode(GL_PROJECTION);
    glLoadIdentity();
    gluPerspective(30.8, 64.0 / 48.0, 10, 1700);
    double reference[16];
    glGetDoublev(GL_PROJECTION_MATRIX, reference);
    for (int i = 0; i < 16; ++i) EXPECT_NEAR(jittered[i], reference[i], 1e-5 * (1 + std::abs(reference[i]))) << i;
}
