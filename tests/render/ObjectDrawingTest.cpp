// Object and side drawing on a real context: the object transform, colours
// with and without materials, skip keys, the height fade, side display
// lists (none in off-screen renders), and an off-screen frame without the
// preview's background grid.
#include <GL/gl.h>
#include <gtest/gtest.h>

#include <glm/gtc/type_ptr.hpp>

#include "GlTestContext.h"
#include "engine/Engine.h"
#include "model/MirrorMath.h"
#include "platform/Notifier.h"
#include "render/LightingState.h"
#include "render/ObjectDrawing.h"
#include "render/SceneFrame.h"
#include "render/ShadowManager.h"
#include "render/SidePasses.h"
#include "render/SideSlots.h"

using namespace boxora;

namespace {

// A unit square (two triangles) in the drawing plane z = 0, corners at
// +-1: memory vertices (x, y, z) are drawn at (x, z, y).
void AddSquare(C3DObject& o, uint16_t material, float x0 = -1, float x1 = 1) {
    const auto base = static_cast<uint16_t>(o.vertices.size());
    o.vertices.push_back({x0, 0, -1});
    o.vertices.push_back({x1, 0, -1});
    o.vertices.push_back({x1, 0, 1});
    o.vertices.push_back({x0, 0, 1});
    for (int i = 0; i < 4; ++i) o.texCoords.push_back({0, 0});
    MeshFace a, b;
    a.vertIndex = {base, static_cast<uint16_t>(base + 1), static_cast<uint16_t>(base + 2)};
    b.vertIndex = {base, static_cast<uint16_t>(base + 2), static_cast<uint16_t>(base + 3)};
    a.material = b.material = material;
    a.textured = b.textured = 0;
    o.faces.push_back(a);
    o.faces.push_back(b);
    o.RebuildFaceList();
    for (MeshFace& f : o.faces) f.owner = &o;
}

tMaterialInfo Material(uint16_t index, std::array<uint8_t, 4> colour) {
    tMaterialInfo m;
    m.index = index;
    m.color = colour;
    return m;
}

class DrawingTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(gl.Ok());
        glViewport(0, 0, 64, 64);
        glMatrixMode(GL_PROJECTION);
        glLoadIdentity();
        glOrtho(-2, 2, -2, 2, -10, 10);
        glMatrixMode(GL_MODELVIEW);
        glLoadIdentity();
        glDisable(GL_LIGHTING);
        glDisable(GL_CULL_FACE);
        glClearColor(1, 1, 1, 0);
        glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
        params.RenderMode = RENDER_MODE_QUICK;
    }
    std::array<int, 4> Centre() {
        gl.Read();
        return gl.At(32, 32);
    }
    ObjectDrawingScene Scene() { return {model, names, params}; }

    GlTestContext gl{64, 64};
    SceneParams params;
    SceneModel model;
    TextureNameTable names{};
};

TEST_F(DrawingTest, ApplyTransformScalesThenTurnsThenMoves) {
    C3DObject o;
    o.translate[0] = 1;
    o.translate[1] = 2;
    o.translate[2] = 3;
    o.rotate[1] = 90;
    for (auto& s : o.scale) s = 2;
    glLoadIdentity();
    ApplyTransform(o);
    double m[16];
    glGetDoublev(GL_MODELVIEW_MATRIX, m);
    const glm::dmat4 fade = ObjectFadeMatrix(o);
    const double* expected = glm::value_ptr(fade);
    for (int i = 0; i < 16; ++i) EXPECT_NEAR(m[i], expected[i], 1e-5) << i;
    // A vertex drawn at (1, 0, 0) lands at (1, 2, 1).
    EXPECT_NEAR(m[0] * 1 + m[12], 1, 1e-5);
    EXPECT_NEAR(m[1] * 1 + m[13], 2, 1e-5);
    EXPECT_NEAR(m[2] * 1 + m[14], 1, 1e-5);
}

TEST_F(DrawingTest, WithoutMaterialsEverythingIsRed) {
    auto o = std::make_unique<C3DObject>();
    AddSquare(*o, kNoMaterial);
    DrawObject(Scene(), *o, kSkipNothing, kSkipNothing, true, false);
    EXPECT_EQ(Centre(), (std::array<int, 4>{255, 0, 0, 255}));
}

