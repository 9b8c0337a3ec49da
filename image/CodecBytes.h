#pragma once
// Small helpers shared by the hand-written format codecs: bounded byte reads,
// image preparation and failure reporting.
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "image/ImageData.h"

namespace imagecodec::bytes {

inline uint16_t Le16(const uint8_t* p) { return static_cast<uint16_t>(p[0] | (p[1] << 8)); }
inline uint32_t Le32(const uint8_t* p) {
    return static_cast<uint32_t>(p[0]) | (static_cast<uint32_t>(p[1]) << 8) | (static_cast<uint32_t>(p[2]) << 16) |
           (static_cast<uint32_t>(p[3]) << 24);
}
inline int32_t Le32s(const uint8_t* p) { return static_cast<int32_t>(Le32(p)); }
inline int16_t Le16s(const uint8_t* p) { return static_cast<int16_t>(Le16(p)); }

inline void PutLe16(std::vector<uint8_t>& out, uint32_t v) {
    out.push_back(static_cast<uint8_t>(v));
    out.push_back(static_cast<uint8_t>(v >> 8));
}
inline void PutLe32(std::vector<uint8_t>& out, uint32_t v) {
    PutLe16(out, v & 0xFFFF);
    PutLe16(out, v >> 16);
}

// True when [offset, offset + length) lies inside a buffer of size bytes.
inline bool Fits(std::size_t size, uint64_t offset, uint64_t length) {
    return offset <= size && length <= size - offset;
}

// Clears the image, records the reason and returns false: the one way every
// decoder leaves on a fault.
inline bool Fail(ImageData& out, std::string* why, const char* reason) {
    out.Clear();
    if (why) *why = reason;
    return false;
}

inline bool FailEncode(std::vector<uint8_t>& out, std::string* why, const char* reason) {
    out.clear();
    if (why) *why = reason;
    return false;
}

// Gives the image its size and zeroed storage; an alpha plane (filled with
// 255) when withAlpha. False when the size is outside the limits.
inline bool Prepare(ImageData& img, uint32_t width, uint32_t height, int bpp, bool withAlpha) {
    img.Clear();
    if (!SizeAllowed(width, height) || (bpp != 8 && bpp != 24)) return false;
    img.width = width;
    img.height = height;
    img.bpp = bpp;
    const std::size_t count = static_cast<std::size_t>(width) * height;
    img.pixels.assign(count * (bpp == 24 ? 3 : 1), 0);
    if (withAlpha) img.alpha.assign(count, 255);
    return true;
}

// Drops an alpha plane that carries no information (all opaque), or one that
// is all zero: writers that leave the fourth byte unused fill it with zeros,
// and a picture that is wholly invisible is never what such a file meant.
inline void DropUselessAlpha(ImageData& img) {
    if (img.alpha.empty()) return;
    bool allOpaque = true, allZero = true;
    for (uint8_t a : img.alpha) {
        allOpaque &= a == 255;
        allZero &= a == 0;
        if (!allOpaque && !allZero) return;
    }
    img.alpha.clear();
    img.alpha.shrink_to_fit();
}

// Drops an alpha plane in which every pixel is opaque.
inline void DropOpaqueAlpha(ImageData& img) {
    for (uint8_t a : img.alpha)
        if (a != 255) return;
    img.alpha.clear();
    img.alpha.shrink_to_fit();
}

// Palette of 256 B, G, R, 0 entries, all black.
inline std::vector<uint8_t> BlackPalette() { return std::vector<uint8_t>(256 * 4, 0); }

}  // namespace imagecodec::bytes
