// BMP reading and writing, ICO and CUR reading.
#include <gtest/gtest.h>

#include <functional>

#include "image/CodecRegistry.h"
#include "tests/image/HandMadeImages.h"
#include "tests/support/TestSupport.h"

using namespace handmade;
using imagecodec::ImageData;

namespace {

Rgba Color(int i) {
    return Rgba{static_cast<uint8_t>(40 + i * 13), static_cast<uint8_t>(200 - i * 11), static_cast<uint8_t>(i * 97),
                255};
}

// Pixel rows in file order (bottom row first unless topDown), each padded
// to 4 bytes; value(x, yTop) gives the bits of one pixel.
Bytes PackRows(int w, int h, int bits, bool topDown, const std::function<uint32_t(int, int)>& value) {
    Bytes out;
    const int stride = ((w * bits + 31) / 32) * 4;
    for (int r = 0; r < h; ++r) {
        const int y = topDown ? r : h - 1 - r;
        Bytes row(stride, 0);
        for (int x = 0; x < w; ++x) {
            const uint32_t v = value(x, y);
            if (bits < 8) {
                const int bit = x * bits;
                row[bit / 8] |= static_cast<uint8_t>(v << (8 - bits - bit % 8));
            } else {
                for (int k = 0; k < bits / 8; ++k) row[x * bits / 8 + k] = static_cast<uint8_t>(v >> (8 * k));
            }
        }
        out.insert(out.end(), row.begin(), row.end());
    }
    return out;
}

struct BmpSpec {
    uint32_t headerSize = 40;  // 12: OS/2 core header
    int32_t width = 0, height = 0;
    int bitCount = 24;
    uint32_t compression = 0;
    std::vector<Rgba> palette;
    std::vector<uint32_t> masks;  // after a 40-byte header, or inside a larger one
    Bytes bits;
};

Bytes BuildDib(const BmpSpec& s) {
    Bytes out;
    Put32(out, s.headerSize);
    if (s.headerSize == 12) {
        Put16(out, static_cast<unsigned>(s.width));
        Put16(out, static_cast<unsigned>(s.height));
        Put16(out, 1);
        Put16(out, s.bitCount);
    } else {
        Put32(out, static_cast<uint32_t>(s.width));
        Put32(out, static_cast<uint32_t>(s.height));
        Put16(out, 1);
        Put16(out, s.bitCount);
        Put32(out, s.compression);
        Put32(out, static_cast<uint32_t>(s.bits.size()));
        Put32(out, 2835);
        Put32(out, 2835);
        Put32(out, static_cast<uint32_t>(s.palette.size()));
        Put32(out, 0);
        for (uint32_t m : s.masks) Put32(out, m);
        while (out.size() < s.headerSize) Put8(out, 0);
    }
    for (const Rgba& c : s.palette) {
        PutBytes(out, {c.b, c.g, c.r});
        if (s.headerSize != 12) Put8(out, 0);
    }
    return out;
}

Bytes BuildBmp(const BmpSpec& s) {
    const Bytes dib = BuildDib(s);
    Bytes out = {'B', 'M'};
    Put32(out, static_cast<uint32_t>(14 + dib.size() + s.bits.size()));
    Put32(out, 0);
    Put32(out, static_cast<uint32_t>(14 + dib.size()));
    out.insert(out.end(), dib.begin(), dib.end());
    out.insert(out.end(), s.bits.begin(), s.bits.end());
    return out;
}

ImageData Decode(const Bytes& file, bool expectOk = true) {
    ImageData img;
    std::string why;
    const bool ok = imagecodec::DecodeBmp(file.data(), file.size(), img, &why);
    EXPECT_EQ(ok, expectOk) << why;
    if (!ok) {
        EXPECT_TRUE(img.Empty());
    }
    return img;
}

void ExpectPaletted(const ImageData& img, int w, int h, const std::function<int(int, int)>& index) {
    ASSERT_EQ(img.width, static_cast<uint32_t>(w));
    ASSERT_EQ(img.height, static_cast<uint32_t>(h));
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x) ASSERT_EQ(At(img, x, y), Color(index(x, y))) << x << "," << y;
}

}  // namespace

