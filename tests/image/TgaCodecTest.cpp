// TGA reading and writing.
#include <gtest/gtest.h>

#include <functional>

#include "image/CodecRegistry.h"
#include "tests/image/HandMadeImages.h"
#include "tests/support/TestSupport.h"

using namespace handmade;
using imagecodec::ImageData;

namespace {

struct TgaSpec {
    uint8_t type = 2;
    unsigned mapFirst = 0;
    std::vector<Rgba> map;
    int mapBits = 24;
    int width = 0, height = 0;
    int depth = 24;
    uint8_t descriptor = 0;
    Bytes id;
};

Bytes PixelBytes(const Rgba& c, int depth, bool grey = false) {
    Bytes b;
    if (grey) {
        Put8(b, c.r);
        if (depth == 16) Put8(b, c.a);
        return b;
    }
    switch (depth) {
        case 15:
        case 16: Put16(b, (c.a >= 128 ? 0x8000 : 0) | ((c.r >> 3) << 10) | ((c.g >> 3) << 5) | (c.b >> 3)); break;
        case 24: PutBytes(b, {c.b, c.g, c.r}); break;
        case 32: PutBytes(b, {c.b, c.g, c.r, c.a}); break;
    }
    return b;
}

// Run-length packets over the pixel sequence (runs may cross rows).
Bytes Pack(const std::vector<Bytes>& pixels) {
    Bytes out;
    std::size_t i = 0;
    while (i < pixels.size()) {
        std::size_t run = 1;
        while (i + run < pixels.size() && run < 128 && pixels[i + run] == pixels[i]) ++run;
        if (run > 1) {
            Put8(out, 0x80 | (run - 1));
            out.insert(out.end(), pixels[i].begin(), pixels[i].end());
            i += run;
            continue;
        }
        std::size_t raw = 1;
        while (i + raw < pixels.size() && raw < 128 &&
               (i + raw + 1 >= pixels.size() || pixels[i + raw] != pixels[i + raw + 1]))
            ++raw;
        Put8(out, raw - 1);
        for (std::size_t k = 0; k < raw; ++k) out.insert(out.end(), pixels[i + k].begin(), pixels[i + k].end());
        i += raw;
    }
    return out;
}

// pixel(x, yTop) gives the bytes of one pixel; file order follows the
// descriptor's origin bits.
Bytes BuildTga(const TgaSpec& s, const std::function<Bytes(int, int)>& pixel) {
    Bytes out;
    Put8(out, static_cast<unsigned>(s.id.size()));
    Put8(out, s.map.empty() ? 0 : 1);
    Put8(out, s.type);
    Put16(out, s.mapFirst);
    Put16(out, static_cast<unsigned>(s.map.size()));
    Put8(out, s.map.empty() ? 0 : s.mapBits);
    Put16(out, 0);
    Put16(out, 0);
    Put16(out, s.width);
    Put16(out, s.height);
    Put8(out, s.depth);
    Put8(out, s.descriptor);
    out.insert(out.end(), s.id.begin(), s.id.end());
    for (const Rgba& c : s.map) {
        const Bytes e = PixelBytes(c, s.mapBits);
        out.insert(out.end(), e.begin(), e.end());
    }
    std::vector<Bytes> seq;
    const bool top = s.descriptor & 0x20, rtl = s.descriptor & 0x10;
    for (int r = 0; r < s.height; ++r)
        for (int c = 0; c < s.width; ++c) seq.push_back(pixel(rtl ? s.width - 1 - c : c, top ? r : s.height - 1 - r));
    if (s.type >= 9) {
        const Bytes packed = Pack(seq);
        out.insert(out.end(), packed.begin(), packed.end());
    } else {
        for (const Bytes& p : seq) out.insert(out.end(), p.begin(), p.end());
    }
    return out;
}

ImageData Decode(const Bytes& file, bool expectOk = true) {
    ImageData img;
    std::string why;
    const bool ok = imagecodec::DecodeTga(file.data(), file.size(), img, &why);
    EXPECT_EQ(ok, expectOk) << why;
    if (!ok) {
        EXPECT_TRUE(img.Empty());
    }
    return img;
}

// Colours that survive 5 bits per channel unchanged.
Rgba Coarse(int x, int y) {
    auto q = [](int v) { return static_cast<uint8_t>(((v & 31) << 3) | ((v & 31) >> 2)); };
    return Rgba{q(x * 3 + y), q(y * 5), q(x + 7 * y), 255};
}

}  // namespace

