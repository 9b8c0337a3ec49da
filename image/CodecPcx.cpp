// PCX reading: monochrome, planar 2 to 16 colours (EGA), packed 4 and 16
// colours, 256 colours with the palette at the end of the file, and 24-bit
// (or 32-bit) colour in three (four) planes; run-length encoded or raw.
#include <algorithm>
#include <cstring>
#include <new>

#include "image/CodecBytes.h"
#include "image/CodecRegistry.h"

namespace imagecodec {
namespace {

using namespace bytes;

constexpr std::size_t kHeaderSize = 128;
constexpr std::size_t kVgaPaletteSize = 769;  // marker 0x0C + 256 × R, G, B

// The 16 colours of the standard EGA palette (R, G, B), for files whose
// header carries none.
constexpr uint8_t kEgaPalette[16][3] = {{0, 0, 0},     {0, 0, 170},    {0, 170, 0},    {0, 170, 170},
                                        {170, 0, 0},   {170, 0, 170},  {170, 85, 0},   {170, 170, 170},
                                        {85, 85, 85},  {85, 85, 255},  {85, 255, 85},  {85, 255, 255},
                                        {255, 85, 85}, {255, 85, 255}, {255, 255, 85}, {255, 255, 255}};

// Reads the run-length stream; runs may continue from one scan line into
// the next.
class RleReader {
public:
    RleReader(const uint8_t* p, const uint8_t* end, bool compressed) : p_(p), end_(end), compressed_(compressed) {}

