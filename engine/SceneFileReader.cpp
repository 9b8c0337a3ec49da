#include <cmath>

#include "engine/SceneFile.h"
#include "platform/AppPaths.h"
#include "platform/TextUtil.h"

namespace {

constexpr std::size_t kValueUnits = 260;          // buffer for one value

class SectionReader {
public:
    SectionReader(const boxora::ProfileDocument& doc, const std::string& section) : doc_(doc), section_(section) {}

    std::string Text(std::string_view key, std::string_view def = "") const {
        return doc_.GetString(section_, key, def, kValueUnits);
    }
    float Float(std::string_view key, std::string_view def = "") const { return boxora::ParseFloat(Text(key, def)); }
    int Int(std::string_view key, std::string_view def = "") const { return boxora::ParseLeadingInt(Text(key, def)); }
    bool Has(std::string_view key) const { return doc_.HasKey(section_, key); }

private:
    const boxora::ProfileDocument& doc_;
    const std::string& section_;
};

// A float value truncated to an integer and kept as a COLORREF.
uint32_t ColorFromFloat(float f) {
    if (!std::isfinite(f)) return 0;
    const double t = std::trunc(static_cast<double>(f));
    if (t <= -2147483648.0) return 0x80000000u;
    if (t >= 4294967295.0) return 0xFFFFFFFFu;
    return static_cast<uint32_t>(static_cast<int64_t>(t));
}

LightShadowSection ReadLightShadow(const SectionReader& r) {
    LightShadowSection s;
    s.brightness = r.Float("Global_Light_Brightness", "20");
    s.light1Enabled = r.Int("Light_Source_Enabled_1", "1") == 1;
    s.light1Horizontal = r.Float("Light_Horizontal_Rotation");
    s.light1Vertical = r.Float("Light_Vertical_Rotation");
    s.light1Distance = r.Float("Light_Distance", "50");
    s.light2Enabled = r.Int("Light_Source_Enabled_2", "1") == 1;
    s.light2Horizontal = r.Float("Light_Horizontal_Rotation_2", "130");
    s.light2Vertical = r.Float("Light_Vertical_Rotation_2", "20");
    s.light2Distance = r.Float("Light_Distance_2", "50");
    s.shadowDirection = r.Int("Direction");
    s.shadowLength = r.Int("Length");
    s.shadowIntensity = r.Int("Shadow_Intensity");
    s.shadowBlur = r.Int("Shadow_Blur", "20");
    return s;
}

CameraSection ReadCamera(const SectionReader& r) {
    CameraSection c;
    c.horizontal = r.Float("Camera_Horizontal_Rotation");
    c.vertical = r.Float("Camera_Vertical_Rotation");
    c.targetHorizontal = r.Float("Camera_Target_Horizontal");
    c.targetVertical = r.Float("Camera_Target_Vertical");
    const float zoom = r.Float("Camera_Zoom");
    c.zoom = zoom < 0.0f ? 0.0f : (zoom > 100.0f ? 100.0f : zoom);
    c.perspective = r.Float("Camera_Perspective");
    return c;
}

ReflectionSection ReadReflection(const SectionReader& r) {
    ReflectionSection s;
    s.length = r.Float("Reflection_Length");
    s.opacity = r.Float("Reflection_Opacity");
    s.backgroundTransparent = r.Int("Background_Transparent") != 0;
    s.backgroundColor = ColorFromFloat(r.Float("Background_Color"));
    return s;
}

SceneObjectSection ReadObject(const SectionReader& r, const std::string& name) {
    SceneObjectSection o;
    o.section = name;
    o.objectName = r.Text("Object_Name");
    if (r.Has("User_Defined_Name")) o.userName = boxora::CutToUtf16Units(r.Text("User_Defined_Name"), 255);
    if (r.Has("Object_Type")) o.type = r.Int("Object_Type");
    for (int k = 0; k < kCoverFaceCount; ++k)
        if (r.Has(kImageKeys[k])) o.images[k] = r.Text(kImageKeys[k]);
    for (int k = 0; k < 9; ++k)
        if (r.Has(kTransformKeys[k])) o.transform[k] = r.Float(kTransformKeys[k]);
    return o;
}

}  // namespace

SceneFileData ReadSceneDocument(const boxora::ProfileDocument& doc) {
    SceneFileData data;
    data.objectsLeftOut = doc.SectionsSkipped();
    data.cutAfterLine = doc.CutAfterLine();
    const std::vector<std::string> names = doc.AllSectionNames();
    data.sectionCount = static_cast<int>(names.size() + doc.SectionsSkipped());
    for (const std::string& name : names) {
        const SectionReader r(doc, name);
        if (name == "LIGHT_SHADOW") {
            data.lightShadow = ReadLightShadow(r);
        } else if (name == "CAMERA") {
            data.camera = ReadCamera(r);
        } else if (name == "REFLECTION") {
            data.reflection = ReadReflection(r);
        } else if (name == "SCENE") {
            // Holds the version only, which is not read.
        } else if (data.objects.size() < static_cast<std::size_t>(kMaxObjects)) {
            data.objects.push_back(ReadObject(r, name));
        } else {
            ++data.objectsLeftOut;
        }
    }
    return data;
}

namespace {

// Object sections beyond the ones a scene holds are passed over while the
// file is read, so that a file of a million sections costs no more than its
// bytes; the fixed sections come after the objects and are always kept.
boxora::ProfileDocument::SectionFilter SceneSections() {
    return [objects = std::size_t{0}](std::string_view name) mutable {
        for (const char* fixed : {"LIGHT_SHADOW", "CAMERA", "REFLECTION", "SCENE"})
            if (boxora::EqualsIgnoreCase(name, fixed)) return true;
        return objects++ < static_cast<std::size_t>(kMaxObjects);
    };
}

}  // namespace

SceneFileData ParseSceneFile(std::string_view bytes) {
    return ReadSceneDocument(boxora::ProfileDocument::Parse(bytes, SceneSections()));
}

SceneFileData ReadSceneFile(const std::string& path) {
    return ReadSceneDocument(boxora::ProfileDocument::Load(path, SceneSections()));
}

std::optional<std::string> ModelPathForObjectName(const std::string& objectName) {
    if (objectName.empty() || objectName == "." || objectName == ".." ||
        objectName.find_first_of("/\\") != std::string::npos || objectName.find('\0') != std::string::npos)
        return std::nullopt;
    return boxora::ObjectsFolder() + objectName + ".3ds";
}
