#pragma once
// Scene files (.scn): a profile (INI) file in UTF-16LE with byte-order mark.
// Sections in write order: one "OBJECT_<n>" per object (n = position in the
// object list), "LIGHT_SHADOW", "CAMERA", "REFLECTION", "SCENE". Floats are
// written "%f" (six decimals, a point), integers and flags "%d".
//
// Reading is split in two: ParseSceneFile turns the bytes into a
// SceneFileData (pure, applies every default and parsing rule), and the
// engine applies that to the scene on its scene thread.
#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "model/ModelTypes.h"
#include "platform/Outcome.h"
#include "platform/ProfileFile.h"

struct SceneParams;
struct SceneSnapshot;

// Values of "LIGHT_SHADOW", defaults applied for absent keys.
struct LightShadowSection {
    float brightness = 20;
    bool light1Enabled = true;
    float light1Horizontal = 0;
    float light1Vertical = 0;
    float light1Distance = 50;
    bool light2Enabled = true;
    float light2Horizontal = 130;
    float light2Vertical = 20;
    float light2Distance = 50;
    int shadowDirection = 0;  // whole degrees (the fraction is dropped)
    int shadowLength = 0;     // user-facing length 0..100, whole units
    int shadowIntensity = 0;
    int shadowBlur = 20;
};

struct CameraSection {
    float horizontal = 0;
    float vertical = 0;  // kept as read, not clamped
    float targetHorizontal = 0;
    float targetVertical = 0;
    float zoom = 0;  // clamped to [0, 100]
    float perspective = 0;
};

struct ReflectionSection {
    float length = 0;
    float opacity = 0;
    bool backgroundTransparent = false;  // any value other than 0
    uint32_t backgroundColor = 0;        // COLORREF, red in the low byte
};

// One object section. Keys absent from the section are left empty here and
// leave the loaded object as it is.
struct SceneObjectSection {
    std::string section;     // the section's name (any name but the four fixed ones)
    std::string objectName;  // "Object_Name": the model is ObjectsFolder() + name + ".3ds"
    std::optional<std::string> userName;
    std::optional<int> type;
    std::array<std::optional<std::string>, kCoverFaceCount> images;
    // Translate X, Y, Z, rotate X, Y, Z, scale X, Y, Z.
    std::array<std::optional<float>, 9> transform;
};

struct SceneFileData {
    int sectionCount = 0;
    // Object sections beyond the kMaxObjects a scene holds, not read.
    std::size_t objectsLeftOut = 0;
    // Lines read when the file was longer than the reading limits (the rest
    // was not read); 0 when it was read whole.
    std::size_t cutAfterLine = 0;
    std::optional<LightShadowSection> lightShadow;
    std::optional<CameraSection> camera;
    std::optional<ReflectionSection> reflection;
    std::vector<SceneObjectSection> objects;  // in file order
};

// Keys of an object section, by cover face and by transform value.
extern const char* const kImageKeys[kCoverFaceCount];
extern const char* const kTransformKeys[9];

SceneFileData ParseSceneFile(std::string_view bytes);
SceneFileData ReadSceneDocument(const boxora::ProfileDocument& document);
// Reads the file, passing over the object sections a scene cannot hold.
SceneFileData ReadSceneFile(const std::string& path);

// The model file of an object section, or nothing when the object name is
// empty or would lead out of the objects folder (path separators, "..").
std::optional<std::string> ModelPathForObjectName(const std::string& objectName);

// The scene file of these parameters and objects, ready to be saved.
boxora::ProfileDocument BuildSceneDocument(const SceneParams& params, const SceneModel& model);
boxora::ProfileDocument BuildSceneDocument(const SceneParams& params, const SceneSnapshot& scene);
// Writes that file to path (the previous file is replaced only by a
// complete new one); fails with "TabGeneral"/"errsaveprj" when it cannot.
boxora::Outcome WriteSceneFile(const std::string& path, const SceneParams& params, const SceneSnapshot& scene);
