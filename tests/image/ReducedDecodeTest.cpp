// Pictures needed smaller than they are: JPEG and PNG shrink while they
// decode (PNG interlaced or not), every other format after decoding; each
// output pixel is the mean of its block.
#include <gtest/gtest.h>

#include "image/ImageCodec.h"
#include "image/ImageReduce.h"
#include "tests/support/TestSupport.h"

namespace {

// Left third red, right two thirds blue, a 50 % transparent top half.
ImageCodec Stripes(uint32_t w, uint32_t h) {
    std::vector<uint8_t> bgra(std::size_t{w} * h * 4);
    for (uint32_t y = 0; y < h; ++y)
        for (uint32_t x = 0; x < w; ++x) {
            uint8_t* p = &bgra[(std::size_t{y} * w + x) * 4];
            const bool red = x < w / 3;
            p[0] = red ? 20 : 230;
            p[1] = 40;
            p[2] = red ? 230 : 20;
            p[3] = y >= h / 2 ? 128 : 255;  // rows run bottom first: the top half
        }
    ImageCodec image;
    EXPECT_TRUE(image.CreateFromArray(bgra.data(), w, h, 32, static_cast<int>(w * 4), false));
    return image;
}

std::vector<uint8_t> Encoded(const ImageCodec& image, int format, const std::string& dir, int option = 0) {
    ImageCodec copy = image;
    if (option) copy.SetCodecOption(option, format);
    copy.SetJpegQuality(95);
    const std::string path = dir + "/stripes." + std::to_string(format);
    EXPECT_TRUE(copy.Save(path, format));
    const std::string bytes = testsupport::ReadFileBytes(path);
    return std::vector<uint8_t>(bytes.begin(), bytes.end());
}

const uint8_t* Px(const ImageCodec& img, uint32_t x, uint32_t yFromTop) {
    return &img.Data().pixels[(std::size_t{img.GetHeight() - 1 - yFromTop} * img.GetWidth() + x) * 3];
}

}  // namespace

TEST(ReducedDecode, ShrinksByWholeFactorsWithBlockMeans) {
    EXPECT_EQ(imagecodec::ReductionFactor(11585, 11585, 1024), 12u);
    EXPECT_EQ(imagecodec::ReductionFactor(1024, 10, 1024), 1u);
    EXPECT_EQ(imagecodec::ReductionFactor(1025, 10, 1024), 2u);

    const ImageCodec source = Stripes(900, 600);
    testsupport::TempDir tmp;
    const std::string dir = tmp.Path().string();
    struct Case {
        int format;
        int option;
        int tolerance;
        bool alpha;
    };
    for (const Case& c :
         {Case{FORMAT_PNG, 0, 0, true}, Case{FORMAT_PNG, 1, 0, true} /* Adam7 */, Case{FORMAT_JPG, 0, 12, false},
          Case{FORMAT_BMP, 0, 0, false}, Case{FORMAT_TGA, 0, 0, true}}) {
        SCOPED_TRACE(c.format * 10 + c.option);
        const std::vector<uint8_t> file = Encoded(source, c.format, dir, c.option);
        ImageCodec small;
        ASSERT_TRUE(small.LoadFromMemory(file.data(), file.size(), c.format, 100)) << small.LastError();
        EXPECT_EQ(small.GetWidth(), 100u);  // factor 9
        EXPECT_EQ(small.GetHeight(), 67u);
        // Red and blue away from the border; the column over the border
        // (source x 297..305, three red of nine) is a mix.
        EXPECT_NEAR(Px(small, 10, 50)[2], 230, c.tolerance);
        EXPECT_NEAR(Px(small, 80, 50)[0], 230, c.tolerance);
        EXPECT_NEAR(Px(small, 33, 50)[2], (3 * 230 + 6 * 20) / 9.0, c.tolerance + 1);
        if (c.alpha) {
            ASSERT_TRUE(small.HasAlpha());
            const auto& a = small.Data().alpha;
            EXPECT_EQ(a[std::size_t{66 - 10} * 100 + 50], 128);  // top half
            EXPECT_EQ(a[std::size_t{66 - 60} * 100 + 50], 255);
        }
        // Without a limit the picture keeps its size.
        ImageCodec whole;
        ASSERT_TRUE(whole.LoadFromMemory(file.data(), file.size(), c.format));
        EXPECT_EQ(whole.GetWidth(), 900u);
    }
}
