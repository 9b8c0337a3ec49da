// boxora-render SCENE -o OUT: the picture's format, the run's failures and
// exit status, several pictures in one run, the progress bar, and Ctrl+C.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <signal.h>
#include <spawn.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <filesystem>
#include <thread>

#include <nlohmann/json.hpp>

#include "image/ImageCodec.h"
#include "platform/ProfileFile.h"
#include "tests/support/TestSupport.h"

extern char** environ;

namespace {

namespace fs = std::filesystem;

struct RunResult {
    int status = -1;
    std::string err;  // standard error
};

fs::path Exe() { return testsupport::AppDir() / "boxora-render"; }
fs::path Examples() { return testsupport::DataDir().parent_path().parent_path() / "examples"; }

std::string Quote(const std::string& s) { return "'" + s + "'"; }

class SceneRenderCliTest : public ::testing::Test {
protected:
    void SetUp() override {
        if (!fs::exists(Exe())) GTEST_SKIP() << "boxora-render not built";
        if (!fs::exists(testsupport::AppDir() / "data" / "Objects" / "Box.3ds")) GTEST_SKIP() << "no model catalogue";
        singleBox = (Examples() / "single-box.scn").string();
        dvdAndCd = (Examples() / "dvd-and-cd.scn").string();
    }

    // Runs the program (models from the build's own catalogue); standard
    // error is kept, standard output dropped.
    RunResult Run(const std::string& args) {
        RunResult r;
        const std::string errFile = dir.File("stderr.txt");
        const std::string command = Quote(Exe().string()) + " " + args + " >/dev/null 2>" + Quote(errFile);
        const int status = std::system(command.c_str());
        r.status = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
        r.err = testsupport::ReadFileBytes(errFile);
        return r;
    }
    std::string Out(const std::string& name) const { return dir.File(name); }

    // A copy of the single-box example whose object names the model `model`.
    std::string SceneWithModel(const std::string& name, const std::string& model) {
        boxora::ProfileDocument doc = boxora::ProfileDocument::Load(singleBox);
        doc.SetString("OBJECT_0", "Object_Name", model);
        const std::string path = Out(name);
        EXPECT_TRUE(doc.Save(path));
        return path;
    }

    static bool Loads(const std::string& path, int format, ImageCodec& image) { return image.Load(path, format); }

