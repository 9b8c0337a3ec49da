// Sun raster files: read 1-, 8-, 24- and 32-bit images, uncompressed or
// run-length encoded, with or without a colour map; write 24-bit (true
// colour) or 8-bit with a colour map. No alpha.
#include <cstring>
#include <vector>

#include "image/CodecRegistry.h"
#include "image/CodecSupport.h"

namespace imagecodec {
namespace {

constexpr uint32_t kMagic = 0x59A66A95;
constexpr uint32_t kTypeOld = 0, kTypeStandard = 1, kTypeRle = 2, kTypeRgb = 3;
constexpr uint32_t kMapNone = 0, kMapRgb = 1, kMapRaw = 2;
constexpr uint8_t kRleEscape = 0x80;
// A run of 3 bytes yields at most 256 bytes.
constexpr uint64_t kMaxRleRatio = 86;

uint32_t Be32(const uint8_t* p) {
    return static_cast<uint32_t>(p[0]) << 24 | static_cast<uint32_t>(p[1]) << 16 | static_cast<uint32_t>(p[2]) << 8 |
           p[3];
}

void PutBe32(std::vector<uint8_t>& out, uint32_t v) {
    out.push_back(static_cast<uint8_t>(v >> 24));
    out.push_back(static_cast<uint8_t>(v >> 16));
    out.push_back(static_cast<uint8_t>(v >> 8));
    out.push_back(static_cast<uint8_t>(v));
}

// Expands the run-length data into exactly total bytes; false when the
// data ends first.
bool UnpackRle(const uint8_t* in, std::size_t size, uint8_t* out, std::size_t total) {
    std::size_t i = 0, o = 0;
    while (o < total) {
        if (i >= size) return false;
        const uint8_t b = in[i++];
        if (b != kRleEscape) {
            out[o++] = b;
            continue;
        }
        if (i >= size) return false;
        const uint8_t n = in[i++];
        if (n == 0) {
            out[o++] = kRleEscape;
            continue;
        }
        if (i >= size) return false;
        const uint8_t v = in[i++];
        const std::size_t run = std::min<std::size_t>(static_cast<std::size_t>(n) + 1, total - o);
        std::memset(out + o, v, run);
        o += run;
    }
    return true;
}

}  // namespace

bool DecodeRas(const uint8_t* data, std::size_t size, ImageData& out, std::string* why) {
    out.Clear();
    if (!data || size < 32 || Be32(data) != kMagic) return Fail(why, "not a Sun raster file");
    const uint32_t w = Be32(data + 4), h = Be32(data + 8), depth = Be32(data + 12);
    const uint32_t type = Be32(data + 20), mapType = Be32(data + 24), mapLength = Be32(data + 28);
    if (!SizeAllowed(w, h)) return Fail(why, "image size not allowed");
    if (depth != 1 && depth != 8 && depth != 24 && depth != 32) return Fail(why, "unsupported Sun raster depth");
    if (type != kTypeOld && type != kTypeStandard && type != kTypeRle && type != kTypeRgb)
        return Fail(why, "unsupported Sun raster type");
    if (mapType != kMapNone && mapType != kMapRgb && mapType != kMapRaw) return Fail(why, "bad Sun raster colour map");
    if (mapType == kMapNone && mapLength != 0) return Fail(why, "bad Sun raster colour map");
    if (mapLength > size - 32) return Fail(why, "Sun raster colour map too long");
    const uint8_t* map = data + 32;
    const uint8_t* pixels = map + mapLength;
    const std::size_t available = size - 32 - mapLength;

    // Rows are padded to a multiple of 16 bits.
    const uint64_t rowBytes = ((static_cast<uint64_t>(w) * depth + 15) / 16) * 2;
    const uint64_t total = rowBytes * h;
    const bool rle = type == kTypeRle;
    if (rle ? static_cast<uint64_t>(available) * kMaxRleRatio < total : available < total)
        return Fail(why, "Sun raster data too short");

    const bool paletted = depth <= 8;
    if (!out.Allocate(w, h, paletted ? 8 : 24, false)) return Fail(why, "not enough memory for the image");
    if (paletted) {
        const uint32_t entries = mapType == kMapRgb ? mapLength / 3 : 0;
        if (entries > 256) {
            out.Clear();
            return Fail(why, "Sun raster colour map too long");
        }
        if (entries > 0) {
            // Every index reads a defined colour: the map is padded with black.
            out.palette.assign(256 * 4, 0);
            for (uint32_t i = 0; i < entries; ++i) {
                out.palette[4 * i + 2] = map[i];
                out.palette[4 * i + 1] = map[entries + i];
                out.palette[4 * i + 0] = map[2 * entries + i];
            }
        } else if (depth == 1) {
            out.palette = {255, 255, 255, 0, 0, 0, 0, 0};  // bit set: black
        } else {
            SetGreyPalette(out);
        }
    }

    std::vector<uint8_t> unpacked;
    const uint8_t* src = pixels;
    if (rle) {
        unpacked.resize(total);
        if (!UnpackRle(pixels, available, unpacked.data(), total)) {
            out.Clear();
            return Fail(why, "Sun raster data too short");
        }
        src = unpacked.data();
    }
    const bool rgbOrder = type == kTypeRgb;
    for (uint32_t y = 0; y < h; ++y) {
        const uint8_t* row = src + y * rowBytes;
        uint8_t* dst = out.pixels.data() + static_cast<std::size_t>(h - 1 - y) * out.RowBytes();
        switch (depth) {
            case 1:
                for (uint32_t x = 0; x < w; ++x) dst[x] = (row[x >> 3] >> (7 - (x & 7))) & 1;
                break;
            case 8: std::memcpy(dst, row, w); break;
            default: {
                const uint32_t step = depth / 8;
                const uint32_t skip = depth == 32 ? 1 : 0;  // 32-bit pixels lead with a pad byte
                for (uint32_t x = 0; x < w; ++x) {
                    const uint8_t* p = row + x * step + skip;
                    dst[3 * x + 0] = rgbOrder ? p[2] : p[0];
                    dst[3 * x + 1] = p[1];
                    dst[3 * x + 2] = rgbOrder ? p[0] : p[2];
                }
            }
        }
    }
    return true;
}

bool EncodeRas(const ImageData& image, const EncodeOptions&, std::vector<uint8_t>& out, std::string* why) {
    out.clear();
    if (image.Empty()) return Fail(why, "the image is empty");
    const bool paletted = image.bpp == 8;
    const uint32_t depth = paletted ? 8 : 24;
    const std::size_t rowBytes = ((static_cast<std::size_t>(image.width) * depth + 15) / 16) * 2;
    const std::size_t dataBytes = rowBytes * image.height;
    if (dataBytes > 0xFFFFFFFFu) return Fail(why, "image too large for a Sun raster file");
    const uint32_t mapLength = paletted ? 3 * 256 : 0;
    out.reserve(32 + mapLength + dataBytes);
    PutBe32(out, kMagic);
    PutBe32(out, image.width);
    PutBe32(out, image.height);
    PutBe32(out, depth);
    PutBe32(out, static_cast<uint32_t>(dataBytes));
    PutBe32(out, kTypeStandard);
    PutBe32(out, paletted ? kMapRgb : kMapNone);
    PutBe32(out, mapLength);
    if (paletted) {
        const std::size_t entries = std::min<std::size_t>(image.palette.size() / 4, 256);
        for (int channel = 2; channel >= 0; --channel)  // all reds, all greens, all blues
            for (std::size_t i = 0; i < 256; ++i) out.push_back(i < entries ? image.palette[4 * i + channel] : 0);
    }
    const std::size_t start = out.size();
    out.resize(start + dataBytes, 0);
    for (uint32_t y = 0; y < image.height; ++y) {
        uint8_t* dst = out.data() + start + y * rowBytes;
        const uint32_t stored = image.height - 1 - y;
        if (paletted)
            std::memcpy(dst, image.pixels.data() + static_cast<std::size_t>(stored) * image.width, image.width);
        else
            std::memcpy(dst, image.pixels.data() + static_cast<std::size_t>(stored) * image.width * 3,
                        static_cast<std::size_t>(image.width) * 3);
    }
    return true;
}

}  // namespace imagecodec
