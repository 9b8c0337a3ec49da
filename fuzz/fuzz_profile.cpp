// Profile (INI) reader: any bytes must parse, answer lookups and survive a
// write and re-read.
#include <cstddef>
#include <cstdint>
#include <string_view>

#include "platform/ProfileFile.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::string_view bytes(reinterpret_cast<const char*>(data), size);
    auto doc = boxora::ProfileDocument::Parse(bytes);
    for (const auto& name : doc.SectionNames(4000)) {
        (void)doc.GetString(name, "Object_Name", "", 260);
        (void)doc.GetString(name, "Language", "x", 260);
    }
    doc.SetString("LIGHT_SHADOW", "Direction", "45.500000");
    auto again = boxora::ProfileDocument::Parse(doc.Serialize());
    (void)again.GetString("LIGHT_SHADOW", "Direction", "", 260);
    return 0;
}
