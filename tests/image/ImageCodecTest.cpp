// ImageCodec operations: pixel access, frame import, palette reduction,
// loading by content and saving safely.
#include <gtest/gtest.h>

#include <sys/resource.h>
#include <csignal>
#include <filesystem>
#include <random>

#include "image/ImageCodec.h"
#include "image/StandardPalette.h"
#include "tests/image/ImageTestUtil.h"
#include "tests/support/TestSupport.h"

using imagetest::MakeImage;
using testsupport::TempDir;

namespace {

// 2 × 1: left red, right blue, as B, G, R triples.
ImageCodec RedBlue() {
    const uint8_t px[] = {0x00, 0x00, 0xFF, 0xFF, 0x00, 0x00};
    ImageCodec img;
    EXPECT_TRUE(img.CreateFromArray(px, 2, 1, 24, 6, false));
    return img;
}

std::vector<std::string> FolderEntries(const std::filesystem::path& dir) {
    std::vector<std::string> names;
    for (const auto& e : std::filesystem::directory_iterator(dir)) names.push_back(e.path().filename().string());
    std::sort(names.begin(), names.end());
    return names;
}

}  // namespace

TEST(ImageCodec, RedBlueBytesSurviveEveryLosslessFormat) {
    const std::vector<uint8_t> expected = {0x00, 0x00, 0xFF, 0xFF, 0x00, 0x00};
    ImageCodec img = RedBlue();
    EXPECT_EQ(img.Encode2RGB_Ex(), expected);
    for (int format : {FORMAT_PNG, FORMAT_TIF, FORMAT_PNM, FORMAT_RAS, FORMAT_JP2, FORMAT_JPC}) {
        ImageCodec back;
        ASSERT_TRUE(imagetest::RoundTrip(img, format, back)) << format << " " << back.LastError();
        EXPECT_EQ(back.GetWidth(), 2u);
        EXPECT_EQ(back.GetHeight(), 1u);
        EXPECT_EQ(back.Encode2RGB_Ex(), expected) << "format " << format;
    }
}

TEST(ImageCodec, PaletteImageGivesTheBytesOfItsTrueColourEquivalent) {
    ImageCodec pal;
    auto& d = pal.MutableData();
    ASSERT_TRUE(d.Allocate(3, 2, 8, false));
    d.palette = {10, 20, 30, 0, 200, 100, 50, 0, 1, 2, 3, 0};
    d.pixels = {0, 1, 2, 2, 1, 0};
    ImageCodec rgb;
    const uint8_t bgr[] = {10, 20, 30, 200, 100, 50, 1, 2, 3, 1, 2, 3, 200, 100, 50, 10, 20, 30};
    ASSERT_TRUE(rgb.CreateFromArray(bgr, 3, 2, 24, 9, false));
    EXPECT_EQ(pal.Encode2RGB_Ex(), rgb.Encode2RGB_Ex());
    EXPECT_EQ(pal.ToRgbaTopDown(), rgb.ToRgbaTopDown());
    // And after a trip through files that keep or expand the palette.
    for (int format : {FORMAT_PNG, FORMAT_TIF, FORMAT_RAS, FORMAT_PNM}) {
        ImageCodec back;
        ASSERT_TRUE(imagetest::RoundTrip(pal, format, back)) << format;
        EXPECT_EQ(back.Encode2RGB_Ex(), rgb.Encode2RGB_Ex()) << "format " << format;
    }
}

TEST(ImageCodec, EmptyImageAnswersEmpty) {
    ImageCodec img;
    EXPECT_EQ(img.GetWidth(), 0u);
    EXPECT_TRUE(img.Encode2RGB_Ex().empty());
    EXPECT_TRUE(img.ToRgbaTopDown().empty());
    EXPECT_FALSE(img.DecreaseBpp());
    std::string why;
    TempDir dir;
    EXPECT_FALSE(img.Save(dir.File("e.png"), FORMAT_PNG, &why));
    EXPECT_FALSE(why.empty());
    EXPECT_FALSE(std::filesystem::exists(dir.File("e.png")));
}

