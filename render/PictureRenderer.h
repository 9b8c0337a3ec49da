#pragma once
// IPictureRenderer: what turns a render job into pixels. A renderer draws
// the job's scene at the job's size (in one piece or in tiles, as it needs)
// and hands the rows to a picture sink as they are finished; what happens
// to the pixels afterwards (conversion, encoding, writing) is the output
// step's, never the renderer's. A second renderer is one more
// implementation of this interface and one more PictureRendererId.
#include <cstddef>
#include <cstdint>

#include "platform/Outcome.h"
#include "render/RenderJob.h"

// Receives a picture, top row first.
class IPictureSink {
public:
    virtual ~IPictureSink() = default;
    // Once, before any row. transparent: the alpha bytes carry the
    // background's transparency; otherwise they are to be taken as opaque.
    // banded: the rows come in several deliveries (a picture drawn in
    // tiles), so a format that can encode rows as they come should, and the
    // whole picture is never held. False gives the job up.
    virtual bool Begin(int width, int height, bool transparent, bool banded) = 0;
    // count rows of width × 4 bytes R, G, B, A, the first of them picture
    // row first (0 is the top); rows come in order, each exactly once. Row
    // i is at rgba + i × stride: a negative stride hands rows stored bottom
    // up (as OpenGL reads them) without turning them over. The bytes are
    // the renderer's until the call returns. False gives the job up.
    virtual bool AddRows(const uint8_t* rgba, std::ptrdiff_t stride, int first, int count) = 0;
};

class IPictureRenderer {
public:
    virtual ~IPictureRenderer() = default;
    // Draws the job into sink (render thread). Fails with the message for
    // the user when no picture could be drawn; a job given up (the program
    // closing, or the job's cancelled()) fails without a message. A sink
    // that refused rows makes the renderer stop and succeed: the sink knows
    // why.
    virtual boxora::Outcome RenderPicture(const RenderJob& job, IPictureSink& sink) = 0;
};