    testsupport::TempDir dir;
    std::string singleBox;
    std::string dvdAndCd;
};

TEST_F(SceneRenderCliTest, FormatFollowsTheExtensionOrFormatOption) {
    // One run, one engine, six pictures.
    const RunResult r =
        Run(Quote(singleBox) + " -o " + Quote(Out("a.jpg")) + " " + Quote(singleBox) + " -o " + Quote(Out("b.TIF")) +
            " " + Quote(singleBox) + " -o " + Quote(Out("c.gif")) + " " + Quote(singleBox) + " -o " +
            Quote(Out("d.ppm")) + " " + Quote(singleBox) + " -o " + Quote(Out("e.tga")) + " " + Quote(singleBox) +
            " -o " + Quote(Out("f.bmp")) + " --size 48x32");
    ASSERT_EQ(r.status, 0) << r.err;
    // No bar and no chatter when standard error is not a terminal.
    EXPECT_EQ(r.err.find("boxora-render"), std::string::npos) << r.err;
    EXPECT_EQ(r.err.find('%'), std::string::npos) << r.err;
    const std::pair<const char*, int> expected[] = {{"a.jpg", FORMAT_JPG}, {"b.TIF", FORMAT_TIF},
                                                    {"c.gif", FORMAT_GIF}, {"d.ppm", FORMAT_PNM},
                                                    {"e.tga", FORMAT_TGA}, {"f.bmp", FORMAT_BMP}};
    for (const auto& [name, format] : expected) {
        ImageCodec image;
        ASSERT_TRUE(Loads(Out(name), format, image)) << name << ": " << image.LastError();
        EXPECT_EQ(image.GetWidth(), 48u) << name;
        EXPECT_EQ(image.GetHeight(), 32u) << name;
    }
    ImageCodec gif;
    ASSERT_TRUE(Loads(Out("c.gif"), FORMAT_GIF, gif));
    EXPECT_EQ(gif.GetBpp(), 8);

    // --format wins over the extension; a transparent TIFF keeps its alpha.
    ASSERT_EQ(Run(Quote(singleBox) + " -o " + Quote(Out("shot.img")) + " --format png --size 40x40").status, 0);
    ImageCodec png;
    EXPECT_TRUE(Loads(Out("shot.img"), FORMAT_PNG, png)) << png.LastError();
    ASSERT_EQ(Run(Quote(singleBox) + " -o " + Quote(Out("cut.tiff")) + " --transparent --tiff lzw --size 60x60").status,
              0);
    ImageCodec tiff;
    ASSERT_TRUE(Loads(Out("cut.tiff"), FORMAT_TIF, tiff)) << tiff.LastError();
    ASSERT_TRUE(tiff.HasAlpha());
    EXPECT_EQ(tiff.Data().alpha[0], 0);  // corner: background only

    // JPEG options: a progressive file carries the SOF2 marker.
    ASSERT_EQ(Run(Quote(singleBox) + " -o " + Quote(Out("p.jpg")) + " --progressive --quality 60 --size 40x40").status,
              0);
    const std::string bytes = testsupport::ReadFileBytes(Out("p.jpg"));
    EXPECT_NE(bytes.find("\xFF\xC2"), std::string::npos);
    const std::string baseline = testsupport::ReadFileBytes(Out("a.jpg"));
    EXPECT_EQ(baseline.find("\xFF\xC2"), std::string::npos);
}

TEST_F(SceneRenderCliTest, ValuesAfterAnEqualsSignAndScenesAfterADoubleDash) {
    // A scene whose name starts with '-' reads as an option until "--" ends
    // them; the -o for a scene after "--" comes before it.
    fs::copy_file(singleBox, Out("-box.scn"));
    const std::string inDir = "cd " + Quote(dir.Path().string()) + " && " + Quote(Exe().string());
    const int refused = std::system((inDir + " -box.scn -o refused.png 2>" + Quote(Out("err.txt"))).c_str());
    EXPECT_EQ(WEXITSTATUS(refused), 2);
    const std::string err = testsupport::ReadFileBytes(Out("err.txt"));
    EXPECT_NE(err.find("unknown option -box.scn"), std::string::npos) << err;
    EXPECT_FALSE(fs::exists(Out("refused.png")));

    const int status = std::system((inDir + " --size=30x20 --output=dash.png -- -box.scn 2>/dev/null").c_str());
    ASSERT_EQ(WEXITSTATUS(status), 0);
    ImageCodec image;
    ASSERT_TRUE(Loads(Out("dash.png"), FORMAT_PNG, image)) << image.LastError();
    EXPECT_EQ(image.GetWidth(), 30u);
    EXPECT_EQ(image.GetHeight(), 20u);

    // A value after '=' is checked as a separate one is.
    const RunResult r = Run(Quote(singleBox) + " --output=" + Quote(Out("q.png")) + " --quality=abc");
    EXPECT_EQ(r.status, 2);
    EXPECT_NE(r.err.find("--quality takes 0 to 100"), std::string::npos) << r.err;
}

TEST_F(SceneRenderCliTest, FailuresAreReportedWithANonZeroStatus) {
    // Wrong arguments: status 2, nothing rendered.
    for (const char* size : {"0x10", "10x0", "16001x10", "10x16001", "-5x10", "10"}) {
        const RunResult r = Run(Quote(singleBox) + " -o " + Quote(Out("x.png")) + " --size " + size);
        EXPECT_EQ(r.status, 2) << size;
        EXPECT_NE(r.err.find("1 to 16000"), std::string::npos) << r.err;
    }
    EXPECT_EQ(Run(Quote(singleBox) + " -o " + Quote(Out("x.unknown"))).status, 2);
    EXPECT_EQ(Run(Quote(singleBox)).status, 2);                                      // no -o
    EXPECT_EQ(Run("-o " + Quote(Out("x.png")) + " " + Quote(singleBox)).status, 2);  // -o before its scene
    EXPECT_EQ(Run(Quote(singleBox) + " -o " + Quote(Out("x.png")) + " --format heic").status, 2);
    EXPECT_EQ(Run(Quote(singleBox) + " -o " + Quote(Out("x.png")) + " --quality 101").status, 2);
    EXPECT_EQ(Run(Quote(singleBox) + " -o " + Quote(Out("x.png")) + " --mode 1").status, 2);  // a preview option
    EXPECT_FALSE(fs::exists(Out("x.png")));

    // A scene that is not there, or holds no scene.
    RunResult r = Run(Quote(Out("none.scn")) + " -o " + Quote(Out("none.png")));
    EXPECT_EQ(r.status, 1);
    EXPECT_NE(r.err.find("Could not open file: " + Out("none.scn")), std::string::npos) << r.err;
    testsupport::WriteFileBytes(Out("junk.scn"), std::string("\x01\x02junk\xFF", 8));
    r = Run(Quote(Out("junk.scn")) + " -o " + Quote(Out("junk.png")));
    EXPECT_EQ(r.status, 1);
    EXPECT_NE(r.err.find("Could not open file: " + Out("junk.scn")), std::string::npos) << r.err;
    r = Run("--dump " + Quote(Out("junk.scn")));
    EXPECT_EQ(r.status, 1);
    EXPECT_NE(r.err.find("Could not open file"), std::string::npos) << r.err;

    // A scene naming a model that is not in the catalogue: the engine's own
    // message names the file, and no picture is written.
    const std::string missing = SceneWithModel("missing.scn", "No Such Package");
    r = Run(Quote(missing) + " -o " + Quote(Out("missing.png")));
    EXPECT_EQ(r.status, 1);
    EXPECT_NE(r.err.find("No Such Package.3ds"), std::string::npos) << r.err;
    EXPECT_NE(r.err.find("nothing written"), std::string::npos) << r.err;

    // An output that cannot be written: the render job's "errsave" message.
    r = Run(Quote(singleBox) + " -o " + Quote(Out("no/such/folder/x.png")) + " --size 20x20");
    EXPECT_EQ(r.status, 1);
    EXPECT_NE(r.err.find("no/such/folder/x.png"), std::string::npos) << r.err;

    EXPECT_FALSE(fs::exists(Out("none.png")));
    EXPECT_FALSE(fs::exists(Out("junk.png")));
    EXPECT_FALSE(fs::exists(Out("missing.png")));

    // A failing picture does not stop the others of the run.
    r = Run(Quote(missing) + " -o " + Quote(Out("m.png")) + " " + Quote(singleBox) + " -o " + Quote(Out("ok.png")) +
            " --size 20x20");
    EXPECT_EQ(r.status, 1);
    EXPECT_FALSE(fs::exists(Out("m.png")));
    EXPECT_TRUE(fs::exists(Out("ok.png")));
}

TEST_F(SceneRenderCliTest, SceneOfABatchRendersAsItDoesAlone) {
    // The single box with nothing but its object: camera, lights, shadow
    // and reflection are left to their start values.
    const boxora::ProfileDocument full = boxora::ProfileDocument::Load(singleBox);
    boxora::ProfileDocument bare;
    bare.SetEncoding(boxora::ProfileEncoding::Utf16LeBom);
    for (const char* key : {"Object_Name", "User_Defined_Name", "Translate_X", "Translate_Y", "Translate_Z", "Rotate_X",
                            "Rotate_Y", "Rotate_Z", "Scale_X", "Scale_Y", "Scale_Z"})
        bare.SetString("OBJECT_0", key, full.GetString("OBJECT_0", key, ""));
    const std::string bareScene = Out("bare.scn");
    ASSERT_TRUE(bare.Save(bareScene));

    const std::string options = " --size 90x70 --seed 5";
    RunResult r = Run(Quote(bareScene) + " -o " + Quote(Out("alone.png")) + options);
    ASSERT_EQ(r.status, 0) << r.err;
    r = Run(Quote(singleBox) + " -o " + Quote(Out("first.png")) + " " + Quote(bareScene) + " -o " +
            Quote(Out("second.png")) + options);
    ASSERT_EQ(r.status, 0) << r.err;
    ImageCodec alone, first, second;
    ASSERT_TRUE(Loads(Out("alone.png"), FORMAT_PNG, alone));
    ASSERT_TRUE(Loads(Out("first.png"), FORMAT_PNG, first));
    ASSERT_TRUE(Loads(Out("second.png"), FORMAT_PNG, second));
    // The first scene's own camera and lights make a different picture;
    // none of them carries over to the second.
    EXPECT_NE(first.Data().pixels, alone.Data().pixels);
    EXPECT_EQ(second.Data().pixels, alone.Data().pixels);
}

TEST_F(SceneRenderCliTest, SeedFixesThePictureEvenWithAnotherRunAlongside) {
    // Two runs at the same time with the same seed, then one alone: the
    // shadow's random spread belongs to each job, so the files are equal.
    const std::string exe = Quote(Exe().string());
    const std::string options = " --size 160x120 --seed 7 2>/dev/null";
    const std::string both = exe + " " + Quote(dvdAndCd) + " -o " + Quote(Out("a.png")) + options + " & " + exe + " " +
                             Quote(dvdAndCd) + " -o " + Quote(Out("b.png")) + options + "; wait";
    ASSERT_EQ(std::system(both.c_str()), 0);
    RunResult r = Run(Quote(dvdAndCd) + " -o " + Quote(Out("c.png")) + " --size 160x120 --seed 7");
    ASSERT_EQ(r.status, 0) << r.err;
    r = Run(Quote(dvdAndCd) + " -o " + Quote(Out("d.png")) + " --size 160x120 --seed 8");
    ASSERT_EQ(r.status, 0) << r.err;
    const std::string a = testsupport::ReadFileBytes(Out("a.png"));
    ASSERT_FALSE(a.empty());
    EXPECT_EQ(testsupport::ReadFileBytes(Out("b.png")), a);
    EXPECT_EQ(testsupport::ReadFileBytes(Out("c.png")), a);
    // Another seed moves the shadow's samples.
    ImageCodec seven, eight;
    ASSERT_TRUE(Loads(Out("a.png"), FORMAT_PNG, seven));
    ASSERT_TRUE(Loads(Out("d.png"), FORMAT_PNG, eight));
    EXPECT_NE(seven.Data().pixels, eight.Data().pixels);
}

TEST_F(SceneRenderCliTest, FolderOfScenesAndProgressBar) {
    fs::create_directories(Out("scenes"));
    fs::copy_file(singleBox, Out("scenes/one.scn"));
    fs::copy_file(dvdAndCd, Out("scenes/two.scn"));
    testsupport::WriteFileBytes(Out("scenes/notes.txt"), "not a scene");
    const RunResult r =
        Run(Quote(Out("scenes")) + " -o " + Quote(Out("pictures")) + " --format jpg --size 50x40 --progress");
    ASSERT_EQ(r.status, 0) << r.err;
    EXPECT_TRUE(fs::exists(Out("pictures/one.jpg")));
    EXPECT_TRUE(fs::exists(Out("pictures/two.jpg")));
    EXPECT_EQ(std::distance(fs::directory_iterator(Out("pictures")), fs::directory_iterator()), 2);

    // The bar is redrawn in place from the engine's progress and ends at
    // 100 % once per picture.
    EXPECT_NE(r.err.find("\rone.scn ["), std::string::npos) << r.err;
    EXPECT_NE(r.err.find("\rtwo.scn ["), std::string::npos) << r.err;
    std::size_t full = 0;
    for (std::size_t at = r.err.find("] 100%"); at != std::string::npos; at = r.err.find("] 100%", at + 1)) ++full;
    EXPECT_EQ(full, 2u);
    EXPECT_NE(r.err.find(" 50%"), std::string::npos);
    EXPECT_NE(r.err.find("wrote "), std::string::npos);

    // A folder without scenes is a failure.
    fs::create_directories(Out("empty"));
    EXPECT_EQ(Run(Quote(Out("empty")) + " -o " + Quote(Out("out"))).status, 1);
}

TEST_F(SceneRenderCliTest, PicturesGoThroughLinksAndToStandardOutput) {
    // A link is written through and stays; the replaced file keeps its mode.
    const std::string real = Out("real.png"), link = Out("link.png");
    fs::create_symlink("real.png", link);
    ASSERT_EQ(Run(Quote(singleBox) + " -o " + Quote(link) + " --size 30x30").status, 0);
    ::chmod(real.c_str(), 0600);
    ASSERT_EQ(Run(Quote(singleBox) + " -o " + Quote(link) + " --size 40x40").status, 0);
    EXPECT_TRUE(fs::is_symlink(link));
    struct stat st {};
    ASSERT_EQ(::stat(real.c_str(), &st), 0);
    EXPECT_EQ(st.st_mode & 07777, 0600u);
    ImageCodec image;
    ASSERT_TRUE(Loads(real, FORMAT_PNG, image));
    EXPECT_EQ(image.GetWidth(), 40u);

    // /dev/stdout and "-" stream the picture, into a pipe or a file.
    const std::string piped = Out("piped.jpg"), redirected = Out("redirected.png");
    const std::string exe = Quote(Exe().string()) + " " + Quote(singleBox);
    ASSERT_EQ(std::system((exe + " -o - --format jpg --size 20x10 2>/dev/null | cat > " + Quote(piped)).c_str()), 0);
    ASSERT_EQ(
        std::system((exe + " -o /dev/stdout --format png --size 10x20 2>/dev/null > " + Quote(redirected)).c_str()), 0);
    ASSERT_TRUE(Loads(piped, FORMAT_JPG, image));
    EXPECT_EQ(image.GetWidth(), 20u);
    ASSERT_TRUE(Loads(redirected, FORMAT_PNG, image));
    EXPECT_EQ(image.GetHeight(), 20u);
}

TEST_F(SceneRenderCliTest, NamesFromFilesReachTheTerminalEscaped) {
    // A model name that would retitle the terminal and clear the screen.
    const std::string scene = SceneWithModel("hostile.scn",
                                             "Box\x1B]0;owned\x07\xC2\x9B"
                                             "2J");
    const RunResult r = Run(Quote(scene) + " -o " + Quote(Out("h.png")) + " --size 20x20");
    EXPECT_EQ(r.status, 1);
    EXPECT_NE(r.err.find("Box\\x1B]0;owned\\x07\\x9B2J"), std::string::npos) << r.err;
    EXPECT_EQ(r.err.find('\x1B'), std::string::npos);
    EXPECT_EQ(r.err.find("\xC2\x9B"), std::string::npos);

    // The dump is still JSON, with the characters escaped.
    boxora::ProfileDocument doc = boxora::ProfileDocument::Load(singleBox);
    doc.SetString("OBJECT_0", "User_Defined_Name",
                  "Box\x1B]0;owned\x07\xC2\x9B"
                  "2J");
    ASSERT_TRUE(doc.Save(Out("named.scn")));
    const std::string json = Out("dump.json");
    std::system(
        (Quote(Exe().string()) + " --dump " + Quote(Out("named.scn")) + " > " + Quote(json) + " 2>/dev/null").c_str());
    const std::string text = testsupport::ReadFileBytes(json);
    EXPECT_NE(text.find("Box\\u001b]0;owned\\u0007\\u009b2J"), std::string::npos);
    for (const char c : text) EXPECT_FALSE(static_cast<unsigned char>(c) < 0x20 && c != '\n') << int(c);
}

TEST_F(SceneRenderCliTest, InterruptGivesUpThePictureBeingRendered) {
    const std::string out = Out("big.png");
    const std::string exe = Exe().string();
    const std::string size = "2500x2500";
    const char* argv[] = {exe.c_str(), singleBox.c_str(), "-o",      out.c_str(),
                          "--size",    size.c_str(),      "--quiet", nullptr};
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, STDERR_FILENO, "/dev/null", O_WRONLY, 0);
    pid_t pid = 0;
    ASSERT_EQ(posix_spawn(&pid, exe.c_str(), &actions, nullptr, const_cast<char**>(argv), environ), 0);
    posix_spawn_file_actions_destroy(&actions);
    std::this_thread::sleep_for(std::chrono::milliseconds(700));
    const auto start = std::chrono::steady_clock::now();
    kill(pid, SIGINT);
    int status = 0;
    ASSERT_EQ(waitpid(pid, &status, 0), pid);
    const double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    ASSERT_TRUE(WIFEXITED(status));
    EXPECT_EQ(WEXITSTATUS(status), 130);
    EXPECT_FALSE(fs::exists(out));
    EXPECT_LT(seconds, 10.0);
}