TEST(ImageCodec, CreateFromArrayTakesAlphaRowOrderAndPadding) {
    // 2 × 2 BGRA with 12 bytes per line (4 bytes padding); first row bottom.
    const uint8_t px[] = {1, 2,  3,  4,  5,  6,  7,  8,  0xEE, 0xEE, 0xEE, 0xEE,
                          9, 10, 11, 12, 13, 14, 15, 16, 0xEE, 0xEE, 0xEE, 0xEE};
    ImageCodec img;
    ASSERT_TRUE(img.CreateFromArray(px, 2, 2, 32, 12, false));
    EXPECT_EQ(img.GetBpp(), 24);
    ASSERT_TRUE(img.HasAlpha());
    EXPECT_EQ(img.Encode2RGB_Ex(), (std::vector<uint8_t>{1, 2, 3, 5, 6, 7, 9, 10, 11, 13, 14, 15}));
    EXPECT_EQ(img.Data().alpha, (std::vector<uint8_t>{4, 8, 12, 16}));
    // Top row first, R G B A.
    EXPECT_EQ(img.ToRgbaTopDown(), (std::vector<uint8_t>{11, 10, 9, 12, 15, 14, 13, 16, 3, 2, 1, 4, 7, 6, 5, 8}));

    ImageCodec flipped;
    ASSERT_TRUE(flipped.CreateFromArray(px, 2, 2, 32, 12, true));
    EXPECT_EQ(flipped.Encode2RGB_Ex(), (std::vector<uint8_t>{9, 10, 11, 13, 14, 15, 1, 2, 3, 5, 6, 7}));
    EXPECT_EQ(flipped.Data().alpha, (std::vector<uint8_t>{12, 16, 4, 8}));

    ImageCodec rgb;
    ASSERT_TRUE(rgb.CreateFromArray(px, 2, 1, 24, 12, false));
    EXPECT_FALSE(rgb.HasAlpha());
    EXPECT_EQ(rgb.Encode2RGB_Ex(), (std::vector<uint8_t>{1, 2, 3, 4, 5, 6}));
}

TEST(ImageCodec, CreateFromArrayRefusesBadArguments) {
    const uint8_t px[64] = {};
    ImageCodec img;
    EXPECT_FALSE(img.CreateFromArray(nullptr, 1, 1, 32, 4, false));
    EXPECT_FALSE(img.CreateFromArray(px, 2, 2, 16, 4, false));
    EXPECT_FALSE(img.CreateFromArray(px, 2, 2, 32, 7, false));  // line shorter than the width
    EXPECT_FALSE(img.CreateFromArray(px, 0, 2, 32, 8, false));
    EXPECT_FALSE(img.CreateFromArray(px, 40000, 1, 24, 120000, false));
    EXPECT_EQ(img.GetWidth(), 0u);
    EXPECT_FALSE(img.LastError().empty());
}

TEST(ImageCodec, TransparentFrameIsTransparentAsPngAndOpaqueAsJpeg) {
    std::vector<uint8_t> px(16 * 8 * 4);
    for (std::size_t i = 0; i < px.size(); i += 4) {
        px[i] = 200;
        px[i + 1] = 100;
        px[i + 2] = 50;
        px[i + 3] = 0;
    }
    ImageCodec frame;
    ASSERT_TRUE(frame.CreateFromArray(px.data(), 16, 8, 32, 64, false));
    TempDir dir;
    ASSERT_TRUE(frame.Save(dir.File("f.png"), FORMAT_PNG));
    ASSERT_TRUE(frame.Save(dir.File("f.jpg"), FORMAT_JPG));

    ImageCodec png;
    ASSERT_TRUE(png.Load(dir.File("f.png"), FORMAT_PNG));
    ASSERT_TRUE(png.HasAlpha());
    for (uint8_t a : png.Data().alpha) ASSERT_EQ(a, 0);
    const std::string pngBytes = testsupport::ReadFileBytes(dir.File("f.png"));
    EXPECT_EQ(static_cast<uint8_t>(pngBytes[25]), 6) << "RGBA colour type";

    ImageCodec jpg;
    ASSERT_TRUE(jpg.Load(dir.File("f.jpg"), FORMAT_JPG));
    EXPECT_FALSE(jpg.HasAlpha());
    const auto rgba = jpg.ToRgbaTopDown();
    for (std::size_t i = 3; i < rgba.size(); i += 4) ASSERT_EQ(rgba[i], 255);
    // The colour itself is kept (within JPEG's error).
    EXPECT_NEAR(rgba[0], 50, 4);
    EXPECT_NEAR(rgba[1], 100, 4);
    EXPECT_NEAR(rgba[2], 200, 4);
}