TEST(BmpDecode, PalettedDepthsBottomUpAndTopDown) {
    for (int bits : {1, 2, 4, 8}) {
        for (bool topDown : {false, true}) {
            const int colors = 1 << bits, w = 13, h = 5;
            auto index = [&](int x, int y) { return (x + 3 * y) % colors; };
            BmpSpec s;
            s.width = w;
            s.height = topDown ? -h : h;
            s.bitCount = bits;
            for (int i = 0; i < colors; ++i) s.palette.push_back(Color(i));
            s.bits = PackRows(w, h, bits, topDown, [&](int x, int y) { return uint32_t(index(x, y)); });
            SCOPED_TRACE(testing::Message() << bits << " bits, top-down " << topDown);
            const ImageData img = Decode(BuildBmp(s));
            EXPECT_EQ(img.bpp, 8);
            ExpectPaletted(img, w, h, index);
        }
    }
}

TEST(BmpDecode, Os2CoreHeaderWithThreeBytePalette) {
    BmpSpec s;
    s.headerSize = 12;
    s.width = 6, s.height = 3, s.bitCount = 4;
    for (int i = 0; i < 16; ++i) s.palette.push_back(Color(i));
    auto index = [](int x, int y) { return (x * y + x) % 16; };
    s.bits = PackRows(6, 3, 4, false, [&](int x, int y) { return uint32_t(index(x, y)); });
    ExpectPaletted(Decode(BuildBmp(s)), 6, 3, index);
}

TEST(BmpDecode, TrueColourAndBitFields) {
    const int w = 7, h = 4;
    // 24-bit
    {
        BmpSpec s;
        s.width = w, s.height = h, s.bitCount = 24;
        s.bits = PackRows(w, h, 24, false, [](int x, int y) {
            const Rgba c = Pattern(x, y);
            return uint32_t(c.b | (c.g << 8) | (c.r << 16));
        });
        const ImageData img = Decode(BuildBmp(s));
        EXPECT_EQ(img.bpp, 24);
        EXPECT_TRUE(img.alpha.empty());
        for (int y = 0; y < h; ++y)
            for (int x = 0; x < w; ++x) ASSERT_EQ(At(img, x, y), Pattern(x, y));
    }
    // 16-bit default 5-5-5 and 5-6-5 bit fields
    for (bool is565 : {false, true}) {
        BmpSpec s;
        s.width = w, s.height = h, s.bitCount = 16;
        if (is565) s.compression = 3, s.masks = {0xF800, 0x07E0, 0x001F};
        s.bits = PackRows(w, h, 16, false, [&](int x, int y) {
            const unsigned r = x * 4 % 32, g = y * 9 % (is565 ? 64 : 32), b = (x + y) % 32;
            return uint32_t(is565 ? (r << 11 | g << 5 | b) : (r << 10 | g << 5 | b));
        });
        const ImageData img = Decode(BuildBmp(s));
        for (int y = 0; y < h; ++y)
            for (int x = 0; x < w; ++x) {
                const unsigned r = x * 4 % 32, g = y * 9 % (is565 ? 64 : 32), b = (x + y) % 32;
                const Rgba c = At(img, x, y);
                EXPECT_EQ(c.r, (r * 255 + 15) / 31);
                EXPECT_EQ(c.g, is565 ? (g * 255 + 31) / 63 : (g * 255 + 15) / 31);
                EXPECT_EQ(c.b, (b * 255 + 15) / 31);
            }
    }
}

