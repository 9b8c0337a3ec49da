// JPEG files (libjpeg): any bytes decode to a consistent image or to nothing.
#include <cstddef>
#include <cstdint>

#include "fuzz/ImageFuzzChecks.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    fuzzcheck::Exercise(imagecodec::DecodeJpeg, imagecodec::EncodeJpeg, data, size);
    return 0;
}
