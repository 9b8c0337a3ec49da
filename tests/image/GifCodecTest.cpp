// GIF reading and writing: the three code streams, transparency, and
// agreement between our reader (giflib) and ImageMagick on every file we write.
#include <gtest/gtest.h>

#include <functional>
#include <random>

#include "image/CodecRegistry.h"
#include "image/GifCodeStream.h"
#include "tests/image/HandMadeImages.h"
#include "tests/support/TestSupport.h"

using namespace handmade;
using imagecodec::ImageData;
using imagecodec::gif::CodeStreamKind;

namespace {

ImageData DecodeGif(const Bytes& file, bool expectOk = true) {
    ImageData img;
    std::string why;
    const bool ok = imagecodec::DecodeGif(file.data(), file.size(), img, &why);
    EXPECT_EQ(ok, expectOk) << why;
    if (!ok) {
        EXPECT_TRUE(img.Empty());
    }
    return img;
}

Bytes EncodeGif(const ImageData& img, int compression) {
    imagecodec::EncodeOptions options;
    options.gifCompression = compression;
    Bytes file;
    std::string why;
    EXPECT_TRUE(imagecodec::EncodeGif(img, options, file, &why)) << why;
    return file;
}

// Test pictures with different statistics.
std::vector<std::pair<std::string, ImageData>> Pictures() {
    std::mt19937 random(7);
    std::vector<std::pair<std::string, ImageData>> out;
    out.emplace_back("noise", MakeImage8(
                                  257, 190, [&](uint32_t, uint32_t) { return uint8_t(random()); }, PaletteRamp));
    out.emplace_back("gradient", MakeImage8(
                                     300, 7, [](uint32_t x, uint32_t y) { return uint8_t(x + y); }, PaletteRamp));
    out.emplace_back("solid", MakeImage8(
                                  1000, 40, [](uint32_t, uint32_t) { return uint8_t(42); }, PaletteRamp));
    out.emplace_back("stripes",
                     MakeImage8(
                         333, 61, [](uint32_t x, uint32_t y) { return uint8_t((x / 17 + y / 5) % 9); }, PaletteRamp));
    out.emplace_back(
        "runs",
        MakeImage8(
            200, 50, [&](uint32_t x, uint32_t y) { return uint8_t((x * x / 97 + y) % 4 == 0 ? 200 : (y * 3) % 250); },
            PaletteRamp));
    out.emplace_back("pixel", MakeImage8(
                                  1, 1, [](uint32_t, uint32_t) { return uint8_t(3); }, PaletteRamp));
    out.emplace_back("two colours",
                     MakeImage8(
                         45, 13, [](uint32_t x, uint32_t y) { return uint8_t((x ^ y) & 1); }, PaletteRamp));
    out.emplace_back("two colours, long runs",
                     MakeImage8(
                         500, 20, [](uint32_t x, uint32_t y) { return uint8_t(x < 250 + y); }, PaletteRamp));
    return out;
}

// A GIF file around a code stream, written field by field.
struct GifSpec {
    int screenW = 0, screenH = 0;
    int left = 0, top = 0, width = 0, height = 0;
    std::vector<Rgba> global, local;  // sizes must be powers of two
    int transparent = -1;
    bool interlaced = false;
    bool gif87 = false;
};

int TableBits(std::size_t n) {
    int bits = 1;
    while ((std::size_t{1} << bits) < n) ++bits;
    return bits;
}

void PutTable(Bytes& out, const std::vector<Rgba>& table) {
    for (std::size_t i = 0; i < (std::size_t{1} << TableBits(table.size())); ++i) {
        const Rgba c = i < table.size() ? table[i] : Rgba{};
        PutBytes(out, {c.r, c.g, c.b});
    }
}

// indices: the frame's pixels, top row first, in display order.
Bytes BuildGif(const GifSpec& s, const Bytes& indices, int minCodeSize = 8) {
    const char* sig = s.gif87 ? "GIF87a" : "GIF89a";
    Bytes out(sig, sig + 6);
    Put16(out, s.screenW);
    Put16(out, s.screenH);
    const int gbits = TableBits(s.global.size());
    Put8(out, s.global.empty() ? 0 : 0x80 | ((gbits - 1) << 4) | (gbits - 1));
    Put8(out, 0);
    Put8(out, 0);
    if (!s.global.empty()) PutTable(out, s.global);
    if (s.transparent >= 0) PutBytes(out, {0x21, 0xF9, 4, 1, 0, 0, unsigned(s.transparent), 0});
    PutBytes(out, {0x21, 0xFE, 3, 'a', 'b', 'c', 0});  // a comment to skip
    Put8(out, 0x2C);
    Put16(out, s.left);
    Put16(out, s.top);
    Put16(out, s.width);
    Put16(out, s.height);
    const int lbits = TableBits(s.local.size());
    Put8(out, (s.local.empty() ? 0 : 0x80 | (lbits - 1)) | (s.interlaced ? 0x40 : 0));
    if (!s.local.empty()) PutTable(out, s.local);
    Bytes order = indices;
    if (s.interlaced) {
        order.clear();
        static const int start[4] = {0, 4, 2, 1}, step[4] = {8, 8, 4, 2};
        for (int pass = 0; pass < 4; ++pass)
            for (int r = start[pass]; r < s.height; r += step[pass])
                order.insert(order.end(), indices.begin() + r * s.width, indices.begin() + (r + 1) * s.width);
    }
    const Bytes stream = imagecodec::gif::WriteCodeStream(order.data(), order.size(), minCodeSize, CodeStreamKind::Lzw);
    Put8(out, minCodeSize);
    for (std::size_t at = 0; at < stream.size(); at += 255) {
        const std::size_t n = std::min<std::size_t>(255, stream.size() - at);
        Put8(out, n);
        out.insert(out.end(), stream.begin() + at, stream.begin() + at + n);
    }
    Put8(out, 0);
    Put8(out, 0x3B);
    return out;
}

std::vector<Rgba> Table(int n, int salt) {
    std::vector<Rgba> t;
    for (int i = 0; i < n; ++i) t.push_back(Rgba{uint8_t(i * 3 + salt), uint8_t(i * 7), uint8_t(255 - i), 255});
    return t;
}

}  // namespace

