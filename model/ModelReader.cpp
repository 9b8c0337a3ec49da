#include "model/ModelReader.h"

#include <algorithm>
#include <cmath>
#include <fstream>

#include "model/Chunk3dsIds.h"
#include "model/ChunkStream.h"
#include "model/ModelNormals.h"
#include "platform/CodePage1250.h"
#include "platform/RegularFile.h"
#include "platform/TextUtil.h"

namespace {

using namespace boxora::chunk3ds;

constexpr std::size_t kHeaderBytes = 6;
constexpr std::size_t kMaxStringBytes = 1023;
constexpr std::size_t kMaxNameUnits = 255;
// Nesting deeper than this is not followed (a hostile file could otherwise
// exhaust the stack).
constexpr int kMaxDepth = 32;

struct ChunkHeader {
    uint16_t id = 0;
    std::size_t payload = 0;  // first byte after the header
    std::size_t end = 0;      // end of the chunk, within its parent
};

// Reads the header of the chunk at the stream position and moves past the
// whole chunk. False when no complete header is left or the length is too
// small to hold one (the walk over the parent then stops).
bool NextChunk(ChunkStream& s, ChunkHeader& h) {
    const std::size_t start = s.Position();
    uint16_t id;
    uint32_t length;
    if (s.Remaining() < kHeaderBytes || !s.U16(id) || !s.U32(length) || length < kHeaderBytes) {
        s.SkipToEnd();
        return false;
    }
    h.id = id;
    h.payload = start + kHeaderBytes;
    h.end = std::min<std::size_t>(start + length, s.End());
    if (h.end < h.payload) h.end = h.payload;
    s.Seek(h.end);
    return true;
}

std::string NameFromBytes(const std::string& bytes) {
    return boxora::CutToUtf16Units(boxora::Cp1250ToUtf8(bytes), kMaxNameUnits);
}

uint8_t ColorByte(float f) {
    if (!(f > 0.0f)) return 0;  // also NaN
    if (f >= 1.0f) return 255;
    return static_cast<uint8_t>(std::lround(f * 255.0f));
}

// The first colour sub-chunk of a colour chunk: 24-bit or float form.
bool ReadColor(const uint8_t* data, const ChunkHeader& parent, std::array<uint8_t, 3>& rgb) {
    ChunkStream s(data, parent.payload, parent.end);
    ChunkHeader sub;
    if (!NextChunk(s, sub)) return false;
    ChunkStream p(data, sub.payload, sub.end);
    if (sub.id == kColor24 || sub.id == kLinColor24) {
        return p.U8(rgb[0]) && p.U8(rgb[1]) && p.U8(rgb[2]);
    }
    if (sub.id == kColorFloat || sub.id == kLinColorFloat) {
        float f[3];
        if (!p.F32(f[0]) || !p.F32(f[1]) || !p.F32(f[2])) return false;
        for (int i = 0; i < 3; ++i) rgb[i] = ColorByte(f[i]);
        return true;
    }
    return false;
}

class Importer {
public:
    Importer(const uint8_t* data, std::size_t size, SceneModel& model, std::vector<tMaterialInfo>& fileMaterials,
             std::vector<std::unique_ptr<C3DObject>>& newObjects)
        : data_(data), size_(size), model_(model), fileMaterials_(fileMaterials), newObjects_(newObjects) {}

    bool Run() {
        ChunkStream s(data_, 0, size_);
        ChunkHeader primary;
        if (!NextChunk(s, primary) || primary.id != kPrimary) return false;
        WalkA(primary, 0);
        return true;
    }

    boxora::Outcome TakeWarnings() { return std::move(warnings_); }
    // Objects left out because the scene was full or the file too large.
    int ObjectsLeftOut() const { return objectsLeftOut_; }
    bool TooLarge() const { return tooLarge_; }

private:
    void WalkA(const ChunkHeader& parent, int depth) { WalkA(parent.payload, parent.end, depth); }

