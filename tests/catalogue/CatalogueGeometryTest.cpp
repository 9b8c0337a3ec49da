// The catalogue models as the program will draw them: every triangle faces
// outward with counter-clockwise corners, every cover image lies upright and
// fills its face, smoothing rounds only what is round, and the see-through
// and mirror materials carry their levels.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <map>
#include <set>
#include <string>
#include <tuple>

#include "tests/catalogue/DrawnMesh.h"
#include "tools/model3ds/CatalogueModels.h"

using namespace cataloguetest;

namespace {

const char* const kCovers[6] = {"Front", "Back", "Left", "Right", "Top", "Bottom"};

// Outward direction of each cover face and the direction that is "up" in its
// image, both in drawn axes (the viewer looks from +z, y is up). The top
// image has the package's back edge up, the bottom image its front edge.
const V3 kOutward[6] = {{0, 0, 1}, {0, 0, -1}, {-1, 0, 0}, {1, 0, 0}, {0, 1, 0}, {0, -1, 0}};
const V3 kImageUp[6] = {{0, 1, 0}, {0, 1, 0}, {0, 1, 0}, {0, 1, 0}, {0, 0, -1}, {0, 0, 1}};

int CoverIndex(const std::string& name) {
    for (int k = 0; k < 6; ++k)
        if (name == kCovers[k]) return k;
    return -1;
}

// Cover faces that are curved (a rounded spine) rather than flat.
bool CurvedCover(const std::string& model, int k) { return k == 2 && (model == "DVD Box" || model == "Book"); }

// Inner surfaces, seen only through gaps (the book's endpapers); they face
// into the package.
bool InnerMaterial(const std::string& material) { return material == "Endpaper"; }

const model3ds::Material* FindMaterial(const model3ds::Model& model, const std::string& name) {
    for (const auto& m : model.materials)
        if (m.name == name) return &m;
    return nullptr;
}

struct Bounds {
    V3 low{1e9, 1e9, 1e9}, high{-1e9, -1e9, -1e9};
    void Add(V3 p) {
        low = {std::min(low.x, p.x), std::min(low.y, p.y), std::min(low.z, p.z)};
        high = {std::max(high.x, p.x), std::max(high.y, p.y), std::max(high.z, p.z)};
    }
    V3 Centre() const { return (low + high) * 0.5; }
};

Bounds FileBounds(const model3ds::Mesh& mesh) {
    Bounds b;
    for (const auto& v : mesh.vertices) b.Add({v[0], v[1], v[2]});
    return b;
}

// Tangents of a triangle's texture mapping: how the drawn position moves
// per unit of u and per unit of v.
struct Tangents {
    V3 alongU, alongV;
    double uvArea = 0;  // signed, positive when the image is not mirrored
};
Tangents MappingTangents(const DrawnFace& f) {
    const V3 e1 = f.position[1] - f.position[0], e2 = f.position[2] - f.position[0];
    const double du1 = f.uv[1][0] - f.uv[0][0], dv1 = f.uv[1][1] - f.uv[0][1];
    const double du2 = f.uv[2][0] - f.uv[0][0], dv2 = f.uv[2][1] - f.uv[0][1];
    const double det = du1 * dv2 - du2 * dv1;
    Tangents t;
    t.uvArea = det / 2;
    if (det == 0) return t;
    t.alongU = (e1 * dv2 - e2 * dv1) * (1.0 / det);
    t.alongV = (e2 * du1 - e1 * du2) * (1.0 / det);
    return t;
}

class CatalogueGeometry : public ::testing::Test {
protected:
    static void SetUpTestSuite() { catalogue_ = new std::vector<model3ds::CatalogueModel>(model3ds::BuildCatalogue()); }
    static void TearDownTestSuite() {
        delete catalogue_;
        catalogue_ = nullptr;
    }
    static const std::vector<model3ds::CatalogueModel>& Catalogue() { return *catalogue_; }

private:
    static std::vector<model3ds::CatalogueModel>* catalogue_;
};
std::vector<model3ds::CatalogueModel>* CatalogueGeometry::catalogue_ = nullptr;

TEST_F(CatalogueGeometry, HoldsTheTypedPackagesAndAtLeastSixModels) {
    std::set<std::string> names;
    for (const auto& entry : Catalogue()) {
        EXPECT_TRUE(names.insert(entry.name).second) << "duplicate model " << entry.name;
        ASSERT_EQ(entry.model.meshes.size(), 1u) << entry.name;
        // A scene file finds the model again by its object name.
        EXPECT_EQ(entry.model.meshes[0].name, entry.name);
        EXPECT_LE(entry.model.version, 3u);
    }
    EXPECT_GE(names.size(), 6u);
    for (const char* typed : {"Box", "CD_DVD", "DVD Box"}) EXPECT_TRUE(names.count(typed)) << typed;
}

TEST_F(CatalogueGeometry, MaterialsAreCompleteAndConsistent) {
    for (const auto& entry : Catalogue()) {
        SCOPED_TRACE(entry.name);
        const model3ds::Model& model = entry.model;
        const model3ds::Mesh& mesh = model.meshes[0];
        std::set<std::string> materialNames;
        for (const auto& m : model.materials) EXPECT_TRUE(materialNames.insert(m.name).second) << m.name;
        // Six cover faces, each with a bare image name found in data/texture/
        // and a white base colour so the image shows in its own colours.
        for (const char* cover : kCovers) {
            const model3ds::Material* m = FindMaterial(model, cover);
            ASSERT_NE(m, nullptr) << cover;
            EXPECT_FALSE(m->textureFile.empty()) << cover;
            EXPECT_EQ(m->textureFile.find_first_of("/\\"), std::string::npos) << m->textureFile;
            EXPECT_EQ(m->diffuse, (std::array<uint8_t, 3>{255, 255, 255})) << cover;
            EXPECT_FALSE(m->writeSpecular && (m->specular[1] || m->specular[2])) << cover << " is a plain surface";
        }
        // Other materials are untextured; every material is used and every
        // face belongs to exactly one material.
        std::vector<int> groupsOfFace(mesh.faces.size(), 0);
        std::set<std::string> used;
        for (const auto& [name, faces] : mesh.materialGroups) {
            EXPECT_TRUE(materialNames.count(name)) << name;
            EXPECT_FALSE(faces.empty()) << name;
            used.insert(name);
            for (uint16_t f : faces) {
                ASSERT_LT(f, mesh.faces.size());
                ++groupsOfFace[f];
            }
        }
        for (const auto& m : model.materials) {
            EXPECT_TRUE(used.count(m.name)) << m.name << " is never used";
            if (CoverIndex(m.name) < 0) {
                EXPECT_TRUE(m.textureFile.empty()) << m.name;
            }
        }
        for (std::size_t f = 0; f < groupsOfFace.size(); ++f) EXPECT_EQ(groupsOfFace[f], 1) << "face " << f;
        // Texture coordinates per vertex, smoothing per face, indices in range.
        EXPECT_EQ(mesh.uvs.size(), mesh.vertices.size());
        EXPECT_EQ(mesh.smoothing.size(), mesh.faces.size());
        for (const auto& f : mesh.faces) {
            EXPECT_LT(std::max({f.a, f.b, f.c}), mesh.vertices.size());
            EXPECT_TRUE(f.a != f.b && f.b != f.c && f.a != f.c);
        }
        EXPECT_GE(mesh.faces.size(), 12u);
        EXPECT_LE(mesh.faces.size(), 5000u);
    }
}

TEST_F(CatalogueGeometry, ModelsAreCentredAndSizedForTheDefaultView) {
    for (const auto& entry : Catalogue()) {
        SCOPED_TRACE(entry.name);
        const Bounds b = FileBounds(entry.model.meshes[0]);
        // The reader lifts a model by half its height; that sets the lowest
        // point on the floor only when the model is centred on z = 0. Centred
        // in x and y, it also turns about its own middle.
        EXPECT_NEAR(b.Centre().x, 0, 1e-3);
        EXPECT_NEAR(b.Centre().y, 0, 1e-3);
        EXPECT_NEAR(b.Centre().z, 0, 1e-3);
        const double height = b.high.z - b.low.z, width = b.high.x - b.low.x, depth = b.high.y - b.low.y;
        EXPECT_NEAR(b.low.z + height / 2, 0, 1e-3);
        // About the size of a software box (100 × 140 × 30): big in the
        // default view, far inside the ±300 placement range.
        EXPECT_GE(height, 60);
        EXPECT_LE(height, 200);
        EXPECT_GE(width, 60);
        EXPECT_LE(width, 200);
        EXPECT_GE(depth, 4);
        EXPECT_LE(depth, 60);
    }
}

TEST_F(CatalogueGeometry, EveryTriangleIsCounterClockwiseFromOutside) {
    for (const auto& entry : Catalogue()) {
        SCOPED_TRACE(entry.name);
        const std::vector<DrawnFace> faces = DrawMesh(entry.model.meshes[0]);
        Bounds drawn;
        for (const auto& f : faces)
            for (const V3& p : f.position) drawn.Add(p);
        const V3 centre = drawn.Centre();

        double enclosed = 0;
        for (std::size_t i = 0; i < faces.size(); ++i) {
            const DrawnFace& f = faces[i];
            ASSERT_GT(f.Area(), 1e-6) << "degenerate face " << i;
            // The reader's normal is the one OpenGL takes as the front side
            // of a counter-clockwise triangle, so lighting and culling agree.
            const V3 ccw = Normalized(Cross(f.position[1] - f.position[0], f.position[2] - f.position[0]));
            EXPECT_GT(Dot(ccw, f.normal), 0.9999) << "face " << i;
            // The packages are convex around their middle: every outer
            // surface faces away from it.
            if (!InnerMaterial(f.material)) {
                EXPECT_GT(Dot(f.normal, f.Centroid() - centre), 0) << f.material << " face " << i << " faces inward";
            }
            enclosed += Dot(f.Centroid() - centre, f.normal) * f.Area();
        }
        EXPECT_GT(enclosed, 0);

        // Neighbouring triangles run along a shared edge in opposite
        // directions; a flipped triangle would repeat its neighbour's.
        std::set<std::tuple<long, long, long, long, long, long>> edges;
        auto key = [](V3 p) {
            return std::make_tuple(std::lround(p.x * 512), std::lround(p.y * 512), std::lround(p.z * 512));
        };
        for (std::size_t i = 0; i < faces.size(); ++i) {
            for (int k = 0; k < 3; ++k) {
                const auto a = key(faces[i].position[k]), b = key(faces[i].position[(k + 1) % 3]);
                const auto edge = std::tuple_cat(a, b);
                EXPECT_TRUE(edges.insert(edge).second) << faces[i].material << " face " << i << " repeats an edge";
            }
        }
    }
}

TEST_F(CatalogueGeometry, CoverFacesPointTheirWay) {
    for (const auto& entry : Catalogue()) {
        SCOPED_TRACE(entry.name);
        const std::vector<DrawnFace> faces = DrawMesh(entry.model.meshes[0]);
        for (int k = 0; k < 6; ++k) {
            SCOPED_TRACE(kCovers[k]);
            V3 weighted;
            int count = 0;
            for (const DrawnFace& f : faces) {
                if (f.material != kCovers[k]) continue;
                ++count;
                weighted = weighted + f.normal * f.Area();
                EXPECT_GT(Dot(f.normal, kOutward[k]), CurvedCover(entry.name, k) ? 0.1 : 0.9999);
            }
            ASSERT_GT(count, 0);
            EXPECT_GT(Dot(Normalized(weighted), kOutward[k]), CurvedCover(entry.name, k) ? 0.6 : 0.9999);
        }
    }
}

TEST_F(CatalogueGeometry, CoverImagesStandUprightAndFillTheirFace) {
    for (const auto& entry : Catalogue()) {
        SCOPED_TRACE(entry.name);
        const std::vector<DrawnFace> faces = DrawMesh(entry.model.meshes[0]);
        for (int k = 0; k < 6; ++k) {
            SCOPED_TRACE(kCovers[k]);
            double minU = 1e9, maxU = -1e9, minV = 1e9, maxV = -1e9;
            for (const DrawnFace& f : faces) {
                if (f.material != kCovers[k]) continue;
                for (const auto& uv : f.uv) {
                    minU = std::min(minU, uv[0]);
                    maxU = std::max(maxU, uv[0]);
                    minV = std::min(minV, uv[1]);
                    maxV = std::max(maxV, uv[1]);
                }
                // Seen from outside, u grows to the right and v upwards
                // (v = 0 is the image's bottom row), without mirroring.
                const Tangents t = MappingTangents(f);
                ASSERT_GT(t.uvArea, 0) << "mirrored or degenerate mapping";
                const V3 right = Normalized(Cross(kImageUp[k], f.normal));
                EXPECT_GT(Dot(Normalized(t.alongU), right), 0.999);
                EXPECT_GT(Dot(Normalized(t.alongV), kImageUp[k]), 0.999);
            }
            EXPECT_NEAR(minU, 0, 1e-4);
            EXPECT_NEAR(maxU, 1, 1e-4);
            EXPECT_NEAR(minV, 0, 1e-4);
            EXPECT_NEAR(maxV, 1, 1e-4);
        }
    }
}

TEST_F(CatalogueGeometry, SmoothingRoundsOnlyRoundSurfaces) {
    for (const auto& entry : Catalogue()) {
        SCOPED_TRACE(entry.name);
        const std::vector<DrawnFace> faces = DrawMesh(entry.model.meshes[0]);
        // Corner normals of one vertex, per smoothing word.
        std::map<std::pair<uint16_t, uint32_t>, V3> vertexNormal;
        for (std::size_t i = 0; i < faces.size(); ++i) {
            const DrawnFace& f = faces[i];
            for (int k = 0; k < 3; ++k) {
                const double bend = Dot(f.cornerNormal[k], f.normal);
                if (f.smoothing == 0) {
                    EXPECT_GT(bend, 0.99999) << f.material << " face " << i << " is flat";
                    continue;
                }
                // Smoothing never reaches across a sharp edge...
                EXPECT_GT(bend, std::cos(40 * 3.14159265 / 180)) << f.material << " face " << i;
                // ...and every face at a vertex of a rounded surface gets the
                // same corner normal there, so the surface shades evenly.
                auto [it, fresh] = vertexNormal.emplace(std::make_pair(f.index[k], f.smoothing), f.cornerNormal[k]);
                if (!fresh) {
                    EXPECT_GT(Dot(it->second, f.cornerNormal[k]), 0.999999) << f.material << " face " << i;
                }
            }
        }
    }
    // The rounded spines are smooth surfaces.
    for (const auto& entry : Catalogue()) {
        if (entry.name != "DVD Box" && entry.name != "Book") continue;
        const std::vector<DrawnFace> faces = DrawMesh(entry.model.meshes[0]);
        int bent = 0;
        for (const DrawnFace& f : faces)
            if (f.material == "Left" && Dot(f.cornerNormal[0], f.normal) < 0.9999) ++bent;
        EXPECT_GT(bent, 4) << entry.name << " spine is not smoothed";
    }
}

TEST_F(CatalogueGeometry, SeeThroughAndMirrorMaterialsCarryTheirLevels) {
    std::map<std::string, std::string> clear = {{"DVD Box", "Sleeve"}, {"CD_DVD", "Lid"}};
    std::map<std::string, std::string> mirror = {{"Mirror Box", "Mirror"}};
    for (const auto& entry : Catalogue()) {
        SCOPED_TRACE(entry.name);
        for (const auto& m : entry.model.materials) {
            const bool isClear = clear.count(entry.name) && clear[entry.name] == m.name;
            const bool isMirror = mirror.count(entry.name) && mirror[entry.name] == m.name;
            if (isClear) {
                // Transparency level in the specular green, a layer that lets
                // most of the cover show through.
                EXPECT_TRUE(m.writeSpecular);
                EXPECT_GT(m.specular[1], 0);
                EXPECT_LT(m.specular[1], 128);
                EXPECT_EQ(m.specular[2], 0);
            } else if (isMirror) {
                EXPECT_TRUE(m.writeSpecular);
                EXPECT_GT(m.specular[2], 0);
                EXPECT_LT(m.specular[2], 255);
            } else {
                EXPECT_FALSE(m.writeSpecular && (m.specular[1] || m.specular[2])) << m.name;
            }
        }
    }
    // A mirror is one plane: the program reflects in the plane of the
    // mirror's first face, so every face of it must lie there.
    for (const auto& entry : Catalogue()) {
        if (!mirror.count(entry.name)) continue;
        const std::vector<DrawnFace> faces = DrawMesh(entry.model.meshes[0]);
        const DrawnFace* first = nullptr;
        for (const DrawnFace& f : faces) {
            if (f.material != mirror[entry.name]) continue;
            if (!first) first = &f;
            EXPECT_GT(Dot(f.normal, first->normal), 0.999999);
            for (const V3& p : f.position) EXPECT_NEAR(Dot(p - first->position[0], first->normal), 0, 1e-3);
        }
        ASSERT_NE(first, nullptr);
        EXPECT_GT(Dot(first->normal, kOutward[0]), 0.9999) << "the mirror frame is on the front";
    }
}

}  // namespace
