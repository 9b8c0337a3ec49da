// Files written by the codec opened by independent tools: ImageMagick
// (convert, identify), libtiff's tiffinfo and OpenJPEG's opj_decompress.
// Each test skips when its tool is not installed.
#include <gtest/gtest.h>

#include <array>
#include <cstdio>
#include <cstdlib>
#include <memory>

#include "image/ImageCodec.h"
#include "tests/image/ImageTestUtil.h"
#include "tests/support/TestSupport.h"

using imagetest::MakeImage;
using testsupport::TempDir;

namespace {

bool HaveTool(const char* name) {
    const std::string cmd = std::string("command -v ") + name + " >/dev/null 2>&1";
    return std::system(cmd.c_str()) == 0;
}

// Runs a shell command and returns its standard output ("" on failure).
std::string Output(const std::string& cmd, int* status = nullptr) {
    std::string out;
    FILE* p = popen((cmd + " 2>/dev/null").c_str(), "r");
    if (!p) return out;
    std::array<char, 512> buf{};
    while (fgets(buf.data(), static_cast<int>(buf.size()), p)) out += buf.data();
    const int rc = pclose(p);
    if (status) *status = rc;
    return out;
}

// Converts a file to PNG with ImageMagick and decodes the PNG.
bool ConvertedByImageMagick(const std::string& file, const std::string& png, ImageCodec& out) {
    int rc = -1;
    Output("convert '" + file + "' '" + png + "'", &rc);
    return rc == 0 && out.Load(png, FORMAT_PNG);
}

}  // namespace

TEST(ExternalTools, IdentifyReadsEveryWrittenFormat) {
    if (!HaveTool("identify")) GTEST_SKIP() << "ImageMagick identify not installed";
    TempDir dir;
    ImageCodec img = MakeImage(37, 21, true);
    const struct {
        int format;
        const char* name;
        const char* magick;
        bool alpha;
    } cases[] = {
        {FORMAT_PNG, "a.png", "PNG", true},  {FORMAT_JPG, "a.jpg", "JPEG", false}, {FORMAT_TIF, "a.tiff", "TIFF", true},
        {FORMAT_JP2, "a.jp2", "JP2", true},  {FORMAT_JPC, "a.jpc", "J2K", true},   {FORMAT_RAS, "a.ras", "SUN", false},
        {FORMAT_PNM, "a.pnm", "PPM", false},
    };
    for (const auto& c : cases) {
        ASSERT_TRUE(img.Save(dir.File(c.name), c.format)) << c.name;
        const std::string out = Output("identify -format '%m %w %h %[channels]' '" + dir.File(c.name) + "'");
        EXPECT_EQ(out, std::string(c.magick) + " 37 21 " + (c.alpha ? "srgba" : "srgb")) << c.name;
    }
}

