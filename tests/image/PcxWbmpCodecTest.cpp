// PCX and WBMP reading.
#include <gtest/gtest.h>

#include <functional>

#include "image/CodecRegistry.h"
#include "tests/image/HandMadeImages.h"
#include "tests/support/TestSupport.h"

using namespace handmade;
using imagecodec::ImageData;

namespace {

struct PcxSpec {
    int bits = 8, planes = 1;
    int width = 0, height = 0;
    int bytesPerLine = 0;  // 0: the smallest even length
    bool compressed = true;
    int version = 5;
    std::vector<Rgba> headerPalette;  // up to 16
    std::vector<Rgba> vgaPalette;     // 256 entries appended when given
};

Bytes RleLine(const Bytes& line) {
    Bytes out;
    std::size_t i = 0;
    while (i < line.size()) {
        std::size_t run = 1;
        while (i + run < line.size() && run < 63 && line[i + run] == line[i]) ++run;
        if (run > 1 || line[i] >= 0xC0) Put8(out, 0xC0 | run);
        Put8(out, line[i]);
        i += run;
    }
    return out;
}

// planeLine(y, plane) gives the bytes of one plane of one scan line (top row first).
Bytes BuildPcx(PcxSpec s, const std::function<Bytes(int, int)>& planeLine) {
    if (s.bytesPerLine == 0) s.bytesPerLine = ((s.width * s.bits + 7) / 8 + 1) & ~1;
    Bytes out = {0x0A, uint8_t(s.version), uint8_t(s.compressed ? 1 : 0), uint8_t(s.bits)};
    Put16(out, 0);
    Put16(out, 0);
    Put16(out, s.width - 1);
    Put16(out, s.height - 1);
    Put16(out, 72);
    Put16(out, 72);
    for (int i = 0; i < 16; ++i) {
        const Rgba c = i < int(s.headerPalette.size()) ? s.headerPalette[i] : Rgba{};
        PutBytes(out, {c.r, c.g, c.b});
    }
    Put8(out, 0);
    Put8(out, s.planes);
    Put16(out, s.bytesPerLine);
    Put16(out, 1);
    while (out.size() < 128) Put8(out, 0);
    for (int y = 0; y < s.height; ++y) {
        Bytes line;
        for (int p = 0; p < s.planes; ++p) {
            Bytes part = planeLine(y, p);
            part.resize(s.bytesPerLine, 0);
            line.insert(line.end(), part.begin(), part.end());
        }
        const Bytes coded = s.compressed ? RleLine(line) : line;
        out.insert(out.end(), coded.begin(), coded.end());
    }
    if (!s.vgaPalette.empty()) {
        Put8(out, 0x0C);
        for (const Rgba& c : s.vgaPalette) PutBytes(out, {c.r, c.g, c.b});
    }
    return out;
}

Bytes PackBits(int w, int bits, const std::function<unsigned(int)>& value) {
    Bytes out((w * bits + 7) / 8, 0);
    for (int x = 0; x < w; ++x) out[x * bits / 8] |= static_cast<uint8_t>(value(x) << (8 - bits - x * bits % 8));
    return out;
}

ImageData DecodePcx(const Bytes& file, bool expectOk = true) {
    ImageData img;
    std::string why;
    const bool ok = imagecodec::DecodePcx(file.data(), file.size(), img, &why);
    EXPECT_EQ(ok, expectOk) << why;
    if (!ok) {
        EXPECT_TRUE(img.Empty());
    }
    return img;
}

Rgba Ega(int i) { return Rgba{uint8_t(i * 16), uint8_t(255 - i * 8), uint8_t(i * 5), 255}; }

}  // namespace

TEST(PcxDecode, MonochromeAndPlanarSixteenColours) {
    const int w = 13, h = 4;
    auto index = [](int x, int y) { return unsigned(x * 3 + y) % 16; };
    PcxSpec mono;
    mono.bits = 1, mono.width = w, mono.height = h;
    ImageData img =
        DecodePcx(BuildPcx(mono, [&](int y, int) { return PackBits(w, 1, [&](int x) { return index(x, y) & 1; }); }));
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x)
            ASSERT_EQ(At(img, x, y), (index(x, y) & 1) ? (Rgba{255, 255, 255, 255}) : (Rgba{0, 0, 0, 255}));

    PcxSpec ega;
    ega.bits = 1, ega.planes = 4, ega.width = w, ega.height = h;
    for (int i = 0; i < 16; ++i) ega.headerPalette.push_back(Ega(i));
    img = DecodePcx(
        BuildPcx(ega, [&](int y, int p) { return PackBits(w, 1, [&](int x) { return (index(x, y) >> p) & 1; }); }));
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x) ASSERT_EQ(At(img, x, y), Ega(index(x, y))) << x << "," << y;

    // Packed 4 bits per pixel, uncompressed.
    PcxSpec packed = ega;
    packed.bits = 4, packed.planes = 1, packed.compressed = false;
    img = DecodePcx(BuildPcx(packed, [&](int y, int) { return PackBits(w, 4, [&](int x) { return index(x, y); }); }));
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x) ASSERT_EQ(At(img, x, y), Ega(index(x, y)));
}

