// Writing files in place: links written through, pipes and devices written
// to directly, mode and owner kept, nothing temporary left behind.
#include <gtest/gtest.h>

#include <fcntl.h>
#include <signal.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <filesystem>
#include <thread>

#include "platform/AtomicFile.h"
#include "tests/support/TestSupport.h"

namespace fs = std::filesystem;
using boxora::WriteFileAtomically;

namespace {

std::vector<std::string> Entries(const fs::path& folder) {
    std::vector<std::string> names;
    for (const auto& e : fs::directory_iterator(folder)) names.push_back(e.path().filename().string());
    std::sort(names.begin(), names.end());
    return names;
}

mode_t ModeOf(const std::string& path) {
    struct stat st {};
    EXPECT_EQ(::stat(path.c_str(), &st), 0);
    return st.st_mode & 07777;
}

TEST(AtomicFile, RegularFilesAreReplacedKeepingModeAndLinks) {
    testsupport::TempDir dir;
    const std::string target = dir.File("picture.png");
    ASSERT_TRUE(WriteFileAtomically(target, "first"));
    const mode_t mask = ::umask(0);
    ::umask(mask);
    EXPECT_EQ(ModeOf(target), 0666 & ~mask);

    ::chmod(target.c_str(), 0600);
    ASSERT_TRUE(WriteFileAtomically(target, "second"));
    EXPECT_EQ(testsupport::ReadFileBytes(target), "second");
    EXPECT_EQ(ModeOf(target), 0600u);

    // A link is written through, relative or absolute, also when its
    // target does not exist yet; the links stay links.
    fs::create_directories(dir.Path() / "real");
    fs::create_symlink("real/picture.png", dir.Path() / "relative.png");
    fs::create_symlink(dir.Path() / "relative.png", dir.Path() / "chain.png");
    ASSERT_TRUE(WriteFileAtomically(dir.File("chain.png"), "through"));
    EXPECT_TRUE(fs::is_symlink(dir.Path() / "chain.png"));
    EXPECT_TRUE(fs::is_symlink(dir.Path() / "relative.png"));
    EXPECT_EQ(testsupport::ReadFileBytes(dir.File("real/picture.png")), "through");
    ASSERT_TRUE(WriteFileAtomically(dir.File("relative.png"), "again"));
    EXPECT_EQ(testsupport::ReadFileBytes(dir.File("real/picture.png")), "again");

    // A name of 250 bytes, the longest a picture name may sensibly have.
    const std::string longName = dir.File(std::string(246, 'n') + ".png");
    ASSERT_TRUE(WriteFileAtomically(longName, "long"));
    EXPECT_EQ(testsupport::ReadFileBytes(longName), "long");

    // Nothing but the files written and the links made.
    EXPECT_EQ(Entries(dir.Path()), (std::vector<std::string>{"chain.png", std::string(246, 'n') + ".png", "picture.png",
                                                             "real", "relative.png"}));
    EXPECT_EQ(Entries(dir.Path() / "real"), std::vector<std::string>{"picture.png"});
}

TEST(AtomicFile, PipesAndDevicesAreWrittenToAndOtherSpecialFilesRefused) {
    testsupport::TempDir dir;
    const std::string fifo = dir.File("pipe");
    ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
    std::string received;
    std::thread reader([&] { received = testsupport::ReadFileBytes(fifo); });
    EXPECT_TRUE(WriteFileAtomically(fifo, "streamed"));
    reader.join();
    EXPECT_EQ(received, "streamed");
    EXPECT_TRUE(fs::is_fifo(fifo));

    EXPECT_TRUE(WriteFileAtomically("/dev/null", "gone"));
    EXPECT_TRUE(fs::is_character_file("/dev/null"));
    std::string error;
    if (fs::exists("/dev/full")) {
        EXPECT_FALSE(WriteFileAtomically("/dev/full", "x", &error));
        EXPECT_NE(error.find("/dev/full"), std::string::npos);
        EXPECT_TRUE(fs::is_character_file("/dev/full"));
    }
    fs::create_directories(dir.Path() / "folder.png");
    EXPECT_FALSE(WriteFileAtomically(dir.File("folder.png"), "x", &error));
    EXPECT_TRUE(fs::is_directory(dir.Path() / "folder.png"));
    EXPECT_FALSE(WriteFileAtomically(dir.File("missing/x.png"), "x", &error));
    EXPECT_EQ(Entries(dir.Path()), (std::vector<std::string>{"folder.png", "pipe"}));
}

TEST(AtomicFile, KilledWriterLeavesNoFileBehind) {
    testsupport::TempDir dir;
    const std::string target = dir.File("big.bin");
    ASSERT_TRUE(WriteFileAtomically(target, "old"));
    const pid_t child = ::fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        const std::string bytes(std::size_t{256} << 20, 'x');
        WriteFileAtomically(target, bytes);
        ::_exit(0);
    }
    // Kill it while it holds a file in the folder open.
    const fs::path fds = "/proc/" + std::to_string(child) + "/fd";
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(20);
    bool writing = false;
    while (!writing && std::chrono::steady_clock::now() < deadline) {
        std::error_code ec;
        for (fs::directory_iterator it(fds, ec), end; !ec && it != end; it.increment(ec)) {
            const fs::path link = fs::read_symlink(it->path(), ec);
            if (!ec && link.string().rfind(dir.Path().string(), 0) == 0) writing = true;
        }
    }
    ::kill(child, SIGKILL);
    int status = 0;
    ::waitpid(child, &status, 0);
    EXPECT_TRUE(writing);
    EXPECT_EQ(Entries(dir.Path()), std::vector<std::string>{"big.bin"});
    const std::uintmax_t size = fs::file_size(target);
    EXPECT_TRUE(size == 3 || size == (std::uintmax_t{256} << 20)) << size;
}

}  // namespace