TEST_F(DrawingTest, MaterialColoursAndFacesWithoutAValidMaterial) {
    model.materials.push_back(Material(0, {0, 200, 0, 255}));
    C3DObject good, stray;
    AddSquare(good, 0);
    AddSquare(stray, 7);  // beyond the material array
    DrawObject(Scene(), good, kSkipNothing, kSkipNothing, true, false);
    EXPECT_EQ(Centre(), (std::array<int, 4>{0, 200, 0, 255}));
    glClear(GL_COLOR_BUFFER_BIT);
    glColor3ub(10, 20, 250);
    DrawObject(Scene(), stray, kSkipNothing, kSkipNothing, true, false);
    EXPECT_EQ(Centre(), (std::array<int, 4>{10, 20, 250, 255}));
    // Without the textured flag no colour is set at all (shadow silhouettes).
    glClear(GL_COLOR_BUFFER_BIT);
    glColor3ub(90, 90, 90);
    DrawObject(Scene(), good, kSkipNothing, kSkipNothing, false, false);
    EXPECT_EQ(Centre(), (std::array<int, 4>{90, 90, 90, 255}));
}

TEST_F(DrawingTest, SkipKeysLeaveOutMirrorTransparentAndNamedFaces) {
    model.materials.push_back(Material(0, {0, 0, 200, 255}));
    C3DObject o;
    AddSquare(o, 0);
    auto drawn = [&](int key1, int key2) {
        glClear(GL_COLOR_BUFFER_BIT);
        DrawObject(Scene(), o, key1, key2, true, false);
        return Centre()[0] != 255;
    };
    EXPECT_TRUE(drawn(kSkipNothing, kSkipNothing));
    EXPECT_FALSE(drawn(0, kSkipNothing));
    EXPECT_FALSE(drawn(kSkipNothing, 0));
    EXPECT_TRUE(drawn(kSkipMirrorFaces, kSkipTransparentFaces));
    for (MeshFace& f : o.faces) f.inMirrorSide = 1;
    EXPECT_FALSE(drawn(kSkipMirrorFaces, kSkipNothing));
    EXPECT_TRUE(drawn(kSkipNothing, kSkipTransparentFaces));
    for (MeshFace& f : o.faces) f.inMirrorSide = 0, f.inTransparentSide = 1;
    EXPECT_FALSE(drawn(kSkipNothing, kSkipTransparentFaces));
    EXPECT_TRUE(drawn(kSkipMirrorFaces, kSkipNothing));
}

TEST_F(DrawingTest, HeightFadeBlendsWithTheOpacity) {
    model.materials.push_back(Material(0, {0, 0, 0, 255}));
    C3DObject o;
    AddSquare(o, 0);
    params.Reflection_Length = 100;  // reach 300: the square is far below it
    params.Reflection_Opacity = 50;
    DrawObject(Scene(), o, kSkipNothing, kSkipNothing, true, true);
    const auto half = Centre();
    EXPECT_NEAR(half[0], 128, 2);  // black at alpha 0.5 over white
    EXPECT_FALSE(glIsEnabled(GL_BLEND));
    // Lifted above the reach, the square fades out completely.
    glClear(GL_COLOR_BUFFER_BIT);
    o.translate[1] = 400;
    glTranslatef(0, -400, 0);
    DrawObject(Scene(), o, kSkipNothing, kSkipNothing, true, true);
    EXPECT_EQ(Centre()[0], 255);
}

TEST_F(DrawingTest, SideListsAreRecordedOnceAndNeverInOffscreenRenders) {
    model.materials.push_back(Material(0, {200, 0, 0, 255}));
    C3DObject o;
    AddSquare(o, 0);
    CSide side;
    side.object = &o;
    side.material = 0;
    for (MeshFace& f : o.faces) side.faces.push_back(&f);

    // Off-screen: drawn, but no list is made.
    params.RenderMode = RENDER_MODE_OFFSCREEN;
    const long built = SideListCounters().built;
    DrawSideSlot(Scene(), side, SLOT_PLAIN);
    EXPECT_EQ(Centre(), (std::array<int, 4>{200, 0, 0, 255}));
    EXPECT_FALSE(side.listSlots[SLOT_PLAIN].built);
    EXPECT_EQ(side.listSlots[SLOT_PLAIN].name, 0u);
    EXPECT_EQ(SideListCounters().built, built);

    // Preview: recorded on first use, replayed afterwards.
    params.RenderMode = RENDER_MODE_FULL;
    glClear(GL_COLOR_BUFFER_BIT);
    DrawSideSlot(Scene(), side, SLOT_PLAIN);
    EXPECT_EQ(Centre(), (std::array<int, 4>{200, 0, 0, 255}));
    ASSERT_TRUE(side.listSlots[SLOT_PLAIN].built);
    const unsigned name = side.listSlots[SLOT_PLAIN].name;
    EXPECT_TRUE(glIsList(name));
    const long replayed = SideListCounters().replayed;
    glClear(GL_COLOR_BUFFER_BIT);
    DrawSideSlot(Scene(), side, SLOT_PLAIN);
    EXPECT_EQ(Centre(), (std::array<int, 4>{200, 0, 0, 255}));
    EXPECT_EQ(side.listSlots[SLOT_PLAIN].name, name);
    EXPECT_EQ(SideListCounters().replayed, replayed + 1);
    EXPECT_EQ(SideListCounters().built, built + 1);
    // The list holds what it was recorded with: a new colour needs the
    // invalidation that the engine's setters perform.
    model.materials[0].color = {0, 0, 200, 255};
    glClear(GL_COLOR_BUFFER_BIT);
    DrawSideSlot(Scene(), side, SLOT_PLAIN);
    EXPECT_EQ(Centre(), (std::array<int, 4>{200, 0, 0, 255}));
    side.listSlots[SLOT_PLAIN].built = false;
    glClear(GL_COLOR_BUFFER_BIT);
    DrawSideSlot(Scene(), side, SLOT_PLAIN);
    EXPECT_EQ(Centre(), (std::array<int, 4>{0, 0, 200, 255}));
    EXPECT_FALSE(glIsList(name) && side.listSlots[SLOT_PLAIN].name != name);
}

