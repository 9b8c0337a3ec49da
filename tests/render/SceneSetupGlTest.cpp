// Projection, camera, lighting, background grid and light markers on real
// frames.
#include <GL/gl.h>
#include <GL/glu.h>
#include <gtest/gtest.h>

#include <cmath>
#include <glm/gtc/type_ptr.hpp>

#include "GlTestContext.h"
#include "render/BackgroundGrid.h"
#include "render/CameraGl.h"
#include "render/LightMarkers.h"
#include "render/LightingState.h"
#include "scene/SceneParams.h"

using namespace boxora;

namespace {

void ClearFrame(float r, float g, float b, float a) {
    glClearColor(r, g, b, a);
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT | GL_STENCIL_BUFFER_BIT);
}

void SetUpScene(const CameraSetup& camera, int width, int height) {
    glViewport(0, 0, width, height);
    ApplyProjectionAndCamera(camera);
    ApplySceneTransform(camera);
}

// Centre of the pixels whose red differs from the background.
bool Centroid(const GlTestContext& gl, double& cx, double& cy, int& count) {
    double sx = 0, sy = 0;
    count = 0;
    for (int y = 0; y < gl.Height(); ++y)
        for (int x = 0; x < gl.Width(); ++x)
            if (gl.At(x, y)[0] > 127) {
                sx += x + 0.5;
                sy += y + 0.5;
                ++count;
            }
    if (count == 0) return false;
    cx = sx / count;
    cy = sy / count;
    return true;
}

}  // namespace

TEST(SceneSetupGl, MatricesAreTheComputedOnes) {
    GlTestContext gl(400, 300);
    ASSERT_TRUE(gl.Ok());
    SceneParams params;
    params.cameraHorizontalRotation = 25;
    const CameraSetup camera = ComputeCamera(params, 400, 300);
    SetUpScene(camera, 400, 300);
    double projection[16], modelview[16];
    glGetDoublev(GL_PROJECTION_MATRIX, projection);
    glGetDoublev(GL_MODELVIEW_MATRIX, modelview);
    const glm::dmat4 projectionMatrix = ProjectionMatrix(camera), modelviewMatrix = SceneModelview(camera);
    const double* p = glm::value_ptr(projectionMatrix);
    const double* m = glm::value_ptr(modelviewMatrix);
    for (int i = 0; i < 16; ++i) {
        EXPECT_NEAR(projection[i], p[i], 1e-4 * (1 + std::abs(p[i]))) << i;
        EXPECT_NEAR(modelview[i], m[i], 1e-3 * (1 + std::abs(m[i]))) << i;
    }
}

TEST(SceneSetupGl, WorldPointsLandWhereTheMathPutsThem) {
    GlTestContext gl(400, 300);
    ASSERT_TRUE(gl.Ok());
    SceneParams params;
    params.cameraHorizontalRotation = 40;
    params.cameraTarget.SetAt(0, 10);
    const CameraSetup camera = ComputeCamera(params, 400, 300);
    const glm::dmat4 projection = ProjectionMatrix(camera);
    const glm::dmat4 modelview = SceneModelview(camera);
    glDisable(GL_LIGHTING);
    glDisable(GL_CULL_FACE);
    glPointSize(3);
    for (const auto& point : {std::array<double, 3>{0, 0, 0}, {50, 30, -20}, {-80, 100, 40}, {0, 60, 120}}) {
        ClearFrame(0, 0, 0, 1);
        SetUpScene(camera, 400, 300);
        glColor3f(1, 1, 1);
        glBegin(GL_POINTS);
        glVertex3d(point[0], point[1], point[2]);
        glEnd();
        gl.Read();
        std::array<double, 3> expected{};
        ASSERT_TRUE(
            ProjectToWindow({point[0], point[1], point[2], 1}, modelview, projection, {0, 0, 400, 300}, expected));
        double cx = 0, cy = 0;
        int count = 0;
        ASSERT_TRUE(Centroid(gl, cx, cy, count)) << point[0] << "," << point[1] << "," << point[2];
        EXPECT_EQ(count, 9);
        EXPECT_NEAR(cx, expected[0], 1.0) << point[0] << "," << point[1] << "," << point[2];
        EXPECT_NEAR(cy, expected[1], 1.0) << point[0] << "," << point[1] << "," << point[2];
    }
}

