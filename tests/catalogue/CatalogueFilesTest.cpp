// The catalogue as shipped: the committed model files are exactly what the
// generator writes now, every model has its thumbnail, and every image a
// model names is in data/texture/, in the proportions of its face.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <filesystem>
#include <map>
#include <optional>
#include <set>
#include <string>

#include "boxora/SourceTree.h"
#include "tests/catalogue/DrawnMesh.h"
#include "tests/support/TestSupport.h"
#include "tools/model3ds/CatalogueModels.h"

namespace fs = std::filesystem;
using namespace cataloguetest;

namespace {

fs::path SourceData() { return fs::path(BOXORA_SOURCE_DIR) / "data"; }

struct ImageSize {
    int width = 0, height = 0;
};

uint32_t BigEndian(const std::string& b, std::size_t at, int bytes) {
    uint32_t v = 0;
    for (int i = 0; i < bytes; ++i) v = (v << 8) | static_cast<uint8_t>(b[at + i]);
    return v;
}

// Width and height from a PNG or JPEG header; nothing for anything else.
std::optional<ImageSize> ReadImageSize(const std::string& bytes) {
    if (bytes.size() >= 24 && bytes.compare(0, 8, "\x89PNG\r\n\x1a\n") == 0 && bytes.compare(12, 4, "IHDR") == 0)
        return ImageSize{int(BigEndian(bytes, 16, 4)), int(BigEndian(bytes, 20, 4))};
    if (bytes.size() >= 4 && uint8_t(bytes[0]) == 0xFF && uint8_t(bytes[1]) == 0xD8) {
        std::size_t at = 2;
        while (at + 9 < bytes.size()) {
            if (uint8_t(bytes[at]) != 0xFF) return std::nullopt;
            const uint8_t marker = uint8_t(bytes[at + 1]);
            const uint32_t length = BigEndian(bytes, at + 2, 2);
            const bool frame = marker >= 0xC0 && marker <= 0xCF && marker != 0xC4 && marker != 0xC8 && marker != 0xCC;
            if (frame) return ImageSize{int(BigEndian(bytes, at + 7, 2)), int(BigEndian(bytes, at + 5, 2))};
            at += 2 + length;
        }
    }
    return std::nullopt;
}

TEST(CatalogueFiles, CommittedModelsMatchTheGenerator) {
    std::set<std::string> expected;
    for (const auto& entry : model3ds::BuildCatalogue()) {
        SCOPED_TRACE(entry.name);
        const fs::path path = SourceData() / "Objects" / (entry.name + ".3ds");
        expected.insert(path.filename().string());
        ASSERT_TRUE(fs::exists(path)) << path << " is missing: run gen_models";
        const std::vector<uint8_t> generated = model3ds::Write(entry.model);
        const std::string committed = testsupport::ReadFileBytes(path.string());
        EXPECT_TRUE(committed == std::string(generated.begin(), generated.end()))
            << path << " differs from what gen_models writes now: run gen_models and commit";
    }
    // No model is left over from an older generator.
    for (const auto& file : fs::directory_iterator(SourceData() / "Objects")) {
        if (file.path().extension() == ".3ds") {
            EXPECT_TRUE(expected.count(file.path().filename().string())) << file.path() << " is not generated";
        }
    }
}

TEST(CatalogueFiles, EveryModelHasAThumbnail) {
    for (const auto& entry : model3ds::BuildCatalogue()) {
        const fs::path path = SourceData() / "Objects" / (entry.name + ".png");
        const auto size = ReadImageSize(testsupport::ReadFileBytes(path.string()));
        ASSERT_TRUE(size.has_value()) << path << " is missing or not a PNG";
        EXPECT_EQ(size->width, size->height) << path;
        EXPECT_GE(size->width, 56) << path;
    }
}

// Width over height of each cover face as drawn: the length of the face
// along u over its length along v.
std::map<std::string, std::vector<double>> FaceProportionsByImage(const model3ds::CatalogueModel& entry) {
    std::map<std::string, std::vector<double>> out;
    const std::vector<DrawnFace> faces = DrawMesh(entry.model.meshes[0]);
    for (const auto& m : entry.model.materials) {
        if (m.textureFile.empty()) continue;
        double area = 0, uvArea = 0, height = 0;
        for (const DrawnFace& f : faces) {
            if (f.material != m.name) continue;
            area += f.Area();
            const double du1 = f.uv[1][0] - f.uv[0][0], dv1 = f.uv[1][1] - f.uv[0][1];
            const double du2 = f.uv[2][0] - f.uv[0][0], dv2 = f.uv[2][1] - f.uv[0][1];
            uvArea += 0.5 * std::fabs(du1 * dv2 - du2 * dv1);
            // The face's extent along v: the v tangent's length.
            const V3 e1 = f.position[1] - f.position[0], e2 = f.position[2] - f.position[0];
            const double det = du1 * dv2 - du2 * dv1;
            if (det != 0) height = std::max(height, Length((e2 * du1 - e1 * du2) * (1.0 / det)));
        }
        if (uvArea <= 0 || height <= 0) continue;
        const double width = area / uvArea / height;  // area per unit of image = width × height
        out[m.textureFile].push_back(width / height);
    }
    return out;
}

TEST(CatalogueFiles, EveryNamedImageExistsInProportion) {
    std::map<std::string, std::vector<double>> proportions;
    for (const auto& entry : model3ds::BuildCatalogue())
        for (const auto& [image, list] : FaceProportionsByImage(entry))
            proportions[image].insert(proportions[image].end(), list.begin(), list.end());
    ASSERT_FALSE(proportions.empty());
    for (const auto& [image, list] : proportions) {
        SCOPED_TRACE(image);
        const fs::path path = SourceData() / "texture" / image;
        const auto size = ReadImageSize(testsupport::ReadFileBytes(path.string()));
        ASSERT_TRUE(size.has_value()) << path << " is missing or not a PNG or JPEG file";
        EXPECT_GT(size->width, 0);
        EXPECT_GT(size->height, 0);
        EXPECT_LE(std::max(size->width, size->height), 1024);
        // Artwork made for one face keeps that face's proportions, so it is
        // not stretched; plain surface images shared by faces of different
        // shapes are exempt.
        if (list.size() == 1) {
            const double image_ratio = double(size->width) / size->height;
            EXPECT_NEAR(image_ratio / list[0], 1.0, 0.08) << "face " << list[0] << ", image " << image_ratio;
        }
    }
    // Nothing in the folder is left unused, and the default artwork stays small.
    std::uintmax_t total = 0;
    for (const auto& file : fs::directory_iterator(SourceData() / "texture")) {
        total += fs::file_size(file.path());
        EXPECT_TRUE(proportions.count(file.path().filename().string())) << file.path() << " is not used by any model";
    }
    EXPECT_LT(total, 2u * 1024 * 1024);
}

}  // namespace
