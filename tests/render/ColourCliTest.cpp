// Colour from artwork to picture through boxora-render on real OSMesa
// frames: a CMYK JPEG face with its profile renders as the sRGB face
// littleCMS makes of it; written pictures name their colour space; --cmyk
// writes CMYK TIFF and JPEG with the profile, checked with libtiff's and
// ImageMagick's own tools.
#include <gtest/gtest.h>
#include <sys/wait.h>

#include <cstdio>
#include <filesystem>

#include "image/ImageCodec.h"
#include "platform/ProfileFile.h"
#include "tests/support/ColourArtwork.h"
#include "tests/support/TestSupport.h"

namespace {

namespace fs = std::filesystem;

std::string Quote(const std::string& s) { return "'" + s + "'"; }

class ColourCli : public ::testing::Test {
protected:
    void SetUp() override {
        if (!fs::exists(Exe())) GTEST_SKIP() << "boxora-render not built";
        if (!fs::exists(testsupport::AppDir() / "data" / "Objects" / "Box.3ds")) GTEST_SKIP() << "no model catalogue";
        if (!fs::exists(colourtest::kDefaultCmykPath)) GTEST_SKIP() << "no CMYK profile installed (ghostscript)";
    }
    static fs::path Exe() { return testsupport::AppDir() / "boxora-render"; }

    // The catalogue box seen straight from the front on white, lit as it
    // is, without shadow or reflection.
    std::string FrontOnScene(const std::string& name, const std::string& front) {
        const fs::path example = testsupport::DataDir().parent_path().parent_path() / "examples" / "single-box.scn";
        boxora::ProfileDocument doc = boxora::ProfileDocument::Load(example.string());
        doc.SetString("OBJECT_0", "Image_Front", front);
        for (const char* key : {"Camera_Horizontal_Rotation", "Camera_Vertical_Rotation", "Camera_Target_Horizontal",
                                "Camera_Perspective"})
            doc.SetString("CAMERA", key, "0");
        doc.SetString("CAMERA", "Camera_Target_Vertical", "70");
        doc.SetString("REFLECTION", "Reflection_Opacity", "0");
        doc.SetString("LIGHT_SHADOW", "Shadow_Intensity", "0");
        const std::string path = dir.File(name);
        EXPECT_TRUE(doc.Save(path));
        return path;
    }

    int Run(const std::string& args, std::string* err = nullptr) {
        const std::string errFile = dir.File("stderr.txt");
        const int status =
            std::system((Quote(Exe().string()) + " " + args + " >/dev/null 2>" + Quote(errFile)).c_str());
        if (err) *err = testsupport::ReadFileBytes(errFile);
        return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    }

    // Standard output of a tool.
    static std::string Tool(const std::string& command) {
        std::string out;
        if (FILE* p = popen((command + " 2>&1").c_str(), "r")) {
            char buf[4096];
            while (std::size_t n = std::fread(buf, 1, sizeof buf, p)) out.append(buf, n);
            pclose(p);
        }
        return out;
    }

