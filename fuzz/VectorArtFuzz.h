#pragma once
// The body of the vector face-art fuzz targets (SVG, PDF): any bytes draw
// consistently or fail cleanly, within the side asked for and without
// output on the console. The drawing runs in the decoding helper, so
// whatever the library does there, this side only ever sees a picture or a
// failure.
#include <algorithm>

#include "fuzz/ImageFuzzChecks.h"
#include "image/CodecVector.h"

namespace fuzzcheck {

template <imagecodec::vector::VectorKind Kind>
int FuzzVectorArt(const uint8_t* data, std::size_t size) {
    constexpr uint32_t kSide = 96;
    const auto drawSmall = [](const uint8_t* bytes, std::size_t length, imagecodec::ImageData& out, std::string* why) {
        return imagecodec::vector::DecodeVectorLimited(Kind, bytes, length, kSide, out, why);
    };
    imagecodec::ImageData img;
    if (DecodeChecked(drawSmall, data, size, img)) Require(img.bpp == 24 && std::max(img.width, img.height) <= kSide);
    return 0;
}

}  // namespace fuzzcheck
