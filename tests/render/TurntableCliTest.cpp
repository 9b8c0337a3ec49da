// boxora-render SCENE --turntable N: what each kind of output really holds
// (read back by giflib, webpmux, ffprobe and ImageMagick), the numbered
// name's checks, and an interrupted animation leaving no file.
#include <fcntl.h>
#include <gif_lib.h>
#include <gtest/gtest.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <filesystem>
#include <thread>

#include "image/ImageCodec.h"
#include "tests/support/TestSupport.h"

extern char** environ;

namespace {

namespace fs = std::filesystem;

fs::path Exe() { return testsupport::AppDir() / "boxora-render"; }
std::string Quote(const std::string& s) { return "'" + s + "'"; }

// Standard output of a shell command; empty when it cannot run.
std::string Capture(const std::string& command) {
    std::string out;
    if (FILE* pipe = popen(command.c_str(), "r")) {
        char buffer[4096];
        std::size_t n = 0;
        while ((n = std::fread(buffer, 1, sizeof buffer, pipe)) > 0) out.append(buffer, n);
        pclose(pipe);
    }
    return out;
}

bool HaveTool(const char* name) {
    return std::system((std::string("command -v ") + name + " >/dev/null 2>&1").c_str()) == 0;
}

class TurntableCliTest : public ::testing::Test {
protected:
    void SetUp() override {
        if (!fs::exists(Exe())) GTEST_SKIP() << "boxora-render not built";
        if (!fs::exists(testsupport::AppDir() / "data" / "Objects" / "Box.3ds")) GTEST_SKIP() << "no model catalogue";
        scene = (testsupport::DataDir().parent_path().parent_path() / "examples" / "single-box.scn").string();
    }
    int Run(const std::string& args) {
        const std::string command =
            Quote(Exe().string()) + " " + Quote(scene) + " " + args + " --quiet >/dev/null 2>" + Quote(dir.File("err"));
        const int status = std::system(command.c_str());
        return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    }
    std::string Err() { return testsupport::ReadFileBytes(dir.File("err")); }