namespace {
// Height in pixels of a 100 × 100 panel standing at the scene centre.
int PanelHeight(float perspective) {
    GlTestContext gl(300, 300);
    if (!gl.Ok()) return -1;
    SceneParams params;
    params.Camera_Perspective = perspective;
    const CameraSetup camera = ComputeCamera(params, 300, 300);
    ClearFrame(0, 0, 0, 1);
    SetUpScene(camera, 300, 300);
    glDisable(GL_LIGHTING);
    glDisable(GL_CULL_FACE);
    glColor3f(1, 1, 1);
    glBegin(GL_QUADS);
    glVertex3f(-50, 0, 0);
    glVertex3f(50, 0, 0);
    glVertex3f(50, 100, 0);
    glVertex3f(-50, 100, 0);
    glEnd();
    gl.Read();
    int top = -1, bottom = -1;
    for (int y = 0; y < 300; ++y)
        if (gl.At(150, y)[0] > 127) {
            if (bottom < 0) bottom = y;
            top = y;
        }
    return bottom < 0 ? 0 : top - bottom + 1;
}
}  // namespace

TEST(SceneSetupGl, PerspectiveZeroAndHundredKeepTheApparentSize) {
    const int narrow = PanelHeight(0);
    const int wide = PanelHeight(100);
    ASSERT_GT(narrow, 20);
    // Within a fifth of each other (an uncompensated camera would differ
    // about fivefold).
    EXPECT_GT(wide, narrow * 0.8);
    EXPECT_LT(wide, narrow * 1.25);
}

namespace {
// A 2 × 2 square facing +z filling an orthographic view, colour 0.5 grey,
// lit by the fixed state with the given switches.
std::array<int, 4> LitSquare(bool light1, bool light2, float brightness, bool frontFacing = true) {
    GlTestContext gl(32, 32);
    if (!gl.Ok()) return {};
    glViewport(0, 0, 32, 32);
    SetFixedLightingState();
    ClearFrame(0, 0, 0, 0);
    glMatrixMode(GL_PROJECTION);
    glLoadIdentity();
    glOrtho(-1, 1, -1, 1, -10, 10);
    glMatrixMode(GL_MODELVIEW);
    glLoadIdentity();
    SetFrameLighting(brightness, {1000, 0, 1000, 1}, {-1000, 0, 1000, 1});
    EnableLights(light1, light2);
    glColor4f(0.5f, 0.5f, 0.5f, 1.0f);
    glNormal3f(0, 0, 1);
    glBegin(GL_QUADS);
    if (frontFacing) {
        glVertex3f(-1, -1, 0);
        glVertex3f(1, -1, 0);
        glVertex3f(1, 1, 0);
        glVertex3f(-1, 1, 0);
    } else {
        glVertex3f(-1, -1, 0);
        glVertex3f(-1, 1, 0);
        glVertex3f(1, 1, 0);
        glVertex3f(1, -1, 0);
    }
    glEnd();
    gl.Read();
    return gl.At(16, 16);
}
}  // namespace

