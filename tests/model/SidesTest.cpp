// Object types, cover faces, side grouping, mirror planes and the side
// ordering logic.
#include <gtest/gtest.h>

#include <cmath>
#include <map>
#include <random>

#include "engine/ModelManager.h"
#include "model/CoverFaces.h"
#include "model/MirrorMath.h"
#include "platform/Notifier.h"
#include "render/GlReleaseQueue.h"
#include "render/SideManager.h"
#include "scene/SceneParams.h"
#include "tests/model/LoadedModelsFixture.h"
#include "tests/support/ModelFixtures.h"
#include "tests/support/TestSupport.h"

namespace {

using SidesTest = LoadedModelsFixture;

TEST(CoverFaceNames, OnlyExactNamesCount) {
    EXPECT_EQ(CoverFaceIndex("Front"), 0);
    EXPECT_EQ(CoverFaceIndex("Bottom"), 5);
    EXPECT_EQ(CoverFaceIndex("front"), -1);
    EXPECT_EQ(CoverFaceIndex("Front "), -1);
    EXPECT_EQ(ObjectTypeFromName("Box"), 1);
    EXPECT_EQ(ObjectTypeFromName("CD_DVD"), 2);
    EXPECT_EQ(ObjectTypeFromName("DVD Box"), 3);
    EXPECT_EQ(ObjectTypeFromName("DVD box"), 0);
    EXPECT_EQ(ObjectTypeFromName("box"), 0);
}

TEST_F(SidesTest, BoxGivesSevenSidesAndSixCoverFaces) {
    const std::array<std::string, 6> textures = {"f.png", "b.png", "", "", "", ""};
    std::filesystem::create_directories(dir.File("texture"));
    testsupport::WriteFileBytes(dir.File("texture/f.png"), "x");
    C3DObject& box = Load(fixtures::BoxModel("Box", 10, 0, textures));
    EXPECT_EQ(box.type, OBJECT_TYPE_BOX);
    EXPECT_FLOAT_EQ(box.height, 10.0f);
    EXPECT_FLOAT_EQ(box.translate[1], 5.0f);  // lifted onto the floor
    const auto& mats = manager.Model().materials;
    for (int k = 0; k < 6; ++k) EXPECT_EQ(mats[k].coverFace, k);
    EXPECT_EQ(mats[6].coverFace, -1);
    // Textured cover faces hold the resolved path, or "*" when not found.
    EXPECT_EQ(box.coverImages[0], dir.File("texture") + "/f.png");
    EXPECT_EQ(box.coverImages[1], "*");
    EXPECT_EQ(box.coverImages[2], "");
    ASSERT_EQ(lastOutcome.messages.size(), 1u);  // b.png is missing

    sides.BuildSides();
    ASSERT_EQ(sides.Sides().size(), 7u);
    for (const CSide& s : sides.Sides()) {
        EXPECT_EQ(s.kind, SIDE_PLAIN);
        EXPECT_EQ(s.object, &box);
        EXPECT_EQ(s.faces.size(), 2u);
        for (const MeshFace* f : s.faces) EXPECT_EQ(f->owner, &box);
    }
    EXPECT_EQ(sides.Sides()[6].material, 6);
    EXPECT_EQ(sides.Sides()[6].faceIndices, (std::vector<int>{12, 13}));
    EXPECT_EQ(sides.DirectOrder().size(), 7u);
    EXPECT_TRUE(sides.OrderSides(true));  // no context: array order
    EXPECT_EQ(sides.DirectOrder()[0], &sides.Sides()[0]);
}

TEST_F(SidesTest, LowerCaseFrontIsNotACoverFace) {
    C3DObject& o = Load(fixtures::QuadModel("DVD box", "front"));
    EXPECT_EQ(manager.Model().materials[0].coverFace, -1);
    EXPECT_EQ(o.type, OBJECT_TYPE_NONE);
    C3DObject& dvd = Load(fixtures::QuadModel("DVD Box", "Front"), "d.3ds");
    EXPECT_EQ(dvd.type, OBJECT_TYPE_DVD_BOX);
    EXPECT_EQ(manager.Model().materials[1].coverFace, 0);
}

TEST_F(SidesTest, SpecularLevelsChooseTheSideKind) {
    Load(fixtures::QuadModel("A", "Mirror", {0, 0, 200}), "a.3ds");
    Load(fixtures::QuadModel("B", "Glass", {0, 120, 0}), "b.3ds");
    C3DObject& c = Load(fixtures::QuadModel("C", "Both", {0, 120, 200}), "c.3ds");
    sides.BuildSides();
    ASSERT_EQ(sides.Sides().size(), 3u);
    EXPECT_EQ(sides.Sides()[0].kind, SIDE_MIRROR);
    EXPECT_EQ(sides.Sides()[1].kind, SIDE_TRANSPARENT);
    EXPECT_EQ(sides.Sides()[2].kind, SIDE_MIRROR);
    EXPECT_EQ(c.faces[0].inMirrorSide, 1);
    EXPECT_EQ(c.faces[0].inTransparentSide, 1);
    EXPECT_EQ(manager.Model().objects[1]->faces[0].inMirrorSide, 0);
    EXPECT_EQ(manager.Model().objects[1]->faces[0].inTransparentSide, 1);
}

TEST_F(SidesTest, MirrorPlaneFollowsTheObjectIntoWorldSpace) {
    // A quad in the file's z = 0 plane: drawn as the floor-parallel plane.
    C3DObject& o = Load(fixtures::QuadModel("M", "Mirror", {0, 0, 255}));
    o.translate[1] = 7.0f;
    sides.BuildSides();
    const CSide& side = sides.Sides()[0];
    // The face normal is file (0, 0, +-1): drawing y, so the plane is y = 7.
    EXPECT_NEAR(std::fabs(side.clipPlane[1]), 1.0, 1e-6);
    EXPECT_NEAR(side.clipPlane[3] / side.clipPlane[1], -7.0, 1e-5);
    EXPECT_TRUE(side.FacesUp() == (side.clipPlane[1] >= 1e-7));
    // Turning the object by 90 degrees about x stands the mirror up.
    o.rotate[0] = 90.0f;
    sides.RefreshMirrors();
    EXPECT_NEAR(side.clipPlane[1], 0.0, 1e-6);
    EXPECT_FALSE(side.FacesUp());
    // The object-space normal and point stay as they were.
    EXPECT_NEAR(std::fabs(side.mirrorNormal.z), 1.0f, 1e-6f);
}

TEST_F(SidesTest, InvalidationReleasesOnlyTheAffectedLists) {
    C3DObject& a = Load(fixtures::QuadModel("A", "MA"), "a.3ds");
    Load(fixtures::QuadModel("B", "MB"), "b.3ds");
    sides.BuildSides();
    auto& s = sides.Sides();
    for (CSide& side : s)
        for (int k = 0; k < kSideSlotCount; ++k)
            side.listSlots[k] = {true, static_cast<unsigned>(100 + side.material * 10 + k)};
    sides.InvalidateObjectSideLists(&a);
    EXPECT_FALSE(s[0].listSlots[3].built);
    EXPECT_EQ(s[0].listSlots[3].name, 0u);
    EXPECT_TRUE(s[1].listSlots[3].built);
    EXPECT_EQ(releaseQueue.PendingLists(), 9u);
    sides.InvalidateMaterialSideLists(1);
    EXPECT_FALSE(s[1].listSlots[0].built);
    EXPECT_EQ(releaseQueue.PendingLists(), 18u);
    s[0].listSlots[2] = {true, 5};
    sides.InvalidateSideLists();
    EXPECT_EQ(releaseQueue.PendingLists(), 19u);
    // Rebuilding releases the lists of the old sides as well.
    s[1].listSlots[4] = {false, 6};
    sides.BuildSides();
    EXPECT_EQ(releaseQueue.PendingLists(), 20u);
}

TEST(MirrorMath, ObjectTransformScalesThenTurnsThenMoves) {
    const float t[3] = {1, 2, 3}, r[3] = {0, 90, 0}, s[3] = {2, 2, 2};
    const glm::dmat4 m = ObjectTransformMatrix(t, r, s);
    const Vector3 p = TransformPoint(m, {1, 0, 0});
    EXPECT_NEAR(p.x, 1.0f, 1e-5f);
    EXPECT_NEAR(p.y, 2.0f, 1e-5f);
    EXPECT_NEAR(p.z, 1.0f, 1e-5f);
    // Rotations apply z first, then y, then x.
    const float r2[3] = {90, 0, 90}, one[3] = {1, 1, 1}, zero[3] = {0, 0, 0};
    const Vector3 q = TransformPoint(ObjectTransformMatrix(zero, r2, one), {1, 0, 0});
    EXPECT_NEAR(q.x, 0.0f, 1e-5f);  // z turn: (0, 1, 0); x turn: (0, 0, 1)
    EXPECT_NEAR(q.y, 0.0f, 1e-5f);
    EXPECT_NEAR(q.z, 1.0f, 1e-5f);
}

TEST(MirrorMath, ReflectionMirrorsInThePlane) {
    // File normal (1, 0, 0) through file point (3, 0, 0): drawing plane x = 3.
    const MirrorPlane plane = ComputeMirrorPlane({1, 0, 0}, {3, 5, 1});
    EXPECT_DOUBLE_EQ(plane.clipPlane[0], 1.0);
    EXPECT_DOUBLE_EQ(plane.clipPlane[3], -3.0);
    const Vector3 p = TransformPoint(plane.reflection, {5, 1, 2});
    EXPECT_NEAR(p.x, 1.0f, 1e-5f);
    EXPECT_NEAR(p.y, 1.0f, 1e-5f);
    EXPECT_NEAR(p.z, 2.0f, 1e-5f);
    // File axes: a file normal along y is the drawing z.
    const MirrorPlane pz = ComputeMirrorPlane({0, 1, 0}, {0, 4, 0});
    EXPECT_DOUBLE_EQ(pz.clipPlane[2], 1.0);
    EXPECT_DOUBLE_EQ(pz.clipPlane[3], -4.0);
    const Vector3 q = TransformPoint(pz.reflection, {0, 0, 6});
    EXPECT_NEAR(q.z, 2.0f, 1e-5f);
}

TEST(MirrorMath, WorldPlaneUsesTheObjectTransform) {
    const float t[3] = {0, 10, 0}, r[3] = {0, 0, 0}, s[3] = {1, 1, 1};
    const MirrorPlane plane = WorldMirrorPlane(ObjectTransformMatrix(t, r, s), {0, 0, 1}, {0, 0, 2});
    // Drawing y of the point: 2 + 10.
    EXPECT_NEAR(plane.clipPlane[1], 1.0, 1e-6);
    EXPECT_NEAR(plane.clipPlane[3], -12.0, 1e-5);
}

// A backend that "draws" each side as a fixed depth over a pixel range.
class FakeDepthBackend : public ISideOrderingBackend {
public:
    struct Footprint {
        int from, to;  // pixels covered
        float depth;
    };
    std::map<const CSide*, Footprint> footprint;
    std::vector<float> buffer;
    int silhouettes = 0, reads = 0, runs = 0;
    std::function<void()> onDraw;

