#include "render/OsMesaContext.h"

#include <GL/osmesa.h>
#include <sys/mman.h>

#include <algorithm>
#include <atomic>
#include <cstring>
#include <new>

#include "render/FrameSink.h"
#include "render/GlCapabilities.h"

namespace boxora {

namespace {

OSMesaContext Handle(void* h) { return static_cast<OSMesaContext>(h); }

std::atomic<uint64_t> g_surfaceLimit{0};

// The thread's current OSMesa binding, so that it can be put back.
struct CurrentBinding {
    OSMesaContext context = nullptr;
    void* buffer = nullptr;
    GLint width = 0;
    GLint height = 0;

    static CurrentBinding Take() {
        CurrentBinding b;
        b.context = OSMesaGetCurrentContext();
        if (b.context) {
            GLint format = 0;
            if (!OSMesaGetColorBuffer(b.context, &b.width, &b.height, &format, &b.buffer)) b.context = nullptr;
        }
        return b;
    }
    void Restore() const {
        if (context)
            OSMesaMakeCurrent(context, buffer, GL_UNSIGNED_BYTE, width, height);
        else
            OSMesaMakeCurrent(nullptr, nullptr, 0, 0, 0);
    }
};

// Pixel transfers of this file read tightly packed RGBA rows into memory we
// own; whatever pack state the drawing code left must not move them.
class DefaultPackState {
public:
    DefaultPackState() {
        glPushClientAttrib(GL_CLIENT_PIXEL_STORE_BIT);
        glPixelStorei(GL_PACK_ALIGNMENT, 4);
        glPixelStorei(GL_PACK_ROW_LENGTH, 0);
        glPixelStorei(GL_PACK_SKIP_ROWS, 0);
        glPixelStorei(GL_PACK_SKIP_PIXELS, 0);
        glPixelStorei(GL_PACK_SWAP_BYTES, GL_FALSE);
        glPixelStorei(GL_PACK_LSB_FIRST, GL_FALSE);
    }
    ~DefaultPackState() { glPopClientAttrib(); }
    DefaultPackState(const DefaultPackState&) = delete;
    DefaultPackState& operator=(const DefaultPackState&) = delete;
};

// Asks the system for the address space and commit charge that a surface
// would take, without touching it. The renderer does not survive every
// failed allocation of its own buffers, so a size that cannot be had is
// refused before the renderer tries.
bool MemoryAvailable(uint64_t bytes) {
    if (bytes > static_cast<uint64_t>(SIZE_MAX / 2)) return false;
    void* p = mmap(nullptr, static_cast<size_t>(bytes), PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS, -1, 0);
    if (p == MAP_FAILED) return false;
    munmap(p, static_cast<size_t>(bytes));
    return true;
}

// Drains the error flags; true when any was GL_OUT_OF_MEMORY or when
// failOnAny is set and any error was pending.
bool HadErrors(bool failOnAny) {
    bool failed = false;
    for (int i = 0; i < 16; ++i) {
        GLenum e = glGetError();
        if (e == GL_NO_ERROR) break;
        if (failOnAny || e == GL_OUT_OF_MEMORY) failed = true;
    }
    return failed;
}

OSMesaContext CreateHandle() {
    return OSMesaCreateContextExt(OSMESA_RGBA, kRequiredDepthBits, kRequiredStencilBits, kRequiredAccumBits, nullptr);
}

bool BindHandle(void* handle, uint8_t* buffer, int width, int height) {
    if (!OSMesaMakeCurrent(Handle(handle), buffer, GL_UNSIGNED_BYTE, width, height)) return false;
    OSMesaPixelStore(OSMESA_Y_UP, 1);
    return true;
}

}  // namespace

void OsMesaContext::SetSurfaceMemoryLimit(uint64_t bytes) { g_surfaceLimit = bytes; }

OsMesaContext::OsMesaContext(void* handle) : handle_(handle) {}

OsMesaContext::~OsMesaContext() {
    Release();
    if (handle_) OSMesaDestroyContext(Handle(handle_));
}

std::unique_ptr<OsMesaContext> OsMesaContext::Create(std::string* error) {
    auto fail = [error](const std::string& why) -> std::unique_ptr<OsMesaContext> {
        if (error) *error = why;
        return nullptr;
    };
    OSMesaContext handle = CreateHandle();
    if (!handle) return fail("cannot create an OpenGL context (OSMesa)");
    std::unique_ptr<OsMesaContext> context(new (std::nothrow) OsMesaContext(handle));
    if (!context) {
        OSMesaDestroyContext(handle);
        return fail("out of memory");
    }
    context->buffer_.reset(new (std::nothrow) uint8_t[4]{});
    if (!context->buffer_) return fail("out of memory");
    context->width_ = 1;
    context->height_ = 1;

    const CurrentBinding previous = CurrentBinding::Take();
    std::string missing;
    if (!context->MakeCurrent()) {
        missing = "cannot make the OpenGL context current";
    } else {
        missing = MissingFramebufferFeatures(QueryFramebufferBits());
        if (!missing.empty()) missing = "the OpenGL context lacks: " + missing;
    }
    previous.Restore();
    if (!missing.empty()) return fail(missing);
    return context;
}

bool OsMesaContext::MakeCurrent() { return handle_ && BindHandle(handle_, buffer_.get(), width_, height_); }

bool OsMesaContext::BindNewSurface(void* handle, int width, int height) {
    const uint64_t pixels = static_cast<uint64_t>(width) * static_cast<uint64_t>(height);
    const uint64_t bytes = pixels * (4 + kRendererBytesPerPixel);
    const uint64_t limit = g_surfaceLimit.load();
    if ((limit != 0 && bytes > limit) || !MemoryAvailable(bytes)) return false;
    std::unique_ptr<uint8_t[]> fresh(new (std::nothrow) uint8_t[pixels * 4]);
    if (!fresh) return false;

    // The renderer allocates its buffers lazily; a one-pixel read makes it
    // validate the surface now, so that a shortage shows up as an error here
    // instead of a failure in the middle of a frame.
    bool ok = BindHandle(handle, fresh.get(), width, height);
    if (ok) {
        HadErrors(false);
        uint8_t probe[4];
        {
            DefaultPackState pack;
            glReadPixels(0, 0, 1, 1, GL_RGBA, GL_UNSIGNED_BYTE, probe);
        }
        ok = !HadErrors(true);
    }
    if (!ok) {
        // Back to the previous surface, which also lets the renderer drop
        // whatever it managed to allocate for the new one.
        MakeCurrent();
        HadErrors(false);
        return false;
    }
    buffer_ = std::move(fresh);
    width_ = width;
    height_ = height;
    return true;
}

bool OsMesaContext::Resize(int width, int height) {
    if (!handle_ || width < 1 || height < 1 || width > kMaxSide || height > kMaxSide) return false;
    if (width == width_ && height == height_) return MakeCurrent();
    return BindNewSurface(handle_, width, height);
}

bool OsMesaContext::Renew(int width, int height) {
    if (width < 1 || height < 1 || width > kMaxSide || height > kMaxSide) return false;
    if (handle_ && width == width_ && height == height_) return MakeCurrent();
    // The old context goes first, with its surface and the renderer's
    // buffers, so that a change of size never holds two pictures' buffers
    // at once. Nothing in it outlives a job, so a one-pixel surface on the
    // new context is as good a state to fall back to when the new size
    // cannot be had.
    Release();
    if (handle_) OSMesaDestroyContext(Handle(handle_));
    handle_ = CreateHandle();
    std::unique_ptr<uint8_t[]> pixel(new (std::nothrow) uint8_t[4]{});
    if (!handle_ || !pixel) return false;
    buffer_ = std::move(pixel);
    width_ = 1;
    height_ = 1;
    if (!MakeCurrent()) return false;
    return BindNewSurface(handle_, width, height);
}

void OsMesaContext::Release() {
    if (IsCurrent()) OSMesaMakeCurrent(nullptr, nullptr, 0, 0, 0);
}

bool OsMesaContext::IsCurrent() const { return handle_ && OSMesaGetCurrentContext() == Handle(handle_); }

bool OsMesaContext::ReadPixels(std::vector<uint8_t>& rgba) const {
    if (!IsCurrent()) return false;
    const size_t bytes = static_cast<size_t>(width_) * static_cast<size_t>(height_) * 4;
    try {
        rgba.resize(bytes);
    } catch (const std::bad_alloc&) {
        return false;
    }
    DefaultPackState pack;
    glReadPixels(0, 0, width_, height_, GL_RGBA, GL_UNSIGNED_BYTE, rgba.data());
    return true;
}

void OsMesaContext::Finish() {
    if (IsCurrent()) glFinish();
}

void OsMesaContext::Present(IFrameSink& sink) {
    Finish();
    sink.OnPreviewFrame(buffer_.get(), width_, height_);
}

void OsMesaContext::Present(IFrameSink& sink, int width, int height) {
    width = std::min(width, width_);
    height = std::min(height, height_);
    if (width <= 0 || height <= 0) return;
    if (width == width_ && height == height_) {
        Present(sink);
        return;
    }
    Finish();
    const std::size_t row = static_cast<std::size_t>(width) * 4;
    try {
        region_.resize(row * static_cast<std::size_t>(height));
    } catch (const std::bad_alloc&) {
        return;
    }
    for (int y = 0; y < height; ++y)
        std::memcpy(region_.data() + row * y, buffer_.get() + static_cast<std::size_t>(width_) * 4 * y, row);
    sink.OnPreviewFrame(region_.data(), width, height);
}

}  // namespace boxora
