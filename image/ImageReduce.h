#pragma once
// Shrinking pictures by whole factors with a box filter (every output pixel
// the mean of the block it covers). Used where a picture is only needed up
// to some size: decoders that can reduce while they read feed their rows
// through RowReducer, so the full-size picture is never held.
#include <cstdint>
#include <vector>

#include "image/ImageData.h"

namespace imagecodec {

// The smallest whole factor that brings both sides within maxSide (1 when
// they already fit or maxSide is 0).
uint32_t ReductionFactor(uint32_t width, uint32_t height, uint32_t maxSide);

// Shrinks the image in place until both sides fit maxSide; palette images
// become 24-bit. The alpha plane is reduced alike.
void ReduceToFit(ImageData& image, uint32_t maxSide);

// Takes the rows of a width × height picture, top row first, as B, G, R or
// B, G, R, A samples, and builds the reduced 24-bit image in out (bottom
// row first, as ImageData keeps them).
class RowReducer {
public:
    // False from Start when the reduced image cannot be allocated.
    bool Start(uint32_t width, uint32_t height, uint32_t factor, bool withAlpha, ImageData& out);
    void AddRow(const uint8_t* samples, int channels);

private:
    void Flush();

    ImageData* out_ = nullptr;
    uint32_t width_ = 0, height_ = 0, factor_ = 1, outWidth_ = 0;
    uint32_t rowsIn_ = 0, rowsInBlock_ = 0, outRow_ = 0;
    std::vector<uint32_t> sums_;  // per output pixel: B, G, R, A
};

}  // namespace imagecodec