TEST(PcxDecode, TwoHundredFiftySixColoursAndTrueColour) {
    const int w = 21, h = 5;
    PcxSpec vga;
    vga.width = w, vga.height = h;
    for (int i = 0; i < 256; ++i) vga.vgaPalette.push_back(PaletteRamp(i));
    auto index = [](int x, int y) { return uint8_t(x / 3 * 40 + y); };  // runs of three
    ImageData img = DecodePcx(BuildPcx(vga, [&](int y, int) {
        Bytes line;
        for (int x = 0; x < w; ++x) line.push_back(index(x, y));
        return line;
    }));
    EXPECT_EQ(img.bpp, 8);
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x) ASSERT_EQ(At(img, x, y), PaletteRamp(index(x, y)));

    PcxSpec rgb;
    rgb.planes = 3, rgb.width = w, rgb.height = h;
    img = DecodePcx(BuildPcx(rgb, [&](int y, int p) {
        Bytes line;
        for (int x = 0; x < w; ++x) {
            const Rgba c = Pattern(x / 2, y);
            line.push_back(p == 0 ? c.r : p == 1 ? c.g : c.b);
        }
        return line;
    }));
    EXPECT_EQ(img.bpp, 24);
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x) ASSERT_EQ(At(img, x, y), Pattern(x / 2, y));
}

TEST(PcxDecode, RunsMayCrossScanLines) {
    // 4 × 2, 8 bits, bytes per line 4: one run of 8 covers both lines.
    PcxSpec s;
    s.width = 4, s.height = 2, s.bytesPerLine = 4;
    for (int i = 0; i < 256; ++i) s.vgaPalette.push_back(PaletteRamp(i));
    Bytes file = BuildPcx(s, [](int, int) { return Bytes{}; });
    // Replace the coded lines with a single run.
    Bytes coded = {0xC8, 77};
    file.erase(file.begin() + 128, file.end() - 769);
    file.insert(file.begin() + 128, coded.begin(), coded.end());
    const ImageData img = DecodePcx(file);
    EXPECT_EQ(At(img, 3, 1), PaletteRamp(77));
    EXPECT_EQ(At(img, 0, 0), PaletteRamp(77));
}

TEST(PcxDecode, RefusesDamagedFiles) {
    PcxSpec s;
    s.planes = 3, s.width = 30, s.height = 20;
    const Bytes good = BuildPcx(s, [](int y, int p) { return Bytes(30, uint8_t(y * 7 + p)); });
    DecodePcx(good);
    for (std::size_t cut : {std::size_t{0}, std::size_t{60}, std::size_t{127}, std::size_t{140}, good.size() - 1})
        DecodePcx(Bytes(good.begin(), good.begin() + cut), false);
    // Huge window from a small file.
    Bytes huge = good;
    huge[8] = 0x2F, huge[9] = 0x75, huge[10] = 0x2F, huge[11] = 0x75;  // 30000 × 30000: too many pixels
    DecodePcx(huge, false);
    huge[8] = 0x0F, huge[9] = 0x27, huge[10] = 0x0F, huge[11] = 0x27;  // 10000 × 10000 …
    huge[66] = 0x10, huge[67] = 0x27;                                  // … from far too little data
    DecodePcx(huge, false);
    // Scan line shorter than the width needs; unsupported layouts; empty window.
    Bytes shortLine = good;
    shortLine[66] = 2, shortLine[67] = 0;
    DecodePcx(shortLine, false);
    Bytes planes = good;
    planes[65] = 2;
    DecodePcx(planes, false);
    Bytes inverted = good;
    inverted[4] = 50;  // xmin beyond xmax
    DecodePcx(inverted, false);
}

TEST(PcxDecode, AgreesWithAnIndependentWriter) {
    const std::string convert = FindTool("convert");
    if (convert.empty()) GTEST_SKIP() << "ImageMagick is not installed";
    testsupport::TempDir dir;
    // A P6 picture for ImageMagick to convert.
    const int w = 37, h = 23;
    std::string ppm = "P6 37 23 255\n";
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x) {
            const Rgba c = Blocky(x, y);
            ppm += static_cast<char>(c.r);
            ppm += static_cast<char>(c.g);
            ppm += static_cast<char>(c.b);
        }
    testsupport::WriteFileBytes(dir.File("in.ppm"), ppm);
    for (const char* options : {"", "-type Palette", "-monochrome", "-colors 16"}) {
        SCOPED_TRACE(options);
        const std::string pcx = dir.File("out.pcx");
        bool ok = false;
        RunCommand(convert + " " + dir.File("in.ppm") + " " + options + " " + pcx, &ok);
        ASSERT_TRUE(ok);
        const ImageData img = DecodePcx(ReadFile(pcx));
        EXPECT_EQ(ToRgba(img), MagickRgba(pcx));
    }
}

// ----- WBMP ---------------------------------------------------------------