    testsupport::TempDir dir;
    std::string scene;
};

TEST_F(TurntableCliTest, GifLoopsForeverWithOnePaletteAndReallyTurns) {
    const std::string out = dir.File("spin.gif");
    ASSERT_EQ(Run("--turntable 12 --size 96x96 --fps 10 -o " + Quote(out)), 0) << Err();
    int error = 0;
    GifFileType* gif = DGifOpenFileName(out.c_str(), &error);
    ASSERT_NE(gif, nullptr);
    ASSERT_EQ(DGifSlurp(gif), GIF_OK);
    ASSERT_EQ(gif->ImageCount, 12);
    ASSERT_NE(gif->SColorMap, nullptr);
    // giflib files the extensions before the first frame with that frame.
    bool loopsForever = false;
    const SavedImage& first = gif->SavedImages[0];
    for (int i = 0; i + 1 < first.ExtensionBlockCount; ++i) {
        const ExtensionBlock& b = first.ExtensionBlocks[i];
        if (b.Function == APPLICATION_EXT_FUNC_CODE && b.ByteCount == 11 &&
            std::string(reinterpret_cast<char*>(b.Bytes), 11) == "NETSCAPE2.0") {
            const ExtensionBlock& sub = first.ExtensionBlocks[i + 1];
            loopsForever = sub.ByteCount == 3 && sub.Bytes[0] == 1 && sub.Bytes[1] == 0 && sub.Bytes[2] == 0;
        }
    }
    EXPECT_TRUE(loopsForever);
    const std::size_t count = 96 * 96;
    int changed = 0;
    for (int f = 0; f < 12; ++f) {
        const SavedImage& frame = gif->SavedImages[f];
        EXPECT_EQ(frame.ImageDesc.ColorMap, nullptr) << "frame " << f << " has a palette of its own";
        GraphicsControlBlock gcb;
        ASSERT_EQ(DGifSavedExtensionToGCB(gif, f, &gcb), GIF_OK);
        EXPECT_EQ(gcb.DelayTime, 10);
    }
    for (std::size_t i = 0; i < count; ++i)
        changed += gif->SavedImages[0].RasterBits[i] != gif->SavedImages[3].RasterBits[i];
    // A quarter turn moves the package's faces across much of the picture.
    EXPECT_GT(changed, static_cast<int>(count / 20));
    DGifCloseFile(gif, &error);
}

TEST_F(TurntableCliTest, WebpAnimationAndVideoHoldEveryFrame) {
    if (!HaveTool("webpmux") || !HaveTool("ffprobe")) GTEST_SKIP() << "webpmux or ffprobe missing";
    const std::string webp = dir.File("spin.webp"), mp4 = dir.File("spin.mp4");
    ASSERT_EQ(Run("--turntable 12 --size 96x96 --transparent -o " + Quote(webp)), 0) << Err();
    const std::string info = Capture("webpmux -info " + Quote(webp));
    EXPECT_NE(info.find("Number of frames: 12"), std::string::npos) << info;
    EXPECT_NE(info.find("Loop Count : 0"), std::string::npos) << info;
    EXPECT_NE(info.find("transparency"), std::string::npos) << info;
    ASSERT_EQ(Run("--turntable 12 --size 95x95 -o " + Quote(mp4)), 0) << Err();
    const std::string probe = Capture(
        "ffprobe -v error -count_frames -select_streams v:0 -show_entries "
        "stream=codec_name,nb_read_frames -of csv=p=0 " +
        Quote(mp4));
    EXPECT_EQ(probe, "h264,12\n");
}

TEST_F(TurntableCliTest, NumberedNameGivesOneStillPerFrameAndIsCheckedStrictly) {
    ASSERT_EQ(Run("--turntable 12 --size 48x48 -o " + Quote(dir.File("spin-%03d.png"))), 0) << Err();
    for (int i = 0; i < 12; ++i) {
        char name[32];
        std::snprintf(name, sizeof name, "spin-%03d.png", i);
        ImageCodec image;
        EXPECT_TRUE(image.Load(dir.File(name), FORMAT_PNG)) << name;
        EXPECT_EQ(image.GetWidth(), 48u);
    }
    EXPECT_FALSE(fs::exists(dir.File("spin-012.png")));
    // Never a printf format: anything but one %d or %0Nd is refused.
    for (const char* bad : {"a-%s.png", "a-%d-%d.png", "a-%5d.png", "a-%n.png", "a-%.png", "%x.gif"}) {
        EXPECT_EQ(Run("--turntable 3 --size 8x8 -o " + Quote(dir.File(bad))), 2) << bad;
        EXPECT_NE(Err().find("%d or %0Nd"), std::string::npos) << bad;
    }
    ASSERT_EQ(Run("--turntable 2 --size 8x8 -o " + Quote(dir.File("100%%-%d.jpg"))), 0) << Err();
    EXPECT_TRUE(fs::exists(dir.File("100%-1.jpg")));
}

TEST_F(TurntableCliTest, TransparentWebpStillKeepsItsAlpha) {
    if (!HaveTool("identify")) GTEST_SKIP() << "ImageMagick missing";
    const std::string out = dir.File("still.webp");
    ASSERT_EQ(Run("--size 64x64 --transparent -o " + Quote(out)), 0) << Err();
    EXPECT_EQ(Capture("identify -format '%A' " + Quote(out)), "True");
    // Our own decoder (in the helper) reads the corner as see-through.
    ImageCodec image;
    ASSERT_TRUE(image.Load(out, FORMAT_WEBP)) << image.LastError();
    ASSERT_TRUE(image.HasAlpha());
    EXPECT_EQ(image.Data().alpha.back(), 0);
}

TEST_F(TurntableCliTest, InterruptedAnimationLeavesNoFile) {
    const std::string out = dir.File("long.gif");
    const std::string exe = Exe().string();
    const char* argv[] = {exe.c_str(), scene.c_str(), "--turntable", "400",     "--size",
                          "300x300",   "-o",          out.c_str(),   "--quiet", nullptr};
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, STDERR_FILENO, "/dev/null", O_WRONLY, 0);
    pid_t pid = 0;
    ASSERT_EQ(posix_spawn(&pid, exe.c_str(), &actions, nullptr, const_cast<char**>(argv), environ), 0);
    posix_spawn_file_actions_destroy(&actions);
    std::this_thread::sleep_for(std::chrono::milliseconds(1500));
    kill(pid, SIGINT);
    int status = 0;
    ASSERT_EQ(waitpid(pid, &status, 0), pid);
    ASSERT_TRUE(WIFEXITED(status));
    EXPECT_EQ(WEXITSTATUS(status), 130);
    // Not even a temporary file beside it.
    EXPECT_TRUE(fs::is_empty(dir.Path()));
}

}  // namespace
