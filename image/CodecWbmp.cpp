// WBMP reading (type 0: uncompressed black and white, rows padded to whole
// bytes, top row first, set bits white).
#include <cstring>
#include <new>

#include "image/CodecBytes.h"
#include "image/CodecRegistry.h"

namespace imagecodec {
namespace {

using namespace bytes;

// Multi-byte integer: 7 bits per byte, high bit set on all but the last.
// At most 4 bytes (28 bits) are accepted.
bool ReadMultiByte(const uint8_t*& p, const uint8_t* end, uint32_t& value) {
    value = 0;
    for (int i = 0; i < 4; ++i) {
        if (p >= end) return false;
        const uint8_t b = *p++;
        value = (value << 7) | (b & 0x7F);
        if (!(b & 0x80)) return true;
    }
    return false;
}

}  // namespace

bool DecodeWbmp(const uint8_t* data, std::size_t size, ImageData& out, std::string* why) try {
    out.Clear();
    if (!data) return Fail(out, why, "not a WBMP file");
    const uint8_t* p = data;
    const uint8_t* end = data + size;
    uint32_t type = 0, width = 0, height = 0;
    if (!ReadMultiByte(p, end, type) || type != 0) return Fail(out, why, "not a type 0 WBMP file");
    if (p >= end) return Fail(out, why, "WBMP header is truncated");
    const uint8_t fixHeader = *p++;
    if (fixHeader != 0) return Fail(out, why, "WBMP header uses unsupported extensions");
    if (!ReadMultiByte(p, end, width) || !ReadMultiByte(p, end, height))
        return Fail(out, why, "WBMP header is truncated");
    if (!SizeAllowed(width, height)) return Fail(out, why, "WBMP size is out of range");
    const std::size_t rowBytes = (std::size_t{width} + 7) / 8;
    if (static_cast<uint64_t>(rowBytes) * height > static_cast<uint64_t>(end - p))
        return Fail(out, why, "WBMP pixel data is truncated");

    if (!Prepare(out, width, height, 8, false)) return Fail(out, why, "WBMP size is out of range");
    out.palette = BlackPalette();
    std::memset(&out.palette[4], 255, 3);
    for (uint32_t row = 0; row < height; ++row) {
        const uint8_t* src = p + std::size_t{row} * rowBytes;
        uint8_t* dst = out.pixels.data() + std::size_t{height - 1 - row} * width;
        for (uint32_t x = 0; x < width; ++x) dst[x] = (src[x / 8] >> (7 - x % 8)) & 1;
    }
    return true;
} catch (const std::bad_alloc&) {
    return Fail(out, why, "out of memory");
}

}  // namespace imagecodec
