// Reading scene files of hostile shapes, from the bytes to the scene data
// (parsing the profile file and reading every section as the engine does,
// without loading models): seconds per file and megabytes per second.
//
//   bench_scene_read
//
// The files: one section of 400,000 keys whose header is repeated 400
// times (every repeat reads the first section of its name); 400,000
// different keys in one section; 400 ordinary object sections with the
// camera, light and reflection sections after them; 100,000 object
// sections (more than a scene takes).
#include <chrono>
#include <cstdio>
#include <functional>
#include <string>

#include "engine/SceneFile.h"

namespace {

using Clock = std::chrono::steady_clock;

std::string Utf16(const std::string& ascii) {
    std::string bytes = "\xFF\xFE";
    bytes.reserve(2 + ascii.size() * 2);
    for (const char c : ascii) {
        bytes.push_back(c);
        bytes.push_back('\0');
    }
    return bytes;
}

std::string RepeatedSection() {
    std::string text = "[OBJECT_0]\r\n";
    for (int i = 0; i < 400000; ++i) text += "k=1\r\n";
    for (int i = 1; i < 400; ++i) text += "[OBJECT_0]\r\n";
    return text;
}

std::string ManyKeys() {
    std::string text = "[OBJECT_0]\r\n";
    for (int i = 0; i < 400000; ++i) text += "k" + std::to_string(i) + "=1\r\n";
    return text;
}

std::string ObjectSections(int count) {
    std::string text;
    for (int i = 0; i < count; ++i)
        text += "[OBJECT_" + std::to_string(i) +
                "]\r\nObject_Name=Box\r\nUser_Defined_Name=Box\r\nObject_Type=1\r\nImage_Front=front.jpg\r\n"
                "Translate_X=1.000000\r\nTranslate_Y=70.000000\r\nRotate_Y=30.000000\r\nScale_X=1.000000\r\n";
    text +=
        "[LIGHT_SHADOW]\r\nShadow_Blur=20\r\n[CAMERA]\r\nCamera_Zoom=72.000000\r\n[REFLECTION]\r\n"
        "Background_Color=255\r\n[SCENE]\r\nVersion=1.8\r\n";
    return text;
}

void Measure(const char* name, const std::string& bytes) {
    const auto start = Clock::now();
    const SceneFileData data = ParseSceneFile(bytes);
    const double seconds = std::chrono::duration<double>(Clock::now() - start).count();
    const double mb = static_cast<double>(bytes.size()) / (1 << 20);
    std::printf("%-32s %8.2f %8zu %8zu %8.3f %8.1f\n", name, mb, data.objects.size(), data.objectsLeftOut, seconds,
                mb / seconds);
    std::fflush(stdout);
}

}  // namespace

int main() {
    std::printf("%-32s %8s %8s %8s %8s %8s\n", "scene file", "MiB", "objects", "left out", "seconds", "MiB/s");
    Measure("400,000 keys, header 400 times", Utf16(RepeatedSection()));
    Measure("400,000 different keys", Utf16(ManyKeys()));
    Measure("400 objects and settings", Utf16(ObjectSections(400)));
    Measure("100,000 object sections", Utf16(ObjectSections(100000)));
    return 0;
}
