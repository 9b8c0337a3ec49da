// boxora-render --preview: its options, its failures, and the picture it
// writes; and the averaging that makes small pictures smooth.
#include <gtest/gtest.h>
#include <sys/wait.h>

#include <cstdio>
#include <filesystem>

#include "PreviewTestSupport.h"

namespace {

namespace fs = std::filesystem;
using namespace previewtest;

struct RunResult {
    int status = -1;
    std::string out;
};

RunResult RunCli(const std::string& args, const std::string& home) {
    const fs::path exe = testsupport::AppDir() / "boxora-render";
    RunResult r;
    const std::string command = "BOXORA_HOME='" + home + "' '" + exe.string() + "' " + args + " 2>/dev/null";
    FILE* pipe = popen(command.c_str(), "r");
    if (!pipe) return r;
    char buffer[4096];
    std::size_t n;
    while ((n = fread(buffer, 1, sizeof buffer, pipe)) > 0) r.out.append(buffer, n);
    const int status = pclose(pipe);
    r.status = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    return r;
}

class PreviewCliTest : public ::testing::Test {
protected:
    void SetUp() override {
        if (!fs::exists(testsupport::AppDir() / "boxora-render")) GTEST_SKIP() << "boxora-render not built";
        fs::create_directories(dir.Path() / "data" / "Objects");
        fs::create_directories(dir.Path() / "data" / "texture");
        model = (dir.Path() / "data" / "Objects" / "Box.3ds").string();
        model3ds::WriteFile(TestBox(50, 15, 70, {}), model);
    }
    RunResult Run(const std::string& args) { return RunCli(args, dir.Path().string()); }
    std::string Out(const std::string& name) { return dir.File(name); }

    testsupport::TempDir dir;
    std::string model;
};

TEST_F(PreviewCliTest, WrongArgumentsAreRefused) {
    const std::string in = "--preview '" + model + "' ";
    EXPECT_EQ(Run(in).status, 2);  // no -o
    EXPECT_EQ(Run(in + "-o").status, 2);
    EXPECT_EQ(Run(in + "-o x.png --size 0x10").status, 2);
    EXPECT_EQ(Run(in + "-o x.png --size 100").status, 2);
    EXPECT_EQ(Run(in + "-o x.png --size 9000x10").status, 2);
    EXPECT_EQ(Run(in + "-o x.png --size 2000x2000 --supersample 5").status, 2);
    EXPECT_EQ(Run(in + "-o x.png --mode 2").status, 2);
    EXPECT_EQ(Run(in + "-o x.png --camera 1,2").status, 2);
    EXPECT_EQ(Run(in + "-o x.png --camera 1,2,z").status, 2);
    EXPECT_EQ(Run(in + "-o x.png --background 12345").status, 2);
    EXPECT_EQ(Run(in + "-o x.png --supersample 0").status, 2);
    EXPECT_EQ(Run("-o x.png --size 10x10").status, 2);  // options without --preview
    EXPECT_EQ(Run("--dump a --preview b -o x.png").status, 2);
    const RunResult help = Run("--help");
    EXPECT_EQ(help.status, 0);
    EXPECT_NE(help.out.find("--preview FILE -o OUT.png"), std::string::npos);
    EXPECT_NE(help.out.find("--supersample K"), std::string::npos);
}

TEST_F(PreviewCliTest, MissingOrUnreadableInputFails) {
    EXPECT_EQ(Run("--preview '" + dir.File("none.3ds") + "' -o '" + Out("a.png") + "'").status, 1);
    testsupport::WriteFileBytes(dir.File("bad.3ds"), "not a model");
    EXPECT_EQ(Run("--preview '" + dir.File("bad.3ds") + "' -o '" + Out("b.png") + "'").status, 1);
    EXPECT_FALSE(fs::exists(Out("a.png")));
    EXPECT_FALSE(fs::exists(Out("b.png")));
}

TEST_F(PreviewCliTest, WritesThePreviewAsPng) {
    const imagecodec::CodecEntry* png = imagecodec::FindCodec(FORMAT_PNG);
    if (png == nullptr || png->encode == nullptr || png->decode == nullptr) GTEST_SKIP() << "no PNG codec linked";
    const std::string out = Out("frame.png");
    ASSERT_EQ(Run("--preview '" + model + "' -o '" + out + "' --size 160x120 --mode 0 --background 102030").status, 0);
    const std::string bytes = testsupport::ReadFileBytes(out);
    imagecodec::ImageData image;
    ASSERT_TRUE(png->decode(reinterpret_cast<const uint8_t*>(bytes.data()), bytes.size(), image, nullptr));
    EXPECT_EQ(image.width, 160u);
    EXPECT_EQ(image.height, 120u);
    ASSERT_EQ(image.bpp, 24);
    // Background 10 20 30 in the corner (B, G, R stored), the box in the middle.
    EXPECT_EQ(image.pixels[0], 0x30);
    EXPECT_EQ(image.pixels[1], 0x20);
    EXPECT_EQ(image.pixels[2], 0x10);
    const std::size_t centre = (static_cast<std::size_t>(60) * 160 + 80) * 3;
    EXPECT_NE(image.pixels[centre + 2], 0x10);

    // Supersampled: the same size, drawn four times larger.
    const std::string smooth = Out("smooth.png");
    ASSERT_EQ(Run("--preview '" + model + "' -o '" + smooth + "' --size 40x30 --supersample 4").status, 0);
    const std::string smoothBytes = testsupport::ReadFileBytes(smooth);
    imagecodec::ImageData small;
    ASSERT_TRUE(png->decode(reinterpret_cast<const uint8_t*>(smoothBytes.data()), smoothBytes.size(), small, nullptr));
    EXPECT_EQ(small.width, 40u);
    EXPECT_EQ(small.height, 30u);
}

TEST(DownsampleTest, AveragesBlocksAndDropsTheRemainder) {
    boxora::PreviewFrame f;
    f.width = 5;
    f.height = 4;
    f.rgba.assign(5 * 4 * 4, 0);
    for (int y = 0; y < 4; ++y)
        for (int x = 0; x < 5; ++x)
            for (int c = 0; c < 4; ++c) f.rgba[(y * 5 + x) * 4 + c] = static_cast<uint8_t>(10 * x + 100 * (y % 2) + c);
    const boxora::PreviewFrame d = boxora::Downsample(f, 2);
    ASSERT_EQ(d.width, 2);
    ASSERT_EQ(d.height, 2);
    // Block (0, 0): x 0..1, y 0..1 → (0 + 10 + 100 + 110) / 4 = 55.
    EXPECT_EQ(d.At(0, 0)[0], 55);
    EXPECT_EQ(d.At(1, 1)[0], 75);
    EXPECT_EQ(d.At(1, 1)[3], 78);
    EXPECT_EQ(boxora::Downsample(f, 1).width, 5);
    EXPECT_TRUE(boxora::Downsample(f, 8).Empty());
}

}  // namespace
