// The template folder: listing, proposed names, name checks, renaming and
// deleting scene/picture pairs without ever losing one half, and the
// starter set copied into a new user's empty folder.
#include <gtest/gtest.h>

#include <filesystem>

#include "boxora/SourceTree.h"
#include "engine/SceneFile.h"
#include "model/CoverFaces.h"
#include "platform/AppPaths.h"
#include "project/StarterTemplates.h"
#include "project/TemplateLibrary.h"
#include "tests/project/ProjectTestSupport.h"
#include "tests/support/TestSupport.h"

using boxora::TemplateLibrary;
namespace fs = std::filesystem;

namespace {

class TemplateLibraryTest : public ::testing::Test {
protected:
    testsupport::TempDir folder;
    TemplateLibrary library{folder.Path().string()};

    void AddTemplate(const std::string& name, bool withPicture = true) {
        testsupport::WriteFileBytes(library.ScenePath(name), "scene of " + name);
        if (withPicture) testsupport::WriteFileBytes(library.PicturePath(name), "picture of " + name);
    }
    static bool Exists(const std::string& path) { return fs::exists(path); }
};

TEST_F(TemplateLibraryTest, PathsJoinFolderNameAndExtension) {
    EXPECT_EQ(library.Folder(), folder.Path().string() + "/");
    EXPECT_EQ(library.ScenePath("Shelf"), folder.Path().string() + "/Shelf.scn");
    EXPECT_EQ(library.PicturePath("Shelf"), folder.Path().string() + "/Shelf.jpg");
}

TEST_F(TemplateLibraryTest, ListsSceneFilesSortedWithoutHiddenEntriesAndFolders) {
    AddTemplate("beta");
    AddTemplate("Alpha");
    AddTemplate("Gamma", false);
    AddTemplate("alpha");
    AddTemplate(".hidden");
    testsupport::WriteFileBytes(library.Folder() + "notes.txt", "x");
    testsupport::WriteFileBytes(library.Folder() + "Upper.SCN", "x");
    testsupport::WriteFileBytes(library.Folder() + "Half.scn.tmp-123456", "x");
    fs::create_directories(library.Folder() + "Folder.scn");
    // An extension in capitals (copied from another system) still counts.
    const std::vector<std::string> expected = {"Alpha", "alpha", "beta", "Gamma", "Upper"};
    EXPECT_EQ(library.Names(), expected);
    EXPECT_EQ(library.ScenePath("Upper"), library.Folder() + "Upper.SCN");
    EXPECT_TRUE(library.Exists("Upper"));
    // Renaming gives the files the usual spelling; the picture goes along.
    testsupport::WriteFileBytes(library.Folder() + "Upper.JPG", "picture");
    EXPECT_EQ(library.Rename("Upper", "Lower"), TemplateLibrary::RenameResult::Renamed);
    EXPECT_TRUE(fs::is_regular_file(library.Folder() + "Lower.scn"));
    EXPECT_EQ(testsupport::ReadFileBytes(library.Folder() + "Lower.jpg"), "picture");
}

TEST_F(TemplateLibraryTest, MissingFolderListsNothing) {
    TemplateLibrary missing(folder.Path().string() + "/nowhere/");
    EXPECT_TRUE(missing.Names().empty());
}

TEST_F(TemplateLibraryTest, ProposesTheFirstFreeNumber) {
    EXPECT_EQ(library.ProposeName(), "Template 01");
    AddTemplate("Template 01");
    AddTemplate("Template 03");
    EXPECT_EQ(library.ProposeName(), "Template 02");
    // A picture alone does not take a number.
    testsupport::WriteFileBytes(library.PicturePath("Template 02"), "x");
    EXPECT_EQ(library.ProposeName(), "Template 02");
    for (int n = 1; n <= 99; ++n) {
        char name[32];
        std::snprintf(name, sizeof name, "Template %02d", n);
        AddTemplate(name, false);
    }
    EXPECT_EQ(library.ProposeName(), "Template 100");
}

TEST_F(TemplateLibraryTest, NamesRefuseTheTenCharactersEmptinessAndALeadingDot) {
    for (char c : std::string("\\/:*?\"<>|'")) {
        EXPECT_FALSE(TemplateLibrary::IsValidName(std::string("Box") + c + "Shot")) << c;
    }
    EXPECT_FALSE(TemplateLibrary::IsValidName(""));
    EXPECT_FALSE(TemplateLibrary::IsValidName(".config"));
    EXPECT_TRUE(TemplateLibrary::IsValidName("Box shot, v2 (final) – ärger.x"));
}

TEST_F(TemplateLibraryTest, RenameMovesSceneAndPictureTogether) {
    AddTemplate("Old");
    EXPECT_EQ(library.Rename("Old", "New"), TemplateLibrary::RenameResult::Renamed);
    EXPECT_FALSE(Exists(library.ScenePath("Old")));
    EXPECT_FALSE(Exists(library.PicturePath("Old")));
    EXPECT_EQ(testsupport::ReadFileBytes(library.ScenePath("New")), "scene of Old");
    EXPECT_EQ(testsupport::ReadFileBytes(library.PicturePath("New")), "picture of Old");
}

TEST_F(TemplateLibraryTest, RenameNeverReplacesAnotherTemplate) {
    AddTemplate("One");
    AddTemplate("Two");
    EXPECT_EQ(library.Rename("One", "Two"), TemplateLibrary::RenameResult::NameTaken);
    EXPECT_EQ(library.Rename("One", "a/b"), TemplateLibrary::RenameResult::InvalidName);
    EXPECT_EQ(testsupport::ReadFileBytes(library.ScenePath("One")), "scene of One");
    EXPECT_EQ(testsupport::ReadFileBytes(library.ScenePath("Two")), "scene of Two");
    EXPECT_EQ(testsupport::ReadFileBytes(library.PicturePath("Two")), "picture of Two");
}

TEST_F(TemplateLibraryTest, RenameOfATemplateWithoutPictureSucceeds) {
    AddTemplate("Bare", false);
    EXPECT_EQ(library.Rename("Bare", "Dressed"), TemplateLibrary::RenameResult::Renamed);
    EXPECT_TRUE(Exists(library.ScenePath("Dressed")));
    EXPECT_FALSE(Exists(library.PicturePath("Dressed")));
}

TEST_F(TemplateLibraryTest, RenameWhosePictureCannotMoveGivesTheSceneItsNameBack) {
    AddTemplate("Old");
    // A folder in the picture's way makes its rename fail.
    fs::create_directories(library.PicturePath("New") + "/inside");
    EXPECT_EQ(library.Rename("Old", "New"), TemplateLibrary::RenameResult::Failed);
    EXPECT_EQ(testsupport::ReadFileBytes(library.ScenePath("Old")), "scene of Old");
    EXPECT_EQ(testsupport::ReadFileBytes(library.PicturePath("Old")), "picture of Old");
    EXPECT_FALSE(Exists(library.ScenePath("New")));
}

TEST_F(TemplateLibraryTest, RenameOfAMissingTemplateFails) {
    EXPECT_EQ(library.Rename("Ghost", "Other"), TemplateLibrary::RenameResult::Failed);
    EXPECT_FALSE(Exists(library.ScenePath("Other")));
}

TEST_F(TemplateLibraryTest, RemoveDeletesBothFilesAndAMissingPictureIsNoFailure) {
    AddTemplate("Pair");
    AddTemplate("Single", false);
    EXPECT_TRUE(library.Remove("Pair"));
    EXPECT_FALSE(Exists(library.ScenePath("Pair")));
    EXPECT_FALSE(Exists(library.PicturePath("Pair")));
    EXPECT_TRUE(library.Remove("Single"));
    EXPECT_FALSE(Exists(library.ScenePath("Single")));
    EXPECT_TRUE(library.Names().empty());
}

TEST_F(TemplateLibraryTest, RemoveKeepsThePictureWhenTheSceneCannotGo) {
    fs::create_directories(library.ScenePath("Stuck") + "/inside");
    testsupport::WriteFileBytes(library.PicturePath("Stuck"), "picture");
    EXPECT_FALSE(library.Remove("Stuck"));
    EXPECT_TRUE(Exists(library.PicturePath("Stuck")));
}

TEST(TemplateFolder, IsBelowTheUserDataFolderAndIsCreated) {
    projecttest::ProgramFolders folders;
    const std::string folder = boxora::TemplateFolder();
    EXPECT_EQ(folder, folders.UserData().Path().string() + "/Boxora/Templates/");
    EXPECT_TRUE(fs::is_directory(folder));
    EXPECT_EQ(TemplateLibrary::ForCurrentUser().Folder(), folder);
}

class StarterTemplatesTest : public ::testing::Test {
protected:
    testsupport::TempDir source;
    testsupport::TempDir target;
    TemplateLibrary shipped{source.Path().string()};
    TemplateLibrary user{target.Path().string()};

