#include <filesystem>
#include <system_error>

#include "engine/SceneFile.h"
#include "platform/AppPaths.h"
#include "platform/PortablePath.h"
#include "platform/TextUtil.h"
#include "scene/SceneParams.h"
#include "snapshot/SceneSnapshot.h"

const char* const kImageKeys[kCoverFaceCount] = {"Image_Front", "Image_Back", "Image_Left",
                                                 "Image_Right", "Image_Top",  "Image_Bottom"};
const char* const kTransformKeys[9] = {"Translate_X", "Translate_Y", "Translate_Z", "Rotate_X", "Rotate_Y",
                                       "Rotate_Z",    "Scale_X",     "Scale_Y",     "Scale_Z"};

namespace {

std::string F(float v) { return boxora::FormatFloat6(v); }
std::string D(long long v) { return std::to_string(v); }

}  // namespace

boxora::ProfileDocument BuildSceneDocument(const SceneParams& p, const SceneModel& model) {
    return BuildSceneDocument(p, SceneSnapshot::Of(model));
}

boxora::ProfileDocument BuildSceneDocument(const SceneParams& p, const SceneSnapshot& scene) {
    boxora::ProfileDocument doc;
    doc.SetEncoding(boxora::ProfileEncoding::Utf16LeBom);

    for (std::size_t i = 0; i < scene.objects.size(); ++i) {
        const ObjectSnapshot& o = scene.objects[i];
        const std::string section = "OBJECT_" + std::to_string(i);
        doc.SetString(section, "Object_Name", o.name);
        if (!o.shape.empty()) doc.SetString(section, "Shape", o.shape);
        if (!o.modelFile.empty()) doc.SetString(section, "Model_File", o.modelFile);
        if (!o.modelUnits.empty()) doc.SetString(section, "Model_Units", o.modelUnits);
        doc.SetString(section, "User_Defined_Name", o.userName);
        doc.SetString(section, "Object_Type", D(o.type));
        for (int k = 0; k < kCoverFaceCount; ++k) doc.SetString(section, kImageKeys[k], o.coverImages[k]);
        const float values[9] = {o.translate[0], o.translate[1], o.translate[2], o.rotate[0], o.rotate[1],
                                 o.rotate[2],    o.scale[0],     o.scale[1],     o.scale[2]};
        for (int k = 0; k < 9; ++k) doc.SetString(section, kTransformKeys[k], F(values[k]));
    }

    // The version opens "SCENE", ahead of any setting kept there.
    bool versioned = false;
    for (const boxora::SettingRow& row : boxora::SettingTable()) {
        const bool scene = std::string_view(row.section) == "SCENE";
        if (scene && !versioned) {
            doc.SetString("SCENE", "Version", "1.8");
            versioned = true;
        }
        const double value = row.get(p);
        // Settings newer than the format's first version are left out at
        // their reset values: such files stay as older programs wrote them.
        if (row.writeWhenChanged && value == row.reset) continue;
        doc.SetString(row.section, row.key, boxora::SettingFileText(row, value));
    }
    if (!versioned) doc.SetString("SCENE", "Version", "1.8");
    return doc;
}

boxora::Outcome WriteSceneFile(const std::string& path, const SceneParams& params, const SceneSnapshot& scene) {
    // Images are named from the scene's folder, so the project can move.
    std::error_code error;
    const std::string folder = std::filesystem::absolute(path, error).parent_path().string();
    SceneSnapshot portable = scene;
    for (ObjectSnapshot& o : portable.objects)
        for (std::string& image : o.coverImages) image = boxora::PortablePath(image, folder, boxora::TextureFolder());
    if (BuildSceneDocument(params, portable).Save(path)) return {};
    return boxora::Outcome::Failure({"TabGeneral", "errsaveprj", "The project could not be saved to \"%s\".", {path}});
}
