// The mesh builder behind the catalogue: winding and mapping of its pieces,
// when vertices are shared, and the 16-bit limits of the file format.
#include <gtest/gtest.h>

#include "tests/catalogue/DrawnMesh.h"
#include "tools/model3ds/MeshBuilder.h"

using model3ds::MeshBuilder;
using model3ds::Uv;
using model3ds::Vec3;
using namespace cataloguetest;

namespace {

model3ds::Mesh Finished(const MeshBuilder& builder) {
    model3ds::Mesh mesh;
    EXPECT_TRUE(builder.Finish(mesh));
    return mesh;
}

TEST(MeshBuilder, RectFacesOutwardWithTheImageUpright) {
    // A front face (file −y) seen from the default camera.
    MeshBuilder builder("Test");
    builder.Rect("Front", {-1, -1, 0}, {2, 0, 0}, {0, 0, 3});
    const model3ds::Mesh mesh = Finished(builder);
    ASSERT_EQ(mesh.faces.size(), 2u);
    ASSERT_EQ(mesh.vertices.size(), 4u);
    for (const DrawnFace& f : DrawMesh(mesh)) {
        EXPECT_GT(Dot(f.normal, {0, 0, 1}), 0.9999);  // towards the viewer
        for (int k = 0; k < 3; ++k) {
            // u follows drawn x (left to right), v follows drawn y (upwards).
            EXPECT_NEAR(f.uv[k][0], (f.position[k].x + 1) / 2, 1e-6);
            EXPECT_NEAR(f.uv[k][1], f.position[k].y / 3, 1e-6);
        }
    }
    ASSERT_EQ(mesh.materialGroups.size(), 1u);
    EXPECT_EQ(mesh.materialGroups[0].first, "Front");
    EXPECT_EQ(mesh.materialGroups[0].second, (std::vector<uint16_t>{0, 1}));
}

TEST(MeshBuilder, SharesVerticesOnlyWithinOneMaterialAndSmoothingWord) {
    MeshBuilder builder("Test");
    const Vec3 a{0, 0, 0}, b{1, 0, 0}, c{1, 0, 1}, d{0, 0, 1};
    builder.Triangle("Edge", a, b, c, {}, {}, {}, 1);
    builder.Triangle("Edge", a, c, d, {}, {}, {}, 1);  // shares a and c
    EXPECT_EQ(builder.VertexCount(), 4u);
    builder.Triangle("Edge", a, b, c, {}, {}, {}, 2);  // another smoothing word
    EXPECT_EQ(builder.VertexCount(), 7u);
    builder.Triangle("Front", a, b, c, {}, {}, {}, 1);  // another material
    EXPECT_EQ(builder.VertexCount(), 10u);
    builder.Triangle("Front", a, b, c, {0.5, 0}, {}, {}, 1);  // another texture coordinate at a
    EXPECT_EQ(builder.VertexCount(), 11u);
    // Positions closer than the rounding step are one vertex.
    builder.Triangle("Front", {1e-5, 0, 0}, b, c, {0.5, 0}, {}, {}, 1);
    EXPECT_EQ(builder.VertexCount(), 11u);
    EXPECT_EQ(builder.TriangleCount(), 6u);
}

TEST(MeshBuilder, DropsTrianglesThatCollapse) {
    MeshBuilder builder("Test");
    builder.Triangle("Edge", {0, 0, 0}, {1, 0, 0}, {1e-5, 0, 0}, {}, {}, {});
    EXPECT_EQ(builder.TriangleCount(), 0u);
}

TEST(MeshBuilder, PolygonFansCounterClockwise) {
    MeshBuilder builder("Test");
    // A top cap (facing +z) given counter-clockwise from above.
    builder.Polygon("Top", {{0, 0, 5}, {4, 0, 5}, {4, 2, 5}, {2, 3, 5}, {0, 2, 5}}, {});
    const model3ds::Mesh mesh = Finished(builder);
    EXPECT_EQ(mesh.faces.size(), 5u);
    for (const DrawnFace& f : DrawMesh(mesh)) EXPECT_GT(Dot(f.normal, {0, 1, 0}), 0.9999);
}

TEST(MeshBuilder, RefusesMeshesBeyondTheFileFormatsCounts) {
    MeshBuilder builder("Huge");
    // 256 × 257 grid points: more vertices than a 16-bit count can hold.
    std::vector<std::vector<Vec3>> points(257, std::vector<Vec3>(256));
    for (int row = 0; row < 257; ++row)
        for (int column = 0; column < 256; ++column) points[row][column] = {double(column), 0, double(row)};
    builder.Grid("Edge", points, {});
    model3ds::Mesh mesh;
    EXPECT_FALSE(builder.Finish(mesh));
}

}  // namespace