    bool Available() override { return true; }
    void BeginRun(bool) override { ++runs; }
    void ClearDepth() override { std::fill(buffer.begin(), buffer.end(), 1.0f); }
    void DrawSilhouette(CSide& side) override {
        ++silhouettes;
        if (onDraw) onDraw();
        const Footprint& f = footprint.at(&side);
        for (int i = f.from; i < f.to; ++i) buffer[i] = std::min(buffer[i], f.depth);
    }
    void ReadDepth(std::vector<float>& out) override {
        ++reads;
        out = buffer;
    }
    void EndRun(bool) override {}
};

TEST_F(SidesTest, OrderingPutsUncoveredSidesFirst) {
    Load(fixtures::QuadModel("A", "Back"), "a.3ds");
    Load(fixtures::QuadModel("B", "Middle"), "b.3ds");
    Load(fixtures::QuadModel("C", "Front"), "c.3ds");
    sides.BuildSides();
    sides.Resize(16, 1);
    FakeDepthBackend backend;
    backend.buffer.assign(16, 1.0f);
    auto& s = sides.Sides();
    backend.footprint[&s[0]] = {0, 10, 0.9f};  // behind, partly covered by both
    backend.footprint[&s[1]] = {5, 12, 0.5f};  // covered by the front one
    backend.footprint[&s[2]] = {8, 16, 0.1f};  // in front of all
    sides.SetOrderingBackend(&backend);
    ASSERT_TRUE(sides.OrderSides(false));
    ASSERT_EQ(sides.DirectOrder().size(), 3u);
    EXPECT_EQ(sides.DirectOrder()[0], &s[2]);
    EXPECT_EQ(sides.DirectOrder()[1], &s[1]);
    EXPECT_EQ(sides.DirectOrder()[2], &s[0]);
    EXPECT_EQ(sides.MirroredOrder().size(), 3u);
    EXPECT_EQ(backend.runs, 2);
}

TEST_F(SidesTest, SingleSideIsDrawnAndReadOncePerRun) {
    Load(fixtures::QuadModel("A", "Only"));
    sides.BuildSides();
    sides.Resize(4, 1);
    FakeDepthBackend backend;
    backend.buffer.assign(4, 1.0f);
    backend.footprint[&sides.Sides()[0]] = {0, 4, 0.5f};
    sides.SetOrderingBackend(&backend);
    ASSERT_TRUE(sides.OrderSides(false));
    EXPECT_EQ(backend.silhouettes, 2);  // one per run
    EXPECT_EQ(backend.reads, 2);        // one per run
    EXPECT_EQ(sides.DirectOrder().size(), 1u);
}

TEST_F(SidesTest, AbandonedOrderingKeepsThePreviousOrder) {
    Load(fixtures::QuadModel("A", "One"), "a.3ds");
    Load(fixtures::QuadModel("B", "Two"), "b.3ds");
    sides.BuildSides();
    sides.Resize(8, 1);
    FakeDepthBackend backend;
    backend.buffer.assign(8, 1.0f);
    auto& s = sides.Sides();
    backend.footprint[&s[0]] = {0, 8, 0.9f};
    backend.footprint[&s[1]] = {0, 8, 0.1f};
    sides.SetOrderingBackend(&backend);
    const std::vector<CSide*> before = sides.DirectOrder();  // array order
    bool abandon = false;
    sides.SetAbandonTest([&] { return abandon; });
    backend.onDraw = [&] { abandon = true; };
    EXPECT_FALSE(sides.OrderSides(true));
    EXPECT_EQ(sides.DirectOrder(), before);
    // Not abandonable: the test is not consulted.
    EXPECT_TRUE(sides.OrderSides(false));
    EXPECT_EQ(sides.DirectOrder()[0], &s[1]);
}

// A backend with a two-dimensional buffer whose sides are depth planes
// over rectangles; it scissors to the rectangle Focus returns, as the
// OpenGL one does.
class PlaneBackend : public ISideOrderingBackend {
public:
    struct Plane {
        int x0, y0, x1, y1;  // pixels covered: [x0, x1) x [y0, y1)
        float base, dx, dy;
        bool whole;  // Focus names no rectangle
    };
    static constexpr int kW = 24, kH = 16;
    std::map<const CSide*, Plane> planes;
    std::vector<float> buffer = std::vector<float>(kW * kH, 1.0f);
    DepthRect focus{0, 0, kW, kH};