namespace {

void PutMultiByte(Bytes& out, uint32_t v) {
    Bytes groups;
    do {
        groups.insert(groups.begin(), static_cast<uint8_t>(v & 0x7F));
        v >>= 7;
    } while (v);
    for (std::size_t i = 0; i + 1 < groups.size(); ++i) groups[i] |= 0x80;
    out.insert(out.end(), groups.begin(), groups.end());
}

Bytes BuildWbmp(uint32_t w, uint32_t h, const std::function<bool(int, int)>& white) {
    Bytes out = {0, 0};
    PutMultiByte(out, w);
    PutMultiByte(out, h);
    for (uint32_t y = 0; y < h; ++y) {
        const Bytes row = PackBits(w, 1, [&](int x) { return unsigned(white(x, y)); });
        out.insert(out.end(), row.begin(), row.end());
    }
    return out;
}

ImageData DecodeWbmp(const Bytes& file, bool expectOk = true) {
    ImageData img;
    std::string why;
    const bool ok = imagecodec::DecodeWbmp(file.data(), file.size(), img, &why);
    EXPECT_EQ(ok, expectOk) << why;
    if (!ok) {
        EXPECT_TRUE(img.Empty());
    }
    return img;
}

}  // namespace

TEST(WbmpDecode, ReadsMultiByteSizesAndBits) {
    auto white = [](int x, int y) { return (x * 7 + y * 3) % 5 < 2; };
    const Bytes file = BuildWbmp(200, 3, white);  // width 200 takes two bytes
    EXPECT_EQ(file[2], 0x81);
    const ImageData img = DecodeWbmp(file);
    ASSERT_EQ(img.width, 200u);
    ASSERT_EQ(img.height, 3u);
    for (int y = 0; y < 3; ++y)
        for (int x = 0; x < 200; ++x)
            ASSERT_EQ(At(img, x, y), white(x, y) ? (Rgba{255, 255, 255, 255}) : (Rgba{0, 0, 0, 255}));
}

TEST(WbmpDecode, RefusesDamagedFiles) {
    const Bytes good = BuildWbmp(9, 9, [](int x, int) { return x % 2 == 0; });
    DecodeWbmp(good);
    for (std::size_t cut : {std::size_t{0}, std::size_t{1}, std::size_t{3}, good.size() - 1})
        DecodeWbmp(Bytes(good.begin(), good.begin() + cut), false);
    DecodeWbmp({1, 0, 2, 2, 0, 0}, false);                             // type 1
    DecodeWbmp({0, 0x80, 2, 2, 0, 0}, false);                          // extension headers
    DecodeWbmp({0, 0, 0xFF, 0xFF, 0xFF, 0xFF, 0x7F, 2, 0, 0}, false);  // five-byte width
    DecodeWbmp({0, 0, 0x81, 0xEA, 0x30, 0x81, 0xEA, 0x30, 0}, false);  // 30000 × 30000 from 9 bytes
    DecodeWbmp({0, 0, 0, 5}, false);                                   // zero width
}

TEST(WbmpDecode, AgreesWithAnIndependentWriter) {
    const std::string convert = FindTool("convert");
    if (convert.empty()) GTEST_SKIP() << "ImageMagick is not installed";
    testsupport::TempDir dir;
    std::string pbm = "P1 23 5\n";
    for (int y = 0; y < 5; ++y)
        for (int x = 0; x < 23; ++x) pbm += ((x + y) % 3 == 0) ? "1 " : "0 ";
    testsupport::WriteFileBytes(dir.File("in.pbm"), pbm);
    bool ok = false;
    RunCommand(convert + " " + dir.File("in.pbm") + " wbmp:" + dir.File("out.wbmp"), &ok);
    ASSERT_TRUE(ok);
    const ImageData img = DecodeWbmp(ReadFile(dir.File("out.wbmp")));
    EXPECT_EQ(ToRgba(img), MagickRgba("wbmp:" + dir.File("out.wbmp")));
    EXPECT_EQ(At(img, 0, 0), (Rgba{0, 0, 0, 255}));  // PBM 1 is black
}

TEST(PcxWbmpTgaFormats, ReachedThroughTheTable) {
    PcxSpec s;
    s.planes = 3, s.width = 4, s.height = 2;
    const Bytes pcx = BuildPcx(s, [](int y, int p) { return Bytes(4, uint8_t(y + p)); });
    EXPECT_EQ(imagecodec::SniffFormat(pcx.data(), pcx.size()), FORMAT_PCX);
    for (ImageFormat f : {FORMAT_PCX, FORMAT_WBMP, FORMAT_TGA}) {
        const imagecodec::CodecEntry* entry = imagecodec::FindCodec(f);
        ASSERT_TRUE(entry && entry->decode) << f;
        EXPECT_EQ(entry->encode != nullptr, f == FORMAT_TGA);
    }
    ImageData img;
    EXPECT_TRUE(imagecodec::FindCodec(FORMAT_PCX)->decode(pcx.data(), pcx.size(), img, nullptr));
    const Bytes wbmp = BuildWbmp(3, 3, [](int x, int) { return x == 1; });
    EXPECT_TRUE(imagecodec::FindCodec(FORMAT_WBMP)->decode(wbmp.data(), wbmp.size(), img, nullptr));
    EXPECT_EQ(At(img, 1, 2), (Rgba{255, 255, 255, 255}));
}
