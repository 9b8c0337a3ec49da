// Every catalogue model loaded the way "Add Object" loads it: through the
// engine's add queue, its 3DS reader, the floor lift, texture resolution,
// object typing, cover faces and the side builder.
#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <filesystem>
#include <map>
#include <set>
#include <string>

#include "engine/Engine.h"
#include "model/CoverFaces.h"
#include "tests/catalogue/DrawnMesh.h"
#include "tests/support/TestSupport.h"
#include "tools/model3ds/CatalogueModels.h"

namespace fs = std::filesystem;
using namespace cataloguetest;

namespace {

const std::map<std::string, int> kTypes = {{"Box", 1}, {"CD_DVD", 2}, {"DVD Box", 3}};
// Drawn outward direction of each cover face.
const V3 kOutward[6] = {{0, 0, 1}, {0, 0, -1}, {-1, 0, 0}, {1, 0, 0}, {0, 1, 0}, {0, -1, 0}};

// Loads the model from the program's catalogue folder into a fresh engine
// and checks what the engine made of it.
void CheckLoaded(const model3ds::CatalogueModel& entry) {
    CEngine engine;
    ASSERT_TRUE(engine.Initialize(nullptr));
    engine.Redraw();  // starts the worker threads
    engine.AddObject((testsupport::AppDir() / "data" / "Objects" / (entry.name + ".3ds")).string());
    engine.Redraw();
    ASSERT_TRUE(engine.WaitForIdle(std::chrono::seconds(60)));

    std::lock_guard lock(engine.Lock());
    const SceneModel& model = engine.Models().Model();
    ASSERT_EQ(model.ObjectCount(), 1);
    const C3DObject* object = model.objects.back().get();

    // Name and type.
    EXPECT_EQ(object->name, entry.name);
    EXPECT_EQ(object->userName, entry.name);
    EXPECT_EQ(object->type, kTypes.count(entry.name) ? kTypes.at(entry.name) : 0);
    const model3ds::Mesh& mesh = entry.model.meshes[0];
    EXPECT_EQ(object->VertexCount(), static_cast<int>(mesh.vertices.size()));
    EXPECT_EQ(object->FaceCount(), static_cast<int>(mesh.faces.size()));

    // The lift sets the lowest point on the floor.
    float lowest = 1e9f;
    for (const Vector3& v : object->vertices) lowest = std::min(lowest, v.z);
    EXPECT_FLOAT_EQ(object->translate[1].Get(), object->height / 2);
    EXPECT_NEAR(lowest + object->translate[1].Get(), 0.0f, 1e-3f);

    // Six cover faces, each with its default image found in the program's
    // texture folder.
    for (int k = 0; k < kCoverFaceCount; ++k) {
        SCOPED_TRACE(kCoverFaceNames[k]);
        const std::string& image = object->coverImages[k];
        ASSERT_FALSE(image.empty());
        ASSERT_NE(image, "*");
        EXPECT_TRUE(fs::exists(image)) << image;
        EXPECT_NE(image.find("/data/texture/"), std::string::npos) << image;
        int coverMaterials = 0;
        for (const tMaterialInfo& m : model.materials) {
            if (m.coverFace != k) continue;
            ++coverMaterials;
            EXPECT_EQ(m.name, kCoverFaceNames[k]);
            EXPECT_EQ(m.file, image);
            EXPECT_EQ(m.ownerObject, object->id);
        }
        EXPECT_EQ(coverMaterials, 1);
    }

    // The reader's normals agree with the generator's checks: every cover
    // face, drawn as (-nx, -nz, -ny), faces its own way; the textured faces
    // are those of the cover materials.
    for (const MeshFace& f : object->faces) {
        ASSERT_LT(f.material, model.materials.size());
        const tMaterialInfo& m = model.materials[f.material];
        EXPECT_EQ(f.textured != 0, m.coverFace >= 0) << m.name;
        if (m.coverFace < 0) continue;
        const V3 drawn = HeldToDrawnNormal({f.normal.x, f.normal.y, f.normal.z});
        EXPECT_GT(Dot(drawn, kOutward[m.coverFace]), 0.1) << m.name;
    }

    // The normals the generator's checks work out (face normals from the
    // winding, corner normals from the smoothing words) are the reader's.
    const std::vector<DrawnFace> expected = DrawMesh(mesh);
    ASSERT_EQ(expected.size(), object->faces.size());
    for (std::size_t i = 0; i < expected.size(); ++i) {
        const MeshFace& f = object->faces[i];
        EXPECT_GT(Dot(HeldToDrawnNormal({f.normal.x, f.normal.y, f.normal.z}), expected[i].normal), 0.99999)
            << "face " << i;
        for (int k = 0; k < 3; ++k) {
            const Vector3& n = f.normals[k];
            EXPECT_GT(Dot(HeldToDrawnNormal({n.x, n.y, n.z}), expected[i].cornerNormal[k]), 0.99999)
                << "face " << i << " corner " << k;
        }
    }

    // One side per material, of the kind its levels ask for.
    const auto& sides = engine.Sides().Sides();
    EXPECT_EQ(sides.size(), model.materials.size());
    std::set<int> sideMaterials;
    for (const CSide& side : sides) {
        ASSERT_GE(side.material, 0);
        ASSERT_LT(side.material, model.MaterialCount());
        sideMaterials.insert(side.material);
        const tMaterialInfo& m = model.materials[side.material];
        const int kind = m.mirrorLevel ? SIDE_MIRROR : m.transparencyLevel ? SIDE_TRANSPARENT : SIDE_PLAIN;
        EXPECT_EQ(side.kind, kind) << m.name;
        EXPECT_EQ(side.object, object);
        if (side.kind == SIDE_MIRROR) {
            // The front mirror frame reflects what stands before it: the kept
            // half-space lies behind the front (drawn -z), and an upright
            // mirror drops the floor clip while its reflection is drawn.
            EXPECT_NEAR(side.clipPlane[0], 0, 1e-5);
            EXPECT_NEAR(side.clipPlane[1], 0, 1e-5);
            EXPECT_NEAR(side.clipPlane[2], -1, 1e-5);
            EXPECT_FALSE(side.FacesUp());
        }
    }
    EXPECT_EQ(static_cast<int>(sideMaterials.size()), model.MaterialCount());
}

TEST(CatalogueLoad, EveryModelLoadsWithTypeCoverFacesLiftAndSides) {
    for (const auto& entry : model3ds::BuildCatalogue()) {
        SCOPED_TRACE(entry.name);
        CheckLoaded(entry);
    }
}

}  // namespace