TEST(TgaDecode, TrueColourEveryOriginCompressedOrNot) {
    const int w = 11, h = 6;
    for (uint8_t type : {2, 10}) {
        for (uint8_t descriptor : {0x00, 0x20, 0x10, 0x30}) {
            TgaSpec s;
            s.type = type, s.width = w, s.height = h, s.depth = 24, s.descriptor = descriptor;
            s.id = {'h', 'i'};
            SCOPED_TRACE(testing::Message() << "type " << int(type) << " descriptor " << int(descriptor));
            const ImageData img = Decode(BuildTga(s, [](int x, int y) { return PixelBytes(Blocky(x, y), 24); }));
            ASSERT_EQ(img.width, unsigned(w));
            EXPECT_TRUE(img.alpha.empty());
            for (int y = 0; y < h; ++y)
                for (int x = 0; x < w; ++x) ASSERT_EQ(At(img, x, y), Blocky(x, y)) << x << "," << y;
        }
    }
}

TEST(TgaDecode, AlphaFromThirtyTwoAndSixteenBits) {
    const int w = 5, h = 4;
    auto withAlpha = [](int x, int y) {
        Rgba c = Coarse(x, y);
        c.a = static_cast<uint8_t>(x * 50 + y);
        return c;
    };
    for (uint8_t type : {2, 10}) {
        TgaSpec s;
        s.type = type, s.width = w, s.height = h, s.depth = 32, s.descriptor = 8;
        ImageData img = Decode(BuildTga(s, [&](int x, int y) { return PixelBytes(withAlpha(x, y), 32); }));
        ASSERT_FALSE(img.alpha.empty());
        for (int y = 0; y < h; ++y)
            for (int x = 0; x < w; ++x) ASSERT_EQ(At(img, x, y), withAlpha(x, y));
        // 16 bits with one attribute bit declared.
        s.depth = 16, s.descriptor = 1;
        img = Decode(BuildTga(s, [&](int x, int y) { return PixelBytes(withAlpha(x, y), 16); }));
        ASSERT_FALSE(img.alpha.empty());
        EXPECT_EQ(At(img, 0, 0).a, 0);
        EXPECT_EQ(At(img, 3, 0).a, 255);
        EXPECT_EQ(At(img, 3, 2).r, Coarse(3, 2).r);
        // 15 bits: the top bit is not alpha.
        s.depth = 15, s.descriptor = 0;
        img = Decode(BuildTga(s, [&](int x, int y) { return PixelBytes(withAlpha(x, y), 15); }));
        EXPECT_TRUE(img.alpha.empty());
        EXPECT_EQ(At(img, 4, 3), Coarse(4, 3));
    }
    // A declared alpha channel that is all zero stays (a fully transparent
    // picture); an undeclared constant fourth byte is no alpha.
    TgaSpec s;
    s.width = 2, s.height = 2, s.depth = 32, s.descriptor = 8;
    auto clear = [](int x, int y) {
        Rgba c = Pattern(x, y);
        c.a = 0;
        return PixelBytes(c, 32);
    };
    ImageData img = Decode(BuildTga(s, clear));
    ASSERT_FALSE(img.alpha.empty());
    EXPECT_EQ(At(img, 1, 1).a, 0);
    s.descriptor = 0;
    img = Decode(BuildTga(s, clear));
    EXPECT_TRUE(img.alpha.empty());
}