TEST(SceneSetupGl, FixedLightingStateLightsAsSet) {
    // Global ambient 0.2 × material ambient 0.2 = 0.04; each enabled light
    // adds its ambient 0.1 × 0.2 and its diffuse 1 × 0.5 × cos 45°.
    const double perLight = 0.1 * 0.2 + 0.5 * std::sqrt(0.5);
    const auto one = LitSquare(true, false, 20);
    EXPECT_NEAR(one[0], 255 * (0.04 + perLight), 2);
    EXPECT_EQ(one[0], one[2]);
    EXPECT_EQ(one[3], 255);
    const auto two = LitSquare(false, true, 20);  // light 2 is GL_LIGHT2 with white diffuse
    EXPECT_NEAR(two[0], one[0], 1);
    const auto both = LitSquare(true, true, 20);
    EXPECT_NEAR(both[0], 255 * (0.04 + 2 * perLight), 2);
    // With both lights off only the ambient brightness lights the scene.
    const auto none = LitSquare(false, false, 20);
    EXPECT_NEAR(none[0], 255 * 0.04, 2);
    const auto bright = LitSquare(false, false, 100);
    EXPECT_NEAR(bright[0], 255 * 0.2, 2);
    // Back faces are culled.
    const auto back = LitSquare(true, true, 20, false);
    EXPECT_EQ(back[0], 0);
    EXPECT_EQ(back[3], 0);
}

TEST(SceneSetupGl, SpecularHighlightFacesTheLight) {
    GlTestContext gl(16, 16);
    ASSERT_TRUE(gl.Ok());
    glViewport(0, 0, 16, 16);
    SetFixedLightingState();
    ClearFrame(0, 0, 0, 0);
    glMatrixMode(GL_PROJECTION);
    glLoadIdentity();
    glOrtho(-1, 1, -1, 1, -10, 10);
    glMatrixMode(GL_MODELVIEW);
    glLoadIdentity();
    SetFrameLighting(0, {0, 0, 1000, 1}, {0, 0, 1000, 1});
    EnableLights(true, false);
    glColor3f(0.2f, 0.2f, 0.2f);
    glNormal3f(0, 0, 1);
    glBegin(GL_QUADS);
    glVertex3f(-1, -1, 0);
    glVertex3f(1, -1, 0);
    glVertex3f(1, 1, 0);
    glVertex3f(-1, 1, 0);
    glEnd();
    gl.Read();
    EXPECT_GE(gl.At(8, 8)[0], 250);  // diffuse 0.2 alone would give 56
}

TEST(SceneSetupGl, TransparentBackgroundGridIsDiagonalAndRestoresState) {
    const int w = 240, h = 180;
    GlTestContext gl(w, h);
    ASSERT_TRUE(gl.Ok());
    SceneParams params;
    const CameraSetup camera = ComputeCamera(params, w, h);
    SetFixedLightingState();
    ClearFrame(1, 1, 1, 0);
    SetUpScene(camera, w, h);
    const GLdouble floorPlane[4] = {0, 1, 0, 0};
    glClipPlane(GL_CLIP_PLANE4, floorPlane);
    glEnable(GL_CLIP_PLANE4);

    BackgroundGrid grid;
    grid.Draw(w, h, camera);
    gl.Read();
    const std::vector<uint8_t> first = gl.Pixels();

    auto isLine = [&](int x, int y) {
        const auto p = gl.At(x, y);
        return std::abs(p[0] - 230) <= 2 && std::abs(p[2] - 242) <= 2;
    };
    int lines = 0, diagonal = 0, longestRow = 0;
    for (int y = 1; y < h - 1; ++y) {
        int run = 0;
        for (int x = 1; x < w - 1; ++x) {
            const auto p = gl.At(x, y);
            EXPECT_EQ(p[3], 0) << x << "," << y;  // background stays transparent
            if (isLine(x, y)) {
                ++lines;
                if (isLine(x + 1, y + 1) || isLine(x - 1, y + 1) || isLine(x + 1, y - 1) || isLine(x - 1, y - 1))
                    ++diagonal;
                longestRow = std::max(longestRow, ++run);
            } else {
                run = 0;
                ASSERT_EQ(p[0], 255) << x << "," << y;
            }
        }
    }
    const int inner = (w - 2) * (h - 2);
    EXPECT_GT(lines, inner / 10);
    EXPECT_LT(lines, inner * 6 / 10);
    EXPECT_GT(diagonal, lines * 9 / 10);
    EXPECT_LT(longestRow, 6);

    // The normal projection, smooth shading, lighting and the floor clip are back.
    double projection[16];
    glGetDoublev(GL_PROJECTION_MATRIX, projection);
    const glm::dmat4 expectedMatrix = ProjectionMatrix(camera);
    const double* expected = glm::value_ptr(expectedMatrix);
    for (int i = 0; i < 16; ++i) EXPECT_NEAR(projection[i], expected[i], 1e-4 * (1 + std::abs(expected[i])));
    EXPECT_TRUE(glIsEnabled(GL_LIGHTING));
    EXPECT_TRUE(glIsEnabled(GL_CLIP_PLANE4));
    GLint shade = 0;
    glGetIntegerv(GL_SHADE_MODEL, &shade);
    EXPECT_EQ(shade, GL_SMOOTH);
    GLint mode = 0;
    glGetIntegerv(GL_MATRIX_MODE, &mode);
    EXPECT_EQ(mode, GL_MODELVIEW);

    // The second frame replays the list and looks the same.
    const GLuint list = grid.ListName();
    ASSERT_NE(list, 0u);
    ClearFrame(1, 1, 1, 0);
    grid.Draw(w, h, camera);
    EXPECT_EQ(grid.ListName(), list);
    gl.Read();
    EXPECT_EQ(gl.Pixels(), first);
    grid.Release();
    EXPECT_FALSE(glIsList(list));
}