TEST(BmpDecode, ThirtyTwoBitKeepsARealAlphaChannelOnly) {
    const int w = 5, h = 3;
    auto pixel = [](int x, int y, uint32_t alpha) {
        const Rgba c = Pattern(x, y);
        return uint32_t(c.b | (c.g << 8) | (c.r << 16) | (alpha << 24));
    };
    // Plain 32-bit with a varying fourth byte: kept as alpha.
    BmpSpec s;
    s.width = w, s.height = h, s.bitCount = 32;
    s.bits = PackRows(w, h, 32, false, [&](int x, int y) { return pixel(x, y, x * 60); });
    ImageData img = Decode(BuildBmp(s));
    ASSERT_FALSE(img.alpha.empty());
    EXPECT_EQ(At(img, 3, 1).a, 180);
    EXPECT_EQ(At(img, 3, 1).r, Pattern(3, 1).r);
    // Fourth byte all zero: an unused byte, no alpha.
    s.bits = PackRows(w, h, 32, false, [&](int x, int y) { return pixel(x, y, 0); });
    img = Decode(BuildBmp(s));
    EXPECT_TRUE(img.alpha.empty());
    EXPECT_EQ(At(img, 4, 2), Pattern(4, 2));
    // Version 5 header with bit fields in an unusual order, alpha in the low byte.
    BmpSpec v5;
    v5.headerSize = 124;
    v5.width = w, v5.height = -h, v5.bitCount = 32, v5.compression = 3;
    v5.masks = {0xFF000000, 0x00FF0000, 0x0000FF00, 0x000000FF};
    v5.bits = PackRows(w, h, 32, true, [&](int x, int y) {
        const Rgba c = Pattern(x, y);
        return uint32_t((c.r << 24) | (c.g << 16) | (c.b << 8) | (y * 100));
    });
    img = Decode(BuildBmp(v5));
    ASSERT_FALSE(img.alpha.empty());
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x) {
            Rgba expect = Pattern(x, y);
            expect.a = static_cast<uint8_t>(y * 100);
            ASSERT_EQ(At(img, x, y), expect);
        }
}

TEST(BmpDecode, Rle8WithRunsAbsoluteRunsDeltaAndEndCodes) {
    // 8 × 4, bottom-up. Row 0 (bottom): run of 5 × index 2, absolute 3 pixels 7 8 9.
    // Row 1: delta (+2, +1) jumps to row 2 col 2; row 2: run 3 × 4 then EOL.
    // Row 3: run 8 × 1 then end of bitmap.
    Bytes rle = {5, 2, 0, 3, 7, 8, 9, 0, /*EOL*/ 0, 0, /*delta*/ 0, 2, 2, 1, 3, 4, 0, 0, 8, 1, 0, 1};
    BmpSpec s;
    s.width = 8, s.height = 4, s.bitCount = 8, s.compression = 1;
    for (int i = 0; i < 10; ++i) s.palette.push_back(Color(i));
    s.bits = rle;
    const ImageData img = Decode(BuildBmp(s));
    ASSERT_EQ(img.width, 8u);
    const int expect[4][8] = {{1, 1, 1, 1, 1, 1, 1, 1},   // top row (row 3)
                              {0, 0, 4, 4, 4, 0, 0, 0},   // row 2
                              {0, 0, 0, 0, 0, 0, 0, 0},   // row 1, skipped
                              {2, 2, 2, 2, 2, 7, 8, 9}};  // bottom row
    for (int y = 0; y < 4; ++y)
        for (int x = 0; x < 8; ++x) ASSERT_EQ(At(img, x, y), Color(expect[y][x])) << x << "," << y;
}

TEST(BmpDecode, Rle4AlternatesNibbles) {
    // 6 × 2: bottom row: run of 5 alternating 1,2 then a run of one 3;
    // top row: absolute 4 pixels 4 5 6 7, run 2 × (8,9).
    Bytes rle = {5, 0x12, 1, 0x30, 0, 0, 0, 4, 0x45, 0x67, 2, 0x89, 0, 1};
    BmpSpec s;
    s.width = 6, s.height = 2, s.bitCount = 4, s.compression = 2;
    for (int i = 0; i < 16; ++i) s.palette.push_back(Color(i));
    s.bits = rle;
    const ImageData img = Decode(BuildBmp(s));
    const int top[6] = {4, 5, 6, 7, 8, 9}, bottom[6] = {1, 2, 1, 2, 1, 3};
    for (int x = 0; x < 6; ++x) {
        EXPECT_EQ(At(img, x, 0), Color(top[x])) << x;
        EXPECT_EQ(At(img, x, 1), Color(bottom[x])) << x;
    }
}

