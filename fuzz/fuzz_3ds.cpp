// 3DS model reader: any bytes must load what is sound or nothing, and the
// result must be consistent (indices within their arrays).
#include <cstddef>
#include <cstdint>
#include <cstdlib>

#include "model/ModelReader.h"
#include "platform/Notifier.h"
#include "render/GlReleaseQueue.h"
#include "render/SideManager.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    static boxora::RecordingNotifier quiet;
    boxora::SetNotifier(&quiet);
    quiet.Clear();

    SceneModel model;
    ModelReader reader;
    // Twice, as two files of one batch: counters and materials accumulate.
    for (int pass = 0; pass < 2; ++pass) {
        reader.ImportBytes(data, size, "fuzz.3ds", model, 2);
        for (auto& o : reader.TakeNewObjects()) model.objects.push_back(std::move(o));
    }
    if (model.objects.size() > static_cast<std::size_t>(kMaxObjects)) std::abort();
    std::size_t faces = 0, vertices = 0;
    for (const auto& o : model.objects) {
        faces += o->faces.size();
        vertices += o->vertices.size();
        if (o->texCoords.size() != o->vertices.size()) std::abort();
        if (o->smoothingGroups.size() != o->faces.size()) std::abort();
        for (const MeshFace& f : o->faces) {
            for (uint16_t v : f.vertIndex)
                if (v >= o->vertices.size()) std::abort();
            if (f.material != kNoMaterial && f.material >= model.materials.size()) std::abort();
        }
    }
    if (model.materials.size() > static_cast<std::size_t>(kMaxMaterials)) std::abort();
    // Two files' worth at most.
    if (faces > 2 * ModelReader::kMaxFaces || vertices > 2 * ModelReader::kMaxVertices) std::abort();

    GlReleaseQueue releaseQueue;
    CSideManager sides(model, releaseQueue);
    sides.BuildSides();
    sides.OrderSides(false);
    sides.RefreshMirrors();
    return 0;
}
