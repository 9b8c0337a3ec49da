// Real-size declarations beside catalogue models: any text parses to a size
// within the allowed range or to none.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string_view>

#include "model/RealSize.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const auto parsed = boxora::ParseRealSize(std::string_view(reinterpret_cast<const char*>(data), size));
    if (parsed)
        for (float side : *parsed)
            if (!(side >= boxora::kMinRealSideMm && side <= boxora::kMaxRealSideMm)) std::abort();
    return 0;
}