TEST(GifEncode, EveryCompressionRoundTrips) {
    for (const auto& [name, img] : Pictures()) {
        for (int compression : {0, 1, 2}) {
            SCOPED_TRACE(name + " compression " + std::to_string(compression));
            const Bytes file = EncodeGif(img, compression);
            ASSERT_EQ(std::string(file.begin(), file.begin() + 6), "GIF89a");
            const ImageData back = DecodeGif(file);
            EXPECT_EQ(back.bpp, 8);
            EXPECT_TRUE(back.alpha.empty());
            std::string where;
            EXPECT_TRUE(SamePicture(img, back, &where)) << where;
        }
    }
}

TEST(GifEncode, CompressionsBehaveAsNamed) {
    // One pixel of index 200 makes the colour table (and codes) full size.
    const ImageData solid = MakeImage8(
        600, 100, [](uint32_t x, uint32_t y) { return uint8_t(x + y == 0 ? 200 : 9); }, PaletteRamp);
    const std::size_t lzw = EncodeGif(solid, 0).size(), literal = EncodeGif(solid, 1).size(),
                      rle = EncodeGif(solid, 2).size();
    // Literal: nine bits per pixel plus a clear code every 254 pixels.
    EXPECT_GT(literal, 600u * 100 * 9 / 8);
    EXPECT_LT(literal, 600u * 100 * 9 / 8 * 102 / 100 + 1000);
    EXPECT_LT(rle, literal / 20);
    EXPECT_LT(lzw, literal / 50);
    // On noise, run-length coding saves nothing and costs little.
    std::mt19937 random(3);
    const ImageData noise = MakeImage8(
        300, 300, [&](uint32_t, uint32_t) { return uint8_t(random()); }, PaletteRamp);
    EXPECT_NEAR(double(EncodeGif(noise, 2).size()), double(EncodeGif(noise, 1).size()), 300.0 * 300 * 0.02);
    // Few colours, long runs: run-length coding still wins clearly.
    const ImageData twoColours = MakeImage8(
        500, 80, [](uint32_t x, uint32_t) { return uint8_t(x < 250); }, PaletteRamp);
    EXPECT_LT(EncodeGif(twoColours, 2).size(), EncodeGif(twoColours, 1).size() / 5);
    EXPECT_TRUE(SamePicture(twoColours, DecodeGif(EncodeGif(twoColours, 2))));
    // The literal stream never grows the code size: raw code stream length is exact.
    const Bytes pixels(1000, 5);
    const Bytes stream = imagecodec::gif::WriteCodeStream(pixels.data(), pixels.size(), 8, CodeStreamKind::Literal);
    const std::size_t codes = 1 + 1000 + (1000 - 1) / 254 + 1;  // clear, pixels, extra clears, end
    EXPECT_EQ(stream.size(), (codes * 9 + 7) / 8);
}

