// Every scene setting of the table, taken from the table itself: set, written
// to a scene file, read back, dumped by boxora-render and undone, each with a
// value of its own that differs from its reset value.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <nlohmann/json.hpp>

#include "engine/SceneFile.h"
#include "scene/SceneParams.h"
#include "snapshot/SceneSnapshot.h"
#include "tests/gui/FakeEngine.h"
#include "tests/gui/GuiTestSupport.h"
#include "tests/support/TestSupport.h"
#include "ui/undo/SceneHistory.h"

namespace {

using boxora::SettingRow;

// A value inside the row's range, away from its reset value; fractional
// where the file keeps fractions.
double TestValue(const SettingRow& row) {
    switch (row.form) {
        case boxora::FileForm::FlagIsOne:
        case boxora::FileForm::FlagNotZero: return row.reset != 0 ? 0 : 1;
        case boxora::FileForm::ColourRef: return 0x123456;
        default: break;
    }
    double v = std::round(row.minimum + (row.maximum - row.minimum) * 0.37);
    if (v == row.reset) v += 1;
    return row.form == boxora::FileForm::Float ? v + 0.25 : v;
}

std::string Describe(const SettingRow& row) { return std::string(row.section) + "/" + row.key; }

TEST(SettingTable, EverySettingSetsWritesReadsDumpsAndUndoes) {
    guitest::GuiEnvironment env;
    testsupport::TempDir dir;
    FakeEngine engine;
    boxora::EngineBinding binding = engine.Binding();
    boxora::SceneHistory history(binding);
    const boxora::SettingValues reset = boxora::CaptureSettings(engine.scene);

    // Set, one undo step each.
    for (const SettingRow& row : boxora::SettingTable()) {
        const double before = row.get(engine.scene);
        EXPECT_EQ(before, row.reset) << Describe(row);
        engine.SetSetting(row.id, TestValue(row));
        EXPECT_EQ(row.get(engine.scene), TestValue(row)) << Describe(row);
        history.RecordSetting(row.id, before, TestValue(row));
        history.Seal();
    }
    const boxora::SettingValues set = boxora::CaptureSettings(engine.scene);
    EXPECT_EQ(history.Stack()->count(), boxora::kSettingCount);

    // Written under its key, in its file form, and read back as itself.
    const boxora::ProfileDocument doc = BuildSceneDocument(engine.scene, SceneSnapshot{});
    const SceneFileData data = ParseSceneFile(doc.Serialize());
    EXPECT_TRUE(data.problems.messages.empty());
    for (const SettingRow& row : boxora::SettingTable()) {
        EXPECT_EQ(doc.GetString(row.section, row.key, "<absent>"), boxora::SettingFileText(row, TestValue(row)))
            << Describe(row);
        ASSERT_TRUE(data.settings[static_cast<int>(row.id)]) << Describe(row);
        EXPECT_EQ(*data.settings[static_cast<int>(row.id)], TestValue(row)) << Describe(row);
    }

    // Dumped under its name.
    const std::filesystem::path exe = testsupport::AppDir() / "boxora-render";
    if (std::filesystem::exists(exe)) {
        const std::string scene = dir.File("all.scn");
        const std::string json = dir.File("all.json");
        ASSERT_TRUE(doc.Save(scene));
        const std::string command = "\"" + exe.string() + "\" --dump \"" + scene + "\" > \"" + json + "\"";
        ASSERT_EQ(std::system(command.c_str()), 0);
        std::ifstream in(json);
        const nlohmann::json dumped = nlohmann::json::parse(in)["scene"];
        for (const SettingRow& row : boxora::SettingTable()) {
            ASSERT_TRUE(dumped.contains(row.dumpName)) << row.dumpName;
            const nlohmann::json& value = dumped[row.dumpName];
            EXPECT_DOUBLE_EQ(value.is_boolean() ? value.get<bool>() : value.get<double>(), TestValue(row))
                << row.dumpName;
        }
    }

    // Undone back to the reset values and redone, through the engine.
    for (int i = 0; i < boxora::kSettingCount; ++i) history.Undo();
    EXPECT_EQ(boxora::CaptureSettings(engine.scene), reset);
    for (int i = 0; i < boxora::kSettingCount; ++i) history.Redo();
    EXPECT_EQ(boxora::CaptureSettings(engine.scene), set);
}

TEST(SettingTable, EngineRulesClampAndLiftWhatTheUserGives) {
    for (const SettingRow& row : boxora::SettingTable()) {
        SceneParams scene;
        boxora::ApplySetting(scene, row.id, row.maximum + 1000);
        if (row.rule == boxora::SetterRule::ClampToRange) EXPECT_EQ(row.get(scene), row.maximum) << Describe(row);
    }
    SceneParams scene;
    boxora::ApplySetting(scene, boxora::Setting::CameraVertical, -5);
    EXPECT_FLOAT_EQ(scene.cameraVerticalRotation, 0.5f);
    // Read from a file, the same value is kept as it is.
    const SceneFileData data = ParseSceneFile("[CAMERA]\nCamera_Vertical_Rotation=-5\n");
    EXPECT_EQ(*data.settings[static_cast<int>(boxora::Setting::CameraVertical)], -5.0);
}

}  // namespace