TEST(ExternalTools, ImageMagickSeesTheSamePixels) {
    if (!HaveTool("convert")) GTEST_SKIP() << "ImageMagick convert not installed";
    TempDir dir;
    ImageCodec img = MakeImage(29, 18, true);
    ImageCodec opaque = MakeImage(29, 18, false);
    for (int option : {0, 1, 5, 32773}) {
        img.SetCodecOption(option, FORMAT_TIF);
        ASSERT_TRUE(img.Save(dir.File("t.tiff"), FORMAT_TIF));
        ImageCodec seen;
        ASSERT_TRUE(ConvertedByImageMagick(dir.File("t.tiff"), dir.File("t.png"), seen)) << option;
        EXPECT_EQ(seen.Encode2RGB_Ex(), img.Encode2RGB_Ex()) << "TIFF option " << option;
        EXPECT_EQ(seen.Data().alpha, img.Data().alpha) << "TIFF option " << option;
    }
    for (int format : {FORMAT_RAS, FORMAT_PNM, FORMAT_PNG}) {
        const std::string name = dir.File("x" + std::to_string(format));
        ASSERT_TRUE(opaque.Save(name, format));
        ImageCodec seen;
        ASSERT_TRUE(ConvertedByImageMagick(name, dir.File("x.png"), seen)) << format;
        EXPECT_EQ(seen.Encode2RGB_Ex(), opaque.Encode2RGB_Ex()) << format;
    }
    opaque.SetJpegQuality(95);
    for (int option : {0, 8, 16, 24}) {
        opaque.SetCodecOption(option, FORMAT_JPG);
        ASSERT_TRUE(opaque.Save(dir.File("j.jpg"), FORMAT_JPG));
        ImageCodec seen;
        ASSERT_TRUE(ConvertedByImageMagick(dir.File("j.jpg"), dir.File("j.png"), seen)) << option;
        EXPECT_LT(imagetest::MeanDifference(seen.Encode2RGB_Ex(), opaque.Encode2RGB_Ex()), 3.0);
    }
    // JPEG-compressed TIFF, with and without alpha.
    for (ImageCodec* which : {&img, &opaque}) {
        which->SetCodecOption(7, FORMAT_TIF);
        ASSERT_TRUE(which->Save(dir.File("jt.tiff"), FORMAT_TIF));
        ImageCodec seen;
        ASSERT_TRUE(ConvertedByImageMagick(dir.File("jt.tiff"), dir.File("jt.png"), seen));
        EXPECT_EQ(seen.HasAlpha(), which->HasAlpha());
        // Both readers agree on the file. ImageMagick reads JPEG-compressed
        // TIFFs premultiplied: compare the opaque pixels.
        ImageCodec ours;
        ASSERT_TRUE(ours.Load(dir.File("jt.tiff"), FORMAT_TIF));
        EXPECT_LT(imagetest::MeanDifferenceWhereOpaque(seen, ours), 1.0);
    }
}

TEST(ExternalTools, TiffinfoNamesTheCompression) {
    if (!HaveTool("tiffinfo")) GTEST_SKIP() << "tiffinfo not installed";
    TempDir dir;
    ImageCodec colour = MakeImage(24, 24, false);
    std::vector<uint8_t> bw(24 * 24 * 3, 255);
    for (std::size_t i = 0; i < bw.size(); i += 9) bw[i] = bw[i + 1] = bw[i + 2] = 0;
    ImageCodec bilevel;
    ASSERT_TRUE(bilevel.CreateFromArray(bw.data(), 24, 24, 24, 72, false));
    const struct {
        ImageCodec* image;
        int option;
        const char* scheme;
    } cases[] = {
        {&colour, 1, "Compression Scheme: None"},
        {&colour, 5, "Compression Scheme: LZW"},
        {&colour, 7, "Compression Scheme: JPEG"},
        {&colour, 32773, "Compression Scheme: PackBits"},
        {&colour, 0, "Compression Scheme: LZW"},
        {&bilevel, 2, "Compression Scheme: CCITT RLE"},
        {&bilevel, 4, "Compression Scheme: CCITT Group 4"},
        {&bilevel, 0, "Compression Scheme: CCITT Group 4"},
    };
    for (const auto& c : cases) {
        c.image->SetCodecOption(c.option, FORMAT_TIF);
        ASSERT_TRUE(c.image->Save(dir.File("c.tiff"), FORMAT_TIF));
        int rc = -1;
        const std::string info = Output("tiffinfo -D '" + dir.File("c.tiff") + "'", &rc);
        EXPECT_EQ(rc, 0) << c.option;
        EXPECT_NE(info.find(c.scheme), std::string::npos) << c.option << "\n" << info;
        EXPECT_EQ(info.find("rror"), std::string::npos) << info;
        if (c.option == 5) {
            EXPECT_NE(info.find("Predictor: horizontal differencing"), std::string::npos) << info;
        }
    }
}

