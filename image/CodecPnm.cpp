// Portable anymap: P1..P6 read (ASCII and binary, any maxval up to 65535,
// comments in the header), P6 binary write (no alpha).
#include <cstdio>
#include <string>
#include <vector>

#include "image/CodecRegistry.h"
#include "image/CodecSupport.h"

namespace imagecodec {
namespace {

bool IsSpace(uint8_t c) { return c == ' ' || c == '\t' || c == '\n' || c == '\r' || c == '\v' || c == '\f'; }

class Reader {
public:
    Reader(const uint8_t* data, std::size_t size, std::size_t pos) : data_(data), size_(size), pos_(pos) {}

    // Skips white space and comments (from '#' to the end of the line).
    void SkipSpace() {
        while (pos_ < size_) {
            if (IsSpace(data_[pos_])) {
                ++pos_;
            } else if (data_[pos_] == '#') {
                while (pos_ < size_ && data_[pos_] != '\n' && data_[pos_] != '\r') ++pos_;
            } else {
                break;
            }
        }
    }
    // A decimal number up to limit; false when there is none or it is larger.
    bool Number(uint32_t limit, uint32_t& value) {
        SkipSpace();
        if (pos_ >= size_ || data_[pos_] < '0' || data_[pos_] > '9') return false;
        uint64_t v = 0;
        while (pos_ < size_ && data_[pos_] >= '0' && data_[pos_] <= '9') {
            v = v * 10 + (data_[pos_++] - '0');
            if (v > limit) return false;
        }
        value = static_cast<uint32_t>(v);
        return true;
    }
    // One plain-format bit: '0' or '1', separators optional.
    bool Bit(uint8_t& bit) {
        SkipSpace();
        if (pos_ >= size_ || (data_[pos_] != '0' && data_[pos_] != '1')) return false;
        bit = data_[pos_++] - '0';
        return true;
    }
    std::size_t Pos() const { return pos_; }
    std::size_t Left() const { return size_ - pos_; }
    void Advance(std::size_t n) { pos_ += n; }

private:
    const uint8_t* data_;
    std::size_t size_;
    std::size_t pos_;
};

inline uint8_t Scale(uint32_t v, uint32_t maxval) {
    if (v > maxval) v = maxval;
    return static_cast<uint8_t>((v * 255u + maxval / 2) / maxval);
}

}  // namespace

bool DecodePnm(const uint8_t* data, std::size_t size, ImageData& out, std::string* why) {
    out.Clear();
    if (!data || size < 3 || data[0] != 'P' || data[1] < '1' || data[1] > '6') return Fail(why, "not a PNM file");
    const int kind = data[1] - '0';
    const bool bilevel = kind == 1 || kind == 4;
    const bool colour = kind == 3 || kind == 6;
    const bool binary = kind >= 4;
    Reader r(data, size, 2);
    uint32_t w = 0, h = 0, maxval = 1;
    if (!r.Number(kMaxDimension, w) || !r.Number(kMaxDimension, h)) return Fail(why, "bad PNM header");
    if (!bilevel && (!r.Number(65535, maxval) || maxval == 0)) return Fail(why, "bad PNM maximum value");
    if (!SizeAllowed(w, h)) return Fail(why, "image size not allowed");
    // Binary data starts after exactly one white-space character.
    if (binary) {
        if (r.Left() == 0 || !IsSpace(data[r.Pos()])) return Fail(why, "bad PNM header");
        r.Advance(1);
    }
    const uint64_t samples = static_cast<uint64_t>(w) * h * (colour ? 3 : 1);
    const uint64_t sampleBytes = maxval > 255 ? 2 : 1;
    uint64_t needed;
    if (kind == 4)
        needed = static_cast<uint64_t>(h) * ((w + 7) / 8);
    else if (binary)
        needed = samples * sampleBytes;
    else if (kind == 1)
        needed = samples;  // digits may follow each other without separators
    else
        needed = samples * 2 - 1;  // each number and a separator
    if (r.Left() < needed) return Fail(why, "PNM data too short");

    if (!out.Allocate(w, h, colour ? 24 : 8, false)) return Fail(why, "not enough memory for the image");
    if (bilevel) {
        out.palette = {255, 255, 255, 0, 0, 0, 0, 0};  // 0 white, 1 black
    } else {
        SetGreyPalette(out);
    }
    const std::size_t channels = colour ? 3 : 1;
    const std::size_t rowBytes = out.RowBytes();
    const uint8_t* p = data + r.Pos();
    for (uint32_t y = 0; y < h; ++y) {
        uint8_t* dst = out.pixels.data() + static_cast<std::size_t>(h - 1 - y) * rowBytes;
        if (kind == 4) {
            for (uint32_t x = 0; x < w; ++x) dst[x] = (p[x >> 3] >> (7 - (x & 7))) & 1;
            p += (w + 7) / 8;
            continue;
        }
        for (std::size_t i = 0; i < static_cast<std::size_t>(w) * channels; ++i) {
            uint32_t v = 0;
            if (binary) {
                v = sampleBytes == 2 ? (static_cast<uint32_t>(p[0]) << 8 | p[1]) : p[0];
                p += sampleBytes;
            } else if (kind == 1) {
                uint8_t bit = 0;
                if (!r.Bit(bit)) {
                    out.Clear();
                    return Fail(why, "PNM data too short");
                }
                v = bit;
            } else if (!r.Number(0xFFFFFFFFu, v)) {
                out.Clear();
                return Fail(why, "bad PNM sample");
            }
            // The B, G, R order of the stored pixels reverses R, G, B.
            const std::size_t at = colour ? (i / 3) * 3 + (2 - i % 3) : i;
            dst[at] = bilevel ? static_cast<uint8_t>(v) : Scale(v, maxval);
        }
    }
    return true;
}

bool EncodePnm(const ImageData& image, const EncodeOptions&, std::vector<uint8_t>& out, std::string* why) {
    out.clear();
    if (image.Empty()) return Fail(why, "the image is empty");
    char header[64];
    const int n = std::snprintf(header, sizeof header, "P6\n%u %u\n255\n", image.width, image.height);
    const std::size_t rowBytes = static_cast<std::size_t>(image.width) * 3;
    out.reserve(static_cast<std::size_t>(n) + rowBytes * image.height);
    out.assign(header, header + n);
    std::vector<uint8_t> bgr(rowBytes);
    for (uint32_t y = 0; y < image.height; ++y) {
        RowToBgr(image, image.height - 1 - y, bgr.data());
        for (std::size_t x = 0; x < rowBytes; x += 3) {
            out.push_back(bgr[x + 2]);
            out.push_back(bgr[x + 1]);
            out.push_back(bgr[x + 0]);
        }
    }
    return true;
}

}  // namespace imagecodec
