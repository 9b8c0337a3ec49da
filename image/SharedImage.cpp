#include "image/SharedImage.h"

#include <algorithm>

#include "image/ImageCodec.h"

namespace boxora {

imagecodec::ImageData DecodeBgr(const std::string& path, int format, int maxSide, int vectorSide, std::string* why,
                                int minVectorSide) {
    imagecodec::ImageData out;
    ImageCodec image;
    image.SetVectorSide(static_cast<uint32_t>(std::max(0, vectorSide)));
    bool loaded = image.Load(path, format, static_cast<uint32_t>(std::max(0, maxSide)));
    for (int side = vectorSide;
         !loaded && side > minVectorSide && image.LastError().find("out of time") != std::string::npos;) {
        side /= 2;
        image.SetVectorSide(static_cast<uint32_t>(side));
        loaded = image.Load(path, format, static_cast<uint32_t>(std::max(0, maxSide)));
    }
    if (!loaded) {
        if (why) {
            // The message names the file already.
            *why = image.LastError();
            if (why->compare(0, path.size() + 2, path + ": ") == 0) why->erase(0, path.size() + 2);
        }
        return out;
    }
    std::vector<uint8_t> bgr = image.Encode2RGB_Ex();
    const std::size_t expected = static_cast<std::size_t>(image.GetWidth()) * image.GetHeight() * 3;
    if (bgr.size() != expected || expected == 0) {
        if (why) *why = "not enough memory";
        return out;
    }
    out.width = image.GetWidth();
    out.height = image.GetHeight();
    out.bpp = 24;
    out.pixels = std::move(bgr);
    return out;
}

std::shared_ptr<const imagecodec::ImageData> SharedImage::Pixels(int maxSide, int vectorSide, std::string* why) const {
    const std::pair<int, int> key{std::max(0, maxSide), std::max(0, vectorSide)};
    {
        std::lock_guard lock(mutex_);
        if (auto kept = decoded_[key].lock()) {
            if (why && kept->pixels.empty()) *why = lastFailure_;
            return kept;
        }
    }
    // Decoded without the lock: two threads asking at once may both decode,
    // which is cheaper than making every other size wait for this one.
    std::string failure;
    auto fresh =
        std::make_shared<const imagecodec::ImageData>(DecodeBgr(path_, format_, key.first, key.second, &failure));
    std::lock_guard lock(mutex_);
    if (fresh->pixels.empty()) lastFailure_ = failure;
    if (auto kept = decoded_[key].lock())
        fresh = kept;
    else
        decoded_[key] = fresh;
    if (why && fresh->pixels.empty()) *why = lastFailure_;
    return fresh;
}

}  // namespace boxora
