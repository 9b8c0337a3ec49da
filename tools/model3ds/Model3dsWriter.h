#pragma once
// Writes 3D Studio (.3ds) files with the chunk subset the model reader
// understands. Used by the catalogue generator and by tests (which also use
// ChunkWriter directly to build damaged or unusual files).
#include <array>
#include <cstdint>
#include <string>
#include <utility>
#include <vector>

#include "model/Chunk3dsIds.h"

namespace model3ds {

using namespace boxora::chunk3ds;
inline constexpr uint16_t kMain = kPrimary;

// Builds nested chunks: Begin() opens a chunk, End() closes the innermost one
// and fills in its length.
class ChunkWriter {
public:
    void Begin(uint16_t id);
    void End();
    void U8(uint8_t v);
    void U16(uint16_t v);
    void U32(uint32_t v);
    void F32(float v);
    // Bytes followed by a terminating 0 (names are code page 1250 bytes).
    void CString(const std::string& bytes);
    void Bytes(const std::string& bytes);
    // Closes any open chunks and returns the file.
    std::vector<uint8_t> Finish();

private:
    std::vector<uint8_t> data_;
    std::vector<std::size_t> open_;
};

struct Material {
    std::string name;  // "Front", "Back", ... for cover faces
    std::array<uint8_t, 3> diffuse{200, 200, 200};
    // Specular colour: G is the transparency level, B the mirror level.
    std::array<uint8_t, 3> specular{0, 0, 0};
    bool writeSpecular = false;
    std::string textureFile;             // empty: no texture map chunk
    bool writeEmptyTextureFile = false;  // a map chunk with an empty name
};

struct Face {
    uint16_t a = 0, b = 0, c = 0;
    uint16_t flags = 7;
};

struct Mesh {
    std::string name;                            // object name, e.g. "Box"
    std::vector<std::array<float, 3>> vertices;  // file axes: z is up
    std::vector<std::array<float, 2>> uvs;       // per vertex; empty: no mapping chunk
    std::vector<Face> faces;
    // (material name, face numbers) per group.
    std::vector<std::pair<std::string, std::vector<uint16_t>>> materialGroups;
    std::vector<uint32_t> smoothing;  // per face; empty: no smoothing chunk
};

struct Model {
    uint32_t version = 3;
    std::vector<Material> materials;
    std::vector<Mesh> meshes;
};

std::vector<uint8_t> Write(const Model& model);
bool WriteFile(const Model& model, const std::string& path);

}  // namespace model3ds
