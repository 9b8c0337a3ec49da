#include "tools/model3ds/Model3dsWriter.h"

#include <cstring>
#include <fstream>

namespace model3ds {

void ChunkWriter::Begin(uint16_t id) {
    U16(id);
    open_.push_back(data_.size());
    U32(0);  // length, filled in by End()
}

void ChunkWriter::End() {
    if (open_.empty()) return;
    const std::size_t lengthAt = open_.back();
    open_.pop_back();
    const auto length = static_cast<uint32_t>(data_.size() - (lengthAt - 2));
    for (int i = 0; i < 4; ++i) data_[lengthAt + i] = static_cast<uint8_t>(length >> (8 * i));
}

void ChunkWriter::U8(uint8_t v) { data_.push_back(v); }
void ChunkWriter::U16(uint16_t v) {
    data_.push_back(static_cast<uint8_t>(v));
    data_.push_back(static_cast<uint8_t>(v >> 8));
}
void ChunkWriter::U32(uint32_t v) {
    for (int i = 0; i < 4; ++i) data_.push_back(static_cast<uint8_t>(v >> (8 * i)));
}
void ChunkWriter::F32(float v) {
    uint32_t bits;
    std::memcpy(&bits, &v, 4);
    U32(bits);
}
void ChunkWriter::CString(const std::string& bytes) {
    Bytes(bytes);
    data_.push_back(0);
}
void ChunkWriter::Bytes(const std::string& bytes) { data_.insert(data_.end(), bytes.begin(), bytes.end()); }

std::vector<uint8_t> ChunkWriter::Finish() {
    while (!open_.empty()) End();
    return std::move(data_);
}

namespace {

void WriteColor(ChunkWriter& w, uint16_t id, const std::array<uint8_t, 3>& rgb) {
    w.Begin(id);
    w.Begin(kColor24);
    w.U8(rgb[0]);
    w.U8(rgb[1]);
    w.U8(rgb[2]);
    w.End();
    w.End();
}

void WriteMaterial(ChunkWriter& w, const Material& m) {
    w.Begin(kMaterial);
    w.Begin(kMaterialName);
    w.CString(m.name);
    w.End();
    WriteColor(w, kDiffuse, m.diffuse);
    if (m.writeSpecular) WriteColor(w, kSpecular, m.specular);
    if (!m.textureFile.empty() || m.writeEmptyTextureFile) {
        w.Begin(kTextureMap);
        w.Begin(kMapFileName);
        w.CString(m.textureFile);
        w.End();
        w.End();
    }
    w.End();
}

void WriteMesh(ChunkWriter& w, const Mesh& mesh) {
    w.Begin(kObject);
    w.CString(mesh.name);
    w.Begin(kTriMesh);
    w.Begin(kVertexList);
    w.U16(static_cast<uint16_t>(mesh.vertices.size()));
    for (const auto& v : mesh.vertices)
        for (float c : v) w.F32(c);
    w.End();
    if (!mesh.uvs.empty()) {
        w.Begin(kMappingCoords);
        w.U16(static_cast<uint16_t>(mesh.uvs.size()));
        for (const auto& uv : mesh.uvs) {
            w.F32(uv[0]);
            w.F32(uv[1]);
        }
        w.End();
    }
    w.Begin(kFaceList);
    w.U16(static_cast<uint16_t>(mesh.faces.size()));
    for (const Face& f : mesh.faces) {
        w.U16(f.a);
        w.U16(f.b);
        w.U16(f.c);
        w.U16(f.flags);
    }
    for (const auto& [name, faces] : mesh.materialGroups) {
        w.Begin(kFaceMaterial);
        w.CString(name);
        w.U16(static_cast<uint16_t>(faces.size()));
        for (uint16_t f : faces) w.U16(f);
        w.End();
    }
    if (!mesh.smoothing.empty()) {
        w.Begin(kSmoothGroups);
        for (uint32_t s : mesh.smoothing) w.U32(s);
        w.End();
    }
    w.End();  // face list
    w.End();  // tri mesh
    w.End();  // object
}

}  // namespace

std::vector<uint8_t> Write(const Model& model) {
    ChunkWriter w;
    w.Begin(kMain);
    w.Begin(kVersion);
    w.U32(model.version);
    w.End();
    w.Begin(kEditor);
    w.Begin(kMeshVersion);
    w.U32(3);
    w.End();
    for (const Material& m : model.materials) WriteMaterial(w, m);
    for (const Mesh& mesh : model.meshes) WriteMesh(w, mesh);
    w.End();
    w.End();
    return w.Finish();
}

bool WriteFile(const Model& model, const std::string& path) {
    const std::vector<uint8_t> bytes = Write(model);
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
    return static_cast<bool>(out);
}

}  // namespace model3ds
