#include "image/CodecSupport.h"

#include <algorithm>
#include <cstring>

#include "image/CodecBytes.h"

namespace imagecodec {

void SetGreyPalette(ImageData& image) {
    image.palette.assign(256 * 4, 0);
    for (int i = 0; i < 256; ++i) {
        image.palette[4 * i + 0] = image.palette[4 * i + 1] = image.palette[4 * i + 2] = static_cast<uint8_t>(i);
    }
}

void RowToBgr(const ImageData& image, uint32_t y, uint8_t* bgr) {
    const std::size_t w = image.width;
    const uint8_t* src = image.pixels.data() + static_cast<std::size_t>(y) * image.RowBytes();
    if (image.bpp == 24) {
        std::memcpy(bgr, src, w * 3);
        return;
    }
    const std::size_t entries = image.palette.size() / 4;
    for (std::size_t x = 0; x < w; ++x) {
        const std::size_t i = src[x];
        if (i < entries) {
            bgr[3 * x + 0] = image.palette[4 * i + 0];
            bgr[3 * x + 1] = image.palette[4 * i + 1];
            bgr[3 * x + 2] = image.palette[4 * i + 2];
        } else {
            bgr[3 * x + 0] = bgr[3 * x + 1] = bgr[3 * x + 2] = 0;
        }
    }
}

bool HasTransparency(const ImageData& image) {
    return std::any_of(image.alpha.begin(), image.alpha.end(), [](uint8_t a) { return a != 255; });
}

bool IsBilevel(const ImageData& image) {
    if (image.Empty() || HasTransparency(image)) return false;
    auto pure = [](const uint8_t* bgr) {
        return (bgr[0] == 0 && bgr[1] == 0 && bgr[2] == 0) || (bgr[0] == 255 && bgr[1] == 255 && bgr[2] == 255);
    };
    if (image.bpp == 24) {
        for (std::size_t i = 0; i + 2 < image.pixels.size(); i += 3)
            if (!pure(&image.pixels[i])) return false;
        return true;
    }
    bool used[256] = {};
    for (uint8_t p : image.pixels) used[p] = true;
    const std::size_t entries = image.palette.size() / 4;
    for (std::size_t i = 0; i < 256; ++i) {
        if (!used[i]) continue;
        if (i >= entries || !pure(&image.palette[4 * i])) return false;
    }
    return true;
}

bool PremultipliedArgbToImage(const uint8_t* base, std::size_t stride, uint32_t w, uint32_t h, ImageData& out,
                              std::string* why, const char* sizeFault) {
    if (!bytes::Prepare(out, w, h, 24, true)) return bytes::Fail(out, why, sizeFault);
    for (uint32_t y = 0; y < h; ++y) {
        const uint8_t* src = base + stride * y;
        const std::size_t row = std::size_t{h - 1 - y} * w;
        for (uint32_t x = 0; x < w; ++x) {
            uint32_t v;
            std::memcpy(&v, src + 4 * x, 4);
            const unsigned a = v >> 24;
            uint8_t* dst = &out.pixels[3 * (row + x)];
            dst[0] = static_cast<uint8_t>(std::min(255u, (v & 0xFF) + 255 - a));
            dst[1] = static_cast<uint8_t>(std::min(255u, ((v >> 8) & 0xFF) + 255 - a));
            dst[2] = static_cast<uint8_t>(std::min(255u, ((v >> 16) & 0xFF) + 255 - a));
            out.alpha[row + x] = static_cast<uint8_t>(a);
        }
    }
    bytes::DropOpaqueAlpha(out);
    return true;
}

}  // namespace imagecodec