TEST(ExternalTools, OpjDecompressGivesBackTheExactFrame) {
    if (!HaveTool("opj_decompress")) GTEST_SKIP() << "opj_decompress not installed";
    TempDir dir;
    ImageCodec img = MakeImage(41, 26, true);
    for (const char* name : {"f.jp2", "f.jpc"}) {
        ASSERT_TRUE(img.Save(dir.File(name), FormatFromExtension(name)));
        int rc = -1;
        Output("opj_decompress -i '" + dir.File(name) + "' -o '" + dir.File("f.png") + "'", &rc);
        ASSERT_EQ(rc, 0) << name;
        ImageCodec seen;
        ASSERT_TRUE(seen.Load(dir.File("f.png"), FORMAT_PNG)) << name;
        EXPECT_EQ(seen.Encode2RGB_Ex(), img.Encode2RGB_Ex()) << name;
        EXPECT_EQ(seen.Data().alpha, img.Data().alpha) << name;
    }
    // Its PGX output (one file per component) reads back as the red plane.
    ImageCodec opaque = MakeImage(13, 7, false);
    ASSERT_TRUE(opaque.Save(dir.File("g.jpc"), FORMAT_JPC));
    int rc = -1;
    Output("opj_decompress -i '" + dir.File("g.jpc") + "' -o '" + dir.File("g.pgx") + "'", &rc);
    ASSERT_EQ(rc, 0);
    ImageCodec red;
    ASSERT_TRUE(red.Load(dir.File("g_0.pgx"), FORMAT_PGX)) << red.LastError();
    const auto a = opaque.ToRgbaTopDown(), b = red.ToRgbaTopDown();
    ASSERT_EQ(a.size(), b.size());
    for (std::size_t i = 0; i < a.size(); i += 4) ASSERT_EQ(b[i], a[i]) << i;
}

TEST(ExternalTools, FilesFromImageMagickDecode) {
    if (!HaveTool("convert")) GTEST_SKIP() << "ImageMagick convert not installed";
    TempDir dir;
    ImageCodec img = MakeImage(33, 19, true);
    ASSERT_TRUE(img.Save(dir.File("src.png"), FORMAT_PNG));
    const struct {
        const char* name;
        const char* args;
        bool lossless;
        bool alpha;
    } cases[] = {
        {"zip.tif", "-compress zip", true, true},
        {"tile.tif", "-define tiff:tile-geometry=16x16", true, true},
        {"lzw16.tif", "-depth 16 -compress lzw", true, true},
        {"plane.tif", "-interlace plane", true, true},
        {"prog.jpg", "-interlace line -quality 90", false, false},
        {"rle.ras", "-compress rle", true, false},
        {"a.ppm", "-compress none", true, false},
        {"b.pgm", "-colorspace gray", false, false},
        {"c.pbm", "-monochrome", false, false},
        {"k.jp2", "-quality 0", true, true},
        {"il.png", "-interlace png", true, true},
    };
    for (const auto& c : cases) {
        int rc = -1;
        Output(std::string("convert '") + dir.File("src.png") + "' " + c.args + " '" + dir.File(c.name) + "'", &rc);
        if (rc != 0) continue;  // this ImageMagick cannot write it
        ImageCodec seen;
        ASSERT_TRUE(seen.Load(dir.File(c.name), FORMAT_UNKNOWN)) << c.name << ": " << seen.LastError();
        EXPECT_EQ(seen.GetWidth(), 33u) << c.name;
        EXPECT_EQ(seen.GetHeight(), 19u) << c.name;
        EXPECT_EQ(seen.HasAlpha(), c.alpha) << c.name;
        if (c.lossless) {
            EXPECT_EQ(seen.Encode2RGB_Ex(), img.Encode2RGB_Ex()) << c.name;
            if (c.alpha) {
                EXPECT_EQ(seen.Data().alpha, img.Data().alpha) << c.name;
            }
        }
    }
}
