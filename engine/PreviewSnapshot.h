#pragma once
// What the live preview shows, without a window: a frame sink that keeps the
// last completed frame of each render mode, and a one-shot preview of a
// scene or model file drawn by an engine's own scene thread. Used by
// boxora-render --preview, the catalogue thumbnails and the benchmarks.
#include <array>
#include <atomic>
#include <cstdint>
#include <mutex>
#include <optional>
#include <string>
#include <vector>

#include "render/FrameSink.h"

struct SceneParams;

namespace boxora {

// An RGBA frame, bottom row first (as OpenGL reads it).
struct PreviewFrame {
    int width = 0;
    int height = 0;
    std::vector<uint8_t> rgba;
    bool Empty() const { return width <= 0 || height <= 0; }
    // The pixel at (x, y) from the lower left corner.
    std::array<uint8_t, 4> At(int x, int y) const;
};

// Keeps a copy of the last frame of each render mode (the mode is read from
// the scene parameters while the frame is handed over, on the scene thread).
class FrameCapture : public IFrameSink {
public:
    explicit FrameCapture(const SceneParams& params) : params_(params) {}
    void OnPreviewFrame(const uint8_t* rgba, int width, int height) override;

    // The last frame of render mode 0 or 1 (empty when none came).
    PreviewFrame Last(int renderMode) const;
    // Frames of render mode 0 or 1 received so far.
    long Count(int renderMode) const;

private:
    const SceneParams& params_;
    mutable std::mutex mutex_;
    PreviewFrame last_[2];
    long count_[2] = {0, 0};
};

struct PreviewRequest {
    std::string file;  // a scene (.scn) or a package model (.3ds)
    int width = 800;
    int height = 600;
    int renderMode = 1;  // 0 quick, 1 full
    // Camera horizontal and vertical rotation and zoom, applied after the load.
    std::optional<std::array<float, 3>> camera;
    // Background colour as a COLORREF (red in the low byte), applied after the load.
    std::optional<uint32_t> background;
};

// Loads the file into a fresh engine whose scene thread draws a preview of
// the requested size, and returns the last frame of the requested mode once
// the engine is idle. False with a reason when the file cannot be used or
// no frame was drawn.
bool RenderPreview(const PreviewRequest& request, PreviewFrame& frame, std::string& error);

// Averages factor × factor blocks of pixels (each channel), for smooth small
// pictures from a larger frame. The size is divided by factor (rounded down).
PreviewFrame Downsample(const PreviewFrame& frame, int factor);

}  // namespace boxora
