// Loading by content (format code 0), as for image files of unknown kind:
// every decoder may be tried on the same bytes.
#include <cstddef>
#include <cstdint>

#include "fuzz/ImageFuzzChecks.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    ImageCodec img;
    const bool ok = img.LoadFromMemory(data, size, FORMAT_UNKNOWN);
    fuzzcheck::CheckDecoded(ok, img.Data());
    fuzzcheck::Require(ok || !img.LastError().empty());
    if (ok && static_cast<uint64_t>(img.GetWidth()) * img.GetHeight() <= 4096) {
        fuzzcheck::Require(img.Encode2RGB_Ex().size() ==
                           static_cast<std::size_t>(img.GetWidth()) * img.GetHeight() * 3);
        if (img.GetBpp() == 24) fuzzcheck::Require(img.DecreaseBpp());
    }
    return 0;
}