    void WalkA(std::size_t begin, std::size_t end, int depth) {
        if (depth > kMaxDepth) return;
        ChunkStream s(data_, begin, end);
        ChunkHeader c;
        while (NextChunk(s, c)) {
            switch (c.id) {
                case kVersion: {
                    ChunkStream p(data_, c.payload, c.end);
                    uint32_t version;
                    if (p.U32(version) && version > 3 && !versionWarned_) {
                        versionWarned_ = true;
                        warnings_.Note({"",
                                        "",
                                        "The 3DS file is over version 3 so it may load incorrectly",
                                        {},
                                        boxora::MsgIcon::None});
                    }
                    break;
                }
                case kEditor: {
                    // The block opens with the mesh version, which is passed over
                    // whatever its id; the rest holds materials and objects.
                    ChunkStream p(data_, c.payload, c.end);
                    ChunkHeader first;
                    if (NextChunk(p, first)) WalkA(first.end, c.end, depth + 1);
                    break;
                }
                case kObject: ReadObject(c, depth); break;
                case kMaterial: ReadMaterial(c, depth); break;
                default: break;  // skipped
            }
        }
    }

    void ReadObject(const ChunkHeader& c, int depth) {
        if (model_.ObjectCount() + static_cast<int>(newObjects_.size()) >= kMaxObjects ||
            model_.nextObjectId >= kNoObject || tooLarge_) {
            ++objectsLeftOut_;  // refused: the scene holds as many objects as it can
            return;
        }
        auto object = std::make_unique<C3DObject>();
        object->id = static_cast<uint16_t>(model_.nextObjectId++);
        ChunkStream s(data_, c.payload, c.end);
        object->name = NameFromBytes(s.CString(kMaxStringBytes));
        object->userName = object->name;
        C3DObject& target = *object;
        newObjects_.push_back(std::move(object));
        WalkO(s.Position(), c.end, target, depth + 1);
        if (tooLarge_) {
            // The object that went over the budget is not loaded half.
            newObjects_.pop_back();
            --model_.nextObjectId;
            ++objectsLeftOut_;
        }
    }

    void WalkO(std::size_t begin, std::size_t end, C3DObject& obj, int depth) {
        if (depth > kMaxDepth) return;
        ChunkStream s(data_, begin, end);
        ChunkHeader c;
        while (NextChunk(s, c)) {
            ChunkStream p(data_, c.payload, c.end);
            switch (c.id) {
                case kTriMesh: WalkO(c.payload, c.end, obj, depth + 1); break;
                case kVertexList: ReadVertices(p, obj); break;
                case kFaceList:
                    ReadFaces(p, obj);
                    // The face list's own sub-chunks (material groups, smoothing)
                    // follow its faces and are read like siblings.
                    WalkO(p.Position(), c.end, obj, depth + 1);
                    break;
                case kFaceMaterial: ReadFaceMaterial(p, obj); break;
                case kMappingCoords: ReadMapping(p, obj); break;
                case kSmoothGroups: ReadSmoothing(p, obj); break;
                default: break;
            }
        }
    }

    // Whether n more items fit the file's budget; once one does not, the
    // object in hand stays without them and no further object is read.
    bool Budget(std::size_t& used, std::size_t n, std::size_t limit) {
        if (tooLarge_ || used + n > limit) {
            tooLarge_ = true;
            return false;
        }
        used += n;
        return true;
    }

    void ReadVertices(ChunkStream& p, C3DObject& obj) {
        uint16_t count = 0;
        if (!p.U16(count)) return;
        const std::size_t n = std::min<std::size_t>(count, p.Remaining() / 12);
        if (!Budget(verticesRead_, n, ModelReader::kMaxVertices)) return;
        obj.vertices.assign(n, Vector3{});
        for (Vector3& v : obj.vertices) {
            p.F32(v.x);
            p.F32(v.y);
            p.F32(v.z);
            v.y = -v.y;
        }
        if (n == 0) {
            obj.height = obj.width = obj.depth = 0;
            return;
        }
        float minZ = 10000, maxZ = -10000, minX = 10000, maxX = -10000;
        for (const Vector3& v : obj.vertices) {
            minZ = std::min(minZ, v.z);
            maxZ = std::max(maxZ, v.z);
            minX = std::min(minX, v.x);
            maxX = std::max(maxX, v.x);
        }
        obj.height = maxZ - minZ;
        obj.width = maxX - minX;
        const auto [minY, maxY] = std::minmax_element(obj.vertices.begin(), obj.vertices.end(),
                                                      [](const Vector3& a, const Vector3& b) { return a.y < b.y; });
        obj.depth = maxY->y - minY->y;
    }