TEST_F(DrawingTest, TransparentSlotsBlendWithTheirLevel) {
    tMaterialInfo glass = Material(0, {0, 0, 0, 255});
    glass.transparencyLevel = 128;
    model.materials.push_back(glass);
    C3DObject o;
    AddSquare(o, 0);
    CSide side;
    side.kind = SIDE_TRANSPARENT;
    side.object = &o;
    side.material = 0;
    for (MeshFace& f : o.faces) side.faces.push_back(&f);
    DrawSideSlot(Scene(), side, SLOT_TRANSPARENT_SURFACE);
    EXPECT_NEAR(Centre()[0], 127, 2);  // black at 128/255 over white
    EXPECT_FALSE(glIsEnabled(GL_BLEND));
    // Faded: never above the transparency level, even at full opacity.
    params.Reflection_Length = 100;
    params.Reflection_Opacity = 100;
    glClear(GL_COLOR_BUFFER_BIT);
    glEnable(GL_BLEND);
    glBlendFunc(GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA);
    DrawSideSlot(Scene(), side, SLOT_FADED_TRANSPARENT_SURFACE);
    EXPECT_NEAR(Centre()[0], 127, 2);
}

// The off-screen frame of a scene with a transparent background: no grid,
// only the clear colour (white, alpha 0); the quick preview frame shows it.
TEST(OffscreenFrameTest, TransparentBackgroundHasNoGrid) {
    GlTestContext gl(160, 120);
    ASSERT_TRUE(gl.Ok());
    boxora::RecordingNotifier notes;
    boxora::SetNotifier(&notes);
    {
        CEngine engine;
        SceneParams& params = engine.Params();
        params.backgroundTransparent = true;
        ObjectDrawingScene scene{engine.Models().Model(), engine.Models().TextureNames(), params};
        SidePasses passes(engine.Sides(), scene,
                          [&engine](bool previous) { return engine.ContinueCondition(previous); });
        CShadowManager2 shadow(params);
        SceneFrame frame(engine, params, passes, shadow);
        SetFixedLightingState();
        glViewport(0, 0, 160, 120);
        // Pixels that are not the white clear colour, and pixels whose alpha
        // is not 0 (the grid leaves the alpha alone).
        auto gridPixels = [&](int* covered = nullptr) {
            gl.Read();
            int n = 0;
            for (int y = 0; y < 120; ++y)
                for (int x = 0; x < 160; ++x) {
                    const auto p = gl.At(x, y);
                    if (p[0] < 250) ++n;
                    if (covered && p[3] != 0) ++*covered;
                }
            return n;
        };
        params.RenderMode = RENDER_MODE_OFFSCREEN;
        EXPECT_TRUE(frame.Draw(RENDER_MODE_OFFSCREEN, 160, 120));
        int covered = 0;
        EXPECT_EQ(gridPixels(&covered), 0);
        EXPECT_EQ(covered, 0);
        params.RenderMode = RENDER_MODE_QUICK;
        params.Light_Source_Enabled_1 = false;  // no markers over the grid
        params.Light_Source_Enabled_2 = false;
        EXPECT_TRUE(frame.Draw(RENDER_MODE_QUICK, 160, 120));
        covered = 0;
        EXPECT_GT(gridPixels(&covered), 1000);
        EXPECT_EQ(covered, 0);
        frame.ReleaseGrid();
    }
    boxora::SetNotifier(nullptr);
}

}  // namespace