TEST(ImageCodec, LoadFindsTheFormatByContent) {
    TempDir dir;
    ImageCodec img = MakeImage(9, 7, true);
    ASSERT_TRUE(img.Save(dir.File("pic.png"), FORMAT_PNG));
    std::filesystem::rename(dir.File("pic.png"), dir.File("pic.tiff"));
    const std::string path = dir.File("pic.tiff");

    ImageCodec byContent;
    ASSERT_TRUE(byContent.Load(path, FORMAT_UNKNOWN)) << byContent.LastError();
    EXPECT_EQ(byContent.Encode2RGB_Ex(), img.Encode2RGB_Ex());
    EXPECT_EQ(byContent.Data().alpha, img.Data().alpha);

    // The extension's code (TIFF) does not match: the content still wins.
    ImageCodec byName;
    ASSERT_TRUE(byName.Load(path, FormatFromExtension(path))) << byName.LastError();
    EXPECT_EQ(byName.Encode2RGB_Ex(), img.Encode2RGB_Ex());

    // Every readable format of the layer is found without a code.
    for (int format : {FORMAT_JPG, FORMAT_TIF, FORMAT_PNM, FORMAT_RAS, FORMAT_JP2, FORMAT_JPC}) {
        const std::string name = dir.File("any" + std::to_string(format));
        ASSERT_TRUE(img.Save(name, format)) << format;
        ImageCodec back;
        ASSERT_TRUE(back.Load(name, FORMAT_UNKNOWN)) << format << " " << back.LastError();
        EXPECT_EQ(back.GetWidth(), 9u);
        EXPECT_EQ(back.GetHeight(), 7u);
    }
}

TEST(ImageCodec, FailedLoadLeavesEmptyImageAndReason) {
    TempDir dir;
    ImageCodec img = MakeImage(4, 4, false);
    EXPECT_FALSE(img.Load(dir.File("missing.png"), FORMAT_PNG));
    EXPECT_EQ(img.GetWidth(), 0u);
    EXPECT_NE(img.LastError().find("missing.png"), std::string::npos);

    testsupport::WriteFileBytes(dir.File("junk.png"), std::string(100, 'x'));
    EXPECT_FALSE(img.Load(dir.File("junk.png"), FORMAT_PNG));
    EXPECT_EQ(img.GetHeight(), 0u);
    EXPECT_FALSE(img.LastError().empty());

    testsupport::WriteFileBytes(dir.File("empty.png"), "");
    EXPECT_FALSE(img.Load(dir.File("empty.png"), FORMAT_UNKNOWN));
    EXPECT_FALSE(img.Load(dir.File("empty.png"), 99));
    EXPECT_FALSE(img.Load(dir.Path().string(), FORMAT_PNG));  // a folder

    // A broken PNG names the PNG decoder's complaint.
    ASSERT_TRUE(MakeImage(4, 4, false).Save(dir.File("ok.png"), FORMAT_PNG));
    std::string bytes = testsupport::ReadFileBytes(dir.File("ok.png"));
    bytes.resize(bytes.size() / 2);
    testsupport::WriteFileBytes(dir.File("cut.png"), bytes);
    EXPECT_FALSE(img.Load(dir.File("cut.png"), FORMAT_UNKNOWN));
    EXPECT_NE(img.LastError().find("PNG"), std::string::npos) << img.LastError();
}