TEST(GifEncode, TransparentPixelsTakeIndex255) {
    ImageData img = MakeImage8(
        40, 30, [](uint32_t x, uint32_t y) { return uint8_t((x + y) % 200); }, PaletteRamp);
    img.alpha.assign(40 * 30, 255);
    for (uint32_t y = 0; y < 30; ++y)
        for (uint32_t x = 0; x < 40; ++x)
            if ((x - 20) * (x - 20) + (y - 15) * (y - 15) > 100) img.alpha[(29 - y) * 40 + x] = 0;
    img.alpha[5] = 128;  // partly transparent counts as opaque
    for (int compression : {0, 1, 2}) {
        const Bytes file = EncodeGif(img, compression);
        const ImageData back = DecodeGif(file);
        ASSERT_FALSE(back.alpha.empty());
        for (uint32_t y = 0; y < 30; ++y)
            for (uint32_t x = 0; x < 40; ++x) {
                const std::size_t i = std::size_t{29 - y} * 40 + x;
                if (img.alpha[i] == 0) {
                    ASSERT_EQ(back.alpha[i], 0);
                    ASSERT_EQ(back.pixels[i], 255);
                } else {
                    ASSERT_EQ(back.alpha[i], 255);
                    ASSERT_EQ(At(back, x, y).r, At(img, x, y).r);
                    ASSERT_EQ(back.pixels[i], img.pixels[i]);
                }
            }
    }
    // No transparent pixel: no transparency written, whatever the plane.
    ImageData opaque = img;
    opaque.alpha.assign(40 * 30, 255);
    EXPECT_TRUE(DecodeGif(EncodeGif(opaque, 0)).alpha.empty());
}

TEST(GifEncode, OpaqueUseOfIndex255IsKeptApartFromTransparency) {
    // Index 255 used by opaque pixels and 254 free: 254 becomes the transparent index.
    ImageData img = MakeImage8(
        16, 16, [](uint32_t x, uint32_t) { return uint8_t(x < 8 ? 255 : x); }, PaletteRamp);
    img.alpha.assign(256, 255);
    img.alpha[0] = 0;
    ImageData back = DecodeGif(EncodeGif(img, 0));
    EXPECT_EQ(At(back, 3, 4), PaletteRamp(255));
    EXPECT_EQ(At(back, 0, 15).a, 0);
    EXPECT_EQ(back.pixels[0], 254);
    // Every index in use: opaque 255 moves to the nearest other colour.
    ImageData full = MakeImage8(
        256, 2, [](uint32_t x, uint32_t) { return uint8_t(x); },
        [](int i) {
            return Rgba{uint8_t(i), uint8_t(i), uint8_t(i), 255};
        });
    full.alpha.assign(512, 255);
    full.alpha[0] = 0;  // bottom-left pixel (index 0) transparent
    back = DecodeGif(EncodeGif(full, 0));
    EXPECT_EQ(At(back, 255, 0), (Rgba{254, 254, 254, 255}));
    EXPECT_EQ(At(back, 0, 1).a, 0);
    EXPECT_EQ(At(back, 0, 0), (Rgba{0, 0, 0, 255}));
}

TEST(GifEncode, RefusesWhatItCannotWrite) {
    Bytes file;
    EXPECT_FALSE(imagecodec::EncodeGif(MakeImage24(4, 4, Pattern), {}, file, nullptr));  // needs 8 bits
    EXPECT_FALSE(imagecodec::EncodeGif(ImageData{}, {}, file, nullptr));
    ImageData wide = MakeImage8(
        70000, 1, [](uint32_t, uint32_t) { return uint8_t(0); }, PaletteRamp);
    EXPECT_FALSE(imagecodec::EncodeGif(wide, {}, file, nullptr));
}

TEST(GifEncode, ImageMagickDecodesEveryFileAsWeDo) {
    if (FindTool("convert").empty()) GTEST_SKIP() << "ImageMagick is not installed";
    testsupport::TempDir dir;
    auto pictures = Pictures();
    ImageData transparent = MakeImage8(
        64, 48, [](uint32_t x, uint32_t y) { return uint8_t((x * y) % 255); }, PaletteRamp);
    transparent.alpha.assign(64 * 48, 255);
    for (std::size_t i = 0; i < transparent.alpha.size(); i += 3) transparent.alpha[i] = 0;
    pictures.emplace_back("transparent", transparent);
    for (const auto& [name, img] : pictures) {
        for (int compression : {0, 1, 2}) {
            SCOPED_TRACE(name + " compression " + std::to_string(compression));
            const Bytes file = EncodeGif(img, compression);
            const std::string path = dir.File("x.gif");
            WriteFile(path, file);
            const ImageData ours = DecodeGif(file);
            const std::string magick = MagickRgba(path);
            ASSERT_FALSE(magick.empty());
            EXPECT_TRUE(magick == ToRgba(ours));
            EXPECT_EQ(RunCommand(FindTool("identify") + " -format '%m %w %h' " + path),
                      "GIF " + std::to_string(img.width) + " " + std::to_string(img.height));
        }
    }
}

