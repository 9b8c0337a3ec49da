// boxora-render SCENE --variants TABLE: a picture per row with that row's
// images, the scene's values wherever a cell is empty, failing rows
// reported without stopping the others, the JSON report, shards run
// through GNU parallel and --skip-existing.
#include <gtest/gtest.h>
#include <sys/wait.h>

#include <cstdlib>
#include <filesystem>
#include <map>
#include <nlohmann/json.hpp>
#include <sstream>

#include "image/ImageCodec.h"
#include "tests/support/TestSupport.h"

namespace {

namespace fs = std::filesystem;

std::string Quote(const std::string& s) { return "'" + s + "'"; }

struct Rgb {
    int r, g, b;
};

class VariantsCliTest : public ::testing::Test {
protected:
    void SetUp() override {
        exe = (testsupport::AppDir() / "boxora-render").string();
        if (!fs::exists(exe)) GTEST_SKIP() << "boxora-render not built";
        if (!fs::exists(testsupport::AppDir() / "data" / "Objects" / "Box.3ds")) GTEST_SKIP() << "no model catalogue";
        scene = (testsupport::DataDir().parent_path().parent_path() / "examples" / "single-box.scn").string();
        fs::create_directories(dir.Path() / "art");
        WriteColour("art/red.png", 255, 0, 0);
        WriteColour("art/green.png", 0, 255, 0);
        WriteColour("art/blue.png", 0, 0, 255);
    }

    void WriteColour(const std::string& name, uint8_t r, uint8_t g, uint8_t b) {
        std::vector<uint8_t> bgr;
        for (int i = 0; i < 16 * 16; ++i) bgr.insert(bgr.end(), {b, g, r});
        ImageCodec image;
        ASSERT_TRUE(image.CreateFromArray(bgr.data(), 16, 16, 24, 16 * 3, false));
        ASSERT_TRUE(image.Save(dir.File(name), FORMAT_PNG));
    }

    // Runs in the test's folder; returns the exit status, standard error in err.
    int Run(const std::string& args) {
        const std::string command = "cd " + Quote(dir.Path().string()) + " && " + Quote(exe) + " " + Quote(scene) +
                                    " " + args + " 2>" + Quote(dir.File("err.txt"));
        const int status = std::system(command.c_str());
        err = testsupport::ReadFileBytes(dir.File("err.txt"));
        return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    }

    static Rgb PixelAt(const std::string& path, double x, double y) {
        ImageCodec image;
        EXPECT_TRUE(image.Load(path, FORMAT_PNG)) << path;
        const std::vector<uint8_t> bgr = image.Encode2RGB_Ex();  // bottom row first
        const auto w = image.GetWidth(), h = image.GetHeight();
        if (bgr.size() < std::size_t{w} * h * 3) return {-1, -1, -1};
        const std::size_t px = static_cast<std::size_t>(x * (w - 1)), py = static_cast<std::size_t>((1 - y) * (h - 1));
        const std::size_t i = (py * w + px) * 3;
        return {bgr[i + 2], bgr[i + 1], bgr[i]};
    }

    static std::vector<nlohmann::json> ReportLines(const std::string& path) {
        std::vector<nlohmann::json> lines;
        std::istringstream in(testsupport::ReadFileBytes(path));
        for (std::string line; std::getline(in, line);) lines.push_back(nlohmann::json::parse(line));
        return lines;
    }