    void SetUp() override {
        testsupport::WriteFileBytes(shipped.ScenePath("Studio"), "studio scene");
        testsupport::WriteFileBytes(shipped.PicturePath("Studio"), "studio picture");
        testsupport::WriteFileBytes(shipped.ScenePath("Plain"), "plain scene");
        testsupport::WriteFileBytes(source.File("README.txt"), "not a template");
    }
};

TEST_F(StarterTemplatesTest, AreCopiedIntoAnEmptyFolder) {
    EXPECT_EQ(boxora::InstallStarterTemplates(shipped.Folder(), user.Folder()), 2);
    const std::vector<std::string> expected = {"Plain", "Studio"};
    EXPECT_EQ(user.Names(), expected);
    EXPECT_EQ(testsupport::ReadFileBytes(user.ScenePath("Studio")), "studio scene");
    EXPECT_EQ(testsupport::ReadFileBytes(user.PicturePath("Studio")), "studio picture");
    EXPECT_FALSE(fs::exists(user.PicturePath("Plain")));
    EXPECT_FALSE(fs::exists(target.File("README.txt")));
}

TEST_F(StarterTemplatesTest, AreNotCopiedIntoAFolderThatHoldsAnything) {
    testsupport::WriteFileBytes(user.ScenePath("Mine"), "my scene");
    EXPECT_EQ(boxora::InstallStarterTemplates(shipped.Folder(), user.Folder()), 0);
    EXPECT_EQ(user.Names(), std::vector<std::string>{"Mine"});
}

TEST_F(StarterTemplatesTest, DoNotComeBackAfterTheUserDeletedThemAll) {
    ASSERT_EQ(boxora::InstallStarterTemplates(shipped.Folder(), user.Folder()), 2);
    for (const std::string& name : user.Names()) ASSERT_TRUE(user.Remove(name));
    EXPECT_EQ(boxora::InstallStarterTemplates(shipped.Folder(), user.Folder()), 0);
    EXPECT_TRUE(user.Names().empty());
}

TEST_F(StarterTemplatesTest, WithoutAShippedSetNothingHappens) {
    EXPECT_EQ(boxora::InstallStarterTemplates(source.File("missing/"), user.Folder()), 0);
    EXPECT_TRUE(fs::is_empty(target.Path()));
}

// Width and height from a JPEG's start-of-frame segment; {0, 0} when none.
std::pair<int, int> JpegSize(const std::string& bytes) {
    if (bytes.size() < 4 || static_cast<unsigned char>(bytes[0]) != 0xFF ||
        static_cast<unsigned char>(bytes[1]) != 0xD8)
        return {0, 0};
    std::size_t i = 2;
    auto byte = [&](std::size_t k) { return static_cast<unsigned char>(bytes[k]); };
    while (i + 9 < bytes.size()) {
        if (byte(i) != 0xFF) return {0, 0};
        const int marker = byte(i + 1);
        const std::size_t length = (byte(i + 2) << 8) | byte(i + 3);
        if (marker >= 0xC0 && marker <= 0xC2)
            return {(byte(i + 7) << 8) | byte(i + 8), (byte(i + 5) << 8) | byte(i + 6)};
        i += 2 + length;
    }
    return {0, 0};
}

// Every key the scene writer writes, per object section, is in a shipped
// scene (templates and examples), so any reader of the format loads them the
// same: the type of the model and its own artwork by bare name.
void ExpectCompleteObjectSections(const std::string& file) {
    const SceneFileData data = ParseSceneFile(testsupport::ReadFileBytes(file));
    ASSERT_FALSE(data.objects.empty()) << file;
    for (const SceneObjectSection& object : data.objects) {
        EXPECT_EQ(object.type, std::optional<int>(ObjectTypeFromName(object.objectName))) << file;
        EXPECT_TRUE(object.userName.has_value()) << file;
        for (const auto& image : object.images) {
            ASSERT_TRUE(image.has_value()) << file;
            EXPECT_TRUE(fs::is_regular_file(testsupport::AppDir() / "data/texture" / *image)) << file << ": " << *image;
        }
        for (const auto& value : object.transform) EXPECT_TRUE(value.has_value()) << file;
    }
}

TEST(StarterTemplates, ShippedScenesHoldEveryKeyTheWriterWrites) {
    const TemplateLibrary shipped((testsupport::AppDir() / "data/templates/").string());
    for (const std::string& name : shipped.Names()) ExpectCompleteObjectSections(shipped.ScenePath(name));
    int examples = 0;
    for (const auto& entry : fs::directory_iterator(std::filesystem::path(BOXORA_SOURCE_DIR) / "examples"))
        if (entry.path().extension() == ".scn") {
            ExpectCompleteObjectSections(entry.path().string());
            ++examples;
        }
    EXPECT_EQ(examples, 3);
}

TEST(StarterTemplates, ShippedSetHoldsCatalogueScenesWith94PixelPreviews) {
    const TemplateLibrary shipped((testsupport::AppDir() / "data/templates/").string());
    const std::vector<std::string> names = shipped.Names();
    EXPECT_GE(names.size(), 6u);
    for (const std::string& name : names) {
        EXPECT_TRUE(TemplateLibrary::IsValidName(name)) << name;
        const std::string scene = testsupport::ReadFileBytes(shipped.ScenePath(name));
        ASSERT_GE(scene.size(), 2u) << name;
        EXPECT_EQ(scene.substr(0, 2), "\xFF\xFE") << name << ": written as the program writes scenes";
        const SceneFileData data = ParseSceneFile(scene);
        for (const std::optional<double>& setting : data.settings) EXPECT_TRUE(setting) << name;
        EXPECT_FALSE(data.problems.failed) << name;
        ASSERT_FALSE(data.objects.empty()) << name;
        for (const SceneObjectSection& object : data.objects) {
            EXPECT_TRUE(fs::is_regular_file(testsupport::AppDir() / "data/Objects" / (object.objectName + ".3ds")))
                << name << ": " << object.objectName;
        }
        const auto [width, height] = JpegSize(testsupport::ReadFileBytes(shipped.PicturePath(name)));
        EXPECT_EQ(width, 94) << name;
        EXPECT_EQ(height, 94) << name;
    }
}

}  // namespace