TEST(BmpDecode, RefusesDamagedFiles) {
    BmpSpec s;
    s.width = 9, s.height = 9, s.bitCount = 24;
    s.bits = PackRows(9, 9, 24, false, [](int x, int y) { return uint32_t(x * y); });
    const Bytes good = BuildBmp(s);
    Decode(good);
    // Truncated anywhere: header, palette, pixels.
    for (std::size_t cut : {std::size_t{0}, std::size_t{2}, std::size_t{20}, std::size_t{53}, good.size() - 40})
        Decode(Bytes(good.begin(), good.begin() + cut), false);
    // Sizes that would need huge allocations from a small file.
    BmpSpec huge = s;
    huge.width = 30000, huge.height = 30000;
    Decode(BuildBmp(huge), false);
    huge.width = 10000, huge.height = 10000;
    Decode(BuildBmp(huge), false);
    huge.width = -5;
    Decode(BuildBmp(huge), false);
    BmpSpec rle;
    rle.width = 20000, rle.height = 20000, rle.bitCount = 8, rle.compression = 1;
    rle.palette = {Color(0)};
    rle.bits = {0, 1};
    Decode(BuildBmp(rle), false);
    // Run-length data ending without an end code before the last row.
    rle.width = 4, rle.height = 4;
    rle.bits = {4, 0, 0, 0};
    Decode(BuildBmp(rle), false);
    // Unsupported depth and compression.
    BmpSpec odd = s;
    odd.bitCount = 7;
    Decode(BuildBmp(odd), false);
    odd.bitCount = 24, odd.compression = 1;
    Decode(BuildBmp(odd), false);
}

TEST(BmpDecode, PaletteIndicesBeyondThePaletteAreSafe) {
    BmpSpec s;
    s.width = 4, s.height = 1, s.bitCount = 8;
    s.palette = {Color(0), Color(1)};  // two entries, pixels use up to 255
    s.bits = {0, 1, 200, 255};
    const ImageData img = Decode(BuildBmp(s));
    EXPECT_EQ(At(img, 1, 0), Color(1));
    EXPECT_EQ(At(img, 3, 0), (Rgba{0, 0, 0, 255}));
}

TEST(BmpEncode, RoundTripsTrueColourAndPaletteImages) {
    for (uint32_t w : {1u, 2u, 3u, 5u, 64u}) {
        const ImageData img = MakeImage24(w, 3, Pattern);
        std::vector<uint8_t> file;
        ASSERT_TRUE(imagecodec::EncodeBmp(img, {}, file, nullptr));
        const ImageData back = Decode(file);
        EXPECT_EQ(back.bpp, 24);
        EXPECT_TRUE(SamePicture(img, back)) << w;
        EXPECT_EQ(back.pixels, img.pixels);
    }
    const ImageData pal = MakeImage8(
        9, 4, [](uint32_t x, uint32_t y) { return uint8_t(x * 31 + y); }, PaletteRamp);
    std::vector<uint8_t> file;
    ASSERT_TRUE(imagecodec::EncodeBmp(pal, {}, file, nullptr));
    const ImageData back = Decode(file);
    EXPECT_EQ(back.bpp, 8);
    EXPECT_TRUE(SamePicture(pal, back));
    // The file carries no alpha, even when the image has a plane.
    ImageData withAlpha = MakeImage24(3, 3, Pattern, true);
    ASSERT_TRUE(imagecodec::EncodeBmp(withAlpha, {}, file, nullptr));
    EXPECT_TRUE(Decode(file).alpha.empty());
    // An empty image is refused.
    EXPECT_FALSE(imagecodec::EncodeBmp(ImageData{}, {}, file, nullptr));
}

TEST(BmpEncode, IndependentToolReadsTheFiles) {
    if (FindTool("convert").empty()) GTEST_SKIP() << "ImageMagick is not installed";
    testsupport::TempDir dir;
    const ImageData img = MakeImage24(31, 17, Pattern);
    const ImageData pal = MakeImage8(
        31, 17, [](uint32_t x, uint32_t y) { return uint8_t(x * y); }, PaletteRamp);
    for (const ImageData* source : {&img, &pal}) {
        std::vector<uint8_t> file;
        ASSERT_TRUE(imagecodec::EncodeBmp(*source, {}, file, nullptr));
        const std::string path = dir.File("x.bmp");
        WriteFile(path, file);
        EXPECT_EQ(RunCommand(FindTool("identify") + " -format '%m %w %h' " + path), "BMP3 31 17");  // version 3 header
        EXPECT_EQ(MagickRgba(path), ToRgba(*source));
    }
}

// ----- ICO and CUR -------------------------------------------------------

