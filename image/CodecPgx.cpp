// PGX (the JPEG 2000 conformance test format): one grey component,
// "PG", byte order "ML" (big-endian) or "LM", an optional sign, the bit
// depth, width and height, then the raw samples.
#include "image/CodecRegistry.h"
#include "image/CodecSupport.h"

namespace imagecodec {
namespace {

bool IsBlank(uint8_t c) { return c == ' ' || c == '\t'; }

struct Cursor {
    const uint8_t* data;
    std::size_t size;
    std::size_t pos;

    void SkipBlanks() {
        while (pos < size && IsBlank(data[pos])) ++pos;
    }
    bool Number(uint32_t limit, uint32_t& value) {
        SkipBlanks();
        if (pos >= size || data[pos] < '0' || data[pos] > '9') return false;
        uint64_t v = 0;
        while (pos < size && data[pos] >= '0' && data[pos] <= '9') {
            v = v * 10 + (data[pos++] - '0');
            if (v > limit) return false;
        }
        value = static_cast<uint32_t>(v);
        return true;
    }
};

}  // namespace

bool DecodePgx(const uint8_t* data, std::size_t size, ImageData& out, std::string* why) {
    out.Clear();
    if (!data || size < 4 || data[0] != 'P' || data[1] != 'G') return Fail(why, "not a PGX file");
    Cursor c{data, size, 2};
    c.SkipBlanks();
    if (c.pos + 2 > size) return Fail(why, "bad PGX header");
    bool bigEndian;
    if (data[c.pos] == 'M' && data[c.pos + 1] == 'L')
        bigEndian = true;
    else if (data[c.pos] == 'L' && data[c.pos + 1] == 'M')
        bigEndian = false;
    else
        return Fail(why, "bad PGX byte order");
    c.pos += 2;
    c.SkipBlanks();
    bool sign = false;
    if (c.pos < size && (data[c.pos] == '+' || data[c.pos] == '-')) sign = data[c.pos++] == '-';
    uint32_t depth = 0, w = 0, h = 0;
    if (!c.Number(32, depth) || depth == 0 || !c.Number(kMaxDimension, w) || !c.Number(kMaxDimension, h))
        return Fail(why, "bad PGX header");
    c.SkipBlanks();
    // The header ends with its line.
    if (c.pos < size && data[c.pos] == '\r') ++c.pos;
    if (c.pos >= size || data[c.pos] != '\n') return Fail(why, "bad PGX header");
    ++c.pos;
    if (!SizeAllowed(w, h)) return Fail(why, "image size not allowed");
    const uint32_t bytes = depth <= 8 ? 1 : depth <= 16 ? 2 : 4;
    const uint64_t needed = static_cast<uint64_t>(w) * h * bytes;
    if (size - c.pos < needed) return Fail(why, "PGX data too short");
    if (!out.Allocate(w, h, 8, false)) return Fail(why, "not enough memory for the image");
    SetGreyPalette(out);
    const uint64_t mask = (depth == 32) ? 0xFFFFFFFFull : ((1ull << depth) - 1);
    const uint64_t half = 1ull << (depth - 1);
    const uint8_t* p = data + c.pos;
    for (uint32_t y = 0; y < h; ++y) {
        uint8_t* dst = out.pixels.data() + static_cast<std::size_t>(h - 1 - y) * w;
        for (uint32_t x = 0; x < w; ++x, p += bytes) {
            uint64_t v = 0;
            for (uint32_t b = 0; b < bytes; ++b)
                v |= static_cast<uint64_t>(p[bigEndian ? b : bytes - 1 - b]) << (8 * (bytes - 1 - b));
            v &= mask;
            // Signed samples are shifted into 0..mask: -half maps to 0.
            if (sign) v = (v ^ half);
            dst[x] = static_cast<uint8_t>((v * 255 + mask / 2) / mask);
        }
    }
    return true;
}

}  // namespace imagecodec
