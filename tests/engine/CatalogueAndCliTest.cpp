// The shipped package models load as the engine expects them, and
// boxora-render --dump reports a loaded file as JSON.
#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>

#include <nlohmann/json.hpp>

#include "EngineTestSupport.h"
#include "model/CoverFaces.h"

namespace {

namespace fs = std::filesystem;

std::vector<fs::path> CatalogueModels() {
    std::vector<fs::path> models;
    std::error_code ec;
    for (const auto& e : fs::directory_iterator(testsupport::AppDir() / "data" / "Objects", ec))
        if (e.path().extension() == ".3ds") models.push_back(e.path());
    std::sort(models.begin(), models.end());
    return models;
}

TEST(CatalogueTest, EveryCatalogueModelLoadsWithCoverFaces) {
    const auto models = CatalogueModels();
    if (models.empty()) GTEST_SKIP() << "no catalogue in " << (testsupport::AppDir() / "data" / "Objects");
    boxora::RecordingNotifier notes;
    boxora::SetNotifier(&notes);
    for (const fs::path& path : models) {
        SCOPED_TRACE(path.string());
        CEngine engine;
        std::lock_guard lock(engine.Lock());
        ASSERT_FALSE(engine.Models().LoadModelFile(path.string(), true).failed);
        engine.Sides().BuildSides();
        const C3DObject& o = *engine.Models().Model().objects.back();
        // A catalogue model's mesh object is named after its file.
        EXPECT_EQ(o.name, path.stem().string());
        EXPECT_GT(o.FaceCount(), 0);
        EXPECT_GT(o.height, 0.0f);
        EXPECT_FLOAT_EQ(o.translate[1], o.height / 2);
        int covers = 0;
        for (const tMaterialInfo& m : engine.Models().Model().materials) covers += m.coverFace >= 0 ? 1 : 0;
        EXPECT_GE(covers, 1);
        EXPECT_FALSE(engine.Sides().Sides().empty());
        for (const MeshFace& f : o.faces) EXPECT_NE(f.material, kNoMaterial);
    }
    for (const auto& m : notes.Messages()) ADD_FAILURE() << m.text;
    boxora::SetNotifier(nullptr);
}

TEST(CatalogueTest, BoxIsTypeOneWithSixCoverFaces) {
    const fs::path box = testsupport::AppDir() / "data" / "Objects" / "Box.3ds";
    if (!fs::exists(box)) GTEST_SKIP() << "no Box.3ds in the catalogue";
    CEngine engine;
    std::lock_guard lock(engine.Lock());
    ASSERT_FALSE(engine.Models().LoadModelFile(box.string(), true).failed);
    const C3DObject& o = *engine.Models().Model().objects.back();
    EXPECT_EQ(o.type, OBJECT_TYPE_BOX);
    std::array<int, 6> seen{};
    for (const tMaterialInfo& m : engine.Models().Model().materials)
        if (m.coverFace >= 0) ++seen[m.coverFace];
    for (int k = 0; k < 6; ++k) EXPECT_EQ(seen[k], 1) << kCoverFaceNames[k];
}

struct RunResult {
    int status = -1;
    std::string out;
};

RunResult RunCli(const std::string& args) {
    const fs::path exe = testsupport::AppDir() / "boxora-render";
    RunResult r;
    const std::string command = "'" + exe.string() + "' " + args + " 2>/dev/null";
    FILE* pipe = popen(command.c_str(), "r");
    if (!pipe) return r;
    char buffer[4096];
    std::size_t n;
    while ((n = fread(buffer, 1, sizeof buffer, pipe)) > 0) r.out.append(buffer, n);
    const int status = pclose(pipe);
    r.status = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    return r;
}

class RenderCliTest : public EngineTestBase {
protected:
    void SetUp() override {
        EngineTestBase::SetUp();
        if (!fs::exists(testsupport::AppDir() / "boxora-render")) GTEST_SKIP() << "boxora-render not built";
    }
};

TEST_F(RenderCliTest, DumpOfAModelPrintsItsObjectMaterialsAndSides) {
    auto model = fixtures::BoxModel("Box");
    model.materials[6].name = "Quote\" and \x01";
    model.meshes[0].materialGroups.back().first = model.materials[6].name;
    const std::string path = fixtures::WriteModel(dir.File("Box.3ds"), model);
    const RunResult r = RunCli("--dump '" + path + "'");
    ASSERT_EQ(r.status, 0);
    const auto json = nlohmann::json::parse(r.out);
    const auto& object = json.at("objects").at(0);
    EXPECT_EQ(object.at("type"), 1);
    EXPECT_EQ(object.at("translate"), nlohmann::json::array({0, 5, 0}));
    EXPECT_EQ(json.at("scene").at("shadowLength"), 68.75);
    std::vector<int> coverFaces;
    std::vector<std::string> materialNames;
    for (const auto& m : json.at("materials")) {
        coverFaces.push_back(m.at("coverFace"));
        materialNames.push_back(m.at("name"));
    }
    EXPECT_NE(std::find(coverFaces.begin(), coverFaces.end(), 5), coverFaces.end());
    EXPECT_NE(std::find(materialNames.begin(), materialNames.end(), "Quote\" and \x01"), materialNames.end());
    EXPECT_EQ(json.at("sides").at(0).at("kind"), "plain");
}

TEST_F(RenderCliTest, DumpOfASceneLoadsItsObjects) {
    AddCatalogueModel("Box", fixtures::BoxModel());
    const std::string scene = dir.File("s.scn");
    {
        CEngine engine;
        std::lock_guard lock(engine.Lock());
        engine.Models().LoadModelFile(ObjectPath("Box"), true);
        engine.Params().cameraZoom = 12;
        ASSERT_TRUE(engine.SaveScene(scene));
    }
    const RunResult r = RunCli("--dump '" + scene + "'");
    ASSERT_EQ(r.status, 0);
    const auto json = nlohmann::json::parse(r.out);
    EXPECT_EQ(json.at("scene").at("cameraZoom"), 12);
    EXPECT_EQ(json.at("objects").at(0).at("name"), "Box");
}

TEST_F(RenderCliTest, UnreadableFilesAndBadArgumentsFail) {
    EXPECT_EQ(RunCli("--dump '" + dir.File("none.3ds") + "'").status, 1);
    testsupport::WriteFileBytes(dir.File("bad.3ds"), "not a model");
    EXPECT_EQ(RunCli("--dump '" + dir.File("bad.3ds") + "'").status, 1);
    EXPECT_EQ(RunCli("--frobnicate").status, 2);
    EXPECT_EQ(RunCli("--dump").status, 2);
    const RunResult help = RunCli("--help");
    EXPECT_EQ(help.status, 0);
    EXPECT_NE(help.out.find("--dump FILE"), std::string::npos);
}

}  // namespace
