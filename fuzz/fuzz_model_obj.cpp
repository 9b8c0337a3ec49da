// OBJ bytes through the reader (its material library is not read).
#include <cstddef>
#include <cstdint>
#include <string>

#include "model/ForeignModel.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    SceneModel model;
    const std::string bytes(reinterpret_cast<const char*>(data), size);
    const boxora::ShapeObjectResult r = boxora::ReadForeignModelBytes(bytes, "fuzz.obj", model);
    if (r.object && r.object->VertexCount() > 0xFFFF) __builtin_trap();
    return 0;
}
