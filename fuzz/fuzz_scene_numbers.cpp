// Numbers of a scene file: the input's lines become the values of every
// number key of the camera, light, reflection and object sections. Any text
// must read without undefined behaviour (checked by the sanitizers), and the
// values that are kept in range stay there.
#include <cmath>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>

#include "engine/SceneFile.h"

namespace {

const char* const kCameraKeys[] = {"Camera_Horizontal_Rotation", "Camera_Vertical_Rotation",
                                   "Camera_Target_Horizontal",   "Camera_Target_Vertical",
                                   "Camera_Zoom",                "Camera_Perspective"};
const char* const kLightKeys[] = {"Global_Light_Brightness", "Light_Source_Enabled_1",  "Light_Horizontal_Rotation",
                                  "Light_Vertical_Rotation", "Light_Distance",          "Light_Source_Enabled_2",
                                  "Light_Horizontal_Rotation_2", "Light_Vertical_Rotation_2", "Light_Distance_2",
                                  "Direction",               "Length",                  "Shadow_Intensity",
                                  "Shadow_Blur"};
const char* const kReflectionKeys[] = {"Reflection_Length", "Reflection_Opacity", "Background_Transparent",
                                       "Background_Color"};
const char* const kObjectKeys[] = {"Object_Type", "Translate_X", "Translate_Y", "Translate_Z", "Rotate_X",
                                   "Rotate_Y",    "Rotate_Z",    "Scale_X",     "Scale_Y",     "Scale_Z"};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size > 4096) return 0;
    const std::string input(reinterpret_cast<const char*>(data), size);
    std::size_t at = 0;
    // The next line of the input (values repeat when the input runs out).
    auto next = [&]() {
        if (input.empty()) return std::string("0");
        if (at >= input.size()) at = 0;
        std::size_t end = input.find('\n', at);
        if (end == std::string::npos) end = input.size();
        std::string value = input.substr(at, end - at);
        at = end + 1;
        return value;
    };
    std::string text = "[OBJECT_0]\r\nObject_Name=Box\r\n";
    for (const char* key : kObjectKeys) text += std::string(key) + "=" + next() + "\r\n";
    text += "[CAMERA]\r\n";
    for (const char* key : kCameraKeys) text += std::string(key) + "=" + next() + "\r\n";
    text += "[LIGHT_SHADOW]\r\n";
    for (const char* key : kLightKeys) text += std::string(key) + "=" + next() + "\r\n";
    text += "[REFLECTION]\r\n";
    for (const char* key : kReflectionKeys) text += std::string(key) + "=" + next() + "\r\n";

    const SceneFileData scene = ParseSceneFile(text);
    if (!scene.camera || !scene.lightShadow || !scene.reflection || scene.objects.size() != 1) std::abort();
    const float zoom = scene.camera->zoom;
    if (std::isfinite(zoom) && (zoom < 0.0f || zoom > 100.0f)) std::abort();
    return 0;
}
