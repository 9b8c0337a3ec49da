// Faces without a valid material still belong to a side: one plain side per
// object gathers them, after the material sides.
#include <gtest/gtest.h>

#include "engine/ModelManager.h"
#include "platform/Notifier.h"
#include "render/GlReleaseQueue.h"
#include "render/SideManager.h"
#include "scene/SceneParams.h"
#include "tests/model/LoadedModelsFixture.h"
#include "tests/support/ModelFixtures.h"
#include "tests/support/TestSupport.h"
#include "tools/model3ds/MeshBuilder.h"

namespace {

// Two quads of material "Paint" and two of a material the file never
// defines; with paint false the file defines no material at all.
model3ds::Model Mixed(const std::string& name, bool paint) {
    model3ds::MeshBuilder b(name);
    b.Rect("Paint", {0, 0, 0}, {10, 0, 0}, {0, 0, 10});
    b.Rect("Ghost", {20, 0, 0}, {10, 0, 0}, {0, 0, 10});
    model3ds::Model model;
    if (paint) {
        model3ds::Material m;
        m.name = "Paint";
        model.materials.push_back(m);
    }
    model3ds::Mesh mesh;
    EXPECT_TRUE(b.Finish(mesh));
    model.meshes.push_back(mesh);
    return model;
}

using UnassignedFacesTest = LoadedModelsFixture;

TEST_F(UnassignedFacesTest, EachObjectsFacesWithoutMaterialFormAPlainSide) {
    C3DObject& a = Load(Mixed("A", true), "a.3ds");
    C3DObject& b = Load(Mixed("B", false), "b.3ds");
    sides.BuildSides();
    const auto& all = sides.Sides();
    ASSERT_EQ(all.size(), 3u);
    EXPECT_EQ(all[0].material, 0);
    EXPECT_EQ(all[0].faces.size(), 2u);
    for (int i = 1; i < 3; ++i) {
        EXPECT_EQ(all[i].material, kUnassignedMaterial);
        EXPECT_EQ(all[i].kind, SIDE_PLAIN);
    }
    EXPECT_EQ(all[1].object, &a);
    EXPECT_EQ(all[1].faces.size(), 2u);
    EXPECT_EQ(all[2].object, &b);
    EXPECT_EQ(all[2].faces.size(), 4u);  // B defines no material at all
    for (const CSide& side : all)
        for (std::size_t k = 0; k < side.faces.size(); ++k) {
            EXPECT_EQ(side.faces[k]->owner, side.object);
            EXPECT_EQ(&side.object->faces[side.faceIndices[k]], side.faces[k]);
        }
    // Moving B releases only its own side.
    for (CSide& side : sides.Sides())
        side.listSlots[SLOT_PLAIN] = {true, 40u + static_cast<unsigned>(side.faces.size())};
    sides.InvalidateObjectSideLists(&b);
    EXPECT_TRUE(all[0].listSlots[SLOT_PLAIN].built);
    EXPECT_TRUE(all[1].listSlots[SLOT_PLAIN].built);
    EXPECT_FALSE(all[2].listSlots[SLOT_PLAIN].built);
    EXPECT_EQ(releaseQueue.PendingLists(), 1u);
}

}  // namespace
