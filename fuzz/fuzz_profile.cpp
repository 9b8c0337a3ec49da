// Profile (INI) reader: any bytes must parse, answer lookups and survive a
// write and re-read.
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

#include "platform/ProfileFile.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::string_view bytes(reinterpret_cast<const char*>(data), size);
    auto doc = boxora::ProfileDocument::Parse(bytes);
    const std::size_t small = size > 0 ? data[0] % 16 : 0;  // tiny buffers too
    for (const auto& name : doc.SectionNames(4000)) {
        (void)doc.GetString(name, "Object_Name", "", 260);
        (void)doc.GetString(name, "Language", "x", 260);
        (void)doc.GetString(name, name, "default", small);
        (void)doc.HasKey(name, "Object_Type");
    }
    (void)doc.SectionNames(small);
    // Lookups and writes with names taken from the input itself.
    const std::string_view head = bytes.substr(0, std::min<std::size_t>(size, 24));
    (void)doc.GetString(head, head, head, 260);
    doc.SetString(head, head, bytes.substr(head.size(), 64));
    doc.SetString("LIGHT_SHADOW", "Direction", "45.500000");
    auto again = boxora::ProfileDocument::Parse(doc.Serialize());
    (void)again.GetString("LIGHT_SHADOW", "Direction", "", 260);
    (void)again.GetString(head, head, "", 260);
    return 0;
}
