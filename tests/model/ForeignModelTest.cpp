// Models from other programs: a glTF in metres and an OBJ in millimetres
// (written here as an exporter writes them) load at their real size, with
// the material named Front (in any case) as the Front slot on the model's
// own texture coordinates; broken files are refused with a message.
#include <gtest/gtest.h>

#include <array>
#include <cstring>
#include <string>
#include <vector>

#include "model/ForeignModel.h"
#include "tests/support/TestSupport.h"

using namespace boxora;

namespace {

// A w x h x d cube centred on the origin: 6 faces of 4 corners, +z first.
struct Cube {
    std::vector<std::array<float, 3>> p;
    std::vector<std::array<float, 2>> uv;
    std::vector<uint16_t> index;
};

Cube MakeCube(float w, float h, float d) {
    Cube c;
    const float x = w / 2, y = h / 2, z = d / 2;
    const std::array<std::array<std::array<float, 3>, 4>, 6> faces = {{
        {{{-x, -y, z}, {x, -y, z}, {x, y, z}, {-x, y, z}}},      // +z
        {{{x, -y, -z}, {-x, -y, -z}, {-x, y, -z}, {x, y, -z}}},  // -z
        {{{-x, -y, -z}, {-x, -y, z}, {-x, y, z}, {-x, y, -z}}},  // -x
        {{{x, -y, z}, {x, -y, -z}, {x, y, -z}, {x, y, z}}},      // +x
        {{{-x, y, z}, {x, y, z}, {x, y, -z}, {-x, y, -z}}},      // +y
        {{{-x, -y, -z}, {x, -y, -z}, {x, -y, z}, {-x, -y, z}}},  // -y
    }};
    const std::array<std::array<float, 2>, 4> uv = {{{0, 0}, {1, 0}, {1, 1}, {0, 1}}};
    for (const auto& f : faces) {
        const uint16_t base = static_cast<uint16_t>(c.p.size());
        for (int k = 0; k < 4; ++k) {
            c.p.push_back(f[k]);
            c.uv.push_back(uv[k]);
        }
        for (uint16_t k : {0, 1, 2, 0, 2, 3}) c.index.push_back(static_cast<uint16_t>(base + k));
    }
    return c;
}

std::string Base64(const std::string& bytes) {
    static const char* abc = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";
    std::string out;
    for (std::size_t i = 0; i < bytes.size(); i += 3) {
        uint32_t n = static_cast<uint8_t>(bytes[i]) << 16;
        if (i + 1 < bytes.size()) n |= static_cast<uint8_t>(bytes[i + 1]) << 8;
        if (i + 2 < bytes.size()) n |= static_cast<uint8_t>(bytes[i + 2]);
        out += abc[(n >> 18) & 63];
        out += abc[(n >> 12) & 63];
        out += i + 1 < bytes.size() ? abc[(n >> 6) & 63] : '=';
        out += i + 2 < bytes.size() ? abc[n & 63] : '=';
    }
    return out;
}

// Material 0 "front" on the +z face, material 1 "Paint" (red) elsewhere.
std::string CubeGltf(const Cube& c) {
    std::string buffer;
    auto put = [&](const void* p, std::size_t n) { buffer.append(static_cast<const char*>(p), n); };
    for (const auto& v : c.p) put(v.data(), 12);
    const std::size_t uvAt = buffer.size();
    for (const auto& t : c.uv) put(t.data(), 8);
    const std::size_t indexAt = buffer.size();
    for (uint16_t i : c.index) put(&i, 2);
    const std::string n = std::to_string(c.p.size());
    return R"({"asset":{"version":"2.0"},"scene":0,"scenes":[{"nodes":[0]}],"nodes":[{"mesh":0}],
"meshes":[{"primitives":[{"attributes":{"POSITION":0,"TEXCOORD_0":1},"indices":2,"material":0},
                         {"attributes":{"POSITION":0,"TEXCOORD_0":1},"indices":3,"material":1}]}],
"materials":[{"name":"front"},{"name":"Paint","pbrMetallicRoughness":{"baseColorFactor":[1,0,0,1]}}],
"buffers":[{"byteLength":)" +
           std::to_string(buffer.size()) + R"(,"uri":"data:application/octet-stream;base64,)" + Base64(buffer) + R"("}],
"bufferViews":[{"buffer":0,"byteOffset":0,"byteLength":)" +
           std::to_string(uvAt) + R"(},
               {"buffer":0,"byteOffset":)" +
           std::to_string(uvAt) + R"(,"byteLength":)" + std::to_string(indexAt - uvAt) + R"(},
               {"buffer":0,"byteOffset":)" +
           std::to_string(indexAt) + R"(,"byteLength":)" + std::to_string(buffer.size() - indexAt) + R"(}],
"accessors":[{"bufferView":0,"componentType":5126,"count":)" +
           n + R"(,"type":"VEC3","min":[-1,-1,-1],"max":[1,1,1]},
             {"bufferView":1,"componentType":5126,"count":)" +
           n + R"(,"type":"VEC2"},
             {"bufferView":2,"byteOffset":0,"componentType":5123,"count":6,"type":"SCALAR"},
             {"bufferView":2,"byteOffset":12,"componentType":5123,"count":30,"type":"SCALAR"}]})";
}

std::string CubeObj(const Cube& c, const std::string& mtl) {
    std::string obj = "mtllib " + mtl + "\n";
    for (const auto& v : c.p)
        obj += "v " + std::to_string(v[0]) + " " + std::to_string(v[1]) + " " + std::to_string(v[2]) + "\n";
    for (const auto& t : c.uv) obj += "vt " + std::to_string(t[0]) + " " + std::to_string(t[1]) + "\n";
    for (std::size_t f = 0; f < c.index.size(); f += 3) {
        if (f == 0) obj += "usemtl FRONT\n";
        if (f == 6) obj += "usemtl Paint\n";
        obj += "f";
        for (int k = 0; k < 3; ++k)
            obj += " " + std::to_string(c.index[f + k] + 1) + "/" + std::to_string(c.index[f + k] + 1);
        obj += "\n";
    }
    return obj;
}

// The Front slot's faces face the viewer, with the file's texture
// coordinates (v turned over when the format counts it downwards).
void ExpectFrontOnPlusZ(const SceneModel& model, const C3DObject& o, bool vFlipped) {
    int front = 0;
    for (const MeshFace& f : o.faces) {
        const tMaterialInfo& m = model.materials[f.material];
        if (m.name != "Front") continue;
        ++front;
        for (uint16_t i : f.vertIndex) {
            EXPECT_GT(o.vertices[i].y, 0);  // held y is drawn z: towards the viewer
            const bool top = o.vertices[i].z > 0;
            EXPECT_NEAR(o.texCoords[i].v, top != vFlipped ? 1.0 : 0.0, 1e-6);
        }
    }
    EXPECT_EQ(front, 2);
}

TEST(ForeignModel, GltfInMetresAndObjInMillimetresLoadAtRealSizeWithTheirFrontSlot) {
    testsupport::TempDir dir;
    const Cube cube = MakeCube(0.2f, 0.3f, 0.1f);
    testsupport::WriteFileBytes(dir.File("cube.gltf"), CubeGltf(cube));
    SceneModel model;
    ShapeObjectResult gltf = ReadForeignModel(dir.File("cube.gltf"), model);
    ASSERT_TRUE(gltf.object) << gltf.outcome.messages.at(0).args.at(1);
    EXPECT_NEAR(gltf.object->realSizeMm[0], 200, 0.01);
    EXPECT_NEAR(gltf.object->realSizeMm[1], 300, 0.01);
    EXPECT_NEAR(gltf.object->realSizeMm[2], 100, 0.01);
    EXPECT_EQ(gltf.object->name, "cube");
    ExpectFrontOnPlusZ(model, *gltf.object, true);  // v runs down a glTF image: flipped to up
    bool red = false;
    for (const tMaterialInfo& m : gltf.materials)
        red = red || (m.name == "Paint" && m.color[0] == 255 && m.color[1] == 0);
    EXPECT_TRUE(red);

    const Cube mm = MakeCube(100, 50, 20);
    testsupport::WriteFileBytes(dir.File("cube.mtl"), "newmtl FRONT\nKd 1 1 1\nnewmtl Paint\nKd 0 0 1\n");
    testsupport::WriteFileBytes(dir.File("cube.obj"), CubeObj(mm, "cube.mtl"));
    ShapeObjectResult obj = ReadForeignModel(dir.File("cube.obj"), model);
    ASSERT_TRUE(obj.object) << obj.outcome.messages.at(0).args.at(1);
    EXPECT_NEAR(obj.object->realSizeMm[0], 100, 0.01);
    EXPECT_NEAR(obj.object->realSizeMm[2], 20, 0.01);
    ExpectFrontOnPlusZ(model, *obj.object, false);
    // The same file in centimetres is ten times as large.
    ShapeObjectResult cm = ReadForeignModel(dir.File("cube.obj"), model, MillimetresPerUnit("cm"));
    ASSERT_TRUE(cm.object);
    EXPECT_NEAR(cm.object->realSizeMm[1], 500, 0.01);
}

TEST(ForeignModel, BrokenFilesAreRefusedWithAMessage) {
    testsupport::TempDir dir;
    const Cube cube = MakeCube(0.2f, 0.3f, 0.1f);
    std::string gltf = CubeGltf(cube);
    // An index accessor reaching past its buffer, a truncated file, no file.
    std::string past = gltf;
    past.replace(past.find("\"count\":30"), 10, "\"count\":99999");
    const std::vector<std::pair<std::string, std::string>> files = {{"past.gltf", past},
                                                                    {"cut.gltf", gltf.substr(0, gltf.size() / 2)},
                                                                    {"empty.obj", "# nothing\n"},
                                                                    {"missing-corners.obj", "v 0 0 0\nf 1 2 3\n"}};
    for (const auto& [name, bytes] : files) {
        SCOPED_TRACE(name);
        testsupport::WriteFileBytes(dir.File(name), bytes);
        SceneModel model;
        ShapeObjectResult r = ReadForeignModel(dir.File(name), model);
        if (name == "past.gltf" && r.object) {
            // The triangles inside the buffer are kept, none beyond it.
            EXPECT_EQ(r.object->FaceCount(), 12);
            continue;
        }
        EXPECT_FALSE(r.object);
        EXPECT_TRUE(r.outcome.failed);
        EXPECT_TRUE(model.materials.empty());
    }
    SceneModel model;
    EXPECT_TRUE(ReadForeignModel(dir.File("missing.glb"), model).outcome.failed);
}

}  // namespace
