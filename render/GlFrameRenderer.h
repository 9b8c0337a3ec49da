#pragma once
// The OpenGL renderer behind the engine: the two rendering contexts, the
// preview frames of the scene thread and the render jobs of the render
// thread.
//
// Contexts (OSMesa, RGBA 8 bits, depth 24, stencil 8, accumulation 16 bits
// per channel): the window context belongs to the scene thread and draws
// the preview; each completed frame is handed to the frame sink (the
// preview's buffer swap). Its surface is never smaller than the side
// ordering's 256 × 256 viewport and grows in steps; the preview draws in its
// lower left corner. The offscreen context belongs to the render thread; it
// takes the size of each render job, whose frame (render mode 2, eight
// jittered passes, the full shadow) is read back and handed to the job's
// picture sink (the output step above this layer encodes and writes it).
#include <atomic>
#include <memory>

#include "render/FrameRenderer.h"
#include "render/ObjectDrawing.h"
#include "scene/SceneParams.h"

class IRenderHost;
class CShadowManager2;

namespace boxora {
class OsMesaContext;
class SceneFrame;
class SidePasses;
class GlSideOrdering;
class RenderJobScene;
}  // namespace boxora

class GlFrameRenderer : public IFrameRenderer {
public:
    // Antialiasing passes of a render job.
    static constexpr int kRenderPasses = 8;

    explicit GlFrameRenderer(IRenderHost& engine);
    ~GlFrameRenderer() override;

    bool CreateContexts(IFrameSink* sink) override;
    bool CreateHeadlessContexts() override;
    bool ReleaseContexts() override;
    void BeginSceneThread() override;
    void EndSceneThread() override;
    void BeginRenderThread() override;
    void EndRenderThread() override;
    void ApplySize(int width, int height) override;
    bool DrawFrame(int renderMode) override;
    boxora::Outcome RenderPicture(const RenderJob& job, IPictureSink& sink) override;
    void InvalidateShadowList() override;

    // Where the last render job's time went, in milliseconds (render
    // thread; read it once the job has ended).
    struct JobTimes {
        double shadow = 0;  // the shadow pre-pass
        double frame = 0;   // the whole frame, pre-pass included
        double read = 0;    // read-back
        double save = 0;    // handing the rows to the picture sink
        double total = 0;   // the whole job
    };
    JobTimes LastJobTimes() const { return lastJobTimes_; }
    // The shadow passes of render jobs (for comparisons of the pre-pass
    // methods).
    CShadowManager2& Shadow() { return *jobShadow_; }

private:
    // Sizes the window surface for the preview viewport (at least the
    // ordering viewport in each direction, grown in steps, never shrunk);
    // false when it cannot be had.
    bool FitWindowSurface();
    // Gives the offscreen surface a render job's (or tile's) size; a new
    // size comes with a new context (its GL objects go). False when it
    // cannot be had.
    bool FitOffscreenSurface(int width, int height);
    void SetViewportAndCamera(int width, int height);

    IRenderHost& engine_;
    // The settings every preview frame is drawn with: a copy of the
    // engine's taken (engine lock held) when a frame starts, so that changes
    // made meanwhile on the user-interface thread wait for the next frame.
    // The viewport follows ApplySize.
    SceneParams frameParams_;
    std::atomic<IFrameSink*> sink_{nullptr};
    std::unique_ptr<boxora::OsMesaContext> window_;
    std::unique_ptr<boxora::OsMesaContext> offscreen_;
    bool windowContextFresh_ = false;  // no texture uploaded into it yet

    boxora::ObjectDrawingScene scene_;
    std::unique_ptr<CShadowManager2> shadow_;
    // Render thread: the settings of the job in progress (a copy of the
    // engine's, with the job's own adjustments) and its shadow passes; the
    // rest of a job's scene is its RenderJobScene.
    SceneParams jobParams_;
    std::unique_ptr<CShadowManager2> jobShadow_;
    std::unique_ptr<boxora::SidePasses> passes_;
    std::unique_ptr<boxora::GlSideOrdering> ordering_;
    std::unique_ptr<boxora::SceneFrame> frame_;

    // The preview viewport (engine lock held when written).
    int previewWidth_ = 0;
    int previewHeight_ = 0;
    bool previewViewportStale_ = true;
    JobTimes lastJobTimes_;
};
