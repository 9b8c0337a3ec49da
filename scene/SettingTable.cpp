#include "scene/SettingTable.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <cstdint>

#include "platform/TextUtil.h"
#include "scene/SceneParams.h"

namespace boxora {
namespace {

// Picture sizes the command line accepts; the desktop program narrows its
// own field further.
constexpr double kLargestPicture = 16000;

float F(double v) { return static_cast<float>(v); }
int I(double v) { return static_cast<int>(v); }

// Light angles and distances move the light; shadow angles move the
// shadow light: the record's setters recompute both.
#define FIELD(member) [](const SceneParams& s) -> double { return s.member; }
#define STORE(member, conversion) [](SceneParams& s, double v) { s.member = conversion(v); }
#define LIGHT1(member)               \
    [](SceneParams& s, double v) {   \
        s.member = F(v);             \
        s.RecomputeLight1Position(); \
    }
#define LIGHT2(member)               \
    [](SceneParams& s, double v) {   \
        s.member = F(v);             \
        s.RecomputeLight2Position(); \
    }

bool ToFlag(double v) { return v != 0; }
uint32_t ToColour(double v) { return static_cast<uint32_t>(v); }

// clang-format off
const SettingRow kRows[] = {
    {Setting::GlobalLightBrightness, "LIGHT_SHADOW", "Global_Light_Brightness", FileForm::Float, "20", 0, 100, 20,
     false, false, "TabLighting", "br", "globalLightBrightness", nullptr, 1, kEffectNone, SetterRule::Store,
     FIELD(globalLightBrightness), STORE(globalLightBrightness, F)},
    {Setting::Light1Enabled, "LIGHT_SHADOW", "Light_Source_Enabled_1", FileForm::FlagIsOne, "1", 0, 1, 1,
     false, false, "TabLighting", "ls1", "light1Enabled", nullptr, 2, kEffectNone, SetterRule::Store,
     FIELD(Light_Source_Enabled_1), STORE(Light_Source_Enabled_1, ToFlag)},
    {Setting::Light1Horizontal, "LIGHT_SHADOW", "Light_Horizontal_Rotation", FileForm::Float, "", 0, 360, 70,
     false, false, "TabLighting", "lh1", "light1HorizontalRotation", nullptr, 3, kEffectNone, SetterRule::Store,
     FIELD(light1HorizontalRotation), LIGHT1(light1HorizontalRotation)},
    {Setting::Light1Vertical, "LIGHT_SHADOW", "Light_Vertical_Rotation", FileForm::Float, "", 0, 90, 30,
     false, false, "TabLighting", "lv1", "light1VerticalRotation", nullptr, 4, kEffectNone, SetterRule::Store,
     FIELD(light1VerticalRotation), LIGHT1(light1VerticalRotation)},
    {Setting::Light1Distance, "LIGHT_SHADOW", "Light_Distance", FileForm::Float, "50", 0, 100, 50,
     false, false, "TabLighting", "ld1", "light1Distance", nullptr, 5, kEffectNone, SetterRule::Store,
     FIELD(light1Distance), LIGHT1(light1Distance)},
    {Setting::Light2Enabled, "LIGHT_SHADOW", "Light_Source_Enabled_2", FileForm::FlagIsOne, "1", 0, 1, 1,
     false, false, "TabLighting", "ls2", "light2Enabled", nullptr, 6, kEffectNone, SetterRule::Store,
     FIELD(Light_Source_Enabled_2), STORE(Light_Source_Enabled_2, ToFlag)},
    {Setting::Light2Horizontal, "LIGHT_SHADOW", "Light_Horizontal_Rotation_2", FileForm::Float, "130", 0, 360, 140,
     false, false, "TabLighting", "lh2", "light2HorizontalRotation", nullptr, 7, kEffectNone, SetterRule::Store,
     FIELD(light2HorizontalRotation), LIGHT2(light2HorizontalRotation)},
    {Setting::Light2Vertical, "LIGHT_SHADOW", "Light_Vertical_Rotation_2", FileForm::Float, "20", 0, 90, 10,
     false, false, "TabLighting", "lv2", "light2VerticalRotation", nullptr, 8, kEffectNone, SetterRule::Store,
     FIELD(light2VerticalRotation), LIGHT2(light2VerticalRotation)},
    {Setting::Light2Distance, "LIGHT_SHADOW", "Light_Distance_2", FileForm::Float, "50", 0, 100, 50,
     false, false, "TabLighting", "ld2", "light2Distance", nullptr, 9, kEffectNone, SetterRule::Store,
     FIELD(light2Distance), LIGHT2(light2Distance)},
    {Setting::ShadowDirection, "LIGHT_SHADOW", "Direction", FileForm::WholeFloat, "", 0, 360, 0,
     false, false, "TabShadows", "sd", "shadowDirection", nullptr, 10, kEffectShadow, SetterRule::Store,
     FIELD(shadowDirection), [](SceneParams& s, double v) { s.SetShadowDirectionPlain(F(v)); }},
    // Kept as set, since the elevation it is stored as does not give it back.
    {Setting::ShadowLength, "LIGHT_SHADOW", "Length", FileForm::WholeFloat, "", 0, 100, 68.75,
     false, false, "TabShadows", "sl", "shadowLength", nullptr, 11, kEffectShadow, SetterRule::Store,
     [](const SceneParams& s) -> double { return s.ShadowLength(); },
     [](SceneParams& s, double v) { s.SetShadowLengthPlain(F(v)); }},
    {Setting::ShadowIntensity, "LIGHT_SHADOW", "Shadow_Intensity", FileForm::Int, "", 0, 100, 20,
     false, false, "TabShadows", "si", "shadowIntensity", nullptr, 12, kEffectShadow, SetterRule::Store,
     FIELD(Shadow_Intensity), STORE(Shadow_Intensity, I)},
    {Setting::ShadowBlur, "LIGHT_SHADOW", "Shadow_Blur", FileForm::Int, "20", 0, 100, 20,
     false, false, "TabShadows", "sb", "shadowBlur", nullptr, 13, kEffectShadow, SetterRule::Store,
     FIELD(Shadow_Blur), STORE(Shadow_Blur, I)},
    {Setting::CameraHorizontal, "CAMERA", "Camera_Horizontal_Rotation", FileForm::Float, "", 0, 360, 0,
     false, false, "TabCamera", "camh", "cameraHorizontalRotation", "camera_horizontal", 14, kEffectNone,
     SetterRule::LiftsCamera, FIELD(cameraHorizontalRotation), STORE(cameraHorizontalRotation, F)},
    {Setting::CameraVertical, "CAMERA", "Camera_Vertical_Rotation", FileForm::Float, "", 0, 90, 36,
     false, false, "TabCamera", "camv", "cameraVerticalRotation", "camera_vertical", 15, kEffectNone,
     SetterRule::LiftOffFloor, FIELD(cameraVerticalRotation), STORE(cameraVerticalRotation, F)},
    {Setting::CameraTargetHorizontal, "CAMERA", "Camera_Target_Horizontal", FileForm::Float, "", -100, 100, 0,
     false, false, "TabCamera", "camtv", "cameraTargetHorizontal", nullptr, 16, kEffectNone, SetterRule::Store,
     [](const SceneParams& s) -> double { return s.cameraTarget[0]; },
     [](SceneParams& s, double v) { s.cameraTarget.SetAt(0, F(v)); }},
    {Setting::CameraTargetVertical, "CAMERA", "Camera_Target_Vertical", FileForm::Float, "", 0, 100, 40,
     false, false, "TabCamera", "camth", "cameraTargetVertical", nullptr, 17, kEffectNone, SetterRule::Store,
     [](const SceneParams& s) -> double { return s.cameraTarget[1]; },
     [](SceneParams& s, double v) { s.cameraTarget.SetAt(1, F(v)); }},
    {Setting::CameraZoom, "CAMERA", "Camera_Zoom", FileForm::Float, "", 0, 100, 2,
     true, false, "TabCamera", "camz", "cameraZoom", nullptr, 18, kEffectNone, SetterRule::ClampToRange,
     FIELD(cameraZoom), STORE(cameraZoom, F)},
    {Setting::CameraPerspective, "CAMERA", "Camera_Perspective", FileForm::Float, "", 0, 100, 1,
     false, false, "TabCamera", "camp", "cameraPerspective", nullptr, 19, kEffectNone, SetterRule::Store,
     FIELD(Camera_Perspective), STORE(Camera_Perspective, F)},
    {Setting::ReflectionLength, "REFLECTION", "Reflection_Length", FileForm::Float, "", 0, 100, 20,
     false, false, "TabReflection", "rl", "reflectionLength", nullptr, 20, kEffectSideLists, SetterRule::Store,
     FIELD(Reflection_Length), STORE(Reflection_Length, F)},
    {Setting::ReflectionOpacity, "REFLECTION", "Reflection_Opacity", FileForm::Float, "", 0, 100, 20,
     false, false, "TabReflection", "ro", "reflectionOpacity", nullptr, 21, kEffectSideLists, SetterRule::Store,
     FIELD(Reflection_Opacity), STORE(Reflection_Opacity, F)},
    {Setting::BackgroundTransparent, "REFLECTION", "Background_Transparent", FileForm::FlagNotZero, "", 0, 1, 0,
     false, false, "TabReflection", "transp", "backgroundTransparent", nullptr, 22, kEffectNone, SetterRule::Store,
     FIELD(backgroundTransparent), STORE(backgroundTransparent, ToFlag)},
    {Setting::BackgroundColor, "REFLECTION", "Background_Color", FileForm::ColourRef, "", 0, 0xFFFFFF, 0xFFFFFF,
     false, false, "TabReflection", "bgcl", "backgroundColor", "background", 23, kEffectNone, SetterRule::Store,
     FIELD(backgroundColor), STORE(backgroundColor, ToColour)},
    {Setting::PictureWidth, "SCENE", "Picture_Width", FileForm::Int, "300", 1, kLargestPicture, 300,
     true, true, "TabRendering", "imgwdt", "pictureWidth", nullptr, 24, kEffectNone, SetterRule::ClampToRange,
     FIELD(pictureWidth), STORE(pictureWidth, I)},
    {Setting::PictureHeight, "SCENE", "Picture_Height", FileForm::Int, "300", 1, kLargestPicture, 300,
     true, true, "TabRendering", "imghgt", "pictureHeight", nullptr, 25, kEffectNone, SetterRule::ClampToRange,
     FIELD(pictureHeight), STORE(pictureHeight, I)},
    {Setting::PictureFormat, "SCENE", "Picture_Format", FileForm::Int, "4", 0, 255, 4,
     false, true, "TabRendering", "frmt", "pictureFormat", nullptr, 26, kEffectNone, SetterRule::Store,
     FIELD(pictureFormat), STORE(pictureFormat, I)},
};
// clang-format on
static_assert(std::size(kRows) == kSettingCount, "one row per setting");

#undef FIELD
#undef STORE
#undef LIGHT1
#undef LIGHT2

// A number the C scan would take that is no finite float: "nan", "inf",
// "1e999". Such a value would leave a blank picture, so it is refused.
bool IsNonFiniteNumber(std::string_view text) {
    while (!text.empty() && (text.front() == ' ' || text.front() == '\t')) text.remove_prefix(1);
    if (!text.empty() && text.front() == '+') text.remove_prefix(1);
    double value = 0;
    const auto res = std::from_chars(text.data(), text.data() + text.size(), value, std::chars_format::general);
    if (res.ptr == text.data()) return false;  // no number at all reads as 0
    return res.ec == std::errc::result_out_of_range || !std::isfinite(value) || std::fabs(value) > 3.0e38;
}

}  // namespace

std::span<const SettingRow> SettingTable() { return kRows; }

const SettingRow& RowOf(Setting id) { return kRows[static_cast<int>(id)]; }

const SettingRow* FindSettingByVariantColumn(std::string_view column) {
    for (const SettingRow& row : kRows)
        if (row.variantColumn && EqualsIgnoreCase(column, row.variantColumn)) return &row;
    return nullptr;
}

SettingValues CaptureSettings(const SceneParams& scene) {
    SettingValues values{};
    for (const SettingRow& row : kRows) values[static_cast<int>(row.id)] = row.get(scene);
    return values;
}

double GetSetting(const SceneParams& scene, Setting id) { return RowOf(id).get(scene); }

void ApplySetting(SceneParams& scene, Setting id, double value) {
    const SettingRow& row = RowOf(id);
    switch (row.rule) {
        case SetterRule::Store: break;
        case SetterRule::ClampToRange: value = std::clamp(value, row.minimum, row.maximum); break;
        case SetterRule::LiftOffFloor:
            if (value <= 0) value = 0.5;
            break;
        case SetterRule::LiftsCamera: {
            const SettingRow& elevation = RowOf(Setting::CameraVertical);
            if (elevation.get(scene) <= 0) elevation.store(scene, 0.5);
            break;
        }
    }
    row.store(scene, value);
}

void ResetSettings(SceneParams& scene) {
    for (const SettingRow& row : kRows) row.store(scene, row.reset);
}

std::string SettingFileText(const SettingRow& row, double value) {
    switch (row.form) {
        case FileForm::Float:
        case FileForm::WholeFloat: return FormatFloat6(static_cast<float>(value));
        case FileForm::Int: return std::to_string(static_cast<int>(value));
        case FileForm::FlagIsOne:
        case FileForm::FlagNotZero: return value != 0 ? "1" : "0";
        case FileForm::ColourRef: return std::to_string(static_cast<int32_t>(static_cast<uint32_t>(value)));
    }
    return {};
}

SettingReading ReadSettingText(const SettingRow& row, std::string_view text) {
    SettingReading reading;
    double value = 0;
    switch (row.form) {
        case FileForm::Float:
        case FileForm::ColourRef:
            if (IsNonFiniteNumber(text)) {
                reading.problem = "is not a finite number";
                return reading;
            }
            value = ParseFloat(text);
            break;
        case FileForm::WholeFloat:
        case FileForm::Int: value = ParseLeadingInt(text); break;
        case FileForm::FlagIsOne: value = ParseLeadingInt(text) == 1 ? 1 : 0; break;
        case FileForm::FlagNotZero: value = ParseLeadingInt(text) != 0 ? 1 : 0; break;
    }
    if (row.form == FileForm::ColourRef) {
        // A float truncated to an integer and kept as a COLORREF.
        const double t = std::trunc(static_cast<double>(static_cast<float>(value)));
        value = t <= -2147483648.0  ? 0x80000000u
                : t >= 4294967295.0 ? 0xFFFFFFFFu
                                    : static_cast<uint32_t>(static_cast<int64_t>(t));
    }
    if (row.clampOnRead && (value < row.minimum || value > row.maximum)) {
        const double clamped = std::clamp(value, row.minimum, row.maximum);
        reading.problem = "was taken as " + FormatFloat6(clamped) + ", the nearest value in its range";
        value = clamped;
    }
    reading.value = value;
    return reading;
}

bool IsNonFiniteText(std::string_view text) { return IsNonFiniteNumber(text); }

}  // namespace boxora
