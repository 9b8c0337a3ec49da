// TIFF files (libtiff on memory): any bytes decode to a consistent image or to nothing.
#include <cstddef>
#include <cstdint>

#include "fuzz/ImageFuzzChecks.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    fuzzcheck::Exercise(imagecodec::DecodeTiff, imagecodec::EncodeTiff, data, size);
    return 0;
}