TEST(ImageCodec, OptionsGoToTheirFormat) {
    ImageCodec img;
    img.SetJpegQuality(140);
    EXPECT_EQ(img.Options().jpegQuality, 100);
    img.SetJpegQuality(-3);
    EXPECT_EQ(img.Options().jpegQuality, 0);
    img.SetCodecOption(24, FORMAT_JPG);
    img.SetCodecOption(2, FORMAT_GIF);
    img.SetCodecOption(32773, FORMAT_TIF);
    img.SetCodecOption(1, FORMAT_PNG);
    img.SetCodecOption(77, FORMAT_BMP);
    EXPECT_EQ(img.Options().jpegOptions, 24);
    EXPECT_EQ(img.Options().gifCompression, 2);
    EXPECT_EQ(img.Options().tiffCompression, 32773);
    EXPECT_EQ(img.Options().pngInterlace, 1);
}

TEST(StandardPalette, CubeAndGreysMapExactlyAndIndex255IsNeverUsed) {
    const auto& pal = imagecodec::StandardPalette();
    for (int i = 0; i < 255; ++i) {
        const uint8_t b = pal[4 * i], g = pal[4 * i + 1], r = pal[4 * i + 2];
        EXPECT_EQ(imagecodec::NearestStandardIndex(r, g, b), i) << "entry " << i;
    }
    // All entries but the reserved one are distinct colours.
    for (int i = 0; i < 255; ++i)
        for (int j = i + 1; j < 255; ++j)
            ASSERT_FALSE(pal[4 * i] == pal[4 * j] && pal[4 * i + 1] == pal[4 * j + 1] &&
                         pal[4 * i + 2] == pal[4 * j + 2])
                << i << " " << j;
    // The mapping is the true nearest entry in the weighted distance.
    auto dist = [&](int idx, int r, int g, int b) {
        const int dr = pal[4 * idx + 2] - r, dg = pal[4 * idx + 1] - g, db = pal[4 * idx] - b;
        return 3 * dr * dr + 4 * dg * dg + 2 * db * db;
    };
    for (int r = 0; r < 256; r += 5)
        for (int g = 1; g < 256; g += 6)
            for (int b = 2; b < 256; b += 7) {
                const uint8_t idx = imagecodec::NearestStandardIndex(r, g, b);
                ASSERT_NE(idx, imagecodec::kReservedPaletteIndex);
                int best = 1 << 30;
                for (int i = 0; i < 255; ++i) best = std::min(best, dist(i, r, g, b));
                ASSERT_EQ(dist(idx, r, g, b), best) << r << "," << g << "," << b;
            }
    // Neutral tones stay neutral and close: shadows must not turn green.
    for (int v = 0; v < 256; ++v) {
        const uint8_t idx = imagecodec::NearestStandardIndex(v, v, v);
        EXPECT_EQ(pal[4 * idx], pal[4 * idx + 1]);
        EXPECT_EQ(pal[4 * idx + 1], pal[4 * idx + 2]);
        EXPECT_LE(std::abs(pal[4 * idx] - v), 4) << v;
    }
}

TEST(ImageCodec, DecreaseBppMapsToNearestAndKeepsAlpha) {
    std::mt19937 rng(7);
    std::vector<uint8_t> px(64 * 32 * 4);
    for (auto& v : px) v = static_cast<uint8_t>(rng());
    ImageCodec img;
    ASSERT_TRUE(img.CreateFromArray(px.data(), 64, 32, 32, 256, false));
    const auto before = img.Encode2RGB_Ex();
    const auto alpha = img.Data().alpha;
    EXPECT_FALSE(img.DecreaseBpp(4));
    EXPECT_FALSE(img.DecreaseBpp(8, true));
    EXPECT_EQ(img.GetBpp(), 24);
    ASSERT_TRUE(img.DecreaseBpp(8, false, nullptr, 0));
    EXPECT_EQ(img.GetBpp(), 8);
    EXPECT_EQ(img.Data().palette.size(), 1024u);
    EXPECT_EQ(img.Data().alpha, alpha);
    const auto after = img.Encode2RGB_Ex();
    ASSERT_EQ(after.size(), before.size());
    for (std::size_t i = 0; i < img.Data().pixels.size(); ++i) {
        ASSERT_NE(img.Data().pixels[i], imagecodec::kReservedPaletteIndex);
        const uint8_t expect = imagecodec::NearestStandardIndex(before[3 * i + 2], before[3 * i + 1], before[3 * i]);
        ASSERT_EQ(img.Data().pixels[i], expect);
    }
    EXPECT_LT(imagetest::MeanDifference(before, after), 14.0);
    EXPECT_TRUE(img.DecreaseBpp());  // already 8 bits: unchanged
    EXPECT_EQ(img.Encode2RGB_Ex(), after);
}

