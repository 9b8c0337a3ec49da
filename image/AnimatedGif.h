#pragma once
// Animated GIF: all frames share one palette (see SharedPalette) and the
// animation loops forever. The palette needs every frame's colours before
// the first can be coded, so each frame's colours are counted as it comes
// and the frame waits in an unnamed temporary file until Finish: a long
// turntable costs one frame of memory, not one per frame. Where no
// temporary file can be made the frames wait in memory.
#include <cstdint>
#include <cstdio>
#include <string>
#include <vector>

#include "image/SharedPalette.h"

namespace imagecodec {

class AnimatedGifEncoder {
public:
    // delayCentiseconds: how long each frame shows (GIF counts hundredths
    // of a second). With transparent, pixels of alpha 0 stay see-through.
    AnimatedGifEncoder(int width, int height, int delayCentiseconds, bool transparent);
    ~AnimatedGifEncoder();
    AnimatedGifEncoder(const AnimatedGifEncoder&) = delete;
    AnimatedGifEncoder& operator=(const AnimatedGifEncoder&) = delete;

    // width × height × 4 bytes R, G, B, A, top row first.
    void AddFrame(const uint8_t* rgba);
    int FrameCount() const { return count_; }
    // The whole file; false (why says why) without frames or when too large.
    bool Finish(std::vector<uint8_t>& out, std::string* why);

private:
    int width_, height_, delay_;
    bool transparent_;
    SharedPalette palette_;
    int count_ = 0;
    std::FILE* spool_ = nullptr;
    bool spoolTried_ = false;
    bool lost_ = false;                         // a frame could not be kept
    std::vector<std::vector<uint8_t>> frames_;  // without a spool
};

}  // namespace imagecodec