namespace {

struct IconEntry {
    Bytes data;
    int dirWidth = 0, dirHeight = 0, dirBits = 0;
};

Bytes BuildIcon(const std::vector<IconEntry>& entries, int type = 1) {
    Bytes out;
    Put16(out, 0);
    Put16(out, type);
    Put16(out, static_cast<unsigned>(entries.size()));
    std::size_t offset = 6 + 16 * entries.size();
    for (const IconEntry& e : entries) {
        PutBytes(out, {unsigned(e.dirWidth & 0xFF), unsigned(e.dirHeight & 0xFF), 0, 0});
        Put16(out, type == 2 ? 3 : 1);                    // planes, or hot spot x
        Put16(out, type == 2 ? 4 : unsigned(e.dirBits));  // bit count, or hot spot y
        Put32(out, static_cast<uint32_t>(e.data.size()));
        Put32(out, static_cast<uint32_t>(offset));
        offset += e.data.size();
    }
    for (const IconEntry& e : entries) out.insert(out.end(), e.data.begin(), e.data.end());
    return out;
}

// A DIB icon entry: XOR bits then the AND mask (mask(x, y) true = transparent).
IconEntry DibEntry(int size, int bits, const std::function<uint32_t(int, int)>& value,
                   const std::function<bool(int, int)>& mask, const std::vector<Rgba>& palette = {}) {
    BmpSpec s;
    s.width = size, s.height = 2 * size, s.bitCount = bits;
    s.palette = palette;
    IconEntry e;
    e.data = BuildDib(s);
    const Bytes xorBits = PackRows(size, size, bits, false, value);
    const Bytes andBits = PackRows(size, size, 1, false, [&](int x, int y) { return uint32_t(mask(x, y)); });
    e.data.insert(e.data.end(), xorBits.begin(), xorBits.end());
    e.data.insert(e.data.end(), andBits.begin(), andBits.end());
    e.dirWidth = size, e.dirHeight = size, e.dirBits = bits;
    return e;
}

ImageData DecodeIcon(const Bytes& file, bool expectOk = true) {
    ImageData img;
    std::string why;
    const bool ok = imagecodec::DecodeIco(file.data(), file.size(), img, &why);
    EXPECT_EQ(ok, expectOk) << why;
    if (!ok) {
        EXPECT_TRUE(img.Empty());
    }
    return img;
}

}  // namespace

TEST(IcoDecode, PicksTheLargestThenDeepestEntryAndAppliesTheMask) {
    std::vector<Rgba> pal;
    for (int i = 0; i < 16; ++i) pal.push_back(Color(i));
    auto corner = [](int x, int y) { return x < 2 && y < 2; };  // top-left transparent
    const IconEntry small4 = DibEntry(
        8, 4, [](int x, int y) { return uint32_t((x + y) % 16); }, corner, pal);
    const IconEntry big4 = DibEntry(
        16, 4, [](int x, int y) { return uint32_t((x + y) % 16); }, corner, pal);
    const IconEntry big24 = DibEntry(
        16, 24,
        [](int x, int y) {
            const Rgba c = Pattern(x, y);
            return uint32_t(c.b | (c.g << 8) | (c.r << 16));
        },
        corner);
    const ImageData img = DecodeIcon(BuildIcon({small4, big4, big24}));
    ASSERT_EQ(img.width, 16u);
    ASSERT_EQ(img.height, 16u);
    EXPECT_EQ(img.bpp, 24);  // the 24-bit entry of the same size wins
    ASSERT_FALSE(img.alpha.empty());
    EXPECT_EQ(At(img, 0, 0).a, 0);
    EXPECT_EQ(At(img, 1, 1).a, 0);
    EXPECT_EQ(At(img, 2, 0).a, 255);
    Rgba expect = Pattern(9, 4);
    EXPECT_EQ(At(img, 9, 4), expect);

    // Paletted entry: palette image with the mask as alpha.
    const ImageData pal4 = DecodeIcon(BuildIcon({small4}));
    ASSERT_EQ(pal4.width, 8u);
    EXPECT_EQ(At(pal4, 5, 6).r, Color(11).r);
    EXPECT_EQ(At(pal4, 0, 1).a, 0);
}