TEST_F(SceneRenderCliTest, ImagesThatCannotBeUsedFailTheSceneUnlessAllowed) {
    // A cover image that is no image, and one that is missing.
    testsupport::WriteFileBytes(Out("broken.png"), "this is not a picture");
    boxora::ProfileDocument doc = boxora::ProfileDocument::Load(singleBox);
    doc.SetString("OBJECT_0", "Image_Front", Out("broken.png"));
    doc.SetString("OBJECT_0", "Image_Back", Out("gone.png"));
    const std::string scene = Out("images.scn");
    ASSERT_TRUE(doc.Save(scene));

    RunResult r = Run(Quote(scene) + " -o " + Quote(Out("no.png")) + " --size 30x30");
    EXPECT_EQ(r.status, 1);
    EXPECT_FALSE(fs::exists(Out("no.png")));
    // Each file is named once, although the render would decode it again.
    const std::size_t first = r.err.find(Out("broken.png"));
    ASSERT_NE(first, std::string::npos) << r.err;
    EXPECT_EQ(r.err.find(Out("broken.png"), first + 1), std::string::npos) << r.err;
    EXPECT_NE(r.err.find(Out("gone.png")), std::string::npos) << r.err;

    r = Run(Quote(scene) + " -o " + Quote(Out("yes.png")) + " --size 30x30 --allow-missing");
    EXPECT_EQ(r.status, 0) << r.err;
    EXPECT_TRUE(fs::exists(Out("yes.png")));
}

TEST_F(SceneRenderCliTest, WholeShadowLengthsDumpAsThemselves) {
    // 7 came back as 6.99999809 when the length was computed back from the
    // stored elevation; the Shadows tab and the next save then made it 6.
    for (int length : {2, 7, 32, 100}) {
        boxora::ProfileDocument doc = boxora::ProfileDocument::Load(singleBox);
        doc.SetString("LIGHT_SHADOW", "Length", std::to_string(length) + ".000000");
        const std::string scene = Out("length.scn");
        ASSERT_TRUE(doc.Save(scene));
        const std::string json = Out("dump.json");
        const std::string command =
            Quote(Exe().string()) + " --dump " + Quote(scene) + " >" + Quote(json) + " 2>/dev/null";
        ASSERT_EQ(std::system(command.c_str()), 0);
        const auto dump = nlohmann::json::parse(testsupport::ReadFileBytes(json));
        EXPECT_EQ(dump.at("scene").at("shadowLength").get<double>(), length);
    }
}

}  // namespace
