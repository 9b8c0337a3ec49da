#pragma once
// IFrameRenderer: what the engine asks of the rendering layer. The engine
// owns the threads, the lock, the queues and the scene data; the renderer
// owns the OpenGL contexts and draws. Every call comes from the engine at a
// fixed point:
//
//   CreateContexts   Initialize, user-interface thread
//   CreateHeadlessContexts  instead, for an engine without a preview: only
//                    what render jobs need; the scene thread then has no
//                    context, draws no frame and decodes no texture
//   ReleaseContexts  Release, user-interface thread, after both worker
//                    threads have ended
//   BeginSceneThread / EndSceneThread    first and last thing the scene
//                    thread does (make the window context current and set
//                    the fixed lighting state / make no context current)
//   BeginRenderThread / EndRenderThread  the same for the render thread
//                    and the offscreen context
//   ApplySize        from the engine's Resize, engine lock held; may come
//                    from a thread without a context (then only sizes are
//                    kept, no OpenGL call is made)
//   DrawFrame        scene thread (modes 0 and 1) with the engine lock held;
//                    returns whether the frame was completed
//   RenderPicture    (IPictureRenderer) render thread without the engine
//                    lock, between the engine's WM_ENGINE_BEGIN (kind 1)
//                    and WM_ENGINE_END, for jobs naming the fast renderer;
//                    takes the lock only for the moment it copies the
//                    scene it draws, so the scene thread and the interface
//                    go on changing and drawing the scene meanwhile; hands
//                    the pixels to the engine's output step
//   InvalidateShadowList  any thread, no lock: mark the cached shadow stale
//
// The production renderer is made by CreateFrameRenderer(engine) (the
// OpenGL renderer of that engine); tests install their own with
// CEngine::SetFrameRenderer.
#include <memory>

#include "render/PictureRenderer.h"

class IRenderHost;
class IFrameSink;

class IFrameRenderer : public IPictureRenderer {
public:
    virtual ~IFrameRenderer() = default;
    virtual bool CreateContexts(IFrameSink* sink) = 0;
    virtual bool CreateHeadlessContexts() { return CreateContexts(nullptr); }
    virtual bool ReleaseContexts() = 0;
    virtual void BeginSceneThread() = 0;
    virtual void EndSceneThread() = 0;
    virtual void BeginRenderThread() = 0;
    virtual void EndRenderThread() = 0;
    virtual void ApplySize(int width, int height) = 0;
    virtual bool DrawFrame(int renderMode) = 0;
    virtual void InvalidateShadowList() = 0;
};

// The OpenGL renderer of the program.
std::unique_ptr<IFrameRenderer> CreateFrameRenderer(IRenderHost& engine);
