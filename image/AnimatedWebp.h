#pragma once
// Animated WebP through libwebp's animation encoder, looping forever.
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

namespace imagecodec {

class AnimatedWebpEncoder {
public:
    // quality 0..100 for lossy frames; lossless ignores it. keepAlpha keeps
    // the pictures' alpha; otherwise they are made opaque.
    AnimatedWebpEncoder(int width, int height, int quality, bool lossless, bool keepAlpha);
    ~AnimatedWebpEncoder();
    AnimatedWebpEncoder(const AnimatedWebpEncoder&) = delete;
    AnimatedWebpEncoder& operator=(const AnimatedWebpEncoder&) = delete;

    // width × height × 4 bytes R, G, B, A, top row first, shown from
    // timestampMs on.
    bool AddFrame(const uint8_t* rgba, int timestampMs, std::string* why);
    // The whole file; endMs is when the last frame ends.
    bool Finish(int endMs, std::vector<uint8_t>& out, std::string* why);

private:
    struct State;
    std::unique_ptr<State> state_;
};

}  // namespace imagecodec