    void ReadFaces(ChunkStream& p, C3DObject& obj) {
        uint16_t count = 0;
        if (!p.U16(count)) return;
        const std::size_t n = std::min<std::size_t>(count, p.Remaining() / 8);
        if (!Budget(facesRead_, n, ModelReader::kMaxFaces)) return;
        obj.faces.assign(n, MeshFace{});
        for (MeshFace& f : obj.faces) {
            uint16_t flags;
            p.U16(f.vertIndex[0]);
            p.U16(f.vertIndex[1]);
            p.U16(f.vertIndex[2]);
            p.U16(flags);
        }
    }

    void ReadFaceMaterial(ChunkStream& p, C3DObject& obj) {
        const std::string name = NameFromBytes(p.CString(kMaxStringBytes));
        uint16_t material = kNoMaterial;
        // Every entry looked at on the way to the match is given to the object.
        for (tMaterialInfo& entry : fileMaterials_) {
            entry.ownerObject = obj.id;
            if (entry.index < model_.materials.size()) model_.materials[entry.index].ownerObject = obj.id;
            if (entry.name == name) {
                material = entry.index;
                break;
            }
        }
        uint16_t count = 0;
        if (!p.U16(count)) return;
        for (uint16_t i = 0; i < count; ++i) {
            uint16_t face;
            if (!p.U16(face)) break;
            if (face < obj.faces.size()) obj.faces[face].material = material;
        }
    }

    static void ReadMapping(ChunkStream& p, C3DObject& obj) {
        uint16_t count = 0;
        if (!p.U16(count)) return;
        const std::size_t n = std::min<std::size_t>(count, p.Remaining() / 8);
        obj.texCoords.assign(n, TexCoord{});
        for (TexCoord& t : obj.texCoords) {
            p.F32(t.u);
            p.F32(t.v);
        }
    }

    static void ReadSmoothing(ChunkStream& p, C3DObject& obj) {
        const std::size_t n = std::min<std::size_t>(obj.faces.size(), p.Remaining() / 4);
        obj.smoothingGroups.assign(n, 0);
        for (uint32_t& w : obj.smoothingGroups) p.U32(w);
    }

    void ReadMaterial(const ChunkHeader& c, int depth) {
        if (model_.MaterialCount() >= kMaxMaterials) return;  // refused: no texture slot left
        tMaterialInfo m;
        m.index = static_cast<uint16_t>(model_.MaterialCount());
        model_.nextMaterialIndex = model_.MaterialCount() + 1;
        model_.materials.push_back(m);
        const std::size_t at = model_.materials.size() - 1;
        WalkM(c.payload, c.end, at, depth + 1);
        fileMaterials_.push_back(model_.materials[at]);
    }

    void WalkM(std::size_t begin, std::size_t end, std::size_t at, int depth) {
        if (depth > kMaxDepth) return;
        ChunkStream s(data_, begin, end);
        ChunkHeader c;
        while (NextChunk(s, c)) {
            tMaterialInfo& m = model_.materials[at];
            ChunkStream p(data_, c.payload, c.end);
            switch (c.id) {
                case kMaterialName: m.name = NameFromBytes(p.RestAsString(kMaxStringBytes)); break;
                case kDiffuse: {
                    std::array<uint8_t, 3> rgb{};
                    if (ReadColor(data_, c, rgb)) {
                        m.color[0] = rgb[0];
                        m.color[1] = rgb[1];
                        m.color[2] = rgb[2];
                    }
                    break;
                }
                case kSpecular: {
                    // Model files mark see-through and mirror materials in the
                    // specular colour: G = transparency level, B = mirror level.
                    std::array<uint8_t, 3> rgb{};
                    if (ReadColor(data_, c, rgb)) {
                        m.transparencyLevel = rgb[1];
                        m.mirrorLevel = rgb[2];
                    }
                    break;
                }
                case kTextureMap: WalkM(c.payload, c.end, at, depth + 1); break;
                case kMapFileName:
                    m.file =
                        boxora::CutToUtf16Units(boxora::Cp1250ToUtf8(p.RestAsString(kMaxStringBytes)), kMaxNameUnits);
                    break;
                default: break;
            }
        }
    }

