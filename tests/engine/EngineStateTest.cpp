// Scene parameters, setters, objects, cover images, deletion and textures.
#include <gtest/gtest.h>

#include <cmath>

#include "EngineTestSupport.h"
#include "image/ImageFormat.h"
#include "lang/Messages.h"
#include "render/TexturePath.h"

namespace {

constexpr float kDeg = 3.1415927f / 180.0f;

TEST(SceneParamsTest, ResetValuesAndDerivedVectors) {
    SceneParams p;
    EXPECT_EQ(p.RenderMode, 1);
    EXPECT_FLOAT_EQ(p.cameraVerticalRotation, 36.0f);
    EXPECT_FLOAT_EQ(p.cameraZoom, 2.0f);
    EXPECT_FLOAT_EQ(p.shadowElevation, 30.0f);
    EXPECT_FLOAT_EQ(p.ShadowLength(), 68.75f);
    EXPECT_EQ(p.backgroundColor, 0xFFFFFFu);
    EXPECT_EQ(p.outputFormat, 4);
    EXPECT_FLOAT_EQ(p.cameraTarget[1], 40.0f);
    const auto l1 = p.light1Position.Get();
    EXPECT_NEAR(l1[0], 200 * std::cos(30 * kDeg) * std::cos(70 * kDeg), 1e-3);
    EXPECT_NEAR(l1[1], 200 * std::sin(30 * kDeg), 1e-3);
    EXPECT_NEAR(l1[2], 200 * std::cos(30 * kDeg) * std::sin(70 * kDeg), 1e-3);
    EXPECT_FLOAT_EQ(l1[3], 1.0f);
    const auto l2 = p.light2Position.Get();
    EXPECT_NEAR(l2[1], 200 * std::sin(10 * kDeg), 1e-3);
    const auto sd = p.ShadowLightDir.Get();
    EXPECT_NEAR(sd[0], 1600 * std::cos(30 * kDeg), 1e-2);
    EXPECT_NEAR(sd[1], 1600 * std::sin(30 * kDeg), 1e-2);
    EXPECT_NEAR(sd[2], 0.0f, 1e-3);
}

TEST(SceneParamsTest, SceneSettingsResetKeepsTheFrameState) {
    SceneParams p;
    p.viewportWidth = 320;
    p.viewportHeight = 200;
    p.RenderMode = 2;
    p.outputFormat = 3;
    p.cameraZoom = 70;
    p.light1HorizontalRotation = 10;
    p.RecomputeLight1Position();
    p.SetShadowLengthPlain(0);
    p.Reflection_Opacity = 90;
    p.backgroundTransparent = true;
    p.ResetSceneSettings();
    const SceneParams fresh;
    EXPECT_FLOAT_EQ(p.cameraZoom, fresh.cameraZoom);
    EXPECT_EQ(p.light1Position.Get(), fresh.light1Position.Get());
    EXPECT_EQ(p.ShadowLightDir.Get(), fresh.ShadowLightDir.Get());
    EXPECT_FLOAT_EQ(p.Reflection_Opacity, fresh.Reflection_Opacity);
    EXPECT_FALSE(p.backgroundTransparent);
    EXPECT_EQ(p.viewportWidth, 320);
    EXPECT_EQ(p.viewportHeight, 200);
    EXPECT_EQ(p.RenderMode, 2);
    EXPECT_EQ(p.outputFormat, 3);
}

class EngineStateTest : public EngineTestBase {
protected:
    void SetUp() override {
        EngineTestBase::SetUp();
        engine.SetReporter(&notes);
    }
    // Loads a model on the calling thread as the scene thread would.
    C3DObject& LoadDirect(const std::string& path) {
        std::lock_guard lock(engine.Lock());
        EXPECT_FALSE(engine.Models().LoadModelFile(path, true).failed);
        engine.Sides().BuildSides();
        return *engine.Models().Model().objects.back();
    }
    CEngine engine;
};

TEST_F(EngineStateTest, SettersClampWhereTheyShould) {
    engine.SetCameraVerticalRotation(0);
    EXPECT_FLOAT_EQ(engine.Params().cameraVerticalRotation, 0.5f);
    engine.SetCameraVerticalRotation(-20);
    EXPECT_FLOAT_EQ(engine.Params().cameraVerticalRotation, 0.5f);
    engine.SetCameraVerticalRotation(45);
    EXPECT_FLOAT_EQ(engine.Params().cameraVerticalRotation, 45.0f);
    engine.SetCameraZoom(150);
    EXPECT_FLOAT_EQ(engine.Params().cameraZoom, 100.0f);
    engine.SetCameraZoom(-3);
    EXPECT_FLOAT_EQ(engine.Params().cameraZoom, 0.0f);
    engine.SetShadowLength(0);
    EXPECT_FLOAT_EQ(engine.Params().shadowElevation, 85.0f);
    engine.SetShadowLength(100);
    EXPECT_FLOAT_EQ(engine.Params().shadowElevation, 5.0f);
    engine.SetShadowDirection(120);
    EXPECT_FLOAT_EQ(engine.Params().ShadowLength(), 100.0f);
    const auto sd = engine.Params().ShadowLightDir.Get();
    EXPECT_NEAR(sd[0], 1600 * std::cos(5 * kDeg) * std::cos(120 * kDeg), 1e-2);
    engine.Params().cameraVerticalRotation = -1.0f;  // as a scene file may leave it
    engine.SetCameraHorizontalRotation(10);
    EXPECT_FLOAT_EQ(engine.Params().cameraVerticalRotation, 0.5f);
    engine.SetLightDistance(10);
    EXPECT_NEAR(engine.Params().light1Position[1], 40 * std::sin(30 * kDeg), 1e-3);
    engine.SetCameraTargetVertical(70);
    EXPECT_FLOAT_EQ(engine.Params().cameraTarget[1], 70.0f);
}

TEST_F(EngineStateTest, ResizeTreatsHeightZeroAsOne) {
    engine.Resize(300, 0);
    EXPECT_EQ(engine.Params().viewportWidth, 300);
    EXPECT_EQ(engine.Params().viewportHeight, 1);
    EXPECT_EQ(engine.Sides().DepthHeight(), 1);
}

TEST_F(EngineStateTest, ObjectListAndLookUp) {
    EXPECT_TRUE(engine.GetObjectList().empty());
    EXPECT_EQ(engine.GetObject(0), nullptr);
    C3DObject& box = LoadDirect(AddCatalogueModel("Box", fixtures::BoxModel()));
    const auto list = engine.GetObjectList();
    ASSERT_EQ(list.size(), 1u);
    EXPECT_EQ(list[0].name, "Box");
    EXPECT_EQ(list[0].id, 0);
    EXPECT_EQ(engine.GetObject(0), &box);
    engine.SetObjectTranslateX(0, -120);
    engine.SetObjectRotateZ(0, 45);
    engine.SetObjectScaleY(0, 1.5f);
    EXPECT_FLOAT_EQ(engine.GetObject(0)->translate[0], -120.0f);
    EXPECT_FLOAT_EQ(engine.GetObject(0)->rotate[2], 45.0f);
    EXPECT_FLOAT_EQ(engine.GetObject(0)->scale[1], 1.5f);
    engine.SetObjectTranslateX(5, 10);  // no such object: nothing happens
    EXPECT_FLOAT_EQ(engine.GetObject(0)->translate[0], -120.0f);
}

TEST_F(EngineStateTest, TransformChangeReleasesOnlyThatObjectsLists) {
    LoadDirect(AddCatalogueModel("A", fixtures::QuadModel("A", "MA")));
    LoadDirect(AddCatalogueModel("B", fixtures::QuadModel("B", "MB", {0, 0, 255})));
    auto& sides = engine.Sides().Sides();
    ASSERT_EQ(sides.size(), 2u);
    sides[0].listSlots[1] = {true, 11};
    sides[1].listSlots[1] = {true, 12};
    const double planeBefore = sides[1].clipPlane[3];
    engine.SetObjectTranslateY(1, 40);  // moves the mirror
    EXPECT_TRUE(sides[0].listSlots[1].built);
    EXPECT_FALSE(sides[1].listSlots[1].built);
    EXPECT_NE(sides[1].clipPlane[3], planeBefore);
}

TEST_F(EngineStateTest, SetObjectImageStarClearsTexturedButKeepsThePath) {
    AddTexture("front.png");
    C3DObject& box = LoadDirect(AddCatalogueModel("Box", fixtures::BoxModel("Box", 10, 0, {"front.png"})));
    EXPECT_EQ(box.faces[0].textured, 1);
    notes.Clear();
    engine.SetObjectImage(0, 0, "*");
    EXPECT_EQ(box.coverImages[0], "*");
    EXPECT_EQ(box.faces[0].textured, 0);
    EXPECT_EQ(box.faces[1].textured, 0);
    EXPECT_EQ(engine.Models().Model().materials[0].file, "*");
    // The message for the missing file "*" names it.
    ASSERT_EQ(notes.Messages().size(), 1u);
    EXPECT_NE(notes.Messages()[0].text.find("*"), std::string::npos);
}

TEST_F(EngineStateTest, SetObjectImageOnMissingFaceOrObjectChangesNothing) {
    C3DObject& quad = LoadDirect(AddCatalogueModel("Q", fixtures::QuadModel("Q", "Front")));
    const std::string before = quad.coverImages[1];
    engine.SetObjectImage(0, 1, AddTexture("back.png"));  // the model has no "Back"
    engine.SetObjectImage(9, 0, AddTexture("x.png"));     // no object 9
    engine.SetObjectImage(0, 7, AddTexture("x.png"));     // no face 7
    EXPECT_EQ(quad.coverImages[1], before);
    EXPECT_EQ(quad.coverImages[0], "");
    EXPECT_TRUE(engine.Textures().PendingTextures().empty());
}

TEST_F(EngineStateTest, ImageSetTwiceFromTheUserInterfaceLeavesOnePendingRecord) {
    C3DObject& box = LoadDirect(AddCatalogueModel("Box", fixtures::BoxModel()));
    engine.SetObjectImage(0, 2, AddTexture("one.png"));
    engine.SetObjectImage(0, 2, AddTexture("two.jpg"));
    const auto& pending = engine.Textures().PendingTextures();
    ASSERT_EQ(pending.size(), 1u);
    EXPECT_EQ(pending.front().path, TexturePath("two.jpg"));
    EXPECT_EQ(pending.front().format, FORMAT_JPG);
    EXPECT_EQ(pending.front().index, 2);
    EXPECT_EQ(box.coverImages[2], TexturePath("two.jpg"));
    EXPECT_EQ(box.faces[4].textured, 1);  // faces 4 and 5 are "Left"
    // The user-interface thread gives no names; the upload takes one.
    EXPECT_EQ(engine.Textures().Names()[2], 0u);
    engine.Textures().UploadPendingTextures();
    EXPECT_TRUE(engine.Textures().PendingTextures().empty());
    EXPECT_NE(engine.Textures().Names()[2], 0u);
    EXPECT_EQ(engine.Textures().AllTextures().size(), 1u);
}

TEST_F(EngineStateTest, DeletingTheLastObjectResetsIdsAndTextures) {
    AddTexture("front.png");
    LoadDirect(AddCatalogueModel("Box", fixtures::BoxModel("Box", 10, 0, {"front.png"})));
    LoadDirect(ObjectPath("Box"));
    EXPECT_EQ(engine.GetObjectList()[1].id, 1);
    ASSERT_EQ(engine.Textures().AllTextures().size(), 2u);
    engine.DeleteObject(0, false);
    EXPECT_EQ(engine.GetObjectList().size(), 1u);
    EXPECT_EQ(engine.Models().Model().MaterialCount(), 14);  // never removed one by one
    ASSERT_EQ(engine.Textures().AllTextures().size(), 1u);
    EXPECT_EQ(engine.Textures().AllTextures().front().index, 7);
    EXPECT_EQ(engine.Sides().Sides().size(), 7u);
    engine.DeleteObject(1, true);
    EXPECT_TRUE(engine.GetObjectList().empty());
    EXPECT_EQ(engine.Models().Model().MaterialCount(), 0);
    EXPECT_TRUE(engine.Textures().AllTextures().empty());
    EXPECT_TRUE(engine.Sides().Sides().empty());
    C3DObject& again = LoadDirect(ObjectPath("Box"));
    EXPECT_EQ(again.id, 0);
    EXPECT_EQ(engine.Models().Model().materials[0].index, 0);
}

TEST(TexturePathTest, ResolvesBareNamesAndMissingPathsUnderTheTextureFolder) {
    testsupport::TempDir dir;
    const std::string folder = dir.File("texture") + "/";
    std::filesystem::create_directories(folder);
    testsupport::WriteFileBytes(folder + "front.jpg", "x");
    testsupport::WriteFileBytes(dir.File("abs.png"), "x");
    EXPECT_EQ(ResolveTexturePath("front.jpg", folder), folder + "front.jpg");
    EXPECT_EQ(ResolveTexturePath(dir.File("abs.png"), folder), dir.File("abs.png"));
    EXPECT_FALSE(ResolveTexturePath(dir.File("gone.png"), folder));
    EXPECT_FALSE(ResolveTexturePath("", folder));
    std::filesystem::create_directories(folder + "sub");
    testsupport::WriteFileBytes(folder + "sub/back.png", "x");
    EXPECT_EQ(ResolveTexturePath("sub\\back.png", folder), folder + "sub/back.png");
}

TEST_F(EngineStateTest, TextureNotFoundIsReportedWithTheOriginalPath) {
    std::string path = dir.File("nowhere/front.jpg");
    const boxora::Outcome outcome = engine.Textures().TextureLoad(path, 3);
    EXPECT_EQ(path, "*");
    EXPECT_TRUE(outcome.failed);
    ASSERT_EQ(outcome.messages.size(), 1u);
    EXPECT_NE(boxora::MessageText(outcome.messages[0]).find(dir.File("nowhere/front.jpg")), std::string::npos);
    EXPECT_EQ(outcome.messages[0].icon, boxora::MsgIcon::Error);
    EXPECT_TRUE(notes.Messages().empty());  // shown by the engine, not the store
}

TEST_F(EngineStateTest, TextureRecordsKeepOnePerIndexAndRefuseIndicesBeyondTheTable) {
    std::string a = AddTexture("a.PNG"), b = AddTexture("b.tif"), c = AddTexture("c.tiff");
    std::string far = AddTexture("far.png");
    engine.Textures().TextureLoad(a, 1);
    engine.Textures().TextureLoad(b, 1);
    engine.Textures().TextureLoad(c, 2);
    engine.Textures().TextureLoad(far, 256);
    const auto& all = engine.Textures().AllTextures();
    ASSERT_EQ(all.size(), 2u);
    EXPECT_EQ(all.front().path, b);
    EXPECT_EQ(all.front().format, 0);  // .tif: by content
    EXPECT_EQ(all.back().format, FORMAT_TIF);
    EXPECT_EQ(FormatFromExtension("A.PNG"), FORMAT_PNG);
    EXPECT_EQ(far, TexturePath("far.png"));  // still resolved
}

}  // namespace