    testsupport::TempDir dir;
    std::string exe, scene, err;
};

TEST_F(VariantsCliTest, EachRowGetsItsFrontAndTheSceneValuesBackAMissingImageFailsItsRowOnly) {
    // The camera looks straight at the front. Row 2 turns the background
    // black; row 3 leaves it empty and must get the scene's white back.
    testsupport::WriteFileBytes(dir.File("table.csv"),
                                "output,Front,background,camera_horizontal,camera_vertical\r\n"
                                "r1.png,art/red.png,,0,1\r\n"
                                "g1.png,art/green.png,000000,0,1\r\n"
                                "b1.png,art/blue.png,,0,1\r\n"
                                "sub/r2.png,art/red.png,,0,1\r\n"
                                "g2.png,art/green.png,,0,1\r\n"
                                "b2.png,art/blue.png,,0,1\r\n"
                                "lost.png,art/none.png,,0,1\r\n");
    EXPECT_EQ(Run("--variants table.csv -o out --size 64x64 --seed 1 --report report.jsonl"), 1);
    EXPECT_NE(err.find("row 7 (line 8): image not found"), std::string::npos) << err;
    EXPECT_NE(err.find("6 written, 1 failed, 0 skipped of 7 rows"), std::string::npos) << err;

    const std::map<std::string, Rgb> fronts = {{"r1.png", {255, 0, 0}}, {"g1.png", {0, 255, 0}},
                                               {"b1.png", {0, 0, 255}}, {"sub/r2.png", {255, 0, 0}},
                                               {"g2.png", {0, 255, 0}}, {"b2.png", {0, 0, 255}}};
    for (const auto& [name, colour] : fronts) {
        const Rgb c = PixelAt(dir.File("out/" + name), 0.5, 0.45);
        // The strong channel is the image's; lighting scales it.
        const int want[3] = {colour.r, colour.g, colour.b}, got[3] = {c.r, c.g, c.b};
        for (int k = 0; k < 3; ++k) {
            if (want[k])
                EXPECT_GT(got[k], 120) << name << " channel " << k;
            else
                EXPECT_LT(got[k], 60) << name << " channel " << k;
        }
    }
    const Rgb black = PixelAt(dir.File("out/g1.png"), 0.02, 0.02);
    const Rgb white = PixelAt(dir.File("out/b1.png"), 0.02, 0.02);
    EXPECT_LT(black.r + black.g + black.b, 30);
    EXPECT_GT(white.r + white.g + white.b, 700);
    EXPECT_FALSE(fs::exists(dir.File("out/lost.png")));

    const std::vector<nlohmann::json> report = ReportLines(dir.File("report.jsonl"));
    ASSERT_EQ(report.size(), 7u);
    for (std::size_t i = 0; i < 6; ++i) {
        EXPECT_EQ(report[i]["row"], i + 1);
        EXPECT_EQ(report[i]["status"], "ok");
    }
    EXPECT_EQ(report[6]["status"], "failed");
    EXPECT_EQ(report[6]["output"], "lost.png");
    EXPECT_NE(report[6]["message"].get<std::string>().find("none.png"), std::string::npos);
}

TEST_F(VariantsCliTest, OutputNamesOutsideTheFolderAndBrokenTablesAreRefused) {
    // An image that is there but no picture fails its row as a missing one does.
    testsupport::WriteFileBytes(dir.File("art/broken.png"), "\x89PNG\r\n\x1a\nnot really");
    testsupport::WriteFileBytes(dir.File("hostile.csv"),
                                "output,Front\n../escape.png,art/red.png\n" + dir.File("abs.png") +
                                    ",art/red.png\nsub/../../up.png,art/red.png\nbroken.png,art/broken.png\n");
    EXPECT_EQ(Run("--variants hostile.csv -o out --size 16x16"), 1);
    EXPECT_NE(err.find("0 written, 4 failed"), std::string::npos) << err;
    EXPECT_NE(err.find("row 4 (line 5): image cannot be read"), std::string::npos) << err;
    EXPECT_FALSE(fs::exists(dir.File("out/broken.png")));
    EXPECT_FALSE(fs::exists(dir.File("escape.png")));
    EXPECT_FALSE(fs::exists(dir.File("abs.png")));
    EXPECT_FALSE(fs::exists(dir.File("up.png")));

    // A quoting fault or an unknown column refuses the whole table.
    testsupport::WriteFileBytes(dir.File("broken.csv"), "output,Front\na.png,\"art/red.png\n");
    EXPECT_EQ(Run("--variants broken.csv -o out"), 1);
    EXPECT_NE(err.find("line 2: a quoted field is not closed"), std::string::npos) << err;
    testsupport::WriteFileBytes(dir.File("unknown.csv"), "output,Fornt\na.png,x.png\n");
    EXPECT_EQ(Run("--variants unknown.csv -o out"), 1);
    EXPECT_NE(err.find("unknown column \"Fornt\""), std::string::npos) << err;
    // Separators mixed in the header: the message names the likely one.
    testsupport::WriteFileBytes(dir.File("mixed.csv"), "output;Front,Back\na.png;x.png,y.png\n");
    EXPECT_EQ(Run("--variants mixed.csv -o out"), 1);
    EXPECT_NE(err.find("unknown column \"output;Front\" in the header (the header looks separated by semicolons"),
              std::string::npos)
        << err;
    EXPECT_EQ(Run("--variants unknown.csv -o out --shard 4/3"), 2);
}

TEST_F(VariantsCliTest, LinksPlantedInTheOutputFolderAreRefusedAndNothingOutsideIsTouched) {
    fs::create_directories(dir.Path() / "out" / "real");
    fs::create_directories(dir.Path() / "elsewhere");
    testsupport::WriteFileBytes(dir.File("victim.txt"), "keep me");
    fs::create_directory_symlink(dir.Path() / "elsewhere", dir.Path() / "out" / "sub");
    fs::create_symlink(dir.Path() / "victim.txt", dir.Path() / "out" / "link.png");
    fs::create_directory_symlink(dir.Path() / "elsewhere", dir.Path() / "out" / "real" / "deep");
    testsupport::WriteFileBytes(dir.File("out/plain"), "a file, not a folder");
    testsupport::WriteFileBytes(dir.File("table.csv"),
                                "output,Front\nsub/x.png,art/red.png\nlink.png,art/red.png\n"
                                "real/deep/y.png,art/red.png\nplain/z.png,art/red.png\nreal/ok.png,art/red.png\n");
    EXPECT_EQ(Run("--variants table.csv -o out --size 16x16"), 1);
    EXPECT_NE(err.find("row 1 (line 2): the output sub/x.png: sub is a link"), std::string::npos) << err;
    EXPECT_NE(err.find("row 2 (line 3): the output link.png: link.png is a link"), std::string::npos) << err;
    EXPECT_NE(err.find("row 3 (line 4): the output real/deep/y.png: real/deep is a link"), std::string::npos) << err;
    EXPECT_NE(err.find("row 4 (line 5): the output plain/z.png: plain is not a folder"), std::string::npos) << err;
    EXPECT_NE(err.find("1 written, 4 failed"), std::string::npos) << err;
    EXPECT_TRUE(fs::is_regular_file(dir.File("out/real/ok.png")));
    EXPECT_TRUE(fs::is_empty(dir.Path() / "elsewhere"));
    EXPECT_EQ(testsupport::ReadFileBytes(dir.File("victim.txt")), "keep me");
    EXPECT_TRUE(fs::is_symlink(dir.Path() / "out" / "link.png"));

    // -o itself may be a link: the folder it leads to takes the outputs.
    fs::create_directory_symlink(dir.Path() / "elsewhere", dir.Path() / "outlink");
    testsupport::WriteFileBytes(dir.File("one.csv"), "output,Front\nin/a.png,art/red.png\n");
    EXPECT_EQ(Run("--variants one.csv -o outlink --size 16x16"), 0) << err;
    EXPECT_TRUE(fs::is_regular_file(dir.Path() / "elsewhere" / "in" / "a.png"));
}

// A batch system reads the report: one that cannot be written (a full disk)
// fails the run although every picture was written.
TEST_F(VariantsCliTest, AReportThatCannotBeWrittenFailsTheRun) {
    if (!fs::exists("/dev/full")) GTEST_SKIP() << "no /dev/full";
    testsupport::WriteFileBytes(dir.File("one.csv"), "output,Front\nr.png,art/red.png\n");
    EXPECT_EQ(Run("--variants one.csv -o out --size 16x16 --report /dev/full"), 1);
    EXPECT_NE(err.find("cannot write the report /dev/full"), std::string::npos) << err;
    EXPECT_TRUE(fs::exists(dir.File("out/r.png")));
}

TEST_F(VariantsCliTest, ThreeShardsThroughParallelWriteEachPictureOnceAndSkipExistingLeavesThem) {
    if (std::system("parallel --version >/dev/null 2>&1") != 0) GTEST_SKIP() << "GNU parallel not installed";
    std::string table = "output,Front\n";
    const char* colours[] = {"red", "green", "blue"};
    for (int i = 1; i <= 6; ++i) table += "p" + std::to_string(i) + ".png,art/" + colours[i % 3] + ".png\n";
    testsupport::WriteFileBytes(dir.File("table.csv"), table);

    const std::string command = "cd " + Quote(dir.Path().string()) + " && parallel --halt now,fail=1 " + Quote(exe) +
                                " " + Quote(scene) +
                                " --variants table.csv -o out --size 24x24 --shard {}/3 --report shard{}.jsonl ::: "
                                "1 2 3 2>" +
                                Quote(dir.File("err.txt"));
    ASSERT_EQ(std::system(command.c_str()), 0) << testsupport::ReadFileBytes(dir.File("err.txt"));
    std::map<int, int> rendered;
    for (int k = 1; k <= 3; ++k)
        for (const nlohmann::json& line : ReportLines(dir.File("shard" + std::to_string(k) + ".jsonl"))) {
            EXPECT_EQ(line["status"], "ok");
            EXPECT_EQ((line["row"].get<int>() - 1) % 3, k - 1);
            ++rendered[line["row"].get<int>()];
        }
    ASSERT_EQ(rendered.size(), 6u);
    for (const auto& [row, times] : rendered) EXPECT_EQ(times, 1) << "row " << row;

    std::map<std::string, std::pair<fs::file_time_type, std::string>> before;
    for (int i = 1; i <= 6; ++i) {
        const std::string path = dir.File("out/p" + std::to_string(i) + ".png");
        ASSERT_TRUE(fs::exists(path));
        before[path] = {fs::last_write_time(path), testsupport::ReadFileBytes(path)};
    }
    fs::remove(dir.File("out/p4.png"));
    EXPECT_EQ(Run("--variants table.csv -o out --size 24x24 --skip-existing --report again.jsonl"), 0) << err;
    for (const auto& [path, old] : before) {
        ASSERT_TRUE(fs::exists(path)) << path;
        if (path.ends_with("p4.png")) continue;
        EXPECT_EQ(fs::last_write_time(path), old.first) << path;
        EXPECT_EQ(testsupport::ReadFileBytes(path), old.second) << path;
    }
    const std::vector<nlohmann::json> again = ReportLines(dir.File("again.jsonl"));
    ASSERT_EQ(again.size(), 6u);
    for (const nlohmann::json& line : again) EXPECT_EQ(line["status"], line["row"] == 4 ? "ok" : "skipped");
}

}  // namespace
