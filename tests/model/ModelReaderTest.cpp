// The 3DS reader: geometry, names, materials, normals and damaged files.
#include <gtest/gtest.h>

#include <sys/stat.h>

#include <cmath>
#include <filesystem>

#include "engine/ModelManager.h"
#include "lang/Messages.h"
#include "model/ModelReader.h"
#include "platform/Notifier.h"
#include "render/GlReleaseQueue.h"
#include "scene/SceneParams.h"
#include "tests/support/ModelFixtures.h"
#include "tests/support/TestSupport.h"

namespace {

using model3ds::ChunkWriter;

class ModelReaderTest : public ::testing::Test {
protected:
    void SetUp() override { boxora::SetNotifier(&notes); }
    void TearDown() override { boxora::SetNotifier(nullptr); }

    // Imports bytes and appends the new objects, as the model manager does.
    ImportResult Import(const std::vector<uint8_t>& bytes, const std::string& path = "test.3ds") {
        ImportResult r = reader.ImportBytes(bytes.data(), bytes.size(), path, model);
        for (auto& o : reader.TakeNewObjects()) model.objects.push_back(std::move(o));
        return r;
    }

    boxora::RecordingNotifier notes;
    testsupport::TempDir dir;
    SceneModel model;
    ModelReader reader;
};

float Length(const Vector3& v) { return std::sqrt(v.x * v.x + v.y * v.y + v.z * v.z); }

void ExpectNear(const Vector3& a, const Vector3& b, float eps = 1e-5f) {
    EXPECT_NEAR(a.x, b.x, eps);
    EXPECT_NEAR(a.y, b.y, eps);
    EXPECT_NEAR(a.z, b.z, eps);
}

Vector3 Normalized(Vector3 v) {
    const float l = Length(v);
    return {v.x / l, v.y / l, v.z / l};
}

// A mesh of the given vertices and faces, one material "M" on all faces.
model3ds::Model MeshModel(std::vector<std::array<float, 3>> vertices, std::vector<model3ds::Face> faces,
                          std::vector<uint32_t> smoothing) {
    model3ds::Model m;
    model3ds::Material mat;
    mat.name = "M";
    m.materials.push_back(mat);
    model3ds::Mesh mesh;
    mesh.name = "Mesh";
    mesh.vertices = std::move(vertices);
    mesh.faces = std::move(faces);
    mesh.smoothing = std::move(smoothing);
    std::vector<uint16_t> all;
    for (std::size_t i = 0; i < mesh.faces.size(); ++i) all.push_back(static_cast<uint16_t>(i));
    mesh.materialGroups.push_back({"M", all});
    m.meshes.push_back(mesh);
    return m;
}

TEST_F(ModelReaderTest, VertexYIsNegatedAndExtentsMeasured) {
    auto m = MeshModel({{1, 2, 3}, {5, 0, -2}, {0, 1, 8}}, {{0, 1, 2, 7}}, {});
    Import(model3ds::Write(m));
    ASSERT_EQ(model.ObjectCount(), 1);
    const C3DObject& o = *model.objects[0];
    ExpectNear(o.vertices[0], {1, -2, 3});
    EXPECT_FLOAT_EQ(o.height, 10.0f);  // z from -2 to 8
    EXPECT_FLOAT_EQ(o.width, 5.0f);    // x from 0 to 5
    EXPECT_EQ(o.name, "Mesh");
    EXPECT_EQ(o.userName, "Mesh");
    EXPECT_EQ(o.faces[0].material, 0);
}

TEST_F(ModelReaderTest, FaceWithSmoothingWordZeroKeepsItsFaceNormal) {
    auto m = MeshModel({{0, 0, 0}, {1, 0, 0}, {0, 1, 0}, {0, 0, 1}}, {{0, 1, 2, 7}, {0, 1, 3, 7}}, {0, 0});
    Import(model3ds::Write(m));
    const C3DObject& o = *model.objects[0];
    for (const MeshFace& f : o.faces) {
        EXPECT_NEAR(Length(f.normal), 1.0f, 1e-5f);
        for (const Vector3& n : f.normals) ExpectNear(n, f.normal);
    }
    // normalize((P1 - P2) x (P2 - P0)) of face 0, with y negated on reading.
    const Vector3 p0{0, 0, 0}, p1{1, 0, 0}, p2{0, -1, 0};
    const Vector3 a{p1.x - p2.x, p1.y - p2.y, p1.z - p2.z}, b{p2.x - p0.x, p2.y - p0.y, p2.z - p0.z};
    ExpectNear(o.faces[0].normal, Normalized({a.y * b.z - a.z * b.y, a.z * b.x - a.x * b.z, a.x * b.y - a.y * b.x}));
}

TEST_F(ModelReaderTest, SharedSmoothingBitAveragesOnlyTheSharedCorners) {
    // Two triangles folded along the edge 0-1, both in smoothing group 1.
    auto m = MeshModel({{0, 0, 0}, {1, 0, 0}, {0, 1, 0}, {0.5f, 0, 1}}, {{0, 1, 2, 7}, {1, 0, 3, 7}}, {1, 3});
    Import(model3ds::Write(m));
    const C3DObject& o = *model.objects[0];
    const Vector3 n0 = o.faces[0].normal, n1 = o.faces[1].normal;
    const Vector3 mean = Normalized({n0.x + n1.x, n0.y + n1.y, n0.z + n1.z});
    ExpectNear(o.faces[0].normals[0], mean);  // vertex 0, shared
    ExpectNear(o.faces[0].normals[1], mean);  // vertex 1, shared
    ExpectNear(o.faces[0].normals[2], n0);    // vertex 2, face 0 only
    ExpectNear(o.faces[1].normals[2], n1);    // vertex 3, face 1 only
}

TEST_F(ModelReaderTest, NoSmoothingChunkGivesFaceNormals) {
    auto m = MeshModel({{0, 0, 0}, {1, 0, 0}, {0, 1, 0}, {0.5f, 0, 1}}, {{0, 1, 2, 7}, {1, 0, 3, 7}}, {});
    Import(model3ds::Write(m));
    const C3DObject& o = *model.objects[0];
    ASSERT_EQ(o.smoothingGroups.size(), 2u);
    for (const MeshFace& f : o.faces)
        for (const Vector3& n : f.normals) ExpectNear(n, f.normal);
}

TEST_F(ModelReaderTest, DegenerateFaceGetsAUsableNormal) {
    auto m = MeshModel({{0, 0, 0}, {1, 0, 0}, {2, 0, 0}}, {{0, 1, 2, 7}, {0, 0, 0, 7}}, {1, 1});
    Import(model3ds::Write(m));
    for (const MeshFace& f : model.objects[0]->faces) {
        EXPECT_NEAR(Length(f.normal), 1.0f, 1e-5f);
        for (const Vector3& n : f.normals) EXPECT_NEAR(Length(n), 1.0f, 1e-5f);
    }
}

TEST_F(ModelReaderTest, TwoObjectsInOneFileAddBothWithConsecutiveIds) {
    model.nextObjectId = 7;
    auto m = fixtures::BoxModel("Box");
    auto second = m.meshes[0];
    second.name = "Box";
    m.meshes[0].name = "First";
    m.meshes.push_back(second);
    const std::string path = fixtures::WriteModel(dir.File("two.3ds"), m);
    GlReleaseQueue releaseQueue;
    CModelManager manager(releaseQueue);
    manager.Model().nextObjectId = 7;
    ASSERT_FALSE(manager.LoadModelFile(path, false).failed);
    const SceneModel& sm = manager.Model();
    ASSERT_EQ(sm.ObjectCount(), 2);
    EXPECT_EQ(sm.objects[0]->id, 7);
    EXPECT_EQ(sm.objects[1]->id, 8);
    // The last object is typed, gets the cover faces and stands on the floor.
    EXPECT_EQ(sm.objects[0]->type, 0);
    EXPECT_EQ(sm.objects[1]->type, 1);
    EXPECT_FLOAT_EQ(sm.objects[0]->translate[1], 0.0f);
    EXPECT_FLOAT_EQ(sm.objects[1]->translate[1], 5.0f);
    // Both have usable normals.
    for (const auto& o : sm.objects) EXPECT_NEAR(Length(o->faces[0].normals[0]), 1.0f, 1e-5f);
}

TEST_F(ModelReaderTest, NamesAreReadAsCodePage1250) {
    auto m = MeshModel({{0, 0, 0}, {1, 0, 0}, {0, 1, 0}}, {{0, 1, 2, 7}}, {});
    m.meshes[0].name = "A\x8A";
    m.materials[0].name = "\x8A";
    m.meshes[0].materialGroups[0].first = "\x8A";
    Import(model3ds::Write(m));
    EXPECT_EQ(model.objects[0]->name, "A\xC5\xA0");  // U+0160
    EXPECT_EQ(model.materials[0].name, "\xC5\xA0");
    EXPECT_EQ(model.objects[0]->faces[0].material, 0);
}

TEST_F(ModelReaderTest, LongNamesAreCutTo255Units) {
    auto m = MeshModel({{0, 0, 0}, {1, 0, 0}, {0, 1, 0}}, {{0, 1, 2, 7}}, {});
    m.meshes[0].name = std::string(2000, 'n');
    Import(model3ds::Write(m));
    ASSERT_EQ(model.ObjectCount(), 1);
    EXPECT_EQ(model.objects[0]->name.size(), 255u);
    EXPECT_EQ(model.objects[0]->vertices.size(), 3u);  // the rest of the chunk still read
}

TEST_F(ModelReaderTest, EmptyMapFileNameClearsTheFileAndFacesStayUntextured) {
    ChunkWriter w;
    w.Begin(model3ds::kMain);
    w.Begin(model3ds::kEditor);
    w.Begin(model3ds::kMeshVersion);
    w.U32(3);
    w.End();
    w.Begin(model3ds::kMaterial);
    w.Begin(model3ds::kMaterialName);
    w.CString("M");
    w.End();
    w.Begin(model3ds::kTextureMap);
    w.Begin(model3ds::kMapFileName);
    w.CString("front.jpg");
    w.End();
    w.Begin(model3ds::kMapFileName);
    w.CString("");
    w.End();
    w.End();
    w.End();
    w.Begin(model3ds::kObject);
    w.CString("Q");
    w.Begin(model3ds::kTriMesh);
    w.Begin(model3ds::kVertexList);
    w.U16(3);
    for (float f : {0.f, 0.f, 0.f, 1.f, 0.f, 0.f, 0.f, 1.f, 0.f}) w.F32(f);
    w.End();
    w.Begin(model3ds::kFaceList);
    w.U16(1);
    for (uint16_t v : {0, 1, 2, 7}) w.U16(v);
    w.Begin(model3ds::kFaceMaterial);
    w.CString("M");
    w.U16(1);
    w.U16(0);
    Import(w.Finish());
    ASSERT_EQ(model.MaterialCount(), 1);
    EXPECT_EQ(model.materials[0].file, "");
    ASSERT_EQ(model.ObjectCount(), 1);
    EXPECT_EQ(model.objects[0]->faces[0].material, 0);
    EXPECT_EQ(model.objects[0]->faces[0].textured, 0);
}

TEST_F(ModelReaderTest, MapFileNameMakesFacesTextured) {
    auto m = fixtures::QuadModel("Q", "Front");
    m.materials[0].textureFile = "front.jpg";
    Import(model3ds::Write(m));
    EXPECT_EQ(model.materials[0].file, "front.jpg");
    EXPECT_EQ(model.objects[0]->faces[0].textured, 1);
}

TEST_F(ModelReaderTest, TwoCopiesGiveDistinctIdsAndMaterials) {
    const auto bytes = model3ds::Write(fixtures::BoxModel());
    Import(bytes);
    Import(bytes);
    ASSERT_EQ(model.ObjectCount(), 2);
    EXPECT_NE(model.objects[0]->id, model.objects[1]->id);
    ASSERT_EQ(model.MaterialCount(), 14);
    for (int i = 0; i < 14; ++i) EXPECT_EQ(model.materials[i].index, i);
    EXPECT_EQ(model.objects[0]->faces[0].material, 0);
    EXPECT_EQ(model.objects[1]->faces[0].material, 7);
    EXPECT_EQ(model.materials[0].ownerObject, model.objects[0]->id);
    EXPECT_EQ(model.materials[7].ownerObject, model.objects[1]->id);
}

TEST_F(ModelReaderTest, FloatColourSubChunksAreRead) {
    ChunkWriter w;
    w.Begin(model3ds::kMain);
    w.Begin(model3ds::kEditor);
    w.Begin(model3ds::kMeshVersion);
    w.U32(3);
    w.End();
    w.Begin(model3ds::kMaterial);
    w.Begin(model3ds::kMaterialName);
    w.CString("M");
    w.End();
    w.Begin(model3ds::kDiffuse);
    w.Begin(model3ds::kColorFloat);
    w.F32(1.0f);
    w.F32(0.5f);
    w.F32(0.0f);
    w.End();
    w.End();
    w.Begin(model3ds::kSpecular);
    w.Begin(model3ds::kColorFloat);
    w.F32(0.0f);
    w.F32(0.0f);
    w.F32(200.0f / 255.0f);
    w.End();
    w.End();
    w.End();
    w.Begin(model3ds::kObject);
    w.CString("Q");
    const auto bytes = w.Finish();
    Import(bytes);
    ASSERT_EQ(model.MaterialCount(), 1);
    EXPECT_EQ(model.materials[0].color[0], 255);
    EXPECT_EQ(model.materials[0].color[1], 128);
    EXPECT_EQ(model.materials[0].color[2], 0);
    EXPECT_EQ(model.materials[0].color[3], 255);
    EXPECT_EQ(model.materials[0].mirrorLevel, 200);
}

TEST_F(ModelReaderTest, SpecularColourCarriesTheLevels) {
    auto m = fixtures::QuadModel("Q", "Glass", {7, 120, 200});
    Import(model3ds::Write(m));
    EXPECT_EQ(model.materials[0].transparencyLevel, 120);
    EXPECT_EQ(model.materials[0].mirrorLevel, 200);
}

TEST_F(ModelReaderTest, MissingFileFifoAndFolderAreReported) {
    // A FIFO without a writer would block the reader for ever.
    ASSERT_EQ(mkfifo(dir.File("pipe.3ds").c_str(), 0600), 0);
    std::filesystem::create_directory(dir.File("folder.3ds"));
    for (const char* name : {"nothing.3ds", "pipe.3ds", "folder.3ds"}) {
        const ImportResult r = reader.Import(dir.File(name), model);
        EXPECT_FALSE(r.opened);
        EXPECT_TRUE(r.outcome.failed);
        ASSERT_EQ(r.outcome.messages.size(), 1u);
        EXPECT_EQ(boxora::MessageText(r.outcome.messages[0]), "Could not open file: " + dir.File(name));
        EXPECT_EQ(model.ObjectCount(), 0);
    }
    EXPECT_TRUE(notes.Messages().empty());  // the caller decides what the user sees
}

TEST_F(ModelReaderTest, FileWithoutPrimaryChunkIsReported) {
    const std::string path = fixtures::WriteBytes(dir.File("bad.3ds"), {'G', 'I', 'F', '8', '9', 'a', 0, 0});
    ImportResult r = reader.Import(path, model);
    EXPECT_TRUE(r.outcome.failed);
    ASSERT_EQ(r.outcome.messages.size(), 1u);
    EXPECT_EQ(boxora::MessageText(r.outcome.messages[0]), "Unable to load PRIMARY chuck from file: " + path);
    r = reader.Import(fixtures::WriteBytes(dir.File("empty.3ds"), {}), model);
    EXPECT_TRUE(r.outcome.failed);
    EXPECT_EQ(r.outcome.messages.size(), 1u);
    EXPECT_EQ(model.MaterialCount(), 0);
}

TEST_F(ModelReaderTest, NewerVersionWarnsAndLoads) {
    auto m = fixtures::BoxModel();
    m.version = 4;
    const ImportResult r = Import(model3ds::Write(m));
    EXPECT_FALSE(r.outcome.failed);
    ASSERT_EQ(r.outcome.messages.size(), 1u);
    EXPECT_EQ(boxora::MessageText(r.outcome.messages[0]), "The 3DS file is over version 3 so it may load incorrectly");
    EXPECT_EQ(model.ObjectCount(), 1);
}

TEST_F(ModelReaderTest, FileWithoutObjectsAddsNothing) {
    auto m = fixtures::BoxModel();
    m.meshes.clear();
    model.nextObjectId = 3;
    const ImportResult r = Import(model3ds::Write(m));
    EXPECT_TRUE(r.primaryOk);
    EXPECT_EQ(model.ObjectCount(), 0);
    EXPECT_EQ(model.MaterialCount(), 0);
    EXPECT_EQ(model.nextObjectId, 3);
    EXPECT_TRUE(reader.FileMaterials().empty());
}

TEST_F(ModelReaderTest, IndicesBeyondTheirArraysNeverReachTheModel) {
    auto m = MeshModel({{0, 0, 0}, {1, 0, 0}, {0, 1, 0}}, {{0, 1, 2, 7}, {0, 1, 9, 7}, {2, 1, 0, 7}}, {});
    // A group naming a face that does not exist and a material that does not
    // exist; face 2 is in no group.
    m.meshes[0].materialGroups = {{"M", {0, 1, 40}}, {"Nothing", {2}}};
    Import(model3ds::Write(m));
    const C3DObject& o = *model.objects[0];
    ASSERT_EQ(o.faces.size(), 2u);  // the face naming vertex 9 is dropped
    EXPECT_EQ(o.faces[0].material, 0);
    EXPECT_EQ(o.faces[1].material, kNoMaterial);
    EXPECT_EQ(o.texCoords.size(), o.vertices.size());
    EXPECT_EQ(o.faceList.size(), 2u);
    EXPECT_EQ(o.faceList[1], &o.faces[1]);
}

TEST_F(ModelReaderTest, MoreThan256MaterialsAreRefused) {
    model3ds::Model m = MeshModel({{0, 0, 0}, {1, 0, 0}, {0, 1, 0}}, {{0, 1, 2, 7}}, {});
    for (int i = 0; i < 300; ++i) {
        model3ds::Material mat;
        mat.name = "X" + std::to_string(i);
        m.materials.push_back(mat);
    }
    Import(model3ds::Write(m));
    EXPECT_EQ(model.MaterialCount(), kMaxMaterials);
    EXPECT_EQ(model.materials.back().index, kMaxMaterials - 1);
    EXPECT_EQ(model.ObjectCount(), 1);
}

TEST_F(ModelReaderTest, ObjectsBeyondTheLimitsAreLeftOutWithAMessage) {
    // More objects than a scene takes: the first ones load, the message
    // says how many were left out.
    model3ds::Model many;
    const model3ds::Mesh tiny = MeshModel({{0, 0, 0}, {1, 0, 0}, {0, 1, 0}}, {{0, 1, 2, 7}}, {}).meshes[0];
    for (int i = 0; i < kMaxObjects + 3; ++i) many.meshes.push_back(tiny);
    const ImportResult r = Import(model3ds::Write(many), "many.3ds");
    EXPECT_EQ(model.ObjectCount(), kMaxObjects);
    EXPECT_FALSE(r.outcome.failed);
    ASSERT_FALSE(r.outcome.messages.empty());
    const std::string text = boxora::MessageText(r.outcome.messages.back());
    EXPECT_NE(text.find("many.3ds"), std::string::npos);
    EXPECT_NE(text.find(": 3 were left out"), std::string::npos);

    // More faces than a file may bring: whole objects only, up to the budget.
    SceneModel other;
    model3ds::Model large;
    model3ds::Mesh big = tiny;
    big.faces.assign(60000, big.faces[0]);
    for (int i = 0; i < 6; ++i) large.meshes.push_back(big);
    const std::vector<uint8_t> bytes = model3ds::Write(large);
    const ImportResult l = reader.ImportBytes(bytes.data(), bytes.size(), "large.3ds", other);
    const auto objects = reader.TakeNewObjects();
    ASSERT_EQ(objects.size(), ModelReader::kMaxFaces / 60000);
    for (const auto& o : objects) EXPECT_EQ(o->faces.size(), 60000u);
    ASSERT_FALSE(l.outcome.messages.empty());
    EXPECT_NE(boxora::MessageText(l.outcome.messages.back()).find("large.3ds is too large"), std::string::npos);
}

// Every prefix of a valid file and a set of damaged lengths: never a crash,
// always a consistent model.
TEST_F(ModelReaderTest, TruncatedAndDamagedFilesLoadWhatIsSound) {
    const auto full = model3ds::Write(fixtures::BoxModel());
    auto check = [&](const std::vector<uint8_t>& bytes) {
        SceneModel local;
        reader.ImportBytes(bytes.data(), bytes.size(), "cut.3ds", local);
        for (auto& o : reader.TakeNewObjects()) {
            ASSERT_EQ(o->texCoords.size(), o->vertices.size());
            ASSERT_EQ(o->smoothingGroups.size(), o->faces.size());
            for (const MeshFace& f : o->faces) {
                for (uint16_t v : f.vertIndex) ASSERT_LT(v, o->vertices.size());
                if (f.material != kNoMaterial) {
                    ASSERT_LT(f.material, local.materials.size());
                }
            }
        }
    };
    for (std::size_t n = 0; n <= full.size(); ++n) check(std::vector<uint8_t>(full.begin(), full.begin() + n));
    // Chunk lengths set to 0, 5, 6, 7 and huge at every position.
    for (std::size_t at = 2; at + 4 <= full.size(); at += 3) {
        for (uint32_t len : {0u, 5u, 6u, 7u, 0xFFFFFFFFu}) {
            auto bytes = full;
            for (int i = 0; i < 4; ++i) bytes[at + i] = static_cast<uint8_t>(len >> (8 * i));
            check(bytes);
        }
    }
    SUCCEED();
}

TEST_F(ModelReaderTest, DeeplyNestedChunksDoNotExhaustTheStack) {
    ChunkWriter w;
    w.Begin(model3ds::kMain);
    w.Begin(model3ds::kEditor);
    w.Begin(model3ds::kMeshVersion);
    w.End();
    w.Begin(model3ds::kObject);
    w.CString("deep");
    for (int i = 0; i < 100000; ++i) w.Begin(model3ds::kTriMesh);
    Import(w.Finish());
    EXPECT_EQ(model.ObjectCount(), 1);
}

}  // namespace
