// ICO and CUR reading: the best entry of the directory (largest picture,
// then deepest colour), stored as a DIB with its AND mask or as a PNG.
#include <algorithm>
#include <cstring>
#include <new>

#include "image/CodecBytes.h"
#include "image/CodecRegistry.h"
#include "image/DibReader.h"

namespace imagecodec {
namespace {

using namespace bytes;

constexpr uint8_t kPngSignature[8] = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'};

struct Entry {
    std::size_t offset = 0;
    std::size_t length = 0;
    bool png = false;
    uint64_t area = 0;
    int bits = 0;
};

inline uint32_t Be32(const uint8_t* p) {
    return (uint32_t{p[0]} << 24) | (uint32_t{p[1]} << 16) | (uint32_t{p[2]} << 8) | p[3];
}

// Size and depth of an entry, from its own header where possible (directory
// fields are often zero or wrong, and hold hot-spot coordinates in cursors).
bool Measure(const uint8_t* data, Entry& e) {
    const uint8_t* p = data + e.offset;
    if (e.length >= 8 && std::memcmp(p, kPngSignature, 8) == 0) {
        e.png = true;
        if (e.length < 33) return false;
        const uint64_t w = Be32(p + 16), h = Be32(p + 20);
        static const int kChannels[7] = {1, 0, 3, 1, 2, 0, 4};
        const int depth = p[24], type = p[25];
        e.area = w * h;
        e.bits = type <= 6 ? depth * (type == 3 ? 1 : kChannels[type]) : 0;
        return true;
    }
    uint32_t w = 0, h = 0;
    int bits = 0;
    if (!dib::PeekDib(p, e.length, w, h, bits)) return false;
    e.area = uint64_t{w} * (h / 2);
    e.bits = bits;
    return true;
}

// Applies the AND mask that follows the colour bits of an icon DIB: set
// bits are transparent. True when the mask was present.
bool ApplyMask(const uint8_t* data, std::size_t size, std::size_t maskAt, bool topDown, ImageData& img) {
    const uint64_t stride = ((uint64_t{img.width} + 31) / 32) * 4;
    const uint64_t rowUsed = (uint64_t{img.width} + 7) / 8;
    if (maskAt > size || stride * (img.height - 1) + rowUsed > size - maskAt) return false;
    std::vector<uint8_t> alpha(std::size_t{img.width} * img.height, 255);
    bool anyClear = false;
    for (uint32_t r = 0; r < img.height; ++r) {
        const uint32_t fileRow = topDown ? img.height - 1 - r : r;
        const uint8_t* row = data + maskAt + stride * fileRow;
        uint8_t* a = alpha.data() + std::size_t{r} * img.width;
        for (uint32_t x = 0; x < img.width; ++x) {
            if ((row[x / 8] >> (7 - x % 8)) & 1) {
                a[x] = 0;
                anyClear = true;
            }
        }
    }
    if (anyClear) img.alpha = std::move(alpha);
    return true;
}

bool DecodeEntry(const uint8_t* data, const Entry& e, ImageData& out, std::string* why) {
    const uint8_t* p = data + e.offset;
    if (e.png) {
        const CodecEntry* png = FindCodec(FORMAT_PNG);
        if (!png || !png->decode) return Fail(out, why, "PNG icon entries cannot be read in this build");
        return png->decode(p, e.length, out, why);
    }
    dib::DibRequest request;
    request.iconHeight = true;
    dib::DibResult result;
    if (!dib::DecodeDib(p, e.length, request, out, &result, why)) return false;
    if (!out.alpha.empty() || result.compressed) return true;  // real alpha channel, or no mask to find
    if (!ApplyMask(p, e.length, result.pixelEnd, result.topDown, out)) return Fail(out, why, "icon mask is truncated");
    return true;
}

}  // namespace

bool DecodeIco(const uint8_t* data, std::size_t size, ImageData& out, std::string* why) try {
    out.Clear();
    if (!data || size < 6 || Le16(data) != 0 || (Le16(data + 2) != 1 && Le16(data + 2) != 2))
        return Fail(out, why, "not an ICO or CUR file");
    const unsigned count = Le16(data + 4);
    if (count == 0) return Fail(out, why, "icon file has no pictures");
    if (!Fits(size, 6, uint64_t{count} * 16)) return Fail(out, why, "icon directory is truncated");

    std::vector<Entry> entries;
    for (unsigned i = 0; i < count; ++i) {
        const uint8_t* d = data + 6 + 16 * i;
        Entry e;
        e.length = Le32(d + 8);
        e.offset = Le32(d + 12);
        if (e.length == 0 || !Fits(size, e.offset, e.length)) continue;
        if (Measure(data, e)) entries.push_back(e);
    }
    if (entries.empty()) return Fail(out, why, "icon file has no readable picture");
    std::stable_sort(entries.begin(), entries.end(), [](const Entry& a, const Entry& b) {
        return a.area != b.area ? a.area > b.area : a.bits > b.bits;
    });
    std::string firstReason;
    for (const Entry& e : entries) {
        std::string reason;
        if (DecodeEntry(data, e, out, &reason)) return true;
        if (firstReason.empty()) firstReason = reason;
    }
    return Fail(out, why, firstReason.c_str());
} catch (const std::bad_alloc&) {
    return Fail(out, why, "out of memory");
}

}  // namespace imagecodec
