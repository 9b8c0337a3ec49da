#pragma once
// boxora-render SCENE --turntable N -o OUT: one scene turned once around
// the vertical axis in N frames (see project/TurntableWriter.h).
#include <optional>
#include <utility>

#include "RenderCommand.h"

struct TurntableOptions {
    int frames = 0;  // 0: no turntable
    int fps = 12;
    std::optional<std::pair<float, float>> vertical;
};

// The render options give the scene and output (one target), size, quality,
// WebP losslessness, transparency, seed and the stills' options. Exit
// status as RunRenderCommand: 0 written, 1 failed, 130 interrupted (nothing
// of an animation or video is written then).
int RunTurntableCommand(const RenderOptions& render, const TurntableOptions& turntable);