TEST(TgaDecode, ColourMappedWithOffsetMapAndEveryEntrySize) {
    const int w = 9, h = 3;
    std::vector<Rgba> map;
    for (int i = 0; i < 20; ++i) map.push_back(Coarse(i, i * 3));
    auto index = [](int x, int y) { return 10 + (x + y) % 20; };  // first map entry is index 10
    for (uint8_t type : {1, 9}) {
        for (int bits : {16, 24, 32}) {
            TgaSpec s;
            s.type = type, s.width = w, s.height = h, s.depth = 8, s.mapFirst = 10, s.map = map, s.mapBits = bits;
            SCOPED_TRACE(testing::Message() << "type " << int(type) << " map bits " << bits);
            const ImageData img = Decode(BuildTga(s, [&](int x, int y) { return Bytes{uint8_t(index(x, y))}; }));
            EXPECT_EQ(img.bpp, 8);
            EXPECT_TRUE(img.alpha.empty());
            for (int y = 0; y < h; ++y)
                for (int x = 0; x < w; ++x) ASSERT_EQ(At(img, x, y), map[index(x, y) - 10]);
        }
    }
    // 32-bit entries with varying alpha: the alpha plane follows the map.
    std::vector<Rgba> alphaMap = {Rgba{1, 2, 3, 0}, Rgba{4, 5, 6, 128}, Rgba{7, 8, 9, 255}};
    TgaSpec s;
    s.type = 1, s.width = 3, s.height = 1, s.depth = 8, s.map = alphaMap, s.mapBits = 32, s.descriptor = 8;
    const ImageData img = Decode(BuildTga(s, [](int x, int) { return Bytes{uint8_t(x)}; }));
    ASSERT_FALSE(img.alpha.empty());
    EXPECT_EQ(At(img, 0, 0), alphaMap[0]);
    EXPECT_EQ(At(img, 1, 0), alphaMap[1]);
    // A true-colour image may carry a colour map it does not use.
    TgaSpec t;
    t.type = 2, t.width = 2, t.height = 2, t.depth = 24, t.map = map;
    const ImageData tc = Decode(BuildTga(t, [](int x, int y) { return PixelBytes(Pattern(x, y), 24); }));
    EXPECT_EQ(At(tc, 1, 0), Pattern(1, 0));
}

TEST(TgaDecode, GreyWithAndWithoutAlpha) {
    for (uint8_t type : {3, 11}) {
        TgaSpec s;
        s.type = type, s.width = 6, s.height = 2, s.depth = 8;
        ImageData img = Decode(BuildTga(s, [](int x, int y) { return Bytes{uint8_t(x * 40 + y)}; }));
        EXPECT_EQ(At(img, 5, 1), (Rgba{201, 201, 201, 255}));
        s.depth = 16, s.descriptor = 8;
        img = Decode(BuildTga(s, [](int x, int y) { return Bytes{uint8_t(x * 40), uint8_t(y * 99)}; }));
        EXPECT_EQ(At(img, 2, 1), (Rgba{80, 80, 80, 99}));
    }
}

TEST(TgaDecode, RefusesDamagedFiles) {
    TgaSpec s;
    s.type = 10, s.width = 40, s.height = 10, s.depth = 24;
    const Bytes good = BuildTga(s, [](int x, int y) { return PixelBytes(Blocky(x, y), 24); });
    Decode(good);
    for (std::size_t cut : {std::size_t{0}, std::size_t{10}, std::size_t{18}, good.size() / 2, good.size() - 1})
        Decode(Bytes(good.begin(), good.begin() + cut), false);
    // Huge size from a few bytes of run-length data.
    Bytes tiny = BuildTga(TgaSpec{10, 0, {}, 24, 1, 1, 24}, [](int, int) { return Bytes{1, 2, 3}; });
    tiny[12] = 0x20, tiny[13] = 0x4E, tiny[14] = 0x70, tiny[15] = 0x17;
    Decode(tiny, false);
    // Uncompressed with too little data.
    Bytes raw = BuildTga(TgaSpec{2, 0, {}, 24, 100, 100, 24}, [](int, int) { return Bytes{1, 2, 3}; });
    raw.resize(raw.size() - 3);
    Decode(raw, false);
    // Mapped without a map, odd depths, unknown types.
    Decode(BuildTga(TgaSpec{1, 0, {}, 24, 2, 2, 8}, [](int, int) { return Bytes{0}; }), false);
    Decode(BuildTga(TgaSpec{2, 0, {}, 24, 2, 2, 12}, [](int, int) { return Bytes{0, 0}; }), false);
    Decode(BuildTga(TgaSpec{32, 0, {}, 24, 2, 2, 24}, [](int, int) { return Bytes{0, 0, 0}; }), false);
    Decode(BuildTga(TgaSpec{2, 0, {}, 24, 0, 2, 24}, [](int, int) { return Bytes{0, 0, 0}; }), false);
}

