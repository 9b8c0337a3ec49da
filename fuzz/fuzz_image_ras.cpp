// Sun raster files: any bytes decode to a consistent image or to nothing.
#include <cstddef>
#include <cstdint>

#include "fuzz/ImageFuzzChecks.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    fuzzcheck::Exercise(imagecodec::DecodeRas, imagecodec::EncodeRas, data, size);
    return 0;
}
