#include "image/SharedImage.h"

#include <algorithm>

#include "image/ImageCodec.h"

namespace boxora {

imagecodec::ImageData DecodeBgr(const std::string& path, int format, int maxSide, int vectorSide) {
    imagecodec::ImageData out;
    ImageCodec image;
    image.SetVectorSide(static_cast<uint32_t>(std::max(0, vectorSide)));
    if (!image.Load(path, format, static_cast<uint32_t>(std::max(0, maxSide)))) return out;
    std::vector<uint8_t> bgr = image.Encode2RGB_Ex();
    const std::size_t expected = static_cast<std::size_t>(image.GetWidth()) * image.GetHeight() * 3;
    if (bgr.size() != expected || expected == 0) return out;
    out.width = image.GetWidth();
    out.height = image.GetHeight();
    out.bpp = 24;
    out.pixels = std::move(bgr);
    return out;
}

std::shared_ptr<const imagecodec::ImageData> SharedImage::Pixels(int maxSide, int vectorSide) const {
    const std::pair<int, int> key{std::max(0, maxSide), std::max(0, vectorSide)};
    {
        std::lock_guard lock(mutex_);
        if (auto kept = decoded_[key].lock()) return kept;
    }
    // Decoded without the lock: two threads asking at once may both decode,
    // which is cheaper than making every other size wait for this one.
    auto fresh = std::make_shared<const imagecodec::ImageData>(DecodeBgr(path_, format_, key.first, key.second));
    std::lock_guard lock(mutex_);
    if (auto kept = decoded_[key].lock()) return kept;
    decoded_[key] = fresh;
    return fresh;
}

}  // namespace boxora
