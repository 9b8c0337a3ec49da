// Parametric shapes in scenes: kept in the object's Shape key through a
// save and a load, refused with a message when the key is bad, and drawn
// with their Front artwork.
#include <gtest/gtest.h>

#include <sys/wait.h>

#include "image/ImageCodec.h"
#include "platform/ProfileFile.h"
#include "tests/engine/EngineTestSupport.h"

namespace fs = std::filesystem;

namespace {

class ShapeSceneTest : public EngineTestBase {
protected:
    void LoadNow(CEngine& engine, const std::string& path) {
        std::lock_guard lock(engine.Lock());
        engine.LoadSceneNow({path, std::nullopt});
    }
};

TEST_F(ShapeSceneTest, ShapeIsKeptThroughSaveAndLoad) {
    const std::string scene = dir.File("shape.scn");
    {
        CEngine engine;
        std::lock_guard lock(engine.Lock());
        ASSERT_FALSE(engine.Models().LoadModelFile("shape:can, diameter=70", true).failed);
        engine.Models().Model().objects[0]->scale[0] = 2.0f;
        ASSERT_TRUE(engine.SaveScene(scene));
    }
    const boxora::ProfileDocument doc = boxora::ProfileDocument::Load(scene);
    EXPECT_EQ(doc.GetString("OBJECT_0", "Shape", ""), "can,diameter=70");
    EXPECT_EQ(doc.GetString("OBJECT_0", "Object_Name", ""), "Can");

    CEngine loaded;
    LoadNow(loaded, scene);
    ASSERT_EQ(loaded.Models().Model().ObjectCount(), 1);
    const C3DObject& o = *loaded.Models().Model().objects[0];
    EXPECT_EQ(o.shape, "can,diameter=70");
    EXPECT_NEAR(o.realSizeMm[0], 70, 0.01);
    EXPECT_NEAR(o.realSizeMm[1], 115, 0.01);
    EXPECT_FLOAT_EQ(o.scale[0].Get(), 2.0f);
    EXPECT_TRUE(loaded.TakeSceneLoadOutcome().messages.empty());
}

TEST_F(ShapeSceneTest, BadShapeKeyLoadsNothingAndSaysWhy) {
    const std::string scene = dir.File("bad.scn");
    testsupport::WriteFileBytes(scene,
                                "[OBJECT_0]\r\nObject_Name=Can\r\nShape=can,diameter=-3\r\n"
                                "[OBJECT_1]\r\nObject_Name=Jar\r\nShape=jar\r\n");
    CEngine engine;
    LoadNow(engine, scene);
    ASSERT_EQ(engine.Models().Model().ObjectCount(), 1);
    EXPECT_EQ(engine.Models().Model().objects[0]->shape, "jar");
    const boxora::Outcome outcome = engine.TakeSceneLoadOutcome();
    ASSERT_EQ(outcome.messages.size(), 1u);
    EXPECT_NE(outcome.messages[0].args.at(1).find("diameter"), std::string::npos);
}

int RunCli(const std::string& args) {
    const std::string command =
        "'" + (testsupport::AppDir() / "boxora-render").string() + "' " + args + " >/dev/null 2>&1";
    const int status = std::system(command.c_str());
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

TEST_F(ShapeSceneTest, CanShowsItsLabelInTheMiddleOfThePicture) {
    if (!fs::exists(testsupport::AppDir() / "boxora-render")) GTEST_SKIP() << "boxora-render not built";
    std::vector<uint8_t> bgr(16 * 16 * 3, 0);
    for (std::size_t i = 2; i < bgr.size(); i += 3) bgr[i] = 255;
    ImageCodec label;
    ASSERT_TRUE(label.CreateFromArray(bgr.data(), 16, 16, 24, 16 * 3, false));
    ASSERT_TRUE(label.Save(dir.File("red.png"), FORMAT_PNG));
    const std::string scene = dir.File("can.scn");
    testsupport::WriteFileBytes(
        scene, "[OBJECT_0]\r\nObject_Name=Can\r\nShape=can\r\nImage_Front=" + dir.File("red.png") + "\r\n");
    const std::string out = dir.File("can.png");
    ASSERT_EQ(RunCli("--preview '" + scene + "' -o '" + out + "' --size 200x200 --background 000000 --camera 0,10,60"),
              0);

    ImageCodec picture;
    ASSERT_TRUE(picture.Load(out, 0));
    const std::vector<uint8_t> px = picture.Encode2RGB_Ex();
    const uint32_t w = picture.GetWidth(), h = picture.GetHeight();
    auto isRed = [&](uint32_t x, uint32_t y) {
        const uint8_t* p = &px[(static_cast<std::size_t>(y) * w + x) * 3];
        return p[2] > 150 && p[1] < 60 && p[0] < 60;
    };
    int middle = 0, edges = 0;
    for (uint32_t y = 0; y < h; ++y) {
        middle += isRed(w / 2, y);
        edges += isRed(w / 10, y) + isRed(w - w / 10, y);
    }
    EXPECT_GT(middle, static_cast<int>(h / 8));  // the label faces the camera
    EXPECT_EQ(edges, 0);                         // and is on the can only
    // A bad shape on the command line fails the run.
    EXPECT_EQ(RunCli("--dump shape:can,diameter=0"), 1);
}

}  // namespace
