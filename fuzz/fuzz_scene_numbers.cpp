// Numbers of a scene file: the input's lines become the values of every
// scene setting of the table and of the object section. Any text
// must read without undefined behaviour (checked by the sanitizers), and the
// values that are kept in range stay there.
#include <cmath>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>

#include "engine/SceneFile.h"

namespace {

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
    // Every setting of the table (whose rows come section by section).
    std::string section;
    for (const boxora::SettingRow& row : boxora::SettingTable()) {
        if (section != row.section) text += "[" + (section = row.section) + "]\r\n";
        text += std::string(row.key) + "=" + next() + "\r\n";
    }

    const SceneFileData scene = ParseSceneFile(text);
    if (scene.objects.size() != 1) std::abort();
    // What is read is finite and, where the format clamps, in range;
    // what is not is refused with a message.
    for (const boxora::SettingRow& row : boxora::SettingTable()) {
        const std::optional<double>& v = scene.settings[static_cast<int>(row.id)];
        if (!v && !scene.problems.failed) std::abort();
        if (v && (!std::isfinite(*v) || (row.clampOnRead && (*v < row.minimum || *v > row.maximum)))) std::abort();
    }
    for (const std::optional<float>& t : scene.objects[0].transform)
        if (t && !std::isfinite(*t)) std::abort();
    return 0;
}
