#pragma once
// Every scene-wide setting a user edits and a scene file keeps, declared once:
// where the file holds it and how, its range and reset value, its caption,
// its --dump name and how undo merges its changes. Scene files, --dump, the
// engine's setter, undo and the variant table all walk this table, so a new
// setting is one row here (plus the page that shows it and the renderers that
// use it).
//
// Values travel as doubles: every float, int and COLORREF the record holds
// fits in one exactly.
#include <array>
#include <optional>
#include <span>
#include <string>
#include <string_view>

struct SceneParams;

namespace boxora {

// Indices into the table, in its order (which is the file's key order).
enum class Setting : int {
    GlobalLightBrightness,
    Light1Enabled,
    Light1Horizontal,
    Light1Vertical,
    Light1Distance,
    Light2Enabled,
    Light2Horizontal,
    Light2Vertical,
    Light2Distance,
    ShadowDirection,
    ShadowLength,
    ShadowIntensity,
    ShadowBlur,
    CameraHorizontal,
    CameraVertical,
    CameraTargetHorizontal,
    CameraTargetVertical,
    CameraZoom,
    CameraPerspective,
    ReflectionLength,
    ReflectionOpacity,
    BackgroundTransparent,
    BackgroundColor,
    PictureWidth,
    PictureHeight,
    PictureFormat,
    Count
};
inline constexpr int kSettingCount = static_cast<int>(Setting::Count);

// How a value is written and read back.
enum class FileForm {
    Float,        // "%f"; read as a float
    WholeFloat,   // "%f"; read as its leading integer (the fraction is dropped)
    Int,          // "%d"; read as its leading integer
    FlagIsOne,    // "%d" of 0/1; only 1 reads as set
    FlagNotZero,  // "%d" of 0/1; anything but 0 reads as set
    ColourRef,    // "%d" of the COLORREF as a signed int; read as a float, truncated
};

// What else a change has to renew besides the value itself.
enum SettingEffect : unsigned {
    kEffectNone = 0,
    kEffectShadow = 1u << 0,     // the shadow's geometry list
    kEffectSideLists = 1u << 1,  // side lists (the reflection is baked in)
};

// What the engine's setter does beyond storing (file reading stores as read).
enum class SetterRule {
    Store,
    ClampToRange,  // the zoom
    LiftOffFloor,  // the camera's elevation: 0 and below become 0.5
    LiftsCamera,   // the camera's azimuth: re-applies the elevation's lift
};

struct SettingRow {
    Setting id;
    const char* section;  // scene file section
    const char* key;      // scene file key
    FileForm form;
    const char* absent;  // the text a missing key reads as
    double minimum;      // the range the pages offer
    double maximum;
    double reset;  // the value of a new scene
    // The file format clamps values read into [minimum, maximum] (with a
    // note to the user) instead of keeping them as they are.
    bool clampOnRead;
    // Written only when it differs from its reset value, so that files
    // without the key round-trip to the same bytes.
    bool writeWhenChanged;
    const char* languageSection;
    const char* languageKey;    // caption of the page's control
    const char* dumpName;       // member name in --dump's "scene" object
    const char* variantColumn;  // column of the variant table, or null
    int mergeId;                // changes with the same id join one undo step while it is open
    unsigned effects;
    SetterRule rule;
    double (*get)(const SceneParams&);
    void (*store)(SceneParams&, double);  // stores and recomputes derived values
};

std::span<const SettingRow> SettingTable();
const SettingRow& RowOf(Setting id);
const SettingRow* FindSettingByVariantColumn(std::string_view column);

// Every setting's value, in table order.
using SettingValues = std::array<double, kSettingCount>;
SettingValues CaptureSettings(const SceneParams& scene);

double GetSetting(const SceneParams& scene, Setting id);
// What the engine's setter stores for value (its rule applied); the
// scene's other values may change with it (the camera lift).
void ApplySetting(SceneParams& scene, Setting id, double value);
// Every value back to its reset value.
void ResetSettings(SceneParams& scene);

// The text a scene file holds for value.
std::string SettingFileText(const SettingRow& row, double value);

// A value read from a scene file.
struct SettingReading {
    std::optional<double> value;  // none: refused, the key counts as absent
    std::string problem;          // why it was refused or changed, or empty
};
// text is the key's value, or the row's absent text when the key is missing.
SettingReading ReadSettingText(const SettingRow& row, std::string_view text);

// A number a scene file may hold that is no finite float ("nan", "inf",
// "1e999"): refused wherever the file gives a number.
bool IsNonFiniteText(std::string_view text);

}  // namespace boxora