TEST(GifDecode, InterlacedLocalTableTransparencyAndGif87) {
    const int w = 11, h = 19;
    Bytes indices;
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x) indices.push_back(uint8_t((x + 2 * y) % 16));
    GifSpec s;
    s.screenW = w, s.screenH = h, s.width = w, s.height = h;
    s.global = Table(16, 0);
    s.local = Table(16, 100);
    s.interlaced = true;
    s.transparent = 3;
    ImageData img = DecodeGif(BuildGif(s, indices));
    ASSERT_EQ(img.width, unsigned(w));
    ASSERT_FALSE(img.alpha.empty());
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x) {
            const int i = indices[y * w + x];
            Rgba expect = s.local[i];
            expect.a = i == 3 ? 0 : 255;
            ASSERT_EQ(At(img, x, y), expect) << x << "," << y;
        }
    // Without the local table the global one applies; GIF87a reads as well.
    s.local.clear();
    s.transparent = -1;
    s.interlaced = false;
    s.gif87 = true;
    img = DecodeGif(BuildGif(s, indices, 4));
    EXPECT_TRUE(img.alpha.empty());
    EXPECT_EQ(At(img, 4, 5), s.global[(4 + 10) % 16]);
}

TEST(GifDecode, FrameOnALargerScreen) {
    GifSpec s;
    s.screenW = 10, s.screenH = 8, s.left = 3, s.top = 2, s.width = 4, s.height = 3;
    s.global = Table(4, 0);
    const Bytes indices(12, 2);
    ImageData img = DecodeGif(BuildGif(s, indices, 2));
    ASSERT_EQ(img.width, 10u);
    ASSERT_EQ(img.height, 8u);
    ASSERT_FALSE(img.alpha.empty());
    EXPECT_EQ(At(img, 0, 0).a, 0);
    EXPECT_EQ(At(img, 3, 2), s.global[2]);
    EXPECT_EQ(At(img, 6, 4), s.global[2]);
    EXPECT_EQ(At(img, 7, 4).a, 0);
    // A frame reaching past the screen: the frame alone is the picture.
    s.left = 8;
    img = DecodeGif(BuildGif(s, indices, 2));
    EXPECT_EQ(img.width, 4u);
    EXPECT_TRUE(img.alpha.empty());
}

TEST(GifDecode, RefusesDamagedFiles) {
    const ImageData img = MakeImage8(
        50, 40, [](uint32_t x, uint32_t y) { return uint8_t(x * y); }, PaletteRamp);
    const Bytes good = EncodeGif(img, 0);
    DecodeGif(good);
    for (std::size_t cut : {std::size_t{0}, std::size_t{6}, std::size_t{12}, std::size_t{400}, std::size_t{800},
                            good.size() / 2, good.size() - 3})
        DecodeGif(Bytes(good.begin(), good.begin() + cut), false);
    // Frame size claiming far more pixels than the data could hold.
    GifSpec s;
    s.screenW = 30000, s.screenH = 4000, s.width = 30000, s.height = 4000;
    s.global = Table(2, 0);
    Bytes huge = BuildGif(s, Bytes(4, 0), 2);
    DecodeGif(huge, false);
    // Code stream garbage.
    Bytes garbage = good;
    for (std::size_t i = 800; i < 900; ++i) garbage[i] = uint8_t(i * 37);
    DecodeGif(garbage, false);
    // No image at all.
    Bytes none(good.begin(), good.begin() + 13 + 768);
    none.push_back(0x3B);
    DecodeGif(none, false);
}

TEST(GifFormat, RecognisedByContentAndReachedThroughTheTable) {
    const ImageData img = MakeImage8(
        5, 4, [](uint32_t x, uint32_t y) { return uint8_t(x + y); }, PaletteRamp);
    const Bytes file = EncodeGif(img, 0);
    EXPECT_EQ(imagecodec::SniffFormat(file.data(), file.size()), FORMAT_GIF);
    const imagecodec::CodecEntry* entry = imagecodec::FindCodec(FORMAT_GIF);
    ASSERT_TRUE(entry && entry->decode && entry->encode);
    ImageData back;
    EXPECT_TRUE(entry->decode(file.data(), file.size(), back, nullptr));
    EXPECT_TRUE(SamePicture(img, back));
}
