// Parametric shapes: every kind is a closed solid wound outwards, at the
// real size it was asked for, with its printable slots; bad descriptions
// are refused with a message and add nothing.
#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <cmath>
#include <map>
#include <numeric>

#include "model/CoverFaces.h"
#include "model/shapes/ShapeBuilder.h"

using namespace boxora;

namespace {

struct Drawn {
    double x, y, z;
};

Drawn DrawnOf(const Vector3& v) { return {v.x, v.z, v.y}; }

// Vertex representatives: positions closer than eps (scene units) are one.
std::vector<int> Weld(const std::vector<Vector3>& vertices, double eps) {
    std::vector<int> order(vertices.size());
    std::iota(order.begin(), order.end(), 0);
    std::sort(order.begin(), order.end(), [&](int a, int b) { return vertices[a].x < vertices[b].x; });
    std::vector<int> rep(vertices.size(), -1);
    for (std::size_t i = 0; i < order.size(); ++i) {
        const Vector3& v = vertices[order[i]];
        rep[order[i]] = order[i];
        for (std::size_t j = i; j-- > 0;) {
            const Vector3& w = vertices[order[j]];
            if (v.x - w.x > eps) break;
            if (std::abs(v.y - w.y) <= eps && std::abs(v.z - w.z) <= eps) {
                rep[order[i]] = rep[order[j]];
                break;
            }
        }
    }
    return rep;
}

struct Topology {
    int edgesNotPaired = 0;  // directed edges without exactly one opposite twin
    double volume = 0;       // signed, drawn axes (positive: wound outwards)
    int normalsAgainst = 0;  // corners whose normal points against the face
};

Topology Check(const C3DObject& o) {
    Topology t;
    const std::vector<int> rep = Weld(o.vertices, 1e-4);
    std::map<std::pair<int, int>, int> edges;
    for (const MeshFace& f : o.faces) {
        std::array<Drawn, 3> p;
        for (int c = 0; c < 3; ++c) {
            p[c] = DrawnOf(o.vertices[f.vertIndex[c]]);
            const int a = rep[f.vertIndex[c]], b = rep[f.vertIndex[(c + 1) % 3]];
            ++edges[{a, b}];
        }
        // Divergence theorem: sum of p0 . (p1 x p2) / 6.
        t.volume += (p[0].x * (p[1].y * p[2].z - p[1].z * p[2].y) - p[0].y * (p[1].x * p[2].z - p[1].z * p[2].x) +
                     p[0].z * (p[1].x * p[2].y - p[1].y * p[2].x)) /
                    6;
        const Drawn e1{p[1].x - p[0].x, p[1].y - p[0].y, p[1].z - p[0].z};
        const Drawn e2{p[2].x - p[0].x, p[2].y - p[0].y, p[2].z - p[0].z};
        const Drawn n{e1.y * e2.z - e1.z * e2.y, e1.z * e2.x - e1.x * e2.z, e1.x * e2.y - e1.y * e2.x};
        for (const Vector3& c : f.normals) {
            // Held normals are drawn negated, in drawn axis order.
            const double dot = -(c.x * n.x + c.z * n.y + c.y * n.z);
            if (dot < 0) ++t.normalsAgainst;
        }
    }
    for (const auto& [edge, count] : edges) {
        const auto twin = edges.find({edge.second, edge.first});
        if (count != 1 || twin == edges.end() || twin->second != 1) ++t.edgesNotPaired;
    }
    return t;
}

struct Case {
    const char* text;
    std::array<double, 3> sizeMm;  // expected bounding box; 0 = not checked
};

const Case kCases[] = {
    {"box", {190, 266, 57}},
    {"box,width=100,height=50,depth=30,radius=8", {100, 50, 30}},
    {"box,width=40,height=40,depth=40,radius=20", {40, 40, 40}},
    {"mailer,width=300,height=100,depth=220", {300, 100, 220}},
    {"mailer,open=110", {300, 0, 0}},
    {"tray-sleeve", {110, 160, 25}},
    {"tray-sleeve,pull=50", {160, 160, 25}},
    {"book", {156, 234, 30}},
    {"book,style=paperback,width=130,height=200,depth=18", {130, 200, 18}},
    {"can,diameter=66,height=115", {66, 115, 66}},
    {"can,neck=0", {66, 115, 66}},
    {"bottle", {75, 300, 75}},
    {"bottle,preset=cosmetic", {50, 150, 50}},
    {"bottle,preset=dropper,diameter=30", {30, 95, 30}},
    {"jar,diameter=80,height=90", {80, 90, 80}},
    {"tube,diameter=35,height=160", {35 * 3.14159265 / 2, 160, 35}},
    {"pouch,width=140,height=220,gusset=80", {140, 220, 80}},
    {"bag,width=320,height=400,depth=120,handle=100", {320, 500, 120}},
    {"pillow,width=120,height=160,depth=30", {120, 160, 30}},
};

TEST(Shapes, EveryKindIsAClosedOutwardSolidAtItsRealSize) {
    std::vector<std::string> kinds;
    for (const Case& c : kCases) {
        SCOPED_TRACE(c.text);
        SceneModel model;
        ShapeObjectResult r = BuildShapeObject(std::string("shape:") + c.text, model);
        ASSERT_TRUE(r.object) << (r.outcome.messages.empty() ? "" : r.outcome.messages[0].args[1]);
        const C3DObject& o = *r.object;
        kinds.push_back(o.name);
        const Topology t = Check(o);
        EXPECT_EQ(t.edgesNotPaired, 0);
        EXPECT_EQ(t.normalsAgainst, 0);
        EXPECT_GT(t.volume, 0);
        // Real size is the mesh's extent; scene units follow the catalogue's scale.
        for (int a = 0; a < 3; ++a)
            if (c.sizeMm[a] > 0) {
                EXPECT_NEAR(o.realSizeMm[a], c.sizeMm[a], 0.01 * c.sizeMm[a] + 0.2) << "axis " << a;
            }
        EXPECT_NEAR(o.height, o.realSizeMm[1] * 140.0 / 266.0, 1e-3);
        EXPECT_LE(o.VertexCount(), 0xFFFF);
        EXPECT_EQ(o.texCoords.size(), o.vertices.size());
        // Every face's material belongs to the object; the kind's printable
        // slots are among them.
        bool front = false;
        for (const MeshFace& f : o.faces) {
            ASSERT_LT(f.material, model.materials.size());
            EXPECT_EQ(model.materials[f.material].ownerObject, o.id);
            front = front || model.materials[f.material].name == "Front";
        }
        EXPECT_TRUE(front);
        // The text reads back to the same shape.
        std::string error;
        const auto again = ParseShapeSpec(o.shape, error);
        ASSERT_TRUE(again) << o.shape;
        EXPECT_EQ(again->Text(), o.shape);
    }
    // Every listed kind has been built.
    for (const ShapeKind& k : ShapeKinds()) {
        std::string name = k.name;
        name[0] = static_cast<char>(name[0] - 'a' + 'A');
        EXPECT_NE(std::find(kinds.begin(), kinds.end(), name), kinds.end()) << k.name;
    }
}

TEST(Shapes, TheCanLabelWrapsAroundWithItsMiddleFacingFront) {
    SceneModel model;
    ShapeObjectResult r = BuildShapeObject("shape:can", model);
    ASSERT_TRUE(r.object);
    // Where the label faces the viewer (drawn +z), u is one half and v rises with height.
    double bestZ = -1e9, uAtFront = -1, vLow = 2, vHigh = -1;
    for (const MeshFace& f : r.object->faces) {
        if (model.materials[f.material].name != "Front") continue;
        for (uint16_t i : f.vertIndex) {
            const Drawn p = DrawnOf(r.object->vertices[i]);
            const TexCoord t = r.object->texCoords[i];
            if (p.z > bestZ + 1e-4 || (std::abs(p.z - bestZ) < 1e-4 && std::abs(p.x) < 1e-3)) {
                bestZ = p.z;
                uAtFront = t.u;
            }
            vLow = std::min<double>(vLow, t.v);
            vHigh = std::max<double>(vHigh, t.v);
        }
    }
    EXPECT_NEAR(uAtFront, 0.5, 0.02);
    EXPECT_NEAR(vLow, 0, 1e-6);
    EXPECT_NEAR(vHigh, 1, 1e-6);
    int slots = 0;
    for (const tMaterialInfo& m : r.materials) slots += CoverFaceIndex(m.name) >= 0;
    EXPECT_EQ(slots, 3);  // label, lid and base
    // Round containers carry a label over a good part of their height.
    for (const char* text : {"shape:can", "shape:bottle", "shape:jar"}) {
        SCOPED_TRACE(text);
        SceneModel round;
        ShapeObjectResult shape = BuildShapeObject(text, round);
        ASSERT_TRUE(shape.object);
        double low = 1e9, high = -1e9;
        for (const MeshFace& f : shape.object->faces)
            if (round.materials[f.material].name == "Front")
                for (uint16_t i : f.vertIndex) {
                    low = std::min<double>(low, shape.object->vertices[i].z);
                    high = std::max<double>(high, shape.object->vertices[i].z);
                }
        EXPECT_GT((high - low) / shape.object->height, 0.4);
    }
}

TEST(Shapes, BadDescriptionsAreRefusedAndAddNothing) {
    const char* const bad[] = {"shape:sphere",
                               "shape:can,diameter=-5",
                               "shape:can,diameter=0",
                               "shape:can,diameter=1e9",
                               "shape:can,colour=5",
                               "shape:can,diameter=abc",
                               "shape:can,diameter=nan",
                               "shape:can,diameter",
                               "shape:bottle,preset=beer",
                               "shape:box,radius=100",
                               "shape:can,neck=20",
                               "shape:bottle,cap=290",
                               "shape:tray-sleeve,pull=105",
                               "shape:can,height=inf",
                               "shape:can,diameter=66x"};
    for (const char* text : bad) {
        SCOPED_TRACE(text);
        SceneModel model;
        ShapeObjectResult r = BuildShapeObject(text, model);
        EXPECT_FALSE(r.object);
        ASSERT_TRUE(r.outcome.failed);
        ASSERT_EQ(r.outcome.messages.size(), 1u);
        EXPECT_FALSE(r.outcome.messages[0].args.at(1).empty());
        EXPECT_TRUE(model.materials.empty());
        EXPECT_EQ(model.nextObjectId, 0);
    }
    std::string error;
    EXPECT_FALSE(ParseShapeSpec("can,diameter=-5", error));
    EXPECT_NE(error.find("diameter"), std::string::npos) << error;
}

}  // namespace
