// BMP reading and writing. Reads Windows and OS/2 bitmaps of 1, 2, 4, 8, 16,
// 24 and 32 bits per pixel, uncompressed, RLE4, RLE8 and bit fields, stored
// bottom-up or top-down; writes 24-bit (or 8-bit with palette) bottom-up.
#include <algorithm>
#include <bit>
#include <cstring>
#include <new>

#include "image/CodecBytes.h"
#include "image/CodecRegistry.h"
#include "image/DibReader.h"

namespace imagecodec {
namespace {

using namespace bytes;

constexpr uint32_t kBiRgb = 0;
constexpr uint32_t kBiRle8 = 1;
constexpr uint32_t kBiRle4 = 2;
constexpr uint32_t kBiBitfields = 3;
constexpr uint32_t kBiAlphaBitfields = 6;

// Run-length data can describe large empty areas with a few bytes, but not
// arbitrarily large ones: a bitmap claiming more pixels than this many per
// byte of compressed data is refused before anything is allocated.
constexpr uint64_t kMaxRlePixelsPerByte = 16384;

struct Header {
    uint32_t headerSize = 0;
    int64_t width = 0;
    int64_t height = 0;  // negative: top-down
    int bitCount = 0;
    uint32_t compression = kBiRgb;
    uint32_t colorsUsed = 0;
    bool core = false;  // OS/2 1.x: 3-byte palette entries
    bool os2v2 = false;
    uint32_t masks[4] = {0, 0, 0, 0};  // R, G, B, A
    bool haveMasks = false;
    std::size_t afterHeader = 0;  // offset after header and any separate masks
};

bool ReadHeader(const uint8_t* data, std::size_t size, std::size_t at, Header& h, std::string& reason) {
    if (!Fits(size, at, 12)) return reason = "bitmap header is truncated", false;
    const uint8_t* p = data + at;
    h.headerSize = Le32(p);
    if (h.headerSize == 12) {
        h.core = true;
        h.width = Le16(p + 4);
        h.height = Le16(p + 6);
        h.bitCount = Le16(p + 10);
        h.afterHeader = at + 12;
        return true;
    }
    if (h.headerSize < 16 || h.headerSize > 1024) return reason = "unknown bitmap header size", false;
    if (!Fits(size, at, h.headerSize)) return reason = "bitmap header is truncated", false;
    // Fields past the end of a short OS/2 2.x header read as zero.
    uint8_t f[64] = {};
    std::memcpy(f, p, std::min<std::size_t>(h.headerSize, sizeof f));
    h.os2v2 = h.headerSize < 40 || h.headerSize == 64;
    h.width = Le32s(f + 4);
    h.height = Le32s(f + 8);
    h.bitCount = Le16(f + 14);
    h.compression = Le32(f + 16);
    h.colorsUsed = Le32(f + 32);
    h.afterHeader = at + h.headerSize;
    if (h.os2v2) {
        if (h.compression > kBiRle4) return reason = "unsupported OS/2 bitmap compression", false;
        return true;
    }
    if (h.compression == kBiBitfields || h.compression == kBiAlphaBitfields) {
        if (h.headerSize >= 52) {
            for (int i = 0; i < 3; ++i) h.masks[i] = Le32(f + 40 + 4 * i);
            if (h.headerSize >= 56) h.masks[3] = Le32(f + 52);
        } else {
            const std::size_t n = h.compression == kBiAlphaBitfields ? 4 : 3;
            if (!Fits(size, h.afterHeader, 4 * n)) return reason = "bit field masks are truncated", false;
            for (std::size_t i = 0; i < n; ++i) h.masks[i] = Le32(data + h.afterHeader + 4 * i);
            h.afterHeader += 4 * n;
        }
        h.haveMasks = true;
    } else if (h.headerSize >= 56 && h.compression == kBiRgb && h.bitCount == 32) {
        // Version 4 and 5 headers may name an alpha mask for plain 32-bit data.
        h.masks[3] = Le32(f + 52);
    }
    return true;
}

// One channel of a bit-field pixel, scaled to 0..255.
struct Channel {
    uint32_t mask = 0;
    int shift = 0;
    uint32_t max = 0;
    void Set(uint32_t m) {
        mask = m;
        if (!m) return;
        shift = std::countr_zero(m);
        max = m >> shift;
        // Only the lowest contiguous run counts; more than 16 bits are cut.
        max = (max & (max + 1)) == 0 ? max : ((1u << std::countr_one(max)) - 1);
        if (max > 0xFFFF) {
            shift += std::bit_width(max) - 16;
            max = 0xFFFF;
        }
    }
    uint8_t Get(uint32_t v) const {
        if (!mask) return 0;
        const uint32_t x = (v >> shift) & max;
        return static_cast<uint8_t>((x * 255u + max / 2) / max);
    }
};

void SetPixel8(ImageData& img, int64_t x, int64_t storedRow, uint8_t index) {
    img.pixels[static_cast<std::size_t>(storedRow) * img.width + static_cast<std::size_t>(x)] = index;
}

// Run-length decoding (RLE8 when nibbles is false, RLE4 otherwise) into an
// 8-bit image that is already allocated. False on malformed data.
bool DecodeRle(const uint8_t* p, const uint8_t* end, bool nibbles, bool topDown, ImageData& img) {
    const int64_t w = img.width, h = img.height;
    int64_t x = 0, y = 0;  // y counts rows in file order
    auto put = [&](uint8_t index) {
        if (x < w && y < h) SetPixel8(img, x, topDown ? h - 1 - y : y, index);
        ++x;
    };
    while (y < h) {
        if (end - p < 2) return false;  // ran out before the end-of-bitmap code
        const uint8_t count = p[0], value = p[1];
        p += 2;
        if (count > 0) {
            for (unsigned i = 0; i < count; ++i) put(nibbles ? ((i & 1) ? (value & 0x0F) : (value >> 4)) : value);
            continue;
        }
        if (value == 0) {  // end of line
            x = 0;
            ++y;
        } else if (value == 1) {  // end of bitmap
            return true;
        } else if (value == 2) {  // delta
            if (end - p < 2) return false;
            x += p[0];
            y += p[1];
            p += 2;
        } else {  // absolute run of value pixels
            const std::size_t bytesUsed = nibbles ? (value + 1u) / 2 : value;
            const std::size_t padded = (bytesUsed + 1) & ~std::size_t(1);
            if (static_cast<std::size_t>(end - p) < bytesUsed) return false;
            for (unsigned i = 0; i < value; ++i) {
                const uint8_t b = p[nibbles ? i / 2 : i];
                put(nibbles ? ((i & 1) ? (b & 0x0F) : (b >> 4)) : b);
            }
            p += std::min<std::size_t>(padded, static_cast<std::size_t>(end - p));
        }
    }
    return true;  // every row reached; a missing end code is tolerated then
}

}  // namespace

namespace dib {

bool PeekDib(const uint8_t* data, std::size_t size, uint32_t& width, uint32_t& height, int& bitCount) {
    Header h;
    std::string reason;
    if (!ReadHeader(data, size, 0, h, reason)) return false;
    const int64_t absHeight = h.height < 0 ? -h.height : h.height;
    if (h.width <= 0 || h.width > kMaxDimension || absHeight == 0 || absHeight > 2 * int64_t{kMaxDimension})
        return false;
    width = static_cast<uint32_t>(h.width);
    height = static_cast<uint32_t>(absHeight);
    bitCount = h.bitCount;
    return true;
}

bool DecodeDib(const uint8_t* data, std::size_t size, const DibRequest& request, ImageData& out, DibResult* result,
               std::string* why) {
    out.Clear();
    Header h;
    std::string reason;
    if (!ReadHeader(data, size, request.headerOffset, h, reason)) return Fail(out, why, reason.c_str());

    const bool topDown = h.height < 0;
    int64_t height = topDown ? -h.height : h.height;
    if (request.iconHeight) height /= 2;
    const int64_t width = h.width;
    if (width <= 0 || height <= 0 || !SizeAllowed(static_cast<uint64_t>(width), static_cast<uint64_t>(height)))
        return Fail(out, why, "bitmap size is out of range");

    const int bc = h.bitCount;
    const bool paletted = bc == 1 || bc == 2 || bc == 4 || bc == 8;
    if (!paletted && bc != 16 && bc != 24 && bc != 32) return Fail(out, why, "unsupported bits per pixel");
    switch (h.compression) {
        case kBiRgb: break;
        case kBiRle8:
            if (bc != 8) return Fail(out, why, "RLE8 needs 8 bits per pixel");
            break;
        case kBiRle4:
            if (bc != 4) return Fail(out, why, "RLE4 needs 4 bits per pixel");
            break;
        case kBiBitfields:
        case kBiAlphaBitfields:
            if (bc != 16 && bc != 32) return Fail(out, why, "bit fields need 16 or 32 bits per pixel");
            break;
        default: return Fail(out, why, "unsupported bitmap compression");
    }

    // Palette: the used count, or all entries for the bit depth.
    uint32_t paletteCount = 0;
    if (paletted) {
        paletteCount = h.colorsUsed ? h.colorsUsed : (1u << bc);
        if (paletteCount > 256) paletteCount = 256;
    }
    const std::size_t entryBytes = h.core ? 3 : 4;
    const std::size_t paletteAt = h.afterHeader;
    if (!Fits(size, paletteAt, uint64_t{paletteCount} * entryBytes))
        return Fail(out, why, "bitmap palette is truncated");
    std::vector<uint8_t> palette = BlackPalette();
    for (uint32_t i = 0; i < paletteCount; ++i) {
        const uint8_t* e = data + paletteAt + i * entryBytes;
        palette[i * 4 + 0] = e[0];
        palette[i * 4 + 1] = e[1];
        palette[i * 4 + 2] = e[2];
    }
    // Bit depths above 8 may carry an unused colour table (its size in the
    // header) before the pixels.
    uint64_t afterPalette = paletteAt + uint64_t{paletteCount} * entryBytes;
    if (!paletted && h.colorsUsed && h.colorsUsed <= 65536) afterPalette += uint64_t{h.colorsUsed} * entryBytes;

    uint64_t pixelAt = request.pixelOffset;
    if (pixelAt == 0 || pixelAt < h.afterHeader) pixelAt = afterPalette;
    if (pixelAt >= size) return Fail(out, why, "bitmap has no pixel data");
    const uint8_t* bits = data + pixelAt;
    const std::size_t available = size - static_cast<std::size_t>(pixelAt);

    if (result) {
        result->topDown = topDown;
        result->bitCount = bc;
        result->compressed = h.compression == kBiRle4 || h.compression == kBiRle8;
    }

    if (h.compression == kBiRle4 || h.compression == kBiRle8) {
        const uint64_t pixels = static_cast<uint64_t>(width) * height;
        if (pixels > (available + 64) * kMaxRlePixelsPerByte)
            return Fail(out, why, "bitmap size does not match its compressed data");
        if (!Prepare(out, static_cast<uint32_t>(width), static_cast<uint32_t>(height), 8, false))
            return Fail(out, why, "bitmap size is out of range");
        out.palette = std::move(palette);
        if (!DecodeRle(bits, bits + available, h.compression == kBiRle4, topDown, out))
            return Fail(out, why, "run-length data is damaged or truncated");
        if (result) result->pixelEnd = size;
        return true;
    }

    const uint64_t rowUsed = (static_cast<uint64_t>(width) * bc + 7) / 8;
    const uint64_t stride = ((static_cast<uint64_t>(width) * bc + 31) / 32) * 4;
    // The last row may lack its padding; everything else must be present.
    if (stride * (height - 1) + rowUsed > available) return Fail(out, why, "bitmap pixel data is truncated");
    if (result) result->pixelEnd = static_cast<std::size_t>(std::min<uint64_t>(pixelAt + stride * height, size));

    const uint32_t w = static_cast<uint32_t>(width), hh = static_cast<uint32_t>(height);
    auto rowData = [&](uint32_t storedRow) {  // stored rows are bottom first
        const uint32_t fileRow = topDown ? hh - 1 - storedRow : storedRow;
        return bits + static_cast<std::size_t>(stride) * fileRow;
    };

    if (paletted) {
        if (!Prepare(out, w, hh, 8, false)) return Fail(out, why, "bitmap size is out of range");
        out.palette = std::move(palette);
        const unsigned mask = (1u << bc) - 1;
        for (uint32_t r = 0; r < hh; ++r) {
            const uint8_t* src = rowData(r);
            uint8_t* dst = out.pixels.data() + static_cast<std::size_t>(r) * w;
            if (bc == 8) {
                std::memcpy(dst, src, w);
                continue;
            }
            for (uint32_t x = 0; x < w; ++x) {
                const uint32_t bit = x * bc;
                dst[x] = static_cast<uint8_t>((src[bit / 8] >> (8 - bc - bit % 8)) & mask);
            }
        }
        return true;
    }

    if (bc == 24) {
        if (!Prepare(out, w, hh, 24, false)) return Fail(out, why, "bitmap size is out of range");
        for (uint32_t r = 0; r < hh; ++r)
            std::memcpy(out.pixels.data() + static_cast<std::size_t>(r) * w * 3, rowData(r), std::size_t{w} * 3);
        return true;
    }

    // 16 and 32 bits: bit fields, defaulting to 5-5-5 and 8-8-8(-8).
    uint32_t masks[4];
    if (h.haveMasks) {
        std::copy(h.masks, h.masks + 4, masks);
    } else if (bc == 16) {
        masks[0] = 0x7C00, masks[1] = 0x03E0, masks[2] = 0x001F, masks[3] = 0;
    } else {
        masks[0] = 0xFF0000, masks[1] = 0xFF00, masks[2] = 0xFF, masks[3] = 0xFF000000;
    }
    if (bc == 16)
        for (uint32_t& m : masks) m &= 0xFFFF;
    Channel ch[4];
    for (int i = 0; i < 4; ++i) ch[i].Set(masks[i]);
    const bool alpha = masks[3] != 0;
    if (!Prepare(out, w, hh, 24, alpha)) return Fail(out, why, "bitmap size is out of range");
    for (uint32_t r = 0; r < hh; ++r) {
        const uint8_t* src = rowData(r);
        uint8_t* dst = out.pixels.data() + static_cast<std::size_t>(r) * w * 3;
        uint8_t* a = alpha ? out.alpha.data() + static_cast<std::size_t>(r) * w : nullptr;
        for (uint32_t x = 0; x < w; ++x) {
            const uint32_t v = bc == 16 ? Le16(src + 2 * x) : Le32(src + 4 * x);
            dst[3 * x + 0] = ch[2].Get(v);
            dst[3 * x + 1] = ch[1].Get(v);
            dst[3 * x + 2] = ch[0].Get(v);
            if (a) a[x] = ch[3].Get(v);
        }
    }
    DropUselessAlpha(out);
    return true;
}

}  // namespace dib

bool DecodeBmp(const uint8_t* data, std::size_t size, ImageData& out, std::string* why) try {
    out.Clear();
    if (!data || size < 14 + 12 || data[0] != 'B' || data[1] != 'M') return Fail(out, why, "not a BMP file");
    dib::DibRequest request;
    request.headerOffset = 14;
    request.pixelOffset = Le32(data + 10);
    return dib::DecodeDib(data, size, request, out, nullptr, why);
} catch (const std::bad_alloc&) {
    return Fail(out, why, "out of memory");
}

bool EncodeBmp(const ImageData& image, const EncodeOptions&, std::vector<uint8_t>& out, std::string* why) try {
    out.clear();
    if (image.Empty()) return FailEncode(out, why, "the image is empty");
    const bool indexed = image.bpp == 8;
    if (!indexed && image.bpp != 24) return FailEncode(out, why, "unsupported bits per pixel");
    const uint64_t pixelCount = uint64_t{image.width} * image.height;
    if (image.pixels.size() < pixelCount * (indexed ? 1 : 3)) return FailEncode(out, why, "pixel data is incomplete");

    const uint32_t paletteCount = indexed ? 256 : 0;
    const uint64_t stride = ((uint64_t{image.width} * (indexed ? 8 : 24) + 31) / 32) * 4;
    const uint64_t offBits = 14 + 40 + uint64_t{paletteCount} * 4;
    const uint64_t fileSize = offBits + stride * image.height;
    if (fileSize > 0xFFFFFFFFull) return FailEncode(out, why, "the image is too large for BMP");
    out.reserve(static_cast<std::size_t>(fileSize));

    out.push_back('B');
    out.push_back('M');
    PutLe32(out, static_cast<uint32_t>(fileSize));
    PutLe32(out, 0);
    PutLe32(out, static_cast<uint32_t>(offBits));
    PutLe32(out, 40);
    PutLe32(out, image.width);
    PutLe32(out, image.height);  // positive: bottom row first, as stored
    PutLe16(out, 1);
    PutLe16(out, indexed ? 8 : 24);
    PutLe32(out, kBiRgb);
    PutLe32(out, static_cast<uint32_t>(stride * image.height));
    PutLe32(out, 2835);  // 72 dpi
    PutLe32(out, 2835);
    PutLe32(out, paletteCount);
    PutLe32(out, 0);
    for (uint32_t i = 0; i < paletteCount; ++i) {
        for (int c = 0; c < 3; ++c) {
            const std::size_t at = std::size_t{i} * 4 + c;
            out.push_back(at < image.palette.size() ? image.palette[at] : 0);
        }
        out.push_back(0);
    }
    const std::size_t rowBytes = image.RowBytes();
    const std::size_t pad = static_cast<std::size_t>(stride) - rowBytes;
    for (uint32_t r = 0; r < image.height; ++r) {
        const uint8_t* row = image.pixels.data() + std::size_t{r} * rowBytes;
        out.insert(out.end(), row, row + rowBytes);
        out.insert(out.end(), pad, 0);
    }
    return true;
} catch (const std::bad_alloc&) {
    return FailEncode(out, why, "out of memory");
}

}  // namespace imagecodec
