// The frame and render-job entry points of the OpenGL renderer. Contexts,
// frames and jobs are not drawn yet: the engine runs its threads, queues and
// counters around these entry points, which for now only report success.
#include "render/GlFrameRenderer.h"

#include "render/GlCurrent.h"

std::unique_ptr<IFrameRenderer> CreateFrameRenderer() { return std::make_unique<GlFrameRenderer>(); }

bool GlFrameRenderer::CreateContexts(IFrameSink* sink) {
    // Will create the window context (frames handed to sink) and the
    // offscreen context: OSMesa, RGBA8, depth 24, stencil 8, accumulation 16.
    sink_ = sink;
    return true;
}

bool GlFrameRenderer::ReleaseContexts() { return true; }

void GlFrameRenderer::BeginSceneThread() {}
void GlFrameRenderer::EndSceneThread() {}
void GlFrameRenderer::BeginRenderThread() {}
void GlFrameRenderer::EndRenderThread() {}

void GlFrameRenderer::ApplySize(int width, int height) {
    if (!HasCurrentGlContext()) return;
    // Viewport, projection, camera and scene transform go here.
}

bool GlFrameRenderer::DrawFrame(int renderMode) { return true; }

void GlFrameRenderer::PerformRenderJob(const RenderJob& job) {}

void GlFrameRenderer::InvalidateShadowList() { shadowListValid_ = false; }