TEST(ImageCodec, SaveToAnUnwritablePlaceFailsWithAReasonAndLeavesNothing) {
    TempDir dir;
    ImageCodec img = MakeImage(8, 8, true);
    std::string why;
    EXPECT_FALSE(img.Save(dir.File("no-such-folder/x.png"), FORMAT_PNG, &why));
    EXPECT_FALSE(why.empty());
    testsupport::WriteFileBytes(dir.File("plainfile"), "x");
    why.clear();
    EXPECT_FALSE(img.Save(dir.File("plainfile/x.png"), FORMAT_PNG, &why));
    EXPECT_FALSE(why.empty());
    why.clear();
    EXPECT_FALSE(img.Save(dir.File("x.ico"), FORMAT_ICO, &why));  // a read-only format
    EXPECT_FALSE(why.empty());
    EXPECT_EQ(FolderEntries(dir.Path()), std::vector<std::string>{"plainfile"});
}

TEST(ImageCodec, ExistingFileSurvivesASaveThatRunsOutOfSpace) {
    TempDir dir;
    const std::string target = dir.File("keep.png");
    testsupport::WriteFileBytes(target, "previous good copy");
    // Noise compresses badly: the file is far larger than the limit.
    std::vector<uint8_t> px(256 * 256 * 4);
    std::mt19937 rng(3);
    for (auto& v : px) v = static_cast<uint8_t>(rng());
    ImageCodec img;
    ASSERT_TRUE(img.CreateFromArray(px.data(), 256, 256, 32, 1024, false));

    // A file size limit makes writes fail as on a full disk.
    rlimit old{};
    ASSERT_EQ(getrlimit(RLIMIT_FSIZE, &old), 0);
    auto oldHandler = std::signal(SIGXFSZ, SIG_IGN);
    rlimit small = old;
    small.rlim_cur = 4096;
    ASSERT_EQ(setrlimit(RLIMIT_FSIZE, &small), 0);
    std::string why;
    const bool saved = img.Save(target, FORMAT_PNG, &why);
    setrlimit(RLIMIT_FSIZE, &old);
    std::signal(SIGXFSZ, oldHandler);

    EXPECT_FALSE(saved);
    EXPECT_FALSE(why.empty());
    EXPECT_EQ(testsupport::ReadFileBytes(target), "previous good copy");
    EXPECT_EQ(FolderEntries(dir.Path()), std::vector<std::string>{"keep.png"});

    // Without the limit the same save replaces the file.
    ASSERT_TRUE(img.Save(target, FORMAT_PNG, &why)) << why;
    ImageCodec back;
    ASSERT_TRUE(back.Load(target, FORMAT_PNG));
    EXPECT_EQ(back.Encode2RGB_Ex(), img.Encode2RGB_Ex());
}

TEST(ImageCodec, GifSaveReducesATrueColourImageFirst) {
    // The GIF encoder may not be part of this build yet; when it is, a
    // 24-bit image must still be writable as GIF.
    const auto* gif = imagecodec::FindCodec(FORMAT_GIF);
    if (!gif || !gif->encode) GTEST_SKIP() << "GIF encoder not linked";
    TempDir dir;
    ImageCodec img = MakeImage(20, 10, true);
    std::string why;
    ASSERT_TRUE(img.Save(dir.File("a.gif"), FORMAT_GIF, &why)) << why;
    EXPECT_EQ(img.GetBpp(), 24);  // the caller's image is untouched
}
