// SVG face art: any bytes draw consistently or fail cleanly, within the side
// asked for and without output on the console. The drawing runs in the
// decoding helper, so whatever the library does there, this side only ever
// sees a picture or a failure.
#include "fuzz/ImageFuzzChecks.h"
#include "image/CodecVector.h"

namespace {
constexpr uint32_t kSide = 96;
bool DrawSmall(const uint8_t* data, std::size_t size, imagecodec::ImageData& out, std::string* why) {
    return imagecodec::vector::DecodeVectorLimited(imagecodec::vector::VectorKind::Svg, data, size, kSide, out, why);
}
}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    imagecodec::ImageData img;
    if (fuzzcheck::DecodeChecked(DrawSmall, data, size, img))
        fuzzcheck::Require(img.bpp == 24 && std::max(img.width, img.height) <= kSide);
    return 0;
}