    float DepthAt(const Plane& p, int x, int y) const {
        if (x < p.x0 || x >= p.x1 || y < p.y0 || y >= p.y1) return 1.0f;
        return std::clamp(p.base + p.dx * static_cast<float>(x) + p.dy * static_cast<float>(y), 0.0f, 1.0f);
    }
    bool Available() override { return true; }
    void BeginRun(bool) override { focus = {0, 0, kW, kH}; }
    std::optional<DepthRect> Focus(CSide& side) override {
        const Plane& p = planes.at(&side);
        if (p.whole) {
            focus = {0, 0, kW, kH};
            return std::nullopt;
        }
        const int x0 = std::max(p.x0 - 1, 0), y0 = std::max(p.y0 - 1, 0);
        focus = {x0, y0, std::max(std::min(p.x1 + 1, kW) - x0, 1), std::max(std::min(p.y1 + 1, kH) - y0, 1)};
        return focus;
    }
    template <typename F>
    void InFocus(F f) {
        for (int y = focus[1]; y < focus[1] + focus[3]; ++y)
            for (int x = focus[0]; x < focus[0] + focus[2]; ++x) f(x, y);
    }
    void ClearDepth() override {
        InFocus([&](int x, int y) { buffer[y * kW + x] = 1.0f; });
    }
    void DrawSilhouette(CSide& side) override {
        const Plane& p = planes.at(&side);
        InFocus([&](int x, int y) { buffer[y * kW + x] = std::min(buffer[y * kW + x], DepthAt(p, x, y)); });
    }
    void ReadDepth(std::vector<float>& out) override {
        out.clear();
        InFocus([&](int x, int y) { out.push_back(buffer[y * kW + x]); });
    }
    void EndRun(bool) override {}
};

// The order as the search that draws every candidate over each tested one
// finds it: the first candidate none of whose pixels another candidate
// hides, or the last one tried.
std::vector<std::size_t> SearchOrder(const std::vector<std::vector<float>>& depth) {
    std::vector<std::size_t> candidates(depth.size()), order;
    for (std::size_t i = 0; i < depth.size(); ++i) candidates[i] = i;
    while (!candidates.empty()) {
        if (candidates.size() == 1) {
            order.push_back(candidates[0]);
            break;
        }
        std::size_t picked = candidates.size() - 1;
        for (std::size_t c = 0; c < candidates.size(); ++c) {
            bool hidden = false;
            for (std::size_t px = 0; px < depth[0].size() && !hidden; ++px) {
                float all = 1.0f;
                for (std::size_t other : candidates) all = std::min(all, depth[other][px]);
                const float own = depth[candidates[c]][px];
                hidden = own < 0.999999f && own - all > 1e-6f;
            }
            if (!hidden) {
                picked = c;
                break;
            }
        }
        order.push_back(candidates[picked]);
        candidates.erase(candidates.begin() + static_cast<std::ptrdiff_t>(picked));
    }
    return order;
}

TEST_F(SidesTest, OrderingMatchesTheExhaustiveSearchOnRandomScenes) {
    constexpr int kSides = 9;
    for (int i = 0; i < kSides; ++i)
        Load(fixtures::QuadModel("Q", "M" + std::to_string(i)), "q" + std::to_string(i) + ".3ds");
    sides.BuildSides();
    ASSERT_EQ(sides.Sides().size(), static_cast<std::size_t>(kSides));
    sides.Resize(PlaneBackend::kW, PlaneBackend::kH);
    std::mt19937 random(20);
    int cyclic = 0;
    for (int scene = 0; scene < 300; ++scene) {
        PlaneBackend backend;
        sides.SetOrderingBackend(&backend);
        // Few distinct depths and slopes, so that ties, near ties and
        // mutual obstruction (no free side left) all happen.
        std::uniform_int_distribution<int> coord(-2, PlaneBackend::kW + 1), level(0, 6), slope(-2, 2), pick(0, 9);
        std::vector<std::vector<float>> depth;
        for (CSide& side : sides.Sides()) {
            int x0 = coord(random), x1 = coord(random), y0 = coord(random) % PlaneBackend::kH,
                y1 = coord(random) % PlaneBackend::kH;
            PlaneBackend::Plane p{std::min(x0, x1),
                                  std::min(y0, y1),
                                  std::max(x0, x1),
                                  std::max(y0, y1),
                                  0.1f * static_cast<float>(level(random)) + (pick(random) == 0 ? 5e-7f : 0.0f),
                                  0.02f * static_cast<float>(slope(random)),
                                  0.03f * static_cast<float>(slope(random)),
                                  pick(random) == 0};
            backend.planes[&side] = p;
            std::vector<float> full;
            for (int y = 0; y < PlaneBackend::kH; ++y)
                for (int x = 0; x < PlaneBackend::kW; ++x) full.push_back(backend.DepthAt(p, x, y));
            depth.push_back(full);
        }
        // A tight limit on kept depth makes every other scene draw sides
        // again for the comparisons.
        sides.SetKeptDepthLimit(scene % 2 == 0 ? std::size_t{8} << 20 : 40);
        ASSERT_TRUE(sides.OrderSides(false));
        std::vector<std::size_t> got;
        for (const CSide* side : sides.DirectOrder())
            got.push_back(static_cast<std::size_t>(side - sides.Sides().data()));
        const std::vector<std::size_t> expected = SearchOrder(depth);
        ASSERT_EQ(got, expected) << "scene " << scene;
        EXPECT_EQ(sides.MirroredOrder(), sides.DirectOrder());
        cyclic += expected.front() == kSides - 1 ? 1 : 0;
    }
    EXPECT_GT(cyclic, 0);  // the case without a free side was met
}

TEST_F(SidesTest, StopTestEndsEvenAnOrderingThatMayNotBeAbandoned) {
    Load(fixtures::QuadModel("A", "One"), "a.3ds");
    Load(fixtures::QuadModel("B", "Two"), "b.3ds");
    sides.BuildSides();
    sides.Resize(8, 1);
    FakeDepthBackend backend;
    backend.buffer.assign(8, 1.0f);
    auto& s = sides.Sides();
    backend.footprint[&s[0]] = {0, 8, 0.9f};
    backend.footprint[&s[1]] = {0, 8, 0.1f};
    sides.SetOrderingBackend(&backend);
    const std::vector<CSide*> before = sides.DirectOrder();
    bool stop = false;
    sides.SetStopTest([&] { return stop; });
    backend.onDraw = [&] { stop = true; };
    EXPECT_FALSE(sides.OrderSides(false));
    EXPECT_EQ(backend.silhouettes, 1);
    EXPECT_EQ(sides.DirectOrder(), before);
}

}  // namespace
