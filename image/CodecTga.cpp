// TGA reading and writing. Reads colour-mapped, true-colour and grey images,
// uncompressed or run-length encoded, 8, 15, 16, 24 and 32 bits, with either
// origin corner; writes uncompressed 24-bit, or 32-bit with an alpha channel
// when the image has an alpha plane.
#include <algorithm>
#include <cstring>
#include <new>

#include "image/CodecBytes.h"
#include "image/CodecRegistry.h"

namespace imagecodec {
namespace {

using namespace bytes;

constexpr std::size_t kHeaderSize = 18;
constexpr char kFooterSignature[] = "TRUEVISION-XFILE.";  // followed by '\0'

enum TgaType : uint8_t { kMapped = 1, kTrueColor = 2, kGrey = 3, kRleMapped = 9, kRleTrueColor = 10, kRleGrey = 11 };

struct Bgra {
    uint8_t b = 0, g = 0, r = 0, a = 255;
};

// 15/16-bit A1R5G5B5 (the A bit only when the file says it carries alpha).
inline Bgra From16(uint16_t v, bool useAttributeBit) {
    auto expand = [](unsigned c) { return static_cast<uint8_t>((c << 3) | (c >> 2)); };
    Bgra c;
    c.b = expand(v & 0x1F);
    c.g = expand((v >> 5) & 0x1F);
    c.r = expand((v >> 10) & 0x1F);
    c.a = useAttributeBit ? ((v & 0x8000) ? 255 : 0) : 255;
    return c;
}

inline Bgra ReadColor(const uint8_t* p, int bytesPerEntry, bool useAttributeBit) {
    Bgra c;
    switch (bytesPerEntry) {
        case 2: return From16(Le16(p), useAttributeBit);
        case 3: c.b = p[0], c.g = p[1], c.r = p[2]; return c;
        default: c.b = p[0], c.g = p[1], c.r = p[2], c.a = p[3]; return c;
    }
}

}  // namespace

bool DecodeTga(const uint8_t* data, std::size_t size, ImageData& out, std::string* why) try {
    out.Clear();
    if (!data || size < kHeaderSize) return Fail(out, why, "TGA header is truncated");
    const uint8_t idLength = data[0], mapType = data[1], type = data[2];
    const unsigned mapFirst = Le16(data + 3), mapLength = Le16(data + 5), mapEntryBits = data[7];
    const uint32_t width = Le16(data + 12), height = Le16(data + 14);
    const unsigned depth = data[16], descriptor = data[17];
    const unsigned alphaBits = descriptor & 0x0F;
    const bool rightToLeft = descriptor & 0x10, topDown = descriptor & 0x20;

    const bool rle = type == kRleMapped || type == kRleTrueColor || type == kRleGrey;
    const uint8_t kind = rle ? type - 8 : type;
    if (kind != kMapped && kind != kTrueColor && kind != kGrey) return Fail(out, why, "unsupported TGA image type");
    if (mapType > 1) return Fail(out, why, "TGA colour map type is invalid");
    if (kind == kMapped && mapType != 1) return Fail(out, why, "colour-mapped TGA without a colour map");
    if (kind == kMapped && depth != 8 && depth != 16) return Fail(out, why, "unsupported TGA index size");
    if (kind == kTrueColor && depth != 15 && depth != 16 && depth != 24 && depth != 32)
        return Fail(out, why, "unsupported TGA pixel depth");
    if (kind == kGrey && depth != 8 && depth != 16) return Fail(out, why, "unsupported TGA grey depth");
    if (!SizeAllowed(width, height)) return Fail(out, why, "TGA size is out of range");

    // Colour map (it may be present, and must be skipped, in any image type).
    std::size_t at = kHeaderSize + idLength;
    std::vector<Bgra> map;
    if (mapType == 1) {
        if (mapEntryBits != 15 && mapEntryBits != 16 && mapEntryBits != 24 && mapEntryBits != 32)
            return Fail(out, why, "unsupported TGA colour map entry size");
        const int entryBytes = (mapEntryBits + 7) / 8;
        if (!Fits(size, at, uint64_t{mapLength} * entryBytes)) return Fail(out, why, "TGA colour map is truncated");
        if (kind == kMapped) {
            map.resize(mapLength);
            const bool attr = mapEntryBits == 16 && alphaBits > 0;
            for (unsigned i = 0; i < mapLength; ++i) map[i] = ReadColor(data + at + i * entryBytes, entryBytes, attr);
        }
        at += std::size_t{mapLength} * entryBytes;
    }
    if (at > size) return Fail(out, why, "TGA file is truncated");

    const int pixelBytes = static_cast<int>((depth + 7) / 8);
    const uint64_t pixelCount = uint64_t{width} * height;
    const std::size_t available = size - at;
    if (!rle && pixelCount * pixelBytes > available) return Fail(out, why, "TGA pixel data is truncated");
    // Every run-length packet is a header byte and at least one pixel, and
    // stands for at most 128 pixels.
    if (rle && pixelCount > (available / (1 + pixelBytes) + 1) * 128)
        return Fail(out, why, "TGA size does not match its compressed data");

    // Output layout.
    const bool indexed = (kind == kMapped && depth == 8) || kind == kGrey;
    bool alpha = false;
    if (kind == kTrueColor) alpha = depth == 32 || (depth == 16 && alphaBits > 0);
    if (kind == kGrey) alpha = depth == 16;
    if (kind == kMapped) alpha = std::any_of(map.begin(), map.end(), [](const Bgra& c) { return c.a != 255; });
    if (!Prepare(out, width, height, indexed ? 8 : 24, alpha)) return Fail(out, why, "TGA size is out of range");
    if (kind == kGrey) {
        out.palette.assign(256 * 4, 0);
        for (int i = 0; i < 256; ++i) std::memset(&out.palette[i * 4], i, 3);
    } else if (indexed) {
        out.palette = BlackPalette();
        for (unsigned v = 0; v < 256; ++v) {
            if (v < mapFirst || v - mapFirst >= map.size()) continue;
            const Bgra& c = map[v - mapFirst];
            out.palette[v * 4 + 0] = c.b, out.palette[v * 4 + 1] = c.g, out.palette[v * 4 + 2] = c.r;
        }
    }

    auto lookup = [&](unsigned v) -> Bgra {
        return v >= mapFirst && v - mapFirst < map.size() ? map[v - mapFirst] : Bgra{0, 0, 0, 255};
    };
    const bool attr16 = kind == kTrueColor && depth == 16 && alphaBits > 0;
    // Stores pixel number i of the file order.
    auto store = [&](uint64_t i, const uint8_t* px) {
        uint32_t y = static_cast<uint32_t>(i / width), x = static_cast<uint32_t>(i % width);
        if (rightToLeft) x = width - 1 - x;
        if (topDown) y = height - 1 - y;
        const std::size_t o = std::size_t{y} * width + x;
        if (kind == kGrey) {
            out.pixels[o] = px[0];
            if (alpha) out.alpha[o] = px[1];
        } else if (indexed) {
            out.pixels[o] = px[0];
            if (alpha) out.alpha[o] = lookup(px[0]).a;
        } else {
            const Bgra c = kind == kMapped ? lookup(Le16(px)) : ReadColor(px, pixelBytes, attr16);
            out.pixels[3 * o + 0] = c.b, out.pixels[3 * o + 1] = c.g, out.pixels[3 * o + 2] = c.r;
            if (alpha) out.alpha[o] = c.a;
        }
    };

    const uint8_t* p = data + at;
    if (!rle) {
        for (uint64_t i = 0; i < pixelCount; ++i) store(i, p + i * pixelBytes);
    } else {
        const uint8_t* end = data + size;
        uint64_t i = 0;
        while (i < pixelCount) {
            if (end - p < 1 + pixelBytes) return Fail(out, why, "TGA run-length data is truncated");
            const uint8_t head = *p++;
            const unsigned n = (head & 0x7F) + 1u;
            const uint64_t take = std::min<uint64_t>(n, pixelCount - i);  // a packet past the end is cut
            if (head & 0x80) {
                for (uint64_t k = 0; k < take; ++k) store(i + k, p);
                p += pixelBytes;
            } else {
                if (static_cast<uint64_t>(end - p) < uint64_t{n} * pixelBytes)
                    return Fail(out, why, "TGA run-length data is truncated");
                for (uint64_t k = 0; k < take; ++k) store(i + k, p + k * pixelBytes);
                p += std::size_t{n} * pixelBytes;
            }
            i += take;
        }
    }
    // A declared alpha channel is kept even when it is all zero; an
    // undeclared fourth byte counts only when it varies.
    if (alphaBits > 0)
        DropOpaqueAlpha(out);
    else
        DropUselessAlpha(out);
    return true;
} catch (const std::bad_alloc&) {
    return Fail(out, why, "out of memory");
}

bool EncodeTga(const ImageData& image, const EncodeOptions&, std::vector<uint8_t>& out, std::string* why) try {
    out.clear();
    if (image.Empty()) return FailEncode(out, why, "the image is empty");
    if (image.width > 0xFFFF || image.height > 0xFFFF) return FailEncode(out, why, "the image is too large for TGA");
    if (image.bpp != 8 && image.bpp != 24) return FailEncode(out, why, "unsupported bits per pixel");
    const std::size_t count = std::size_t{image.width} * image.height;
    if (image.pixels.size() < count * (image.bpp == 24 ? 3 : 1))
        return FailEncode(out, why, "pixel data is incomplete");
    const bool alpha = image.alpha.size() >= count;
    const int bytes = alpha ? 4 : 3;

    out.reserve(kHeaderSize + count * bytes + 26);
    out.push_back(0);             // no image id
    out.push_back(0);             // no colour map
    out.push_back(kTrueColor);    // uncompressed true colour
    out.insert(out.end(), 5, 0);  // colour map fields (none)
    PutLe16(out, 0);              // x origin
    PutLe16(out, 0);              // y origin
    PutLe16(out, image.width);
    PutLe16(out, image.height);
    out.push_back(static_cast<uint8_t>(bytes * 8));
    out.push_back(alpha ? 8 : 0);  // alpha bits; origin at the lower left (rows bottom first, as stored)

    const std::size_t start = out.size();
    out.resize(start + count * bytes);
    uint8_t* dst = out.data() + start;
    for (std::size_t i = 0; i < count; ++i, dst += bytes) {
        if (image.bpp == 24) {
            std::memcpy(dst, &image.pixels[3 * i], 3);
        } else {
            const std::size_t at = std::size_t{image.pixels[i]} * 4;
            for (int c = 0; c < 3; ++c) dst[c] = at + c < image.palette.size() ? image.palette[at + c] : 0;
        }
        if (alpha) dst[3] = image.alpha[i];
    }
    // Version 2 footer: no extension area, no developer directory.
    PutLe32(out, 0);
    PutLe32(out, 0);
    out.insert(out.end(), kFooterSignature, kFooterSignature + sizeof kFooterSignature);
    return true;
} catch (const std::bad_alloc&) {
    return FailEncode(out, why, "out of memory");
}

}  // namespace imagecodec
