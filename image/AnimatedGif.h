#pragma once
// Animated GIF: all frames share one palette (see SharedPalette) and the
// animation loops forever. The frames are kept until Finish, since the
// palette needs every frame's colours before the first can be coded.
#include <cstdint>
#include <string>
#include <vector>

namespace imagecodec {

class AnimatedGifEncoder {
public:
    // delayCentiseconds: how long each frame shows (GIF counts hundredths
    // of a second). With transparent, pixels of alpha 0 stay see-through.
    AnimatedGifEncoder(int width, int height, int delayCentiseconds, bool transparent);

    // width × height × 4 bytes R, G, B, A, top row first.
    void AddFrame(const uint8_t* rgba);
    int FrameCount() const { return static_cast<int>(frames_.size()); }
    // The whole file; false (why says why) without frames or when too large.
    bool Finish(std::vector<uint8_t>& out, std::string* why);

private:
    int width_, height_, delay_;
    bool transparent_;
    std::vector<std::vector<uint8_t>> frames_;
};

}  // namespace imagecodec
