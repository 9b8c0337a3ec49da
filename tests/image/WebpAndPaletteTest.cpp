// WebP pictures written and read back (lossless exactly, alpha kept, found
// by content), and the palette an animated GIF shares across its frames.
#include <gtest/gtest.h>

#include <set>

#include "image/CodecRegistry.h"
#include "image/CodecWebp.h"
#include "image/ImageCodec.h"
#include "image/SharedPalette.h"
#include "tests/support/TestSupport.h"

namespace {

// A 24-bit picture with a gradient and a see-through left half.
imagecodec::ImageData Gradient(uint32_t w, uint32_t h, bool alpha) {
    imagecodec::ImageData img;
    EXPECT_TRUE(img.Allocate(w, h, 24, alpha));
    for (uint32_t y = 0; y < h; ++y)
        for (uint32_t x = 0; x < w; ++x) {
            uint8_t* p = &img.pixels[(y * w + x) * 3];
            p[0] = static_cast<uint8_t>(x * 7), p[1] = static_cast<uint8_t>(y * 11), p[2] = static_cast<uint8_t>(x ^ y);
            if (alpha) img.alpha[y * w + x] = x < w / 2 ? 0 : 255;
        }
    return img;
}

TEST(Webp, LosslessRoundTripIsExactAndKeepsAlphaAndLossyStaysClose) {
    const imagecodec::ImageData img = Gradient(37, 21, true);
    imagecodec::EncodeOptions options;
    options.webpLossless = 1;
    std::vector<uint8_t> file;
    std::string why;
    ASSERT_TRUE(imagecodec::EncodeWebp(img, options, file, &why)) << why;
    imagecodec::ImageData back;
    ASSERT_TRUE(imagecodec::webp::DecodeWebpHere(file.data(), file.size(), back, &why)) << why;
    ASSERT_EQ(back.width, 37u);
    ASSERT_EQ(back.height, 21u);
    EXPECT_EQ(back.alpha, img.alpha);
    // Colours under alpha 0 may be dropped; the opaque ones are exact, and
    // rows keep their order (bottom row first).
    for (std::size_t i = 0; i < img.alpha.size(); ++i) {
        if (img.alpha[i] != 255) continue;
        for (int c = 0; c < 3; ++c) ASSERT_EQ(back.pixels[i * 3 + c], img.pixels[i * 3 + c]) << i;
    }

    options.webpLossless = 0;
    options.jpegQuality = 90;
    const imagecodec::ImageData opaque = Gradient(64, 64, false);
    ASSERT_TRUE(imagecodec::EncodeWebp(opaque, options, file, &why)) << why;
    ASSERT_TRUE(imagecodec::webp::DecodeWebpHere(file.data(), file.size(), back, &why)) << why;
    EXPECT_TRUE(back.alpha.empty());
    double error = 0;
    for (std::size_t i = 0; i < opaque.pixels.size(); ++i) error += std::abs(back.pixels[i] - opaque.pixels[i]);
    EXPECT_LT(error / opaque.pixels.size(), 12.0);
}

TEST(Webp, FaceImageIsFoundByContentAndDecodedInTheHelper) {
    testsupport::TempDir dir;
    ImageCodec image;
    const imagecodec::ImageData img = Gradient(16, 8, false);
    image.MutableData() = img;
    image.SetCodecOption(1, FORMAT_WEBP);
    const std::string path = dir.File("face.png");  // misnamed on purpose
    ASSERT_TRUE(image.Save(path, FORMAT_WEBP));
    ImageCodec read;
    ASSERT_TRUE(read.Load(path, 0)) << read.LastError();
    EXPECT_EQ(read.Data().pixels, img.pixels);
    // A truncated file fails with a reason instead of a picture.
    const std::string bytes = testsupport::ReadFileBytes(path);
    imagecodec::ImageData cut;
    std::string why;
    EXPECT_FALSE(imagecodec::DecodeWebp(reinterpret_cast<const uint8_t*>(bytes.data()), bytes.size() / 2, cut, &why));
    EXPECT_TRUE(cut.Empty());
    EXPECT_FALSE(why.empty());
}

TEST(SharedPalette, FewColoursAcrossFramesKeepTheirExactEntries) {
    // 200 distinct colours spread over two "frames": each must map to an
    // entry of exactly its colour, and distinct colours to distinct entries.
    std::vector<uint8_t> a, b;
    for (int i = 0; i < 200; ++i) {
        std::vector<uint8_t>& frame = i % 2 ? a : b;
        const uint8_t px[4] = {static_cast<uint8_t>((i * 37) & 0xF8), static_cast<uint8_t>((i * 91) & 0xF8),
                               static_cast<uint8_t>((i * 13) & 0xF8), 255};
        for (int k = 0; k < 1 + i % 5; ++k) frame.insert(frame.end(), px, px + 4);
    }
    imagecodec::SharedPalette palette;
    palette.Count(a.data(), a.size() / 4);
    palette.Count(b.data(), b.size() / 4);
    palette.Build(255);
    std::set<std::tuple<int, int, int>> distinct;
    std::set<int> indices;
    for (const auto* frame : {&a, &b})
        for (std::size_t i = 0; i < frame->size(); i += 4) {
            const uint8_t* p = frame->data() + i;
            distinct.insert({p[0], p[1], p[2]});
            const int index = palette.Map(p[0], p[1], p[2]);
            indices.insert(index);
            const auto& c = palette.Colours();
            EXPECT_EQ(c[index * 3], p[0]);
            EXPECT_EQ(c[index * 3 + 1], p[1]);
            EXPECT_EQ(c[index * 3 + 2], p[2]);
        }
    EXPECT_EQ(indices.size(), distinct.size());
    EXPECT_LE(palette.Colours().size() / 3, 255u);
}

}  // namespace
