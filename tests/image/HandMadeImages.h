#pragma once
// Helpers for the codec tests: building pictures and byte streams by hand,
// reading pixels back top-down, and asking ImageMagick (when present).
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

#include "image/ImageData.h"

namespace handmade {

using Bytes = std::vector<uint8_t>;

struct Rgba {
    uint8_t r = 0, g = 0, b = 0, a = 255;
    bool operator==(const Rgba&) const = default;
};

inline void Put8(Bytes& out, unsigned v) { out.push_back(static_cast<uint8_t>(v)); }
inline void Put16(Bytes& out, unsigned v) {
    Put8(out, v & 0xFF);
    Put8(out, (v >> 8) & 0xFF);
}
inline void Put32(Bytes& out, uint32_t v) {
    Put16(out, v & 0xFFFF);
    Put16(out, v >> 16);
}
inline void PutBytes(Bytes& out, std::initializer_list<unsigned> bytes) {
    for (unsigned b : bytes) Put8(out, b);
}

// Pixel at column x of row y counted from the top; palette images looked up.
inline Rgba At(const imagecodec::ImageData& img, uint32_t x, uint32_t yTop) {
    const std::size_t i = std::size_t{img.height - 1 - yTop} * img.width + x;
    Rgba c;
    if (img.bpp == 24) {
        c.b = img.pixels[3 * i], c.g = img.pixels[3 * i + 1], c.r = img.pixels[3 * i + 2];
    } else {
        const std::size_t e = std::size_t{img.pixels[i]} * 4;
        if (e + 2 < img.palette.size()) c.b = img.palette[e], c.g = img.palette[e + 1], c.r = img.palette[e + 2];
    }
    if (!img.alpha.empty()) c.a = img.alpha[i];
    return c;
}

// A deterministic colourful picture: every pixel differs from its neighbours.
inline Rgba Pattern(uint32_t x, uint32_t y) {
    return Rgba{static_cast<uint8_t>(x * 37 + y * 11), static_cast<uint8_t>(x * 5 + y * 53 + 7),
                static_cast<uint8_t>((x ^ y) * 29 + 3), 255};
}

// Runs of equal pixels (four wide, shifting from row to row).
inline Rgba Blocky(int x, int y) { return Pattern(x / 4, (y * 9 + x / 4) / 7); }

// 24-bit image (with an alpha plane when alphaFn is given).
template <class ColorFn>
imagecodec::ImageData MakeImage24(uint32_t w, uint32_t h, ColorFn color, bool withAlpha = false) {
    imagecodec::ImageData img;
    img.width = w, img.height = h, img.bpp = 24;
    img.pixels.resize(std::size_t{w} * h * 3);
    if (withAlpha) img.alpha.resize(std::size_t{w} * h);
    for (uint32_t y = 0; y < h; ++y)
        for (uint32_t x = 0; x < w; ++x) {
            const Rgba c = color(x, y);  // y from the top
            const std::size_t i = std::size_t{h - 1 - y} * w + x;
            img.pixels[3 * i] = c.b, img.pixels[3 * i + 1] = c.g, img.pixels[3 * i + 2] = c.r;
            if (withAlpha) img.alpha[i] = c.a;
        }
    return img;
}

// 8-bit image with a 256-entry palette (entry i: colour paletteFn(i)).
template <class IndexFn, class PaletteFn>
imagecodec::ImageData MakeImage8(uint32_t w, uint32_t h, IndexFn index, PaletteFn paletteColor) {
    imagecodec::ImageData img;
    img.width = w, img.height = h, img.bpp = 8;
    img.pixels.resize(std::size_t{w} * h);
    img.palette.resize(256 * 4);
    for (int i = 0; i < 256; ++i) {
        const Rgba c = paletteColor(i);
        img.palette[i * 4] = c.b, img.palette[i * 4 + 1] = c.g, img.palette[i * 4 + 2] = c.r;
    }
    for (uint32_t y = 0; y < h; ++y)
        for (uint32_t x = 0; x < w; ++x) img.pixels[std::size_t{h - 1 - y} * w + x] = index(x, y);
    return img;
}

inline Rgba PaletteRamp(int i) {
    return Rgba{static_cast<uint8_t>(i), static_cast<uint8_t>(255 - i), static_cast<uint8_t>(i * 7), 255};
}

// True when both pictures show the same colours (and alpha) everywhere.
inline bool SamePicture(const imagecodec::ImageData& a, const imagecodec::ImageData& b, std::string* where = nullptr) {
    if (a.width != b.width || a.height != b.height) {
        if (where) *where = "size differs";
        return false;
    }
    for (uint32_t y = 0; y < a.height; ++y)
        for (uint32_t x = 0; x < a.width; ++x)
            if (!(At(a, x, y) == At(b, x, y))) {
                if (where) *where = "pixel " + std::to_string(x) + "," + std::to_string(y);
                return false;
            }
    return true;
}

// ----- independent tools -------------------------------------------------

// Path of an ImageMagick program, or empty when it is not installed.
inline std::string FindTool(const std::string& name) {
    for (const char* dir : {"/usr/bin/", "/bin/", "/usr/local/bin/"}) {
        std::error_code ec;
        const std::string p = std::string(dir) + name;
        if (std::filesystem::exists(p, ec)) return p;
    }
    return {};
}

// Runs a shell command and returns its standard output; ok is false when the
// command failed.
inline std::string RunCommand(const std::string& command, bool* ok = nullptr) {
    std::string output;
    FILE* pipe = ::popen((command + " 2>/dev/null").c_str(), "r");
    if (!pipe) {
        if (ok) *ok = false;
        return output;
    }
    char buffer[65536];
    std::size_t n;
    while ((n = std::fread(buffer, 1, sizeof buffer, pipe)) > 0) output.append(buffer, n);
    const int status = ::pclose(pipe);
    if (ok) *ok = status == 0;
    return output;
}

inline void WriteFile(const std::string& path, const Bytes& bytes) {
    FILE* f = std::fopen(path.c_str(), "wb");
    if (!f) return;
    std::fwrite(bytes.data(), 1, bytes.size(), f);
    std::fclose(f);
}

inline Bytes ReadFile(const std::string& path) {
    Bytes bytes;
    FILE* f = std::fopen(path.c_str(), "rb");
    if (!f) return bytes;
    uint8_t buffer[65536];
    std::size_t n;
    while ((n = std::fread(buffer, 1, sizeof buffer, f)) > 0) bytes.insert(bytes.end(), buffer, buffer + n);
    std::fclose(f);
    return bytes;
}

// The picture as ImageMagick decodes it: R, G, B, A bytes, top row first.
// Empty when convert is missing or fails.
// options go before the output (e.g. "-auto-orient" for formats whose row
// order ImageMagick keeps as metadata).
inline std::string MagickRgba(const std::string& path, const std::string& options = "") {
    const std::string convert = FindTool("convert");
    if (convert.empty()) return {};
    bool ok = false;
    std::string out = RunCommand(convert + " '" + path + "[0]' " + options + " -depth 8 rgba:-", &ok);
    return ok ? out : std::string();
}

// Our decoded picture in the same layout.
inline std::string ToRgba(const imagecodec::ImageData& img) {
    std::string s;
    s.reserve(std::size_t{img.width} * img.height * 4);
    for (uint32_t y = 0; y < img.height; ++y)
        for (uint32_t x = 0; x < img.width; ++x) {
            const Rgba c = At(img, x, y);
            s.push_back(static_cast<char>(c.r));
            s.push_back(static_cast<char>(c.g));
            s.push_back(static_cast<char>(c.b));
            s.push_back(static_cast<char>(c.a));
        }
    return s;
}

}  // namespace handmade