    testsupport::TempDir dir;
};

TEST_F(ColourCli, CmykJpegFaceRendersAsLittleCmsConvertsIt) {
    constexpr int w = 300, h = 420;
    constexpr std::size_t pixels = static_cast<std::size_t>(w) * h;
    const std::vector<uint8_t> profile = colourtest::ReadBytes(colourtest::kDefaultCmykPath);
    const std::vector<uint8_t> ink =
        colourtest::Convert(colourtest::Artwork(w, h), nullptr, TYPE_RGB_8, &profile, TYPE_CMYK_8, pixels, 4);
    const std::vector<uint8_t> srgb = colourtest::Convert(ink, &profile, TYPE_CMYK_8, nullptr, TYPE_RGB_8, pixels, 3);
    ASSERT_FALSE(srgb.empty());
    const std::string jpg = dir.File("front-cmyk.jpg"), png = dir.File("front-srgb.png");
    const std::vector<uint8_t> jpeg = colourtest::CmykJpeg(ink, w, h, profile);
    testsupport::WriteFileBytes(jpg, std::string(jpeg.begin(), jpeg.end()));
    std::vector<uint8_t> bgra(pixels * 4);
    for (std::size_t i = 0; i < pixels; ++i)
        bgra[4 * i] = srgb[3 * i + 2], bgra[4 * i + 1] = srgb[3 * i + 1], bgra[4 * i + 2] = srgb[3 * i],
                 bgra[4 * i + 3] = 255;
    ImageCodec face;
    ASSERT_TRUE(face.CreateFromArray(bgra.data(), w, h, 32, w * 4, true));
    face.MutableData().alpha.clear();
    ASSERT_TRUE(face.Save(png, FORMAT_PNG));

    std::vector<uint8_t> frames[2];
    const std::string fronts[2] = {jpg, png};
    for (int i = 0; i < 2; ++i) {
        const std::string out = dir.File("frame" + std::to_string(i) + ".png");
        std::string err;
        ASSERT_EQ(Run(Quote(FrontOnScene("s" + std::to_string(i) + ".scn", fronts[i])) + " -o " + Quote(out) +
                          " --size 400x400",
                      &err),
                  0)
            << err;
        ImageCodec frame;
        ASSERT_TRUE(frame.Load(out, FORMAT_PNG));
        frames[i] = frame.Encode2RGB_Ex();
    }
    // The face must be in the picture (not all background) for the
    // comparison to mean anything.
    std::size_t coloured = 0;
    for (std::size_t i = 0; i + 2 < frames[1].size(); i += 3)
        coloured += frames[1][i] < 240 || frames[1][i + 1] < 240 || frames[1][i + 2] < 240;
    EXPECT_GT(coloured, frames[1].size() / 3 / 5);
    const double share = colourtest::ShareWithin(frames[0], frames[1], 12);
    EXPECT_GE(share, 0.995);
    std::printf("CMYK face within 12/255 of littleCMS's sRGB face on %.3f%% of the picture\n", 100 * share);
}

TEST_F(ColourCli, PicturesNameTheirColourSpaceAndCmykCarriesTheProfile) {
    const std::string scene = FrontOnScene("plain.scn", "");
    for (const char* ext : {"png", "jpg", "tif"}) {
        const std::string out = dir.File(std::string("p.") + ext);
        ASSERT_EQ(Run(Quote(scene) + " -o " + Quote(out) + " --size 64x64"), 0) << ext;
        EXPECT_NE(Tool("identify -format '%[profiles]' " + Quote(out)).find("icc"), std::string::npos) << ext;
    }

    const std::string tif = dir.File("print.tif"), jpg = dir.File("print.jpg");
    const std::string cmyk = " --cmyk " + Quote(colourtest::kDefaultCmykPath) + " --intent relative --bpc";
    ASSERT_EQ(Run(Quote(scene) + cmyk + " -o " + Quote(tif) + " --size 64x64"), 0);
    const std::string info = Tool("tiffinfo " + Quote(tif));
    EXPECT_NE(info.find("separated"), std::string::npos) << info;
    EXPECT_NE(info.find("ICC Profile"), std::string::npos) << info;
    ASSERT_EQ(Run(Quote(scene) + cmyk + " -o " + Quote(jpg) + " --size 64x64"), 0);
    EXPECT_EQ(Tool("identify -format '%[colorspace]' " + Quote(jpg)), "CMYK");
    // ImageMagick reads the white background as no ink: the samples follow
    // the inverted convention other programs expect.
    const std::string corner = Tool("convert " + Quote(jpg) + " -format '%[fx:round(255*p{0,0}.k)]' info:");
    EXPECT_LE(std::atoi(corner.c_str()), 8) << corner;
    // The profile in both files is the one given, byte for byte.
    const std::string icc = dir.File("out.icc");
    for (const std::string& file : {tif, jpg}) {
        Tool("convert " + Quote(file) + " " + Quote(icc));
        EXPECT_EQ(testsupport::ReadFileBytes(icc), testsupport::ReadFileBytes(colourtest::kDefaultCmykPath)) << file;
    }

    std::string err;
    EXPECT_NE(Run(Quote(scene) + cmyk + " -o " + Quote(dir.File("no.png")) + " --size 64x64", &err), 0);
    EXPECT_NE(err.find("TIFF or JPEG"), std::string::npos) << err;
    EXPECT_NE(Run(Quote(scene) + " --profile " + Quote(colourtest::kDefaultCmykPath) + " -o " +
                      Quote(dir.File("wrong.png")) + " --size 64x64",
                  &err),
              0);
    EXPECT_NE(err.find("not for RGB"), std::string::npos) << err;
}

}  // namespace
