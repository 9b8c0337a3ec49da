// The example scenes shipped in examples/, loaded with the program's own
// model catalogue and rendered as "Render and Save" does.
#include <filesystem>

#include "RenderTestSupport.h"

namespace {

using namespace rendertest;
namespace fs = std::filesystem;

class ExampleScenesTest : public RenderTest {
protected:
    void SetUp() override {
        RenderTest::SetUp();
        if (!fs::exists(testsupport::AppDir() / "data" / "Objects" / "Box.3ds")) GTEST_SKIP() << "no model catalogue";
        setenv("BOXORA_HOME", testsupport::AppDir().c_str(), 1);
        Start(160, 120);
    }

    // Loads an example; true when every object it names was loaded.
    bool Load(const std::string& name, std::size_t objects) {
        const fs::path path = testsupport::DataDir().parent_path().parent_path() / "examples" / name;
        engine.LoadScene(path.string());
        engine.Redraw();
        return Idle() && engine.Models().Model().objects.size() == objects;
    }
    const C3DObject& Object(std::size_t i) { return *engine.Models().Model().objects.at(i); }
    // World position of an object's origin, moved by (dx, dy, dz).
    std::array<double, 3> Near(const C3DObject& o, double dx, double dy, double dz) {
        return ProjectWorld({o.translate[0] + dx, o.translate[1] + dy, o.translate[2] + dz});
    }
};

TEST_F(ExampleScenesTest, SingleBoxStandsOnWhiteWithItsShadowAndReflection) {
    ASSERT_TRUE(Load("single-box.scn", 1));
    Picture picture;
    ASSERT_TRUE(Render("single-box.png", 300, 300, FORMAT_PNG, picture)) << picture.Image().LastError();
    for (const auto& [x, y] : {std::pair{0, 0}, std::pair{299, 0}, std::pair{0, 299}, std::pair{299, 299}})
        EXPECT_EQ(Distance(picture.At(x, y), kWhitePixel), 0) << x << "," << y;
    const C3DObject& box = Object(0);
    // The box's middle shows its blue cover; inside its mirror image below
    // the floor the reflection is a paler blue.
    const Rgba middle = picture.At(Near(box, 0, 0, 0));
    EXPECT_GT(middle[2], middle[0] + 30) << Show(middle);
    const Rgba reflection = picture.At(Near(box, 0, -box.translate[1] - 25, 0));
    EXPECT_GT(Distance(reflection, kWhitePixel), 10) << Show(reflection);
    EXPECT_FALSE(IsNeutral(reflection, 0)) << Show(reflection);
    EXPECT_GT(reflection[2], reflection[0]);
    // The light comes from +x: the shadow lies grey on the floor at -x, and
    // the floor at +x stays white.
    const Rgba shadow = picture.At(ProjectWorld({box.translate[0] - 130, 0.5, box.translate[2]}));
    EXPECT_TRUE(IsNeutral(shadow, 0)) << Show(shadow);
    EXPECT_LT(shadow[0], 240);
    EXPECT_EQ(Distance(picture.At(ProjectWorld({box.translate[0] + 200, 0.5, box.translate[2]})), kWhitePixel), 0);
}

TEST_F(ExampleScenesTest, DvdBesideCdBothReflected) {
    ASSERT_TRUE(Load("dvd-and-cd.scn", 2));
    Picture picture;
    ASSERT_TRUE(Render("dvd-and-cd.jpg", 400, 300, FORMAT_JPG, picture)) << picture.Image().LastError();
    const Rgba background{0xF4, 0xF4, 0xF4, 255};
    EXPECT_LE(Distance(picture.At(2, 2), background), 3);
    EXPECT_LE(Distance(picture.At(397, 297), background), 3);
    const C3DObject& dvd = Object(0);
    const C3DObject& cd = Object(1);
    const auto dvdAt = Near(dvd, 0, 0, 0), cdAt = Near(cd, 0, 0, 0);
    EXPECT_LT(dvdAt[0] + 40, cdAt[0]);  // the DVD on the left, well apart
    for (const C3DObject* o : {&dvd, &cd}) {
        EXPECT_GT(Distance(picture.At(Near(*o, 0, 0, 0)), background), 40) << o->id;
        const Rgba reflection = picture.At(Near(*o, 0, -o->translate[1] - 15, 0));
        EXPECT_GT(Distance(reflection, background), 8) << o->id << " " << Show(reflection);
    }
    // Between the two cases, high above the floor, the background shows.
    const auto between = ProjectWorld({(dvd.translate[0] + cd.translate[0]) / 2, 170, 0});
    EXPECT_LE(Distance(picture.At(between), background), 3);
}

TEST_F(ExampleScenesTest, TransparentCutoutHasAnAlphaChannel) {
    ASSERT_TRUE(Load("transparent-cutout.scn", 1));
    EXPECT_TRUE(engine.Params().backgroundTransparent);
    Picture png;
    ASSERT_TRUE(Render("cutout.png", 300, 300, FORMAT_PNG, png)) << png.Image().LastError();
    ASSERT_TRUE(png.HasAlpha());
    for (const auto& [x, y] : {std::pair{0, 0}, std::pair{299, 0}, std::pair{0, 299}, std::pair{299, 299}})
        EXPECT_EQ(png.At(x, y)[3], 0) << x << "," << y;
    const C3DObject& dvd = Object(0);
    EXPECT_EQ(png.At(Near(dvd, 0, 0, 0))[3], 255);
    const int reflection = png.At(Near(dvd, 0, -dvd.translate[1] - 15, 0))[3];
    EXPECT_GT(reflection, 0);
    EXPECT_LT(reflection, 255);
    // The same shot as JPEG: white where the background is.
    Picture jpg;
    ASSERT_TRUE(Render("cutout.jpg", 300, 300, FORMAT_JPG, jpg));
    EXPECT_LE(Distance(jpg.At(0, 0), kWhitePixel), 3);
    EXPECT_LE(Distance(jpg.At(299, 299), kWhitePixel), 3);
}

}  // namespace