TEST(TgaEncode, RoundTripsWithAndWithoutAlpha) {
    const ImageData opaque = MakeImage24(13, 7, Pattern);
    std::vector<uint8_t> file;
    ASSERT_TRUE(imagecodec::EncodeTga(opaque, {}, file, nullptr));
    EXPECT_EQ(file[16], 24);
    EXPECT_EQ(file[17], 0);
    ImageData back = Decode(file);
    EXPECT_EQ(back.pixels, opaque.pixels);
    EXPECT_TRUE(back.alpha.empty());

    const ImageData translucent = MakeImage24(
        13, 7,
        [](uint32_t x, uint32_t y) {
            Rgba c = Pattern(x, y);
            c.a = static_cast<uint8_t>(x * 20 + y);
            return c;
        },
        true);
    ASSERT_TRUE(imagecodec::EncodeTga(translucent, {}, file, nullptr));
    EXPECT_EQ(file[16], 32);
    EXPECT_EQ(file[17], 8);  // eight alpha bits, origin lower left
    back = Decode(file);
    EXPECT_EQ(back.pixels, translucent.pixels);
    EXPECT_EQ(back.alpha, translucent.alpha);

    // A wholly transparent frame stays transparent.
    const ImageData clear = MakeImage24(
        4, 4,
        [](uint32_t, uint32_t) {
            return Rgba{9, 9, 9, 0};
        },
        true);
    ASSERT_TRUE(imagecodec::EncodeTga(clear, {}, file, nullptr));
    back = Decode(file);
    ASSERT_FALSE(back.alpha.empty());
    EXPECT_EQ(At(back, 2, 2).a, 0);

    // A palette image is written as its palette lookup.
    const ImageData pal = MakeImage8(
        10, 3, [](uint32_t x, uint32_t y) { return uint8_t(x * 25 + y); }, PaletteRamp);
    ASSERT_TRUE(imagecodec::EncodeTga(pal, {}, file, nullptr));
    back = Decode(file);
    EXPECT_EQ(back.bpp, 24);
    EXPECT_TRUE(SamePicture(pal, back));
}

TEST(TgaEncode, IndependentToolReadsTheFiles) {
    if (FindTool("convert").empty()) GTEST_SKIP() << "ImageMagick is not installed";
    testsupport::TempDir dir;
    const ImageData translucent = MakeImage24(
        19, 11,
        [](uint32_t x, uint32_t y) {
            Rgba c = Pattern(x, y);
            c.a = static_cast<uint8_t>(255 - x * 13);
            return c;
        },
        true);
    const ImageData opaque = MakeImage24(19, 11, Pattern);
    for (const ImageData* img : {&opaque, &translucent}) {
        std::vector<uint8_t> file;
        ASSERT_TRUE(imagecodec::EncodeTga(*img, {}, file, nullptr));
        const std::string path = dir.File("x.tga");
        WriteFile(path, file);
        EXPECT_EQ(RunCommand(FindTool("identify") + " -format '%m %w %h' " + path), "TGA 19 11");
        EXPECT_EQ(MagickRgba(path, "-auto-orient"), ToRgba(*img));
    }
}
