#pragma once
// What the render benchmarks share: a frame sink that drops preview frames
// and wall-clock seconds.
#include <chrono>
#include <cstdint>

#include "render/FrameSink.h"

namespace benchsupport {

using Clock = std::chrono::steady_clock;

// The engine needs a sink to start; the benchmarks time render jobs only.
class NullSink : public IFrameSink {
public:
    void OnPreviewFrame(const uint8_t*, int, int) override {}
};

inline double Since(Clock::time_point start) { return std::chrono::duration<double>(Clock::now() - start).count(); }

}  // namespace benchsupport
