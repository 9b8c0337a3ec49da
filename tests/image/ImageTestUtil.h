#pragma once
// Test pictures and small helpers for the image codec tests.
#include <cstdint>
#include <cstdlib>
#include <string>
#include <vector>

#include "image/CodecRegistry.h"
#include "image/ImageCodec.h"

namespace imagetest {

// A w × h B, G, R, A frame, first row = bottom row: colour gradients, a
// filled disc, sharp-edged bars and (withAlpha) an alpha plane with fully
// transparent background, opaque shapes and a soft edge.
inline std::vector<uint8_t> MakeFrame(uint32_t w, uint32_t h, bool withAlpha) {
    std::vector<uint8_t> px(static_cast<std::size_t>(w) * h * 4);
    for (uint32_t y = 0; y < h; ++y) {
        for (uint32_t x = 0; x < w; ++x) {
            uint8_t* p = &px[(static_cast<std::size_t>(y) * w + x) * 4];
            const int cx = static_cast<int>(x) - static_cast<int>(w / 2);
            const int cy = static_cast<int>(y) - static_cast<int>(h / 2);
            const int r2 = static_cast<int>((w < h ? w : h) / 3);
            const bool disc = cx * cx + cy * cy < r2 * r2;
            const bool bar = (x / 4) % 5 == 0;
            p[0] = static_cast<uint8_t>(disc ? 40 : (x * 255) / (w > 1 ? w - 1 : 1));
            p[1] = static_cast<uint8_t>(bar ? 250 : (y * 255) / (h > 1 ? h - 1 : 1));
            p[2] = static_cast<uint8_t>(disc ? 220 : ((x + y) * 255) / (w + h));
            uint8_t a = 255;
            if (withAlpha) {
                if (disc)
                    a = 255;
                else if (bar)
                    a = static_cast<uint8_t>((y * 255) / (h > 1 ? h - 1 : 1));
                else
                    a = 0;
            }
            p[3] = a;
        }
    }
    return px;
}

inline ImageCodec MakeImage(uint32_t w, uint32_t h, bool withAlpha) {
    const std::vector<uint8_t> px = MakeFrame(w, h, withAlpha);
    ImageCodec img;
    img.CreateFromArray(px.data(), w, h, 32, static_cast<int>(w * 4), false);
    if (!withAlpha) img.MutableData().alpha.clear();  // a frame without an alpha plane
    return img;
}

// Encodes with the registry's encoder and decodes the bytes again.
inline bool RoundTrip(const ImageCodec& in, int format, ImageCodec& out, std::vector<uint8_t>* file = nullptr) {
    std::vector<uint8_t> bytes;
    std::string why;
    const auto* codec = imagecodec::FindCodec(static_cast<ImageFormat>(format));
    if (!codec || !codec->encode || !codec->encode(in.Data(), in.Options(), bytes, &why)) return false;
    if (file) *file = bytes;
    return out.LoadFromMemory(bytes.data(), bytes.size(), format);
}

inline int MaxDifference(const std::vector<uint8_t>& a, const std::vector<uint8_t>& b) {
    if (a.size() != b.size()) return 256;
    int worst = 0;
    for (std::size_t i = 0; i < a.size(); ++i) {
        const int d = std::abs(static_cast<int>(a[i]) - static_cast<int>(b[i]));
        if (d > worst) worst = d;
    }
    return worst;
}

inline double MeanDifference(const std::vector<uint8_t>& a, const std::vector<uint8_t>& b) {
    if (a.size() != b.size() || a.empty()) return 256;
    double sum = 0;
    for (std::size_t i = 0; i < a.size(); ++i) sum += std::abs(static_cast<int>(a[i]) - static_cast<int>(b[i]));
    return sum / static_cast<double>(a.size());
}

// Mean colour difference over the pixels that b shows fully opaque.
inline double MeanDifferenceWhereOpaque(const ImageCodec& a, const ImageCodec& b) {
    const auto x = a.ToRgbaTopDown(), y = b.ToRgbaTopDown();
    if (x.size() != y.size() || x.empty()) return 256;
    double sum = 0;
    std::size_t n = 0;
    for (std::size_t i = 0; i < x.size(); i += 4) {
        if (y[i + 3] != 255) continue;
        for (int c = 0; c < 3; ++c) sum += std::abs(static_cast<int>(x[i + c]) - static_cast<int>(y[i + c]));
        n += 3;
    }
    return n ? sum / static_cast<double>(n) : 0.0;
}

}  // namespace imagetest
