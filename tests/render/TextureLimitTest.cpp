// Textures in a real context: never larger than the picture can show, and
// within the context's memory budget (with a message when it is reached).
#include <GL/gl.h>
#include <gtest/gtest.h>

#include "image/ImageCodec.h"
#include "platform/Notifier.h"
#include "render/GlReleaseQueue.h"
#include "render/TextureStore.h"
#include "render/TextureUpload.h"
#include "tests/render/GlTestContext.h"
#include "tests/support/TestSupport.h"

namespace {

std::string WritePicture(const testsupport::TempDir& dir, const std::string& name, uint32_t w, uint32_t h) {
    std::vector<uint8_t> bgr(std::size_t{w} * h * 3, 90);
    ImageCodec image;
    EXPECT_TRUE(image.CreateFromArray(bgr.data(), w, h, 24, static_cast<int>(w * 3), false));
    const std::string path = dir.File(name);
    EXPECT_TRUE(image.Save(path, FORMAT_PNG));
    return path;
}

std::pair<int, int> TextureSize(uint32_t name) {
    GLint w = 0, h = 0;
    glBindTexture(GL_TEXTURE_2D, name);
    glGetTexLevelParameteriv(GL_TEXTURE_2D, 0, GL_TEXTURE_WIDTH, &w);
    glGetTexLevelParameteriv(GL_TEXTURE_2D, 0, GL_TEXTURE_HEIGHT, &h);
    return {w, h};
}

}  // namespace

TEST(TextureLimit, TexturesFitThePictureAndTheBudget) {
    GlTestContext gl(32, 32);
    ASSERT_TRUE(gl.Ok());
    testsupport::TempDir dir;
    TextureNameTable names{};
    GlReleaseQueue releases;
    CTextureStore store(names, releases);
    store.SetThreadRole([] { return ThreadRole::Scene; });

    // A 200 × 100 picture: textures up to 512 texels a side, so whole-factor
    // shrinking never takes art below the picture's 256.
    SetTexturePictureSize(200, 100);
    EXPECT_EQ(TextureSideLimit(), 512);
    std::string wide = WritePicture(dir, "wide.png", 2000, 1000);
    EXPECT_TRUE(store.TextureLoad(wide, 0).messages.empty());
    EXPECT_EQ(TextureSize(names[0]), std::make_pair(512, 256));  // 2000 / 4 = 500 wide
    std::string small = WritePicture(dir, "small.png", 60, 30);
    EXPECT_TRUE(store.TextureLoad(small, 1).messages.empty());
    EXPECT_EQ(TextureSize(names[1]), std::make_pair(64, 32));  // as it was

    // A budget that holds the first two: a third texture of the first's
    // size is shrunk to what is left, and the message says so.
    store.SetTextureBudget(TextureBytes(500, 250) + TextureBytes(60, 30) + TextureBytes(70, 35));
    std::string third = WritePicture(dir, "third.png", 2000, 1000);
    const boxora::Outcome shrunk = store.TextureLoad(third, 2);
    const auto [w, h] = TextureSize(names[2]);
    EXPECT_GT(w, 0);
    EXPECT_LE(w, 64);
    EXPECT_FALSE(shrunk.failed);  // a warning: the picture is still made
    ASSERT_EQ(shrunk.messages.size(), 1u);
    EXPECT_EQ(shrunk.messages[0].key, "texturebudget");
    EXPECT_EQ(shrunk.messages[0].icon, boxora::MsgIcon::Warning);
    // Replacing a material's texture frees its share first.
    store.TextureLoad(small, 0);
    store.TextureLoad(third, 2);
    EXPECT_EQ(TextureSize(names[2]), std::make_pair(512, 256));
    SetTexturePictureSize(0, 0);
}