    const uint8_t* data_;
    std::size_t size_;
    SceneModel& model_;
    std::vector<tMaterialInfo>& fileMaterials_;
    std::vector<std::unique_ptr<C3DObject>>& newObjects_;
    bool versionWarned_ = false;
    boxora::Outcome warnings_;
    bool tooLarge_ = false;
    int objectsLeftOut_ = 0;
    std::size_t verticesRead_ = 0;
    std::size_t facesRead_ = 0;
};

// Brings a freshly read object into a consistent state: faces that name a
// vertex beyond the vertex array are dropped, smoothing words and texture
// coordinates are padded to one per face and one per vertex.
void FinishObject(C3DObject& obj) {
    obj.smoothingGroups.resize(obj.faces.size(), 0);
    const std::size_t vertexCount = obj.vertices.size();
    std::size_t kept = 0;
    for (std::size_t i = 0; i < obj.faces.size(); ++i) {
        const MeshFace& f = obj.faces[i];
        if (f.vertIndex[0] >= vertexCount || f.vertIndex[1] >= vertexCount || f.vertIndex[2] >= vertexCount) continue;
        obj.faces[kept] = f;
        obj.smoothingGroups[kept] = obj.smoothingGroups[i];
        ++kept;
    }
    obj.faces.resize(kept);
    obj.smoothingGroups.resize(kept);
    obj.texCoords.resize(vertexCount, TexCoord{});
    obj.RebuildFaceList();
}

}  // namespace

ImportResult ModelReader::Import(const std::string& path, SceneModel& model, int batchSize,
                                 const ProgressFn& progress) {
    std::vector<uint8_t> bytes;
    // A longer file is read up to the limit.
    if (boxora::ReadRegularFile(path, bytes, kMaxFileBytes) == boxora::ReadResult::NotOpened) {
        fileMaterials_.clear();
        ImportResult failed;
        failed.outcome.Fail({"", "", "Could not open file: %s", {path}});
        return failed;
    }
    return ImportBytes(bytes.data(), bytes.size(), path, model, batchSize, progress);
}

ImportResult ModelReader::ImportBytes(const uint8_t* data, std::size_t size, const std::string& path, SceneModel& model,
                                      int batchSize, const ProgressFn& progress) {
    ImportResult result;
    result.opened = true;
    fileMaterials_.clear();
    pendingObjects_.clear();
    const float n = static_cast<float>(std::max(1, batchSize));
    auto report = [&](float delta) {
        if (progress) progress(delta / n);
    };

    const std::size_t materialsBefore = model.materials.size();
    const int nextIdBefore = model.nextObjectId;
    std::vector<std::unique_ptr<C3DObject>> newObjects;
    Importer importer(data, data ? size : 0, model, fileMaterials_, newObjects);
    const bool read = importer.Run();
    result.outcome = importer.TakeWarnings();
    if (!read) {
        result.outcome.Fail({"", "", "Unable to load PRIMARY chuck from file: %s", {path}, boxora::MsgIcon::None});
        return result;
    }
    result.primaryOk = true;
    report(40);
    if (importer.TooLarge())
        result.outcome.Note(
            {"",
             "",
             "%s is too large (more than %s vertices or %s faces): only the first %s objects were loaded",
             {path, std::to_string(kMaxVertices), std::to_string(kMaxFaces), std::to_string(newObjects.size())},
             boxora::MsgIcon::Warning});
    else if (importer.ObjectsLeftOut() > 0)
        result.outcome.Note({"",
                             "",
                             "%s holds more objects than the scene can take (%s in all): %s were left out",
                             {path, std::to_string(kMaxObjects), std::to_string(importer.ObjectsLeftOut())},
                             boxora::MsgIcon::Warning});

    if (newObjects.empty()) {
        // A file without objects adds nothing: its materials are taken back
        // (nothing refers to them) and the id counter is left as it was.
        model.materials.resize(materialsBefore);
        model.nextMaterialIndex = static_cast<int>(materialsBefore);
        model.nextObjectId = nextIdBefore;
        fileMaterials_.clear();
        report(10);
        report(5);
        return result;
    }
    for (auto& obj : newObjects) {
        FinishObject(*obj);
        ComputeNormals(*obj);
    }
    report(10);

    if (!model.materials.empty()) {
        for (auto& obj : newObjects)
            for (MeshFace& f : obj->faces)
                f.textured = (f.material < model.materials.size() && !model.materials[f.material].file.empty()) ? 1 : 0;
    }
    report(5);

    result.objectsAdded = static_cast<int>(newObjects.size());
    result.materialsAdded = static_cast<int>(model.materials.size() - materialsBefore);
    pendingObjects_ = std::move(newObjects);
    return result;
}
