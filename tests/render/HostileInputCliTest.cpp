// boxora-render against hostile and careless input: a metafile that makes
// its converter abort, FIFOs and folders where files belong, and a small
// PNG claiming a huge size on every face of a box.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <signal.h>
#include <spawn.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>
#include <zlib.h>

#include <chrono>
#include <filesystem>
#include <thread>

#include "platform/ProfileFile.h"
#include "tests/support/TestSupport.h"

extern char** environ;

namespace {

namespace fs = std::filesystem;

struct Outcome {
    bool exited = false;  // on its own, not by a signal nor killed by the test
    int status = -1;
    long peakKiB = 0;
    std::string err;
};

class HostileInputCliTest : public ::testing::Test {
protected:
    void SetUp() override {
        if (!fs::exists(Exe())) GTEST_SKIP() << "boxora-render not built";
        if (!fs::exists(testsupport::AppDir() / "data" / "Objects" / "Box.3ds")) GTEST_SKIP() << "no model catalogue";
    }
    static fs::path Exe() { return testsupport::AppDir() / "boxora-render"; }
    static std::string SingleBox() {
        return (testsupport::DataDir().parent_path().parent_path() / "examples" / "single-box.scn").string();
    }

    // Runs the program with standard error kept; a run that outlives
    // `limit` is killed and counts as not exited.
    Outcome Run(std::vector<std::string> args, std::chrono::seconds limit = std::chrono::seconds(60)) {
        args.insert(args.begin(), Exe().string());
        std::vector<char*> argv;
        for (std::string& a : args) argv.push_back(a.data());
        argv.push_back(nullptr);
        const std::string errFile = dir.File("stderr.txt");
        posix_spawn_file_actions_t actions;
        posix_spawn_file_actions_init(&actions);
        posix_spawn_file_actions_addopen(&actions, STDOUT_FILENO, "/dev/null", O_WRONLY, 0);
        posix_spawn_file_actions_addopen(&actions, STDERR_FILENO, errFile.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
        pid_t pid = 0;
        Outcome o;
        const int spawned = posix_spawn(&pid, argv[0], &actions, nullptr, argv.data(), environ);
        posix_spawn_file_actions_destroy(&actions);
        if (spawned != 0) return o;
        const auto deadline = std::chrono::steady_clock::now() + limit;
        int status = 0;
        rusage usage{};
        while (wait4(pid, &status, WNOHANG, &usage) == 0) {
            if (std::chrono::steady_clock::now() > deadline) {
                kill(pid, SIGKILL);
                wait4(pid, &status, 0, &usage);
                return o;
            }
            std::this_thread::sleep_for(std::chrono::milliseconds(20));
        }
        o.exited = WIFEXITED(status);
        o.status = o.exited ? WEXITSTATUS(status) : -1;
        o.peakKiB = usage.ru_maxrss;
        o.err = testsupport::ReadFileBytes(errFile);
        return o;
    }

    // The single-box example with the given images on its faces.
    std::string SceneWithImages(const std::string& name,
                                const std::vector<std::pair<std::string, std::string>>& faces) {
        boxora::ProfileDocument doc = boxora::ProfileDocument::Load(SingleBox());
        for (const auto& [key, path] : faces) doc.SetString("OBJECT_0", key, path);
        const std::string path = dir.File(name);
        EXPECT_TRUE(doc.Save(path));
        return path;
    }

    testsupport::TempDir dir;
};

// A PNG of one colour claiming width × height pixels, written row by row:
// a few hundred kilobytes for 11585 × 11585.
void WriteUniformPng(const std::string& path, uint32_t width, uint32_t height) {
    auto be32 = [](std::string& s, uint32_t v) {
        for (int i = 3; i >= 0; --i) s.push_back(static_cast<char>(v >> (8 * i)));
    };
    auto chunk = [&](std::string& file, const char* type, const std::string& body) {
        be32(file, static_cast<uint32_t>(body.size()));
        const std::string typed = std::string(type, 4) + body;
        file += typed;
        be32(file, static_cast<uint32_t>(crc32(0, reinterpret_cast<const Bytef*>(typed.data()), typed.size())));
    };
    std::string header;
    be32(header, width);
    be32(header, height);
    header += std::string("\x08\x02\x00\x00\x00", 5);
    std::string row(1 + std::size_t{width} * 3, '\0');
    for (uint32_t x = 0; x < width; ++x) row.replace(1 + 3 * x, 3, "\xC8\x3C\x28");
    z_stream z{};
    deflateInit(&z, 9);
    std::string idat;
    std::vector<unsigned char> out(1 << 16);
    for (uint32_t y = 0; y <= height; ++y) {
        const bool last = y == height;
        z.next_in = last ? nullptr : reinterpret_cast<Bytef*>(row.data());
        z.avail_in = last ? 0 : static_cast<uInt>(row.size());
        do {
            z.next_out = out.data();
            z.avail_out = static_cast<uInt>(out.size());
            deflate(&z, last ? Z_FINISH : Z_NO_FLUSH);
            idat.append(reinterpret_cast<char*>(out.data()), out.size() - z.avail_out);
        } while (z.avail_out == 0);
    }
    deflateEnd(&z);
    std::string file("\x89PNG\r\n\x1a\n", 8);
    chunk(file, "IHDR", header);
    chunk(file, "IDAT", idat);
    chunk(file, "IEND", "");
    testsupport::WriteFileBytes(path, file);
}

}  // namespace

TEST_F(HostileInputCliTest, MetafileThatMakesItsConverterAbortFailsOnlyItsFace) {
    const std::string emf =
        (testsupport::DataDir().parent_path() / "corpus/image_metafile/repro-emf-font-height-panic.emf").string();
    fs::copy_file(emf, dir.File("cover.emf"));
    fs::copy_file(emf, dir.File("cover.jpg"));  // found by its content
    for (const char* name : {"cover.emf", "cover.jpg"}) {
        SCOPED_TRACE(name);
        const std::string scene = SceneWithImages("emf.scn", {{"Image_Front", dir.File(name)}});
        const std::string out = dir.File("emf.png");
        // The unreadable image is named and fails the scene, unless
        // allowed: then its face is drawn without it.
        Outcome o = Run({scene, "-o", out, "--size", "64x48"});
        ASSERT_TRUE(o.exited) << o.err;
        EXPECT_EQ(o.status, 1) << o.err;
        EXPECT_NE(o.err.find(dir.File(name)), std::string::npos) << o.err;
        o = Run({scene, "-o", out, "--size", "64x48", "--allow-missing"});
        ASSERT_TRUE(o.exited) << o.err;
        EXPECT_EQ(o.status, 0) << o.err;
        EXPECT_TRUE(fs::exists(out));
        fs::remove(out);
    }
}

TEST_F(HostileInputCliTest, FifosAndFoldersAreRefusedAtOnce) {
    // Without a writer, opening a FIFO for reading waits for ever.
    const std::string fifo = dir.File("pipe.png");
    ASSERT_EQ(mkfifo(fifo.c_str(), 0600), 0);
    fs::create_directory(dir.File("x.scn"));
    const auto limit = std::chrono::seconds(20);

    Outcome o = Run({"--dump", fifo}, limit);
    ASSERT_TRUE(o.exited);
    EXPECT_EQ(o.status, 1);
    EXPECT_NE(o.err.find("Could not open file"), std::string::npos) << o.err;
    o = Run({"--dump", dir.File("x.scn")}, limit);
    ASSERT_TRUE(o.exited);
    EXPECT_EQ(o.status, 1);
    EXPECT_NE(o.err.find("Could not open file"), std::string::npos) << o.err;
    o = Run({fifo, "-o", dir.File("a.png")}, limit);
    ASSERT_TRUE(o.exited);
    EXPECT_EQ(o.status, 1);

    // A FIFO as a cover image: the face goes without it.
    const std::string scene = SceneWithImages("fifo.scn", {{"Image_Front", fifo}});
    o = Run({scene, "-o", dir.File("b.png"), "--size", "64x48"}, limit);
    ASSERT_TRUE(o.exited) << o.err;
    EXPECT_EQ(o.status, 1);
    o = Run({scene, "-o", dir.File("b.png"), "--size", "64x48", "--allow-missing"}, limit);
    ASSERT_TRUE(o.exited) << o.err;
    EXPECT_EQ(o.status, 0);
    EXPECT_TRUE(fs::exists(dir.File("b.png")));
}

TEST_F(HostileInputCliTest, HugePictureOnEveryFaceStaysWithinMemory) {
    // 11585² is just inside the decoders' pixel limit: 400 MB as pixels,
    // and six faces in two contexts took about 6 GB before textures were
    // bounded by the picture size.
    const std::string png = dir.File("huge.png");
    WriteUniformPng(png, 11585, 11585);
    ASSERT_LT(fs::file_size(png), 1u << 20);
    std::vector<std::pair<std::string, std::string>> faces;
    for (const char* face : {"Front", "Back", "Left", "Right", "Top", "Bottom"})
        faces.emplace_back(std::string("Image_") + face, png);
    const std::string scene = SceneWithImages("huge.scn", faces);
    const Outcome o = Run({scene, "-o", dir.File("huge-out.png"), "--size", "320x240"}, std::chrono::seconds(300));
    ASSERT_TRUE(o.exited) << o.err;
    EXPECT_EQ(o.status, 0) << o.err;
    EXPECT_LT(o.peakKiB, 1024L * 1024) << "peak resident size in KiB";
}
