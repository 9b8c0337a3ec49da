#pragma once
// An off-screen OpenGL rendering context (Mesa OSMesa) with the colour
// buffer it draws into. Every context has RGBA 8 bits per channel, a 24-bit
// depth buffer, an 8-bit stencil buffer and an accumulation buffer of 16 bits
// per channel (alpha included).
//
// The same class serves the preview context (scene thread; each finished
// frame is handed to an IFrameSink, which plays the part of a buffer swap)
// and the off-screen render context (render thread; resized per job).
//
// Threading: a context is current on at most one thread at a time. Every
// member that touches OpenGL (MakeCurrent, Resize, ReadPixels, Present,
// Release) runs on the thread that uses the context; hand a context over to
// another thread by calling Release on the old thread first.
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

class IFrameSink;

namespace boxora {

class OsMesaContext {
public:
    // Largest surface side accepted by Resize. Render jobs beyond 3000 a
    // side are drawn in tiles no larger than this; a preview window on a
    // large screen may be wider than 3000.
    static constexpr int kMaxSide = 8192;

    // Creates a context with a 1 × 1 surface and checks that it offers the
    // buffers every frame needs (see GlCapabilities.h). Returns null on
    // failure and, when error is given, a description of what went wrong.
    // The calling thread's current context (if any) is current again
    // afterwards; the new context is current nowhere.
    static std::unique_ptr<OsMesaContext> Create(std::string* error = nullptr);

    ~OsMesaContext();
    OsMesaContext(const OsMesaContext&) = delete;
    OsMesaContext& operator=(const OsMesaContext&) = delete;

    // Binds the context and its current surface to the calling thread.
    bool MakeCurrent();

    // Replaces the surface by one of width × height pixels (each side
    // 1 .. kMaxSide) and makes the context current on the calling thread
    // with it. When the memory for the new surface (colour buffer and the
    // renderer's depth, stencil, accumulation and colour copies) cannot be
    // had, or the renderer reports running out of memory, the previous
    // surface is kept and false is returned. Resizing to the current size
    // only makes the context current.
    bool Resize(int width, int height);

    // Like Resize, but a size change replaces the renderer's context by a
    // new one, which takes every OpenGL object (textures, display lists)
    // of the old one with it: the renderer frees the buffers of a surface
    // size it leaves only with its context. The old context goes before
    // the new one is made. When the new size cannot be had, false is
    // returned and the new context is current with a one-pixel surface (or,
    // when not even a context could be made, none is, and the next Renew
    // tries again).
    bool Renew(int width, int height);

    // Unbinds the context from the calling thread if it is current there.
    void Release();

    // True when this context is current on the calling thread.
    bool IsCurrent() const;

    int Width() const { return width_; }
    int Height() const { return height_; }

    // Reads the whole surface back (glReadPixels, RGBA, bottom row first,
    // width × 4 bytes per row). Must be current. False when not current or
    // the array cannot be allocated.
    bool ReadPixels(std::vector<uint8_t>& rgba) const;

    // Finishes drawing and hands the colour buffer (RGBA, bottom row first)
    // to the sink: the preview's "swap". Must be current.
    void Present(IFrameSink& sink);
    // The same for the lower left width × height pixels of the surface (the
    // viewport of a frame smaller than the surface), clamped to the surface.
    void Present(IFrameSink& sink, int width, int height);

    // Finishes drawing; afterwards Pixels() holds the frame.
    void Finish();
    // The colour buffer the context draws into (RGBA, bottom row first);
    // complete after Finish() or Present().
    const uint8_t* Pixels() const { return buffer_.get(); }

    // The most memory a surface may take (our colour buffer and the
    // renderer's buffers, as estimated from kRendererBytesPerPixel); a
    // larger Resize fails as if the memory could not be had. 0 (the
    // default): only what the system gives limits it.
    static void SetSurfaceMemoryLimit(uint64_t bytes);

    // Bytes per pixel the renderer needs besides our own colour buffer:
    // its colour copy (4), packed depth and stencil (4) and the 16-bit
    // RGBA accumulation buffer (8), with some slack.
    static constexpr uint64_t kRendererBytesPerPixel = 20;

private:
    explicit OsMesaContext(void* handle);
    // Binds handle with a new width × height colour buffer and makes the
    // renderer allocate its buffers; on success the surface is ours.
    bool BindNewSurface(void* handle, int width, int height);

    void* handle_ = nullptr;  // OSMesaContext
    std::unique_ptr<uint8_t[]> buffer_;
    std::vector<uint8_t> region_;  // Present's copy of a part of the surface
    int width_ = 0;
    int height_ = 0;
};

}  // namespace boxora
