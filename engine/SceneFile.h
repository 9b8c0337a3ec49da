#pragma once
// Scene files (.scn): a profile (INI) file in UTF-16LE with byte-order mark.
// Sections in write order: one "OBJECT_<n>" per object (n = position in the
// object list), then the sections of the scene settings in the order of their
// table ("LIGHT_SHADOW", "CAMERA", "REFLECTION", "SCENE").
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
#include "scene/SettingTable.h"

struct SceneParams;
struct SceneSnapshot;

// One object section. Keys absent from the section are left empty here and
// leave the loaded object as it is.
struct SceneObjectSection {
    std::string section;     // the section's name (any name but the four fixed ones)
    std::string objectName;  // "Object_Name": the model is ObjectsFolder() + name + ".3ds"
    // "Shape": a parametric shape ("KIND,param=value,…") made instead of
    // reading the model; programs that do not know the key look for the
    // model of Object_Name and report it missing.
    std::optional<std::string> shape;
    // "Model_File": a model from another program (glTF, OBJ), relative to
    // the scene's folder or absolute; "Model_Units" its unit (mm, cm, m, in).
    std::optional<std::string> modelFile;
    std::optional<std::string> modelUnits;
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
    // Each scene setting as read, defaults applied for absent keys; none
    // where its section is missing (the scene keeps its value) or the value
    // was refused.
    std::array<std::optional<double>, boxora::kSettingCount> settings;
    // Lines read when the file was longer than the reading limits (the rest
    // was not read); 0 when it was read whole.
    std::size_t cutAfterLine = 0;
    std::vector<SceneObjectSection> objects;  // in file order
    // Values refused (failures: not a finite number) and values taken into
    // their range (warnings), each naming its key and line.
    boxora::Outcome problems;
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
