// Shape descriptions ("KIND,param=value,…", as a scene's Shape key holds
// them): refused or built into a mesh within the object's limits.
#include <cstddef>
#include <cstdint>
#include <string>

#include "model/shapes/ShapeBuilder.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    SceneModel model;
    const std::string text(reinterpret_cast<const char*>(data), size);
    const boxora::ShapeObjectResult r = boxora::BuildShapeObject(text, model);
    if (r.object && (r.object->VertexCount() > 0xFFFF || !(r.object->realSizeMm[0] > 0))) __builtin_trap();
    return 0;
}
