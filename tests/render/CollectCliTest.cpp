// boxora-render SCENE --collect FOLDER: the scene and every image it uses in
// one folder that renders wherever it is moved; images found nowhere named
// together in one message.
#include <gtest/gtest.h>
#include <sys/wait.h>

#include <cstdlib>
#include <filesystem>

#include "image/ImageCodec.h"
#include "tests/support/TestSupport.h"

namespace {

namespace fs = std::filesystem;

std::string Quote(const std::string& s) { return "'" + s + "'"; }

class CollectCliTest : public ::testing::Test {
protected:
    void SetUp() override {
        exe = (testsupport::AppDir() / "boxora-render").string();
        if (!fs::exists(exe)) GTEST_SKIP() << "boxora-render not built";
        if (!fs::exists(testsupport::AppDir() / "data" / "Objects" / "Box.3ds")) GTEST_SKIP() << "no model catalogue";
    }

    void WritePng(const std::string& name) {
        std::vector<uint8_t> bgr(16 * 16 * 3, 200);
        ImageCodec image;
        ASSERT_TRUE(image.CreateFromArray(bgr.data(), 16, 16, 24, 16 * 3, false));
        fs::create_directories(fs::path(dir.File(name)).parent_path());
        ASSERT_TRUE(image.Save(dir.File(name), FORMAT_PNG));
    }

    int Run(const std::string& args) {
        const std::string command = "cd " + Quote(dir.Path().string()) + " && " + Quote(exe) + " " + args + " 2>" +
                                    Quote(dir.File("err.txt")) + " >/dev/null";
        const int status = std::system(command.c_str());
        err = testsupport::ReadFileBytes(dir.File("err.txt"));
        return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    }

    testsupport::TempDir dir;
    std::string exe, err;
};

TEST_F(CollectCliTest, TheCollectedFolderRendersElsewhereAndMissingImagesAreNamedTogether) {
    WritePng("proj/art/front.png");
    WritePng("other/front.png");  // same name, another file
    testsupport::WriteFileBytes(dir.File("proj/p.scn"),
                                "[OBJECT_0]\nObject_Name=Box\nImage_Front=art/front.png\n"
                                "Image_Back=" +
                                    dir.File("other/front.png") + "\n[SCENE]\nVersion=1.8\n");
    ASSERT_EQ(Run("proj/p.scn --collect parcel"), 0) << err;
    EXPECT_TRUE(fs::exists(dir.File("parcel/front.png")));
    EXPECT_TRUE(fs::exists(dir.File("parcel/front-2.png")));
    fs::rename(dir.File("parcel"), dir.File("sent"));
    fs::remove_all(dir.File("proj"));
    fs::remove_all(dir.File("other"));
    EXPECT_EQ(Run("sent/p.scn -o shot.png --size 32x32"), 0) << err;
    EXPECT_TRUE(fs::exists(dir.File("shot.png")));

    testsupport::WriteFileBytes(dir.File("lost.scn"),
                                "[OBJECT_0]\nObject_Name=Box\nImage_Front=gone/a.png\n"
                                "Image_Back=/nowhere/b.png\n[SCENE]\nVersion=1.8\n");
    EXPECT_EQ(Run("lost.scn -o lost.png --size 32x32"), 1);
    EXPECT_NE(err.find("not found, neither where it names them nor beside it:\n  gone/a.png\n  /nowhere/b.png\n"),
              std::string::npos)
        << err;
    EXPECT_EQ(Run("lost.scn --collect parcel2"), 1);
    EXPECT_NE(err.find("  gone/a.png\n  /nowhere/b.png"), std::string::npos) << err;
    EXPECT_EQ(Run("lost.scn --collect parcel3 --size 10x10"), 2);
}

}  // namespace