TEST(SceneSetupGl, LightMarkersSitAtTheLightsAndFollowTheirSwitches) {
    const int w = 400, h = 300;
    GlTestContext gl(w, h);
    ASSERT_TRUE(gl.Ok());
    SceneParams params;
    const CameraSetup camera = ComputeCamera(params, w, h);
    const auto light1 = params.light1Position.Get();
    const auto light2 = params.light2Position.Get();
    std::array<double, 3> at1{}, at2{};
    ASSERT_TRUE(ProjectToWindow({light1[0], light1[1], light1[2], 1}, SceneModelview(camera), ProjectionMatrix(camera),
                                {0, 0, w, h}, at1));
    ASSERT_TRUE(ProjectToWindow({light2[0], light2[1], light2[2], 1}, SceneModelview(camera), ProjectionMatrix(camera),
                                {0, 0, w, h}, at2));
    for (const auto& at : {at1, at2}) {
        ASSERT_GT(at[0], 5);
        ASSERT_LT(at[0], w - 5);
        ASSERT_GT(at[1], 5);
        ASSERT_LT(at[1], h - 5);
    }
    SetFixedLightingState();
    LightMarkers markers;
    auto frame = [&](bool on1, bool on2) {
        ClearFrame(0, 0, 1, 0);
        SetUpScene(camera, w, h);
        markers.Draw(on1, light1, on2, light2);
        EXPECT_TRUE(glIsEnabled(GL_LIGHTING));
        gl.Read();
    };
    auto pixel = [&](const std::array<double, 3>& at) {
        return gl.At(static_cast<int>(at[0]), static_cast<int>(at[1]));
    };
    frame(true, true);
    EXPECT_EQ(pixel(at1), (std::array<int, 4>{255, 255, 0, 255}));
    const auto orange = pixel(at2);
    EXPECT_EQ(orange[0], 255);
    EXPECT_NEAR(orange[1], 128, 1);
    EXPECT_EQ(orange[2], 0);

    frame(false, true);
    EXPECT_EQ(pixel(at1), (std::array<int, 4>{0, 0, 255, 0}));
    EXPECT_EQ(pixel(at2)[0], 255);

    frame(false, false);
    int marked = 0;
    for (size_t i = 0; i < gl.Pixels().size(); i += 4) marked += gl.Pixels()[i] != 0;
    EXPECT_EQ(marked, 0);
}
