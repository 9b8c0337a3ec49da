#include "image/ImageData.h"

#include <new>

namespace imagecodec {

bool ImageData::Allocate(uint32_t w, uint32_t h, int bitsPerPixel, bool withAlpha) {
    Clear();
    if (!SizeAllowed(w, h) || (bitsPerPixel != 8 && bitsPerPixel != 24)) return false;
    const std::size_t count = static_cast<std::size_t>(w) * h;
    try {
        pixels.assign(count * (bitsPerPixel == 24 ? 3 : 1), 0);
        if (withAlpha) alpha.assign(count, 255);
    } catch (const std::bad_alloc&) {
        Clear();
        return false;
    }
    width = w;
    height = h;
    bpp = bitsPerPixel;
    return true;
}

}  // namespace imagecodec
