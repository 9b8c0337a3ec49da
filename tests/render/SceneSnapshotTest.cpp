// The engine's scene snapshots: immutable, sharing what did not change,
// outliving the scene they were made from; and a second renderer drawing
// from nothing but a snapshot covers the pixels the OpenGL render does.
#include "RenderTestSupport.h"
#include "render/SnapshotSilhouette.h"

namespace {

using namespace rendertest;

class SceneSnapshotTest : public RenderTest {};

const boxora::MaterialSnapshot* CoverMaterial(const SceneSnapshot& s, int objectId, int face) {
    for (const auto& m : s.materials)
        if (m.ownerObject == objectId && m.coverFace == face) return &m;
    return nullptr;
}

TEST_F(SceneSnapshotTest, PublishingSharesWhatDidNotChangeAndOldSnapshotsKeepTheirScene) {
    Start(120, 90);
    C3DObject* plain = AddSolidBox("Plain", 40, 20, 30, kRed);
    C3DObject* art = AddColouredBox();
    ASSERT_TRUE(plain && art);
    const int plainId = plain->id, artId = art->id;
    const SceneSnapshotPtr first = engine.PublishScene();
    ASSERT_EQ(first->objects.size(), 2u);
    ASSERT_TRUE(first->Find(plainId)->mesh && first->Find(artId)->mesh);
    const boxora::MaterialSnapshot* front = CoverMaterial(*first, artId, COVER_FRONT);
    ASSERT_TRUE(front && front->image);
    const std::string frontPath = front->image->Path();

    // A transform change: new object records, the same meshes and artwork.
    engine.SetObjectTranslateX(plainId, 120);
    engine.SetCameraZoom(40);
    const SceneSnapshotPtr moved = engine.PublishScene();
    EXPECT_EQ(moved->Find(plainId)->translate[0], 120.0f);
    EXPECT_EQ(first->Find(plainId)->translate[0], 0.0f);
    EXPECT_FLOAT_EQ(moved->settings.cameraZoom, 40.0f);
    EXPECT_FLOAT_EQ(first->settings.cameraZoom, 2.0f);
    EXPECT_EQ(moved->Find(plainId)->mesh, first->Find(plainId)->mesh);
    EXPECT_EQ(moved->Find(artId)->mesh, first->Find(artId)->mesh);
    EXPECT_EQ(CoverMaterial(*moved, artId, COVER_FRONT)->image, front->image);

    // New artwork on one face: that object's mesh and that face's handle
    // are new; the rest is still shared.
    WriteSolidBmp(Texture("new-front.bmp"), {0, 0, 255});
    engine.SetObjectImage(artId, COVER_FRONT, Texture("new-front.bmp"));
    ASSERT_TRUE(Idle());
    const SceneSnapshotPtr reworked = engine.PublishScene();
    EXPECT_NE(reworked->Find(artId)->mesh, first->Find(artId)->mesh);
    EXPECT_EQ(reworked->Find(plainId)->mesh, first->Find(plainId)->mesh);
    EXPECT_NE(CoverMaterial(*reworked, artId, COVER_FRONT)->image, front->image);
    EXPECT_EQ(CoverMaterial(*reworked, artId, COVER_BACK)->image, CoverMaterial(*first, artId, COVER_BACK)->image);
    EXPECT_EQ(front->image->Path(), frontPath);

    // Two consumers asking for the same size share one decoded copy.
    const auto pixels = front->image->Pixels(256);
    EXPECT_EQ(pixels, front->image->Pixels(256));
    ASSERT_FALSE(pixels->Empty());

    // The engine's objects go; the first snapshot still holds its scene.
    engine.DeleteAllObjects();
    ASSERT_TRUE(Idle());
    EXPECT_TRUE(engine.PublishScene()->objects.empty());
    ASSERT_EQ(first->objects.size(), 2u);
    EXPECT_FALSE(first->Find(artId)->mesh->faces.empty());
    EXPECT_FALSE(first->Find(artId)->mesh->groups.empty());
    const auto again = front->image->Pixels(64);
    EXPECT_FALSE(again->Empty());
    // Its front art is red (TestBox's Front colour), not the later blue.
    EXPECT_GT(again->pixels[2], 200);
    EXPECT_LT(again->pixels[0], 50);
}

TEST_F(SceneSnapshotTest, CpuSilhouetteOfTheSnapshotMatchesTheRenderedAlpha) {
    Start(120, 90);
    C3DObject* tall = AddSolidBox("Tall", 30, 25, 45, kRed);
    C3DObject* flat = AddSolidBox("Flat", 60, 40, 10, {0, 200, 0});
    ASSERT_TRUE(tall && flat);
    engine.SetObjectTranslateX(tall->id, -70);
    engine.SetObjectRotateY(tall->id, 30);
    engine.SetObjectTranslateX(flat->id, 60);
    engine.SetObjectTranslateZ(flat->id, 40);
    engine.SetCameraZoom(30);
    engine.SetShadowIntensity(0);
    engine.SetReflectionOpacity(0);
    engine.SetBackgroundTransparent(true);
    // Not PNG: no transparent-PNG boost of shadow and reflection.
    engine.Params().outputFormat = FORMAT_BMP;
    ASSERT_TRUE(Idle());

    const int w = 320, h = 240;
    std::vector<uint8_t> rgba;
    RenderJob job;
    job.fileName = "silhouette";
    job.width = w;
    job.height = h;
    job.format = FORMAT_BMP;
    job.seed = 3;
    job.pictureSink = [&rgba](const uint8_t* pixels, int pw, int ph) {
        if (pixels) rgba.assign(pixels, pixels + static_cast<std::size_t>(pw) * ph * 4);
    };
    engine.RenderToFile(job);
    ASSERT_TRUE(Idle());
    ASSERT_EQ(rgba.size(), static_cast<std::size_t>(w) * h * 4);

    const boxora::ObjectIdImage ids = boxora::DrawObjectIds(*engine.PublishScene(), w, h);
    const auto covered = [&](int x, int y) {
        return x >= 0 && y >= 0 && x < w && y < h && ids.At(x, y) != boxora::ObjectIdImage::kNone;
    };
    int coveredCount = 0, edgeMismatches = 0;
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x) {
            // The sink's rows run top first; the id image's bottom first.
            const bool opaque = rgba[(static_cast<std::size_t>(h - 1 - y) * w + x) * 4 + 3] >= 128;
            coveredCount += covered(x, y);
            if (opaque == covered(x, y)) continue;
            bool nearEdge = false;
            for (int dy = -1; dy <= 1; ++dy)
                for (int dx = -1; dx <= 1; ++dx) nearEdge = nearEdge || covered(x + dx, y + dy) != covered(x, y);
            ASSERT_TRUE(nearEdge) << "pixel " << x << ", " << y << " differs away from any edge";
            ++edgeMismatches;
        }
    EXPECT_GT(coveredCount, w * h / 30);
    // Anti-aliased edges may go either way, a small share of them at most.
    EXPECT_LT(edgeMismatches, coveredCount / 25);

    // Each box is found where the camera puts its centre.
    width = w;
    height = h;
    for (const C3DObject* box : {tall, flat}) {
        const auto at = Project(*box, {0, 0, 0});
        EXPECT_EQ(ids.At(static_cast<int>(at[0]), static_cast<int>(at[1])), box->id);
    }
}

}  // namespace