TEST(IcoDecode, ThirtyTwoBitAlphaBeatsTheMaskAndCursorsRead) {
    const IconEntry e = DibEntry(
        4, 32, [](int x, int y) { return uint32_t(0x00336699 | ((x * 80) << 24)); }, [](int, int) { return true; });
    for (int type : {1, 2}) {
        const ImageData img = DecodeIcon(BuildIcon({e}, type));
        ASSERT_EQ(img.width, 4u);
        ASSERT_FALSE(img.alpha.empty());
        EXPECT_EQ(At(img, 2, 0).a, 160);
        EXPECT_EQ(At(img, 2, 0).r, 0x33);
    }
    // Directory fields of a cursor are hot-spot coordinates; the header decides.
    const IconEntry wide = DibEntry(
        6, 24, [](int, int) { return 0xFF0000u; }, [](int, int) { return false; });
    const ImageData cur = DecodeIcon(BuildIcon({e, wide}, 2));
    EXPECT_EQ(cur.width, 6u);
    EXPECT_TRUE(cur.alpha.empty());  // mask all clear
    EXPECT_EQ(At(cur, 0, 0), (Rgba{255, 0, 0, 255}));
}

TEST(IcoDecode, RefusesDamagedFilesAndFallsBackPastBrokenEntries) {
    const IconEntry good = DibEntry(
        4, 24, [](int, int) { return 0x0000FFu; }, [](int, int) { return false; });
    IconEntry broken = DibEntry(
        32, 24, [](int, int) { return 0u; }, [](int, int) { return false; });
    broken.data.resize(60);  // header survives, pixels do not
    const ImageData img = DecodeIcon(BuildIcon({broken, good}));
    EXPECT_EQ(img.width, 4u);
    DecodeIcon(BuildIcon({broken}), false);
    DecodeIcon(BuildIcon({}), false);
    Bytes file = BuildIcon({good});
    for (std::size_t cut : {std::size_t{3}, std::size_t{10}, std::size_t{30}, file.size() - 1})
        DecodeIcon(Bytes(file.begin(), file.begin() + cut), false);
    file[18] = 0xFF, file[19] = 0xFF, file[20] = 0xFF, file[21] = 0x7F;  // entry offset far outside
    DecodeIcon(file, false);
}

TEST(IcoDecode, PngCompressedEntry) {
    const imagecodec::CodecEntry* png = imagecodec::FindCodec(FORMAT_PNG);
    if (!png || !png->decode || !png->encode) GTEST_SKIP() << "PNG codec not linked in this build";
    const ImageData source = MakeImage24(20, 12, Pattern, true);
    std::vector<uint8_t> pngBytes;
    ASSERT_TRUE(png->encode(source, {}, pngBytes, nullptr));
    IconEntry entry;
    entry.data = pngBytes;
    const IconEntry small = DibEntry(
        8, 24, [](int, int) { return 0u; }, [](int, int) { return false; });
    const ImageData img = DecodeIcon(BuildIcon({small, entry}));
    ASSERT_EQ(img.width, 20u);
    EXPECT_TRUE(SamePicture(source, img));
}

TEST(BmpAndIconFormats, RecognisedByContentAndReachedThroughTheTable) {
    BmpSpec s;
    s.width = 3, s.height = 2, s.bitCount = 24;
    s.bits = PackRows(3, 2, 24, false, [](int x, int y) { return uint32_t(x * 0x102030 + y); });
    const Bytes bmp = BuildBmp(s);
    ASSERT_EQ(imagecodec::SniffFormat(bmp.data(), bmp.size()), FORMAT_BMP);
    const IconEntry e = DibEntry(
        4, 24, [](int, int) { return 0x123456u; }, [](int, int) { return false; });
    const Bytes ico = BuildIcon({e}, 1), cur = BuildIcon({e}, 2);
    EXPECT_EQ(imagecodec::SniffFormat(ico.data(), ico.size()), FORMAT_ICO);
    EXPECT_EQ(imagecodec::SniffFormat(cur.data(), cur.size()), FORMAT_ICO);
    for (ImageFormat f : {FORMAT_BMP, FORMAT_ICO}) {
        const imagecodec::CodecEntry* entry = imagecodec::FindCodec(f);
        ASSERT_TRUE(entry && entry->decode);
        ImageData img;
        const Bytes& file = f == FORMAT_BMP ? bmp : ico;
        EXPECT_TRUE(entry->decode(file.data(), file.size(), img, nullptr));
        EXPECT_FALSE(img.Empty());
    }
    EXPECT_NE(imagecodec::FindCodec(FORMAT_BMP)->encode, nullptr);
    EXPECT_EQ(imagecodec::FindCodec(FORMAT_ICO)->encode, nullptr);
}
