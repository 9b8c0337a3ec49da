#pragma once
// The OpenGL renderer behind the engine: contexts, frames and render jobs.
#include <atomic>

#include "engine/FrameRenderer.h"

class GlFrameRenderer : public IFrameRenderer {
public:
    bool CreateContexts(IFrameSink* sink) override;
    bool ReleaseContexts() override;
    void BeginSceneThread() override;
    void EndSceneThread() override;
    void BeginRenderThread() override;
    void EndRenderThread() override;
    void ApplySize(int width, int height) override;
    bool DrawFrame(int renderMode) override;
    void PerformRenderJob(const RenderJob& job) override;
    void InvalidateShadowList() override;

private:
    IFrameSink* sink_ = nullptr;
    std::atomic<bool> shadowListValid_{false};
};
