// New, Open, Save and Save As: the save question, the file dialogs, the
// project path and name, the title, and what happens to the scene when the
// user cancels or a file cannot be written.
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>

#include "project/ProjectCommands.h"
#include "project/ProjectState.h"
#include "tests/project/ProjectTestSupport.h"

using boxora::MsgAnswer;
using boxora::MsgButtons;
using boxora::MsgIcon;
using boxora::ProjectState;

namespace {

class ProjectCommandsTest : public ::testing::Test {
protected:
    projecttest::ProgramFolders folders;
    projecttest::SceneFileEngine engine;
    projecttest::ScriptedNotifier notifier;
    projecttest::NotifierScope notifierScope{notifier};
    projecttest::ScriptedProjectUi ui;
    ProjectState state;
    boxora::CProjectCommands commands{state, engine, ui};

    std::string Folder() const { return folders.UserData().Path().string(); }
};

TEST(ProjectState, StartsAsAnUnsavedNewProjectAndTitlesByName) {
    ProjectState state;
    EXPECT_EQ(state.Name(), "New Project");
    EXPECT_EQ(state.Path(), "");
    state.Set("/p/Box.scn", "Box.scn");
    EXPECT_EQ(boxora::ProjectTitle(state.Name()), "Box.scn - Boxora");
    state.Reset();
    EXPECT_EQ(state.Name(), "New Project");
    EXPECT_EQ(state.Path(), "");
}

TEST(ProjectState, ClassicFiltersBecomeQtFilters) {
    EXPECT_EQ(boxora::QtFileFilter("Boxora Scene|*.scn||"), "Boxora Scene (*.scn)");
    EXPECT_EQ(boxora::QtFileFilter("Images|*.png;*.jpg|All|*.*||"), "Images (*.png *.jpg);;All (*.*)");
    EXPECT_EQ(boxora::QtFileFilter("Broken|"), "");
    EXPECT_EQ(boxora::QtFileFilter(""), "");
}

TEST_F(ProjectCommandsTest, NewAsksOnlyOverUnsavedChangesAndCancelKeepsEverything) {
    // Nothing would be lost: no question.
    commands.NewProject();
    EXPECT_TRUE(notifier.messages.empty());
    EXPECT_EQ(engine.Count("DeleteAllObjects"), 1);

    ui.modified = true;
    notifier.answers = {MsgAnswer::Cancel};
    commands.NewProject();
    ASSERT_EQ(notifier.messages.size(), 1u);
    EXPECT_EQ(notifier.messages[0].text, "Save changes to \"New Project\"?");
    EXPECT_EQ(notifier.messages[0].icon, MsgIcon::Question);
    EXPECT_EQ(notifier.messages[0].buttons, MsgButtons::YesNoCancel);
    EXPECT_EQ(engine.Count("DeleteAllObjects"), 1);
    EXPECT_TRUE(ui.requests.empty());
    EXPECT_TRUE(ui.modified);
}

TEST_F(ProjectCommandsTest, NewYesThenCancelInSaveAsStillClearsTheScene) {
    ui.modified = true;
    notifier.answers = {MsgAnswer::Yes};
    ui.paths = {std::nullopt};
    commands.NewProject();
    ASSERT_EQ(ui.requests.size(), 1u);
    EXPECT_TRUE(ui.requests[0].save);
    EXPECT_EQ(ui.requests[0].initialName, "New Project");
    EXPECT_EQ(ui.requests[0].defaultExtension, ".scn");
    EXPECT_EQ(ui.requests[0].filter, "Boxora Scene|*.scn||");
    EXPECT_TRUE(engine.savedPaths.empty());
    EXPECT_EQ(engine.Count("DeleteAllObjects"), 1);
    EXPECT_EQ(ui.title, "New Project - Boxora");
}

TEST_F(ProjectCommandsTest, NewYesSavesToTheProjectPathThenClears) {
    ui.modified = true;
    const std::string path = Folder() + "/Shelf.scn";
    state.Set(path, "Shelf.scn");
    notifier.answers = {MsgAnswer::Yes};
    commands.NewProject();
    EXPECT_EQ(notifier.messages[0].text, "Save changes to \"Shelf.scn\"?");
    EXPECT_TRUE(ui.requests.empty());
    ASSERT_EQ(engine.savedPaths.size(), 1u);
    EXPECT_EQ(engine.savedPaths[0], path);
    // Saved before the scene was cleared.
    const auto save =
        std::find_if(engine.calls.begin(), engine.calls.end(), [](auto& c) { return c.name == "SaveScene"; });
    const auto clear =
        std::find_if(engine.calls.begin(), engine.calls.end(), [](auto& c) { return c.name == "DeleteAllObjects"; });
    EXPECT_LT(save - engine.calls.begin(), clear - engine.calls.begin());
    EXPECT_EQ(state.Path(), "");
    EXPECT_EQ(state.Name(), "New Project");
    EXPECT_EQ(ui.title, "New Project - Boxora");
}

TEST_F(ProjectCommandsTest, NewWhoseSaveFailsSaysSoAndKeepsTheScene) {
    ui.modified = true;
    const std::string path = Folder() + "/Shelf.scn";
    state.Set(path, "Shelf.scn");
    engine.saveFails = true;
    notifier.answers = {MsgAnswer::Yes};
    commands.NewProject();
    ASSERT_EQ(notifier.messages.size(), 2u);
    EXPECT_EQ(notifier.messages[1].text, "Project not saved: \"" + path + "\".");
    EXPECT_EQ(notifier.messages[1].icon, MsgIcon::Error);
    EXPECT_EQ(engine.Count("DeleteAllObjects"), 0);
    EXPECT_EQ(state.Path(), path);
    EXPECT_EQ(state.Name(), "Shelf.scn");
}

TEST_F(ProjectCommandsTest, NewNoClearsWithoutSaving) {
    ui.modified = true;
    state.Set(Folder() + "/Shelf.scn", "Shelf.scn");
    notifier.answers = {MsgAnswer::No};
    commands.NewProject();
    EXPECT_TRUE(engine.savedPaths.empty());
    EXPECT_EQ(engine.Count("DeleteAllObjects"), 1);
    EXPECT_EQ(ui.title, "New Project - Boxora");
}

TEST_F(ProjectCommandsTest, OpenOnAFreshProgramAsksNothingAndTitlesWithTheFileNameOnly) {
    const std::string shot = Folder() + "/Studio Shot.scn";
    testsupport::WriteFileBytes(shot, "[SCENE]\nVersion=1.8\n");
    ui.paths = {shot};
    commands.OpenProject();
    EXPECT_TRUE(notifier.messages.empty());
    ASSERT_EQ(ui.requests.size(), 1u);
    EXPECT_FALSE(ui.requests[0].save);
    EXPECT_EQ(ui.requests[0].filter, "Boxora Scene|*.scn||");
    ASSERT_EQ(engine.loadedScenes.size(), 1u);
    EXPECT_EQ(engine.loadedScenes[0], shot);
    EXPECT_EQ(ui.title, "Studio Shot.scn - Boxora");
    EXPECT_EQ(state.Path(), shot);
    EXPECT_EQ(state.Name(), "Studio Shot.scn");
    // The load is bracketed by the project-load notifications, under the
    // wait cursor.
    ASSERT_EQ(notifier.notifications.size(), 2u);
    EXPECT_EQ(notifier.notifications[0].message, boxora::WM_ENGINE_BEGIN);
    EXPECT_EQ(notifier.notifications[0].wParam, boxora::ENGINE_OP_LOAD_SCENE);
    EXPECT_EQ(notifier.notifications[1].message, boxora::WM_ENGINE_END);
    EXPECT_EQ(ui.busyCount, 1);
    EXPECT_EQ(ui.busyDepth, 0);
}

TEST_F(ProjectCommandsTest, CancelledOpenDialogChangesNothing) {
    ui.modified = true;
    state.Set("/a/Old.scn", "Old.scn");
    notifier.answers = {MsgAnswer::No};
    commands.OpenProject();
    EXPECT_EQ(notifier.messages.size(), 1u);
    EXPECT_TRUE(engine.loadedScenes.empty());
    EXPECT_EQ(state.Path(), "/a/Old.scn");
    EXPECT_EQ(ui.title, "");
}

TEST_F(ProjectCommandsTest, OpenWithChangesAsksAndCancelStopsBeforeTheDialog) {
    ui.modified = true;
    state.Set("/a/Old.scn", "Old.scn");
    notifier.answers = {MsgAnswer::Cancel};
    commands.OpenProject();
    EXPECT_EQ(notifier.messages.size(), 1u);
    EXPECT_TRUE(ui.requests.empty());
}

TEST_F(ProjectCommandsTest, OpenWithChangesYesSavesItFirst) {
    ui.modified = true;
    const std::string path = Folder() + "/Old.scn";
    state.Set(path, "Old.scn");
    notifier.answers = {MsgAnswer::Yes};
    ui.paths = {Folder() + "/New.scn"};
    testsupport::WriteFileBytes(Folder() + "/New.scn", "[SCENE]\nVersion=1.8\n");
    commands.OpenProject();
    ASSERT_EQ(engine.savedPaths.size(), 1u);
    EXPECT_EQ(engine.savedPaths[0], path);
    ASSERT_EQ(engine.loadedScenes.size(), 1u);
    EXPECT_EQ(engine.loadedScenes[0], Folder() + "/New.scn");
}

TEST_F(ProjectCommandsTest, SaveWithoutAPathRunsSaveAsAndWithAPathSavesSilently) {
    ui.paths = {Folder() + "/First.scn"};
    EXPECT_TRUE(commands.SaveProject());
    ASSERT_EQ(ui.requests.size(), 1u);
    EXPECT_EQ(state.Path(), Folder() + "/First.scn");
    EXPECT_EQ(state.Name(), "First.scn");
    EXPECT_EQ(ui.title, "First.scn - Boxora");
    EXPECT_TRUE(std::filesystem::exists(Folder() + "/First.scn"));

    EXPECT_TRUE(commands.SaveProject());
    EXPECT_EQ(ui.requests.size(), 1u);  // no second dialog
    ASSERT_EQ(engine.savedPaths.size(), 2u);
    EXPECT_EQ(engine.savedPaths[1], Folder() + "/First.scn");
    EXPECT_TRUE(notifier.messages.empty());
}

TEST_F(ProjectCommandsTest, SaveAsOffersTheProjectNameAndAlwaysShowsTheDialog) {
    state.Set(Folder() + "/Shelf.scn", "Shelf.scn");
    ui.paths = {std::nullopt};
    EXPECT_FALSE(commands.SaveProjectAs());
    ASSERT_EQ(ui.requests.size(), 1u);
    EXPECT_EQ(ui.requests[0].initialName, "Shelf.scn");
    EXPECT_TRUE(engine.savedPaths.empty());
    EXPECT_EQ(state.Name(), "Shelf.scn");

    ui.paths = {Folder() + "/Copy.scn"};
    EXPECT_TRUE(commands.SaveProjectAs());
    EXPECT_EQ(state.Path(), Folder() + "/Copy.scn");
    EXPECT_EQ(state.Name(), "Copy.scn");
    EXPECT_EQ(ui.title, "Copy.scn - Boxora");
}

TEST_F(ProjectCommandsTest, SaveAsThatCannotWriteReportsAndKeepsTheProject) {
    state.Set(Folder() + "/Shelf.scn", "Shelf.scn");
    engine.saveFails = true;
    const std::string target = Folder() + "/missing folder/Copy.scn";
    ui.paths = {target};
    EXPECT_FALSE(commands.SaveProjectAs());
    ASSERT_EQ(notifier.messages.size(), 1u);
    EXPECT_EQ(notifier.messages[0].text, "Project not saved: \"" + target + "\".");
    EXPECT_EQ(state.Path(), Folder() + "/Shelf.scn");
    EXPECT_EQ(state.Name(), "Shelf.scn");
    EXPECT_EQ(ui.title, "");
    // Save reports the failure too.
    EXPECT_FALSE(commands.SaveProject());
    EXPECT_EQ(notifier.messages.size(), 2u);
}

TEST_F(ProjectCommandsTest, AFileThatIsNoSceneIsReportedAndLeavesProjectSceneAndTitle) {
    state.Set(Folder() + "/Kept.scn", "Kept.scn");
    const std::string random = Folder() + "/random.scn", text = Folder() + "/notes.scn";
    std::string bytes;
    for (int i = 0; i < 4096; ++i) bytes += static_cast<char>((i * 7919 + 13) % 251);
    testsupport::WriteFileBytes(random, bytes);
    testsupport::WriteFileBytes(text, "Shopping list\nmilk = 2\n");
    std::filesystem::create_directories(Folder() + "/folder.scn");
    for (const std::string& path : {Folder() + "/missing.scn", Folder() + "/folder.scn", random, text}) {
        notifier.messages.clear();
        EXPECT_FALSE(commands.OpenByPath(path, "x.scn"));
        ASSERT_EQ(notifier.messages.size(), 1u) << path;
        EXPECT_EQ(notifier.messages[0].text, "Could not open file: " + path);
        EXPECT_EQ(notifier.messages[0].icon, MsgIcon::Error);
    }
    EXPECT_TRUE(engine.loadedScenes.empty());
    EXPECT_EQ(state.Path(), Folder() + "/Kept.scn");
    EXPECT_EQ(ui.title, "");
    // A scene written by the program, even with only its fixed sections, opens.
    testsupport::WriteFileBytes(text, std::string("\xFF\xFE[\0S\0C\0E\0N\0E\0]\0", 16));
    EXPECT_TRUE(commands.OpenByPath(text, "notes.scn"));
    EXPECT_EQ(ui.title, "notes.scn - Boxora");
}

TEST_F(ProjectCommandsTest, ATemplateOpensAsAnUntitledProjectSoSaveAsksWhere) {
    const std::string mine = Folder() + "/Mine.scn", shelf = Folder() + "/Shelf.scn";
    testsupport::WriteFileBytes(mine, "[SCENE]\nVersion=1.8\n");
    testsupport::WriteFileBytes(shelf, "[SCENE]\nVersion=1.8\n");
    ASSERT_TRUE(commands.OpenByPath(mine, "Mine.scn"));
    // Unsaved changes are asked about first; Cancel keeps the project.
    ui.modified = true;
    notifier.answers = {MsgAnswer::Cancel};
    EXPECT_FALSE(commands.OpenTemplate(shelf));
    EXPECT_EQ(engine.loadedScenes.size(), 1u);
    EXPECT_EQ(state.Path(), mine);

    notifier.answers = {MsgAnswer::No};
    ASSERT_TRUE(commands.OpenTemplate(shelf));
    ASSERT_EQ(engine.loadedScenes.size(), 2u);
    EXPECT_EQ(engine.loadedScenes[1], shelf);
    EXPECT_EQ(notifier.notifications.back().message, boxora::WM_ENGINE_END);
    EXPECT_EQ(notifier.notifications[notifier.notifications.size() - 2].wParam, boxora::ENGINE_OP_TEMPLATE);
    EXPECT_EQ(state.Path(), "");
    EXPECT_EQ(ui.title, "New Project - Boxora");
    // The first Save asks where, offering the new project's name.
    EXPECT_FALSE(commands.SaveProject());
    ASSERT_EQ(ui.requests.size(), 1u);
    EXPECT_TRUE(ui.requests[0].save);
    EXPECT_EQ(ui.requests[0].initialName, "New Project");
    EXPECT_TRUE(engine.savedPaths.empty());
}

}  // namespace
