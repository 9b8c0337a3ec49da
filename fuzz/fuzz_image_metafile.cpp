// WMF and EMF reader: any bytes rasterise consistently or fail cleanly,
// without output on the console. Pictures are kept small so that hostile
// drawings stay quick.
#include "fuzz/ImageFuzzChecks.h"
#include "image/CodecMetafile.h"

namespace {
bool DecodeSmall(const uint8_t* data, std::size_t size, imagecodec::ImageData& out, std::string* why) {
    return imagecodec::metafile::DecodeMetafileLimited(data, size, out, why, 192);
}
}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    imagecodec::ImageData img;
    if (fuzzcheck::DecodeChecked(DecodeSmall, data, size, img))
        fuzzcheck::Require(img.width <= 192 && img.height <= 192 && img.bpp == 24);
    return 0;
}
