#pragma once
#include <cstdint>

// Receives each finished preview frame from the scene thread (the "swap" of
// the preview window). Called on the scene thread; the implementation copies
// what it needs before returning.
class IFrameSink {
public:
    virtual ~IFrameSink() = default;
    // rgba: width × height × 4 bytes, R, G, B, A, bottom row first.
    virtual void OnPreviewFrame(const uint8_t* rgba, int width, int height) = 0;
};
