// ImageCodec save and load through the BMP, TGA and GIF writers: the frame
// as the export hands it over, written and read back from files.
#include <gtest/gtest.h>

#include <cstring>

#include "image/ImageCodec.h"
#include "tests/image/HandMadeImages.h"
#include "tests/support/TestSupport.h"

using namespace handmade;

namespace {

// A 32-bit frame as the export hands it over: B, G, R, A, first row at the bottom.
ImageCodec Frame(uint32_t w, uint32_t h, bool clearBorder) {
    std::vector<uint8_t> px(std::size_t{w} * h * 4);
    for (uint32_t y = 0; y < h; ++y)
        for (uint32_t x = 0; x < w; ++x) {
            const Rgba c = Pattern(x, y);
            uint8_t* p = &px[(std::size_t{y} * w + x) * 4];
            p[0] = c.b, p[1] = c.g, p[2] = c.r;
            p[3] = clearBorder && (x < 3 || y < 3) ? 0 : 255;
        }
    ImageCodec img;
    EXPECT_TRUE(img.CreateFromArray(px.data(), w, h, 32, int(w * 4), false));
    return img;
}

}  // namespace

TEST(SaveLoadFormats, BmpAndTgaRoundTripThroughFiles) {
    testsupport::TempDir dir;
    ImageCodec frame = Frame(37, 21, true);
    std::string why;
    ASSERT_TRUE(frame.Save(dir.File("a.bmp"), FORMAT_BMP, &why)) << why;
    ASSERT_TRUE(frame.Save(dir.File("a.tga"), FORMAT_TGA, &why)) << why;
    ImageCodec bmp, tga;
    ASSERT_TRUE(bmp.Load(dir.File("a.bmp"), FORMAT_BMP));
    ASSERT_TRUE(tga.Load(dir.File("a.tga"), FORMAT_TGA));
    EXPECT_EQ(bmp.Encode2RGB_Ex(), frame.Encode2RGB_Ex());
    EXPECT_EQ(tga.Encode2RGB_Ex(), frame.Encode2RGB_Ex());
    EXPECT_FALSE(bmp.HasAlpha());
    ASSERT_TRUE(tga.HasAlpha());
    EXPECT_EQ(tga.Data().alpha, frame.Data().alpha);
    // By content (code 0) as well.
    ImageCodec any;
    ASSERT_TRUE(any.Load(dir.File("a.bmp"), FORMAT_UNKNOWN));
    EXPECT_EQ(any.Encode2RGB_Ex(), frame.Encode2RGB_Ex());
}

TEST(SaveLoadFormats, GifWithEachCompressionKeepsTheReducedPictureAndTransparency) {
    testsupport::TempDir dir;
    ImageCodec frame = Frame(40, 30, true);
    ImageCodec reduced = frame;
    ASSERT_TRUE(reduced.DecreaseBpp());
    for (int compression : {0, 1, 2}) {
        ImageCodec img = frame;
        img.SetCodecOption(compression, FORMAT_GIF);
        ASSERT_TRUE(img.DecreaseBpp());
        std::string why;
        const std::string path = dir.File("a" + std::to_string(compression) + ".gif");
        ASSERT_TRUE(img.Save(path, FORMAT_GIF, &why)) << why;
        ImageCodec back;
        ASSERT_TRUE(back.Load(path, FORMAT_UNKNOWN));
        ASSERT_TRUE(back.HasAlpha());
        const auto& a = back.Data().alpha;
        const auto& expect = frame.Data().alpha;
        ASSERT_EQ(a.size(), expect.size());
        for (std::size_t i = 0; i < a.size(); ++i) ASSERT_EQ(a[i] == 0, expect[i] == 0) << i;
        // Opaque pixels show the reduced colours.
        const auto rgb = back.Encode2RGB_Ex(), want = reduced.Encode2RGB_Ex();
        for (std::size_t i = 0; i < a.size(); ++i) {
            if (a[i]) {
                ASSERT_EQ(std::memcmp(&rgb[3 * i], &want[3 * i], 3), 0) << i;
            }
        }
        // An independent reader sees the same pixels and transparency.
        const std::string magick = MagickRgba(path);
        if (!magick.empty()) {
            EXPECT_TRUE(magick == ToRgba(back.Data()));
        }
    }
}
