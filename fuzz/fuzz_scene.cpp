// Scene-file reader: any bytes must parse into values with every default
// and rule applied, no value that is not a finite number, and a model path is only ever formed inside the objects
// folder.
#include <cmath>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string_view>

#include "engine/SceneFile.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::string_view bytes(reinterpret_cast<const char*>(data), size);
    const boxora::ProfileDocument document = boxora::ProfileDocument::Parse(bytes);
    const SceneFileData scene = ReadSceneDocument(document);
    // Every section is read: each one that is not a fixed one is an object,
    // kept or counted as left out beyond the limit.
    std::size_t objectSections = 0;
    for (const std::string& name : document.AllSectionNames())
        objectSections += name != "LIGHT_SHADOW" && name != "CAMERA" && name != "REFLECTION" && name != "SCENE";
    if (scene.objects.size() > static_cast<std::size_t>(kMaxObjects) ||
        scene.objects.size() + scene.objectsLeftOut != objectSections)
        std::abort();
    // No value read is a NaN or an infinity, and values the format clamps
    // are inside their range.
    for (const boxora::SettingRow& row : boxora::SettingTable()) {
        const std::optional<double>& v = scene.settings[static_cast<int>(row.id)];
        if (v && (!std::isfinite(*v) || (row.clampOnRead && (*v < row.minimum || *v > row.maximum)))) std::abort();
    }
    for (const SceneObjectSection& o : scene.objects)
        for (const std::optional<float>& t : o.transform)
            if (t && !std::isfinite(*t)) std::abort();
    for (const SceneObjectSection& o : scene.objects) {
        if (const auto path = ModelPathForObjectName(o.objectName)) {
            const std::string_view name(o.objectName);
            if (name.find('/') != std::string_view::npos || name == "..") std::abort();
        }
    }
    return 0;
}
