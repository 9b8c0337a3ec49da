#pragma once
// An image file as a scene uses it (the artwork of a face): its path and
// format, and its pixels decoded on demand. Handles are shared, never
// copied: every scene snapshot that shows the same artwork holds the same
// handle, and every consumer asking for the same size gets the same
// decoded pixels for as long as any of them still holds them. Nothing is
// kept decoded once the last user lets go, so a handle costs no pixel
// memory while it only waits in a snapshot.
#include <cstdint>
#include <map>
#include <memory>
#include <mutex>
#include <string>
#include <utility>

#include "image/ImageData.h"

namespace boxora {

class SharedImage {
public:
    SharedImage(std::string path, int format) : path_(std::move(path)), format_(format) {}
    SharedImage(const SharedImage&) = delete;
    SharedImage& operator=(const SharedImage&) = delete;

    const std::string& Path() const { return path_; }
    int Format() const { return format_; }  // ImageFormat code; 0: by content

    // The pixels as 24-bit B, G, R rows, bottom row first, shrunk until
    // both sides fit maxSide (0: no limit), drawings drawn with vectorSide
    // as their longest side (0: maxSide). An undecodable file gives an
    // empty image, and why tells the reason when given. Any thread.
    std::shared_ptr<const imagecodec::ImageData> Pixels(int maxSide, int vectorSide = 0,
                                                        std::string* why = nullptr) const;

private:
    const std::string path_;
    const int format_;
    mutable std::mutex mutex_;
    mutable std::map<std::pair<int, int>, std::weak_ptr<const imagecodec::ImageData>> decoded_;
    mutable std::string lastFailure_;  // why the last decode gave nothing
};

using SharedImagePtr = std::shared_ptr<const SharedImage>;

// The decoding behind SharedImage::Pixels, for callers that keep the pixels
// themselves. A drawing too slow for its time is drawn again at half the
// side, down to minVectorSide: a softer face beats a blank one. why, when
// given, receives the reason of a failure (without the file's name).
imagecodec::ImageData DecodeBgr(const std::string& path, int format, int maxSide, int vectorSide,
                                std::string* why = nullptr, int minVectorSide = 2048);

}  // namespace boxora
