#pragma once
// Checks shared by the image fuzz targets: a decoded image must be
// consistent, a failed decode must leave the image empty, a decoded image
// must survive the conversions the program applies, and what one of our
// encoders writes must read back the same.
#include <cstdint>
#include <cstdlib>
#include <string>
#include <vector>

#include "image/CodecRegistry.h"
#include "image/ImageCodec.h"

namespace fuzzcheck {

inline void Require(bool condition) {
    if (!condition) std::abort();
}

// Decodes and checks the result's shape; true when the decode succeeded.
inline bool DecodeChecked(imagecodec::DecodeFn decode, const uint8_t* data, std::size_t size,
                          imagecodec::ImageData& img) {
    std::string why;
    const bool ok = decode(data, size, img, &why);
    if (!ok) {
        Require(img.Empty() && img.pixels.empty() && !why.empty());
        return false;
    }
    Require(imagecodec::SizeAllowed(img.width, img.height));
    Require(img.bpp == 8 || img.bpp == 24);
    const std::size_t count = std::size_t{img.width} * img.height;
    Require(img.pixels.size() == count * (img.bpp == 24 ? 3 : 1));
    Require(img.alpha.empty() || img.alpha.size() == count);
    if (img.bpp == 8) Require(img.palette.size() == 256 * 4);
    return true;
}

// B, G, R, A of a pixel (palette looked up; alpha 255 without a plane).
inline uint32_t Color(const imagecodec::ImageData& img, std::size_t i) {
    uint32_t c;
    if (img.bpp == 24) {
        c = img.pixels[3 * i] | (img.pixels[3 * i + 1] << 8) | (img.pixels[3 * i + 2] << 16);
    } else {
        const std::size_t e = std::size_t{img.pixels[i]} * 4;
        c = img.palette[e] | (img.palette[e + 1] << 8) | (img.palette[e + 2] << 16);
    }
    return c | (uint32_t(img.alpha.empty() ? 255 : img.alpha[i]) << 24);
}

// Encodes with `encode`, decodes with `decode` and requires the same
// colours (alpha compared when keepAlpha).
inline void RoundTrip(const imagecodec::ImageData& img, imagecodec::EncodeFn encode, imagecodec::DecodeFn decode,
                      bool keepAlpha, const imagecodec::EncodeOptions& options = {}) {
    if (uint64_t{img.width} * img.height > (1u << 20)) return;  // keep runs quick
    std::vector<uint8_t> file;
    std::string why;
    Require(encode(img, options, file, &why));
    imagecodec::ImageData back;
    Require(decode(file.data(), file.size(), back, &why));
    Require(back.width == img.width && back.height == img.height);
    const std::size_t count = std::size_t{img.width} * img.height;
    for (std::size_t i = 0; i < count; ++i) {
        const uint32_t a = Color(img, i), b = Color(back, i);
        if (keepAlpha)
            Require(a == b);
        else
            Require((a & 0xFFFFFF) == (b & 0xFFFFFF));
    }
}

// The shape of a decoder's result: empty after a failure, consistent after
// a success.
inline void CheckDecoded(bool ok, const imagecodec::ImageData& img) {
    if (!ok) {
        Require(img.Empty() && img.pixels.empty() && img.alpha.empty());
        return;
    }
    Require(!img.Empty());
    Require(img.pixels.size() == img.RowBytes() * img.height);
    Require(img.alpha.empty() || img.alpha.size() == static_cast<std::size_t>(img.width) * img.height);
    if (img.bpp == 8) Require(!img.palette.empty() && img.palette.size() <= 1024);
}

// Decodes with `decode`; a small result must survive the program's
// conversions and, when there is an encoder, an encode and decode in the
// same format.
inline void Exercise(imagecodec::DecodeFn decode, imagecodec::EncodeFn encode, const uint8_t* data, std::size_t size) {
    imagecodec::ImageData img;
    std::string why;
    const bool ok = decode(data, size, img, &why);
    CheckDecoded(ok, img);
    if (!ok) {
        Require(!why.empty());
        return;
    }
    if (static_cast<uint64_t>(img.width) * img.height > 4096) return;
    ImageCodec codec;
    codec.MutableData() = img;
    Require(codec.Encode2RGB_Ex().size() == static_cast<std::size_t>(img.width) * img.height * 3);
    Require(codec.ToRgbaTopDown().size() == static_cast<std::size_t>(img.width) * img.height * 4);
    if (!encode) return;
    std::vector<uint8_t> file;
    Require(encode(img, imagecodec::EncodeOptions{}, file, &why));
    imagecodec::ImageData again;
    Require(decode(file.data(), file.size(), again, &why));
    Require(again.width == img.width && again.height == img.height);
}

}  // namespace fuzzcheck
