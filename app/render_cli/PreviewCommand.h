#pragma once
// boxora-render --preview FILE -o OUT.png: one preview frame of a scene or a
// model, drawn by the engine's scene thread as the live preview draws it,
// written as PNG.
#include <string>

#include "engine/PreviewSnapshot.h"

struct PreviewOptions {
    boxora::PreviewRequest request;
    std::string output;
    int supersample = 1;  // draw this many times larger and average down
};

// Returns the exit status: 0 written, 1 nothing could be drawn or written.
int RunPreviewCommand(const PreviewOptions& options);
