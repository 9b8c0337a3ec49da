#include "engine/SceneFileCheck.h"

#include <filesystem>

#include "platform/ProfileFile.h"
#include "platform/TextUtil.h"

bool IsReadableSceneFile(const std::string& path) {
    std::error_code ec;
    if (path.empty() || !std::filesystem::is_regular_file(path, ec)) return false;
    // Only the first sections can make it a scene; the rest is passed over.
    std::size_t others = 0;
    const boxora::ProfileDocument doc = boxora::ProfileDocument::Load(path, [&others](std::string_view name) {
        for (const char* fixed : {"LIGHT_SHADOW", "CAMERA", "REFLECTION", "SCENE"})
            if (boxora::EqualsIgnoreCase(name, fixed)) return true;
        return others++ < 1000;
    });
    for (const char* fixed : {"LIGHT_SHADOW", "CAMERA", "REFLECTION", "SCENE"})
        if (doc.HasSection(fixed)) return true;
    for (const std::string& section : doc.SectionNames())
        if (doc.HasKey(section, "Object_Name")) return true;
    return false;
}

std::string CouldNotOpenFileText(const std::string& path) {
    return boxora::FormatText("Could not open file: %s", {path});
}
