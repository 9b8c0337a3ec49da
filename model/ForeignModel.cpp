#include "model/ForeignModel.h"

#include <cmath>
#include <cstring>
#include <functional>
#include <map>
#include <tuple>

#include <tiny_gltf.h>
#include <tiny_obj_loader.h>
#include <glm/geometric.hpp>
#include <glm/gtc/quaternion.hpp>
#include <glm/gtc/type_ptr.hpp>

#include "model/CoverFaces.h"
#include "platform/RegularFile.h"
#include "platform/TextUtil.h"

namespace boxora {
namespace {

// One scene object holds at most this many vertices (16-bit indices).
constexpr std::size_t kMaxVertices = 0xFFFF;
constexpr int kMaxNodeDepth = 64;
constexpr int kMaxNodeVisits = 100000;

bool EndsWith(std::string_view s, std::string_view suffix) {
    return s.size() >= suffix.size() && EqualsIgnoreCase(s.substr(s.size() - suffix.size()), suffix);
}

std::string Folder(const std::string& path) {
    const std::size_t slash = path.find_last_of('/');
    return slash == std::string::npos ? std::string() : path.substr(0, slash + 1);
}

std::string Stem(const std::string& path) {
    std::string name = path.substr(path.find_last_of('/') + 1);
    return name.substr(0, name.find_last_of('.'));
}

// A cover name in any case becomes the slot's own name.
std::string SlotName(const std::string& name) {
    for (int k = 0; k < kCoverFaceCount; ++k)
        if (EqualsIgnoreCase(name, kCoverFaceNames[k])) return kCoverFaceNames[k];
    return name.empty() ? std::string("Default") : name;
}

uint8_t Channel(double v) {
    return static_cast<uint8_t>(std::lround(std::clamp(std::isfinite(v) ? v : 1.0, 0.0, 1.0) * 255));
}

// Adds the triangle (or nothing when a corner is missing) with corner
// normals from the file, or the face normal where the file has none.
struct Corner {
    glm::dvec3 p;
    glm::dvec2 uv;
    glm::dvec3 n;
    bool hasNormal;
};

bool AddTriangle(ShapeMesh& mesh, std::array<Corner, 3> c, int material) {
    if (mesh.VertexCount() + 3 > kMaxVertices) return false;
    const glm::dvec3 face = glm::cross(c[1].p - c[0].p, c[2].p - c[0].p);
    uint32_t v[3];
    for (int k = 0; k < 3; ++k)
        v[k] = mesh.Vertex(c[k].p, c[k].uv, c[k].hasNormal && glm::length(c[k].n) > 1e-9 ? c[k].n : face);
    mesh.Triangle(v[0], v[1], v[2], material);
    return true;
}

// --- glTF --------------------------------------------------------------------

// Element i of an accessor as doubles, or false when it lies outside its
// buffer or has a type this reader does not take.
bool ReadElement(const tinygltf::Model& m, int accessorIndex, std::size_t i, int components, double* out) {
    if (accessorIndex < 0 || static_cast<std::size_t>(accessorIndex) >= m.accessors.size()) return false;
    const tinygltf::Accessor& a = m.accessors[static_cast<std::size_t>(accessorIndex)];
    if (i >= a.count || a.bufferView < 0 || static_cast<std::size_t>(a.bufferView) >= m.bufferViews.size())
        return false;
    const tinygltf::BufferView& view = m.bufferViews[static_cast<std::size_t>(a.bufferView)];
    if (view.buffer < 0 || static_cast<std::size_t>(view.buffer) >= m.buffers.size()) return false;
    const std::vector<unsigned char>& data = m.buffers[static_cast<std::size_t>(view.buffer)].data;
    const int componentSize = tinygltf::GetComponentSizeInBytes(static_cast<uint32_t>(a.componentType));
    if (componentSize <= 0 || tinygltf::GetNumComponentsInType(static_cast<uint32_t>(a.type)) < components)
        return false;
    const std::size_t stride =
        view.byteStride ? view.byteStride
                        : static_cast<std::size_t>(componentSize) *
                              static_cast<std::size_t>(tinygltf::GetNumComponentsInType(static_cast<uint32_t>(a.type)));
    const std::size_t at = view.byteOffset + a.byteOffset + stride * i;
    const std::size_t size = static_cast<std::size_t>(componentSize) * static_cast<std::size_t>(components);
    if (at < view.byteOffset || at + size > view.byteOffset + view.byteLength || at + size > data.size()) return false;
    for (int k = 0; k < components; ++k) {
        const unsigned char* p = data.data() + at + static_cast<std::size_t>(k * componentSize);
        switch (a.componentType) {
            case TINYGLTF_COMPONENT_TYPE_FLOAT: {
                float f;
                std::memcpy(&f, p, 4);
                out[k] = f;
                break;
            }
            case TINYGLTF_COMPONENT_TYPE_UNSIGNED_INT: {
                uint32_t u;
                std::memcpy(&u, p, 4);
                out[k] = u;
                break;
            }
            case TINYGLTF_COMPONENT_TYPE_UNSIGNED_SHORT: {
                uint16_t u;
                std::memcpy(&u, p, 2);
                out[k] = a.normalized ? u / 65535.0 : u;
                break;
            }
            case TINYGLTF_COMPONENT_TYPE_UNSIGNED_BYTE: out[k] = a.normalized ? *p / 255.0 : *p; break;
            default: return false;
        }
        if (!std::isfinite(out[k])) return false;
    }
    return true;
}

glm::dmat4 NodeMatrix(const tinygltf::Node& node) {
    if (node.matrix.size() == 16) return glm::make_mat4(node.matrix.data());
    glm::dmat4 m(1.0);
    if (node.translation.size() == 3)
        m = glm::translate(m, glm::dvec3(node.translation[0], node.translation[1], node.translation[2]));
    if (node.rotation.size() == 4)
        m *= glm::mat4_cast(glm::dquat(node.rotation[3], node.rotation[0], node.rotation[1], node.rotation[2]));
    if (node.scale.size() == 3) m = glm::scale(m, glm::dvec3(node.scale[0], node.scale[1], node.scale[2]));
    return m;
}

bool NoImage(tinygltf::Image*, const int, std::string*, std::string*, int, int, const unsigned char*, int, void*) {
    return true;  // images are read by the texture store when drawn
}
bool NoFileExists(const std::string&, void*) { return false; }
std::string SamePath(const std::string& p, void*) { return p; }
bool ReadCapped(std::vector<unsigned char>* out, std::string* err, const std::string& path, void* allow) {
    if (!allow) return false;
    std::vector<uint8_t> bytes;
    if (ReadRegularFile(path, bytes, kMaxForeignModelBytes) != ReadResult::Ok) {
        if (err) *err = "cannot read " + path;
        return false;
    }
    out->assign(bytes.begin(), bytes.end());
    return true;
}
bool NoWrite(std::string*, const std::string&, const std::vector<unsigned char>&, void*) { return false; }
bool CappedExists(const std::string& path, void* allow) { return allow && CanReadRegularFile(path); }

bool ReadGltf(const std::string& bytes, const std::string& path, bool readBuffers, ShapeMesh& mesh, double mmPerUnit,
              std::string& error) {
    tinygltf::TinyGLTF loader;
    loader.SetImageLoader(NoImage, nullptr);
    static int allow = 1;
    void* user = readBuffers ? &allow : nullptr;
    loader.SetFsCallbacks({readBuffers ? CappedExists : NoFileExists, SamePath, ReadCapped, NoWrite, user});
    tinygltf::Model m;
    std::string err, warn;
    const bool binary = bytes.size() >= 4 && std::memcmp(bytes.data(), "glTF", 4) == 0;
    const bool ok =
        binary ? loader.LoadBinaryFromMemory(&m, &err, &warn, reinterpret_cast<const unsigned char*>(bytes.data()),
                                             static_cast<unsigned int>(bytes.size()), Folder(path))
               : loader.LoadASCIIFromString(&m, &err, &warn, bytes.data(), static_cast<unsigned int>(bytes.size()),
                                            Folder(path));
    if (!ok) {
        error = "not a glTF 2.0 file" + (err.empty() ? std::string() : ": " + err.substr(0, 200));
        return false;
    }
    std::vector<int> materialOf(m.materials.size(), -1);
    auto material = [&](int index) {
        if (index < 0 || static_cast<std::size_t>(index) >= m.materials.size())
            return mesh.Material("Default", {200, 200, 200, 255});
        int& known = materialOf[static_cast<std::size_t>(index)];
        if (known >= 0) return known;
        const tinygltf::Material& src = m.materials[static_cast<std::size_t>(index)];
        const std::vector<double>& c = src.pbrMetallicRoughness.baseColorFactor;
        const std::string name = SlotName(src.name);
        known = mesh.Material(name, {Channel(c.size() > 0 ? c[0] : 1), Channel(c.size() > 1 ? c[1] : 1),
                                     Channel(c.size() > 2 ? c[2] : 1), 255});
        const int texture = src.pbrMetallicRoughness.baseColorTexture.index;
        if (CoverFaceIndex(name) < 0 && texture >= 0 && static_cast<std::size_t>(texture) < m.textures.size()) {
            const int image = m.textures[static_cast<std::size_t>(texture)].source;
            if (image >= 0 && static_cast<std::size_t>(image) < m.images.size()) {
                const std::string& uri = m.images[static_cast<std::size_t>(image)].uri;
                if (!uri.empty() && uri.rfind("data:", 0) != 0 && uri.find("..") == std::string::npos)
                    const_cast<ShapeMaterial&>(mesh.Materials()[static_cast<std::size_t>(known)]).texture =
                        Folder(path) + uri;
            }
        }
        return known;
    };
    bool full = false;
    int visits = 0;
    std::function<void(int, const glm::dmat4&, int)> visit = [&](int nodeIndex, const glm::dmat4& parent, int depth) {
        // Nodes may be shared or even form cycles: the walk is bounded.
        if (full || depth > kMaxNodeDepth || ++visits > kMaxNodeVisits || nodeIndex < 0 ||
            static_cast<std::size_t>(nodeIndex) >= m.nodes.size())
            return;
        const tinygltf::Node& node = m.nodes[static_cast<std::size_t>(nodeIndex)];
        const glm::dmat4 world = parent * NodeMatrix(node);
        const glm::dmat3 normalMatrix = glm::transpose(glm::inverse(glm::dmat3(world)));
        if (node.mesh >= 0 && static_cast<std::size_t>(node.mesh) < m.meshes.size()) {
            for (const tinygltf::Primitive& prim : m.meshes[static_cast<std::size_t>(node.mesh)].primitives) {
                if (prim.mode != TINYGLTF_MODE_TRIANGLES && prim.mode != -1) continue;
                const auto pos = prim.attributes.find("POSITION");
                if (pos == prim.attributes.end()) continue;
                const auto nrm = prim.attributes.find("NORMAL");
                const auto tex = prim.attributes.find("TEXCOORD_0");
                const std::size_t vertexCount =
                    m.accessors.size() > static_cast<std::size_t>(pos->second) && pos->second >= 0
                        ? m.accessors[static_cast<std::size_t>(pos->second)].count
                        : 0;
                const std::size_t cornerCount =
                    prim.indices >= 0 && static_cast<std::size_t>(prim.indices) < m.accessors.size()
                        ? m.accessors[static_cast<std::size_t>(prim.indices)].count
                        : vertexCount;
                const int mat = material(prim.material);
                for (std::size_t t = 0; t + 2 < cornerCount; t += 3) {
                    std::array<Corner, 3> c{};
                    bool good = true;
                    for (std::size_t k = 0; k < 3 && good; ++k) {
                        double index = static_cast<double>(t + k);
                        if (prim.indices >= 0) good = ReadElement(m, prim.indices, t + k, 1, &index);
                        const std::size_t vi = static_cast<std::size_t>(index);
                        double p[3], n[3] = {0, 0, 0}, uv[2] = {0, 0};
                        good = good && ReadElement(m, pos->second, vi, 3, p);
                        c[k].hasNormal = nrm != prim.attributes.end() && ReadElement(m, nrm->second, vi, 3, n);
                        if (tex != prim.attributes.end()) ReadElement(m, tex->second, vi, 2, uv);
                        c[k].p = glm::dvec3(world * glm::dvec4(p[0], p[1], p[2], 1.0)) * mmPerUnit;
                        c[k].n = normalMatrix * glm::dvec3(n[0], n[1], n[2]);
                        c[k].uv = {uv[0], 1.0 - uv[1]};  // glTF's v runs down the image
                    }
                    // Past the end of its buffer the rest of the primitive is too.
                    if (!good) break;
                    if (!AddTriangle(mesh, c, mat)) {
                        full = true;
                        return;
                    }
                }
            }
        }
        for (int child : node.children) visit(child, world, depth + 1);
    };
    const int sceneIndex = m.defaultScene >= 0 ? m.defaultScene : 0;
    if (static_cast<std::size_t>(sceneIndex) < m.scenes.size()) {
        for (int root : m.scenes[static_cast<std::size_t>(sceneIndex)].nodes) visit(root, glm::dmat4(1.0), 0);
    } else {
        for (std::size_t i = 0; i < m.nodes.size(); ++i) visit(static_cast<int>(i), glm::dmat4(1.0), kMaxNodeDepth);
    }
    if (full) {
        error = "more than " + std::to_string(kMaxVertices) + " vertices";
        return false;
    }
    return true;
}

// --- OBJ ---------------------------------------------------------------------

bool ReadObj(const std::string& bytes, const std::string& path, bool readMtl, ShapeMesh& mesh, double mmPerUnit,
             std::string& error) {
    std::string mtl;
    if (readMtl) {
        // The material library the file names, beside it.
        const std::size_t at = bytes.find("mtllib ");
        if (at != std::string::npos) {
            const std::size_t end = bytes.find_first_of("\r\n", at);
            std::string name = bytes.substr(at + 7, end == std::string::npos ? std::string::npos : end - at - 7);
            while (!name.empty() && name.back() == ' ') name.pop_back();
            if (name.find("..") == std::string::npos && name.find('/') == std::string::npos)
                ReadRegularFile(Folder(path) + name, mtl, kMaxForeignModelBytes);
        }
    }
    tinyobj::ObjReader reader;
    tinyobj::ObjReaderConfig config;
    config.triangulate = true;
    if (!reader.ParseFromString(bytes, mtl, config)) {
        error = "not an OBJ file" + (reader.Error().empty() ? std::string() : ": " + reader.Error().substr(0, 200));
        return false;
    }
    const tinyobj::attrib_t& a = reader.GetAttrib();
    const std::vector<tinyobj::material_t>& materials = reader.GetMaterials();
    std::vector<int> materialOf(materials.size(), -1);
    auto material = [&](int index) {
        if (index < 0 || static_cast<std::size_t>(index) >= materials.size())
            return mesh.Material("Default", {200, 200, 200, 255});
        int& known = materialOf[static_cast<std::size_t>(index)];
        if (known >= 0) return known;
        const tinyobj::material_t& src = materials[static_cast<std::size_t>(index)];
        const std::string name = SlotName(src.name);
        known = mesh.Material(name, {Channel(src.diffuse[0]), Channel(src.diffuse[1]), Channel(src.diffuse[2]), 255});
        if (CoverFaceIndex(name) < 0 && !src.diffuse_texname.empty() &&
            src.diffuse_texname.find("..") == std::string::npos)
            const_cast<ShapeMaterial&>(mesh.Materials()[static_cast<std::size_t>(known)]).texture =
                Folder(path) + src.diffuse_texname;
        return known;
    };
    auto at3 = [](const std::vector<tinyobj::real_t>& v, int i, glm::dvec3& out) {
        if (i < 0 || static_cast<std::size_t>(i) * 3 + 2 >= v.size()) return false;
        out = {v[static_cast<std::size_t>(i) * 3], v[static_cast<std::size_t>(i) * 3 + 1],
               v[static_cast<std::size_t>(i) * 3 + 2]};
        return std::isfinite(out.x) && std::isfinite(out.y) && std::isfinite(out.z);
    };
    for (const tinyobj::shape_t& shape : reader.GetShapes()) {
        const std::vector<tinyobj::index_t>& idx = shape.mesh.indices;
        std::size_t first = 0;
        for (std::size_t f = 0; f < shape.mesh.num_face_vertices.size(); ++f) {
            const std::size_t corners = shape.mesh.num_face_vertices[f];
            first += corners;
            if (corners != 3 || first > idx.size()) continue;
            std::array<Corner, 3> c{};
            bool good = true;
            for (std::size_t k = 0; k < 3; ++k) {
                const tinyobj::index_t& i = idx[first - 3 + k];
                good = good && at3(a.vertices, i.vertex_index, c[k].p);
                c[k].p *= mmPerUnit;
                c[k].hasNormal = at3(a.normals, i.normal_index, c[k].n);
                if (i.texcoord_index >= 0 && static_cast<std::size_t>(i.texcoord_index) * 2 + 1 < a.texcoords.size())
                    c[k].uv = {a.texcoords[static_cast<std::size_t>(i.texcoord_index) * 2],
                               a.texcoords[static_cast<std::size_t>(i.texcoord_index) * 2 + 1]};
            }
            const int mat = material(f < shape.mesh.material_ids.size() ? shape.mesh.material_ids[f] : -1);
            if (good && !AddTriangle(mesh, c, mat)) {
                error = "more than " + std::to_string(kMaxVertices) + " vertices";
                return false;
            }
        }
    }
    return true;
}

ShapeObjectResult Read(const std::string& bytes, const std::string& path, bool readOthers, SceneModel& model,
                       double mmPerUnit) {
    ShapeObjectResult result;
    ShapeMesh mesh;
    mesh.KeepWinding();
    std::string error;
    const bool obj = EndsWith(path, ".obj");
    bool ok = obj ? ReadObj(bytes, path, readOthers, mesh, mmPerUnit > 0 ? mmPerUnit : 1.0, error)
                  : ReadGltf(bytes, path, readOthers, mesh, mmPerUnit > 0 ? mmPerUnit : 1000.0, error);
    if (ok && mesh.Triangles().empty()) {
        error = "no triangles";
        ok = false;
    }
    if (ok) {
        const glm::dvec3 size = mesh.Max() - mesh.Min();
        if (!(std::max({size.x, size.y, size.z}) <= 100000.0) || std::max({size.x, size.y, size.z}) < 0.01) {
            error = "its size is out of range (check the units)";
            ok = false;
        }
    }
    if (ok && model.ObjectCount() >= kMaxObjects) {
        error = "the scene holds " + std::to_string(kMaxObjects) + " objects already";
        ok = false;
    }
    if (ok) {
        result.object = mesh.ToObject(Stem(path), kShapeUnitsPerMm, model, result.materials);
        if (!result.object) error = "too many vertices or materials";
    }
    if (result.object) {
        result.object->modelFile = path;
        return result;
    }
    result.outcome.Fail({"", "", "Cannot read the model %s: %s", {path, error}});
    return result;
}

}  // namespace

bool IsForeignModelPath(std::string_view path) {
    return EndsWith(path, ".gltf") || EndsWith(path, ".glb") || EndsWith(path, ".obj");
}

double MillimetresPerUnit(std::string_view unit) {
    if (EqualsIgnoreCase(unit, "mm")) return 1;
    if (EqualsIgnoreCase(unit, "cm")) return 10;
    if (EqualsIgnoreCase(unit, "m")) return 1000;
    if (EqualsIgnoreCase(unit, "in")) return 25.4;
    return 0;
}

ShapeObjectResult ReadForeignModel(const std::string& path, SceneModel& model, double mmPerUnit) {
    std::string bytes;
    const ReadResult read = ReadRegularFile(path, bytes, kMaxForeignModelBytes);
    if (read != ReadResult::Ok) {
        ShapeObjectResult result;
        result.outcome.Fail({"",
                             "",
                             "Cannot read the model %s: %s",
                             {path, read == ReadResult::TooLarge ? "larger than 64 MB" : "the file cannot be opened"}});
        return result;
    }
    return Read(bytes, path, true, model, mmPerUnit);
}

ShapeObjectResult ReadForeignModelBytes(const std::string& bytes, const std::string& path, SceneModel& model,
                                        double mmPerUnit) {
    return Read(bytes, path, false, model, mmPerUnit);
}

}  // namespace boxora
