// WBMP reader: any bytes decode consistently or fail cleanly.
#include "fuzz/ImageFuzzChecks.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    imagecodec::ImageData img;
    if (fuzzcheck::DecodeChecked(imagecodec::DecodeWbmp, data, size, img))
        fuzzcheck::Require(img.bpp == 8 && img.alpha.empty());
    return 0;
}