    // Fills n bytes; false when the data ends first.
    bool Read(uint8_t* dst, std::size_t n) {
        if (!compressed_) {
            if (static_cast<std::size_t>(end_ - p_) < n) return false;
            std::memcpy(dst, p_, n);
            p_ += n;
            return true;
        }
        while (n > 0) {
            if (runLeft_ == 0) {
                if (p_ >= end_) return false;
                const uint8_t b = *p_++;
                if ((b & 0xC0) == 0xC0) {
                    if (p_ >= end_) return false;
                    runLeft_ = b & 0x3F;
                    runValue_ = *p_++;
                    continue;  // a zero-length run is skipped
                }
                *dst++ = b;
                --n;
                continue;
            }
            const std::size_t k = std::min<std::size_t>(runLeft_, n);
            std::memset(dst, runValue_, k);
            dst += k;
            n -= k;
            runLeft_ -= static_cast<unsigned>(k);
        }
        return true;
    }

private:
    const uint8_t* p_;
    const uint8_t* end_;
    bool compressed_;
    unsigned runLeft_ = 0;
    uint8_t runValue_ = 0;
};

void SetEntry(std::vector<uint8_t>& palette, int i, uint8_t r, uint8_t g, uint8_t b) {
    palette[i * 4 + 0] = b;
    palette[i * 4 + 1] = g;
    palette[i * 4 + 2] = r;
}

}  // namespace

bool DecodePcx(const uint8_t* data, std::size_t size, ImageData& out, std::string* why) try {
    out.Clear();
    if (!data || size < kHeaderSize || data[0] != 0x0A) return Fail(out, why, "not a PCX file");
    const uint8_t version = data[1], encoding = data[2], bits = data[3], planes = data[65];
    const int xmin = Le16(data + 4), ymin = Le16(data + 6), xmax = Le16(data + 8), ymax = Le16(data + 10);
    const uint32_t bytesPerLine = Le16(data + 66);
    if (encoding > 1) return Fail(out, why, "unknown PCX encoding");
    if (xmax < xmin || ymax < ymin) return Fail(out, why, "PCX window is empty");
    const uint32_t width = static_cast<uint32_t>(xmax - xmin + 1), height = static_cast<uint32_t>(ymax - ymin + 1);
    if (!SizeAllowed(width, height)) return Fail(out, why, "PCX size is out of range");

    enum class Layout { Packed, Planar, Rgb } layout;
    if (bits == 8 && (planes == 3 || planes == 4))
        layout = Layout::Rgb;
    else if (planes == 1 && (bits == 1 || bits == 2 || bits == 4 || bits == 8))
        layout = Layout::Packed;
    else if (bits == 1 && planes >= 2 && planes <= 4)
        layout = Layout::Planar;
    else
        return Fail(out, why, "unsupported PCX bit depth and plane count");
    if (bytesPerLine == 0 || bytesPerLine < (uint64_t{width} * bits + 7) / 8)
        return Fail(out, why, "PCX scan line length is too short");

    // A 256-colour file ends with its palette.
    std::size_t dataEnd = size;
    const bool vga = layout == Layout::Packed && bits == 8;
    bool vgaPalette = false;
    if (vga && size >= kHeaderSize + kVgaPaletteSize && data[size - kVgaPaletteSize] == 0x0C) {
        vgaPalette = true;
        dataEnd = size - kVgaPaletteSize;
    }

    const uint64_t lineTotal = uint64_t{bytesPerLine} * planes;
    const uint64_t available = dataEnd - kHeaderSize;
    const uint64_t maxBytes = encoding ? available * 32 + 64 : available;  // a 2-byte run stands for 63 bytes
    if (lineTotal * height > maxBytes) return Fail(out, why, "PCX size does not match its data");

    const bool rgb = layout == Layout::Rgb;
    const bool alpha = rgb && planes == 4;
    if (!Prepare(out, width, height, rgb ? 24 : 8, alpha)) return Fail(out, why, "PCX size is out of range");
    if (!rgb) {
        out.palette = BlackPalette();
        if (vga) {
            for (int i = 0; i < 256; ++i) {
                if (vgaPalette) {
                    const uint8_t* e = data + size - 768 + 3 * i;
                    SetEntry(out.palette, i, e[0], e[1], e[2]);
                } else {
                    SetEntry(out.palette, i, i, i, i);
                }
            }
        } else if (bits == 1 && planes == 1) {
            SetEntry(out.palette, 1, 255, 255, 255);
        } else {
            const uint8_t* hp = data + 16;
            const bool headerEmpty = std::all_of(hp, hp + 48, [](uint8_t b) { return b == 0; });
            for (int i = 0; i < 16; ++i) {
                if (headerEmpty || version == 3)
                    SetEntry(out.palette, i, kEgaPalette[i][0], kEgaPalette[i][1], kEgaPalette[i][2]);
                else
                    SetEntry(out.palette, i, hp[3 * i], hp[3 * i + 1], hp[3 * i + 2]);
            }
        }
    }

    RleReader reader(data + kHeaderSize, data + dataEnd, encoding == 1);
    std::vector<uint8_t> line(static_cast<std::size_t>(lineTotal));
    for (uint32_t row = 0; row < height; ++row) {
        if (!reader.Read(line.data(), line.size())) return Fail(out, why, "PCX pixel data is truncated");
        const std::size_t stored = std::size_t{height - 1 - row} * width;  // file rows run top down
        switch (layout) {
            case Layout::Rgb: {
                uint8_t* dst = out.pixels.data() + stored * 3;
                const uint8_t* r = line.data();
                const uint8_t* g = r + bytesPerLine;
                const uint8_t* b = g + bytesPerLine;
                for (uint32_t x = 0; x < width; ++x) {
                    dst[3 * x + 0] = b[x];
                    dst[3 * x + 1] = g[x];
                    dst[3 * x + 2] = r[x];
                }
                if (alpha) std::memcpy(out.alpha.data() + stored, b + bytesPerLine, width);
                break;
            }
            case Layout::Packed: {
                uint8_t* dst = out.pixels.data() + stored;
                if (bits == 8) {
                    std::memcpy(dst, line.data(), width);
                    break;
                }
                const unsigned mask = (1u << bits) - 1;
                for (uint32_t x = 0; x < width; ++x) {
                    const uint32_t bit = x * bits;
                    dst[x] = static_cast<uint8_t>((line[bit / 8] >> (8 - bits - bit % 8)) & mask);
                }
                break;
            }
            case Layout::Planar: {
                uint8_t* dst = out.pixels.data() + stored;
                for (uint32_t x = 0; x < width; ++x) {
                    unsigned v = 0;
                    for (unsigned p = 0; p < planes; ++p)
                        v |= ((line[p * bytesPerLine + x / 8] >> (7 - x % 8)) & 1u) << p;
                    dst[x] = static_cast<uint8_t>(v);
                }
                break;
            }
        }
    }
    if (alpha) DropUselessAlpha(out);
    return true;
} catch (const std::bad_alloc&) {
    return Fail(out, why, "out of memory");
}

}  // namespace imagecodec
