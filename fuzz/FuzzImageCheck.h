#pragma once
// Shared checks of the image fuzz targets: a decoder either fails with an
// empty image or returns a consistent one, which must survive the
// conversions the program applies and, when small, an encode and decode
// in the same format.
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

// Decodes with fn and, for small results, encodes with encode (if any) and
// decodes that again: our own output must always read back.
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
