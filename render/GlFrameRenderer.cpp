#include "render/GlFrameRenderer.h"

#include <GL/gl.h>

#include <algorithm>
#include <mutex>

#include "engine/Engine.h"
#include "render/CameraGl.h"
#include "render/FrameSink.h"
#include "render/LightingState.h"
#include "render/OsMesaContext.h"
#include "render/SceneFrame.h"
#include "render/ShadowManager.h"
#include "render/SideOrderingGl.h"
#include "render/SidePasses.h"
#include "render/SideSlots.h"

using boxora::OsMesaContext;

std::unique_ptr<IFrameRenderer> CreateFrameRenderer(CEngine& engine) {
    return std::make_unique<GlFrameRenderer>(engine);
}

GlFrameRenderer::GlFrameRenderer(CEngine& engine)
    : engine_(engine),
      scene_{engine.Models().Model(), engine.Models().TextureNames(), engine.Params()},
      shadow_(std::make_unique<CShadowManager2>(engine.Params())),
      passes_(std::make_unique<boxora::SidePasses>(engine.Sides(), scene_,
                                                   [&engine](bool previous) {
                                                       return engine.ContinueCondition(previous);
                                                   })),
      ordering_(std::make_unique<boxora::GlSideOrdering>(engine, *passes_)),
      frame_(std::make_unique<boxora::SceneFrame>(engine, *passes_, *shadow_)) {
    engine_.Sides().SetOrderingBackend(ordering_.get());
}

GlFrameRenderer::~GlFrameRenderer() {
    if (engine_.Sides().OrderingBackend() == ordering_.get()) engine_.Sides().SetOrderingBackend(nullptr);
    ReleaseContexts();
}

bool GlFrameRenderer::CreateContexts(IFrameSink* sink) {
    sink_ = sink;
    if (window_ && offscreen_) return true;
    std::string error;
    auto window = OsMesaContext::Create(&error);
    auto offscreen = window ? OsMesaContext::Create(&error) : nullptr;
    if (!window || !offscreen) return false;
    window_ = std::move(window);
    offscreen_ = std::move(offscreen);
    windowContextFresh_ = true;
    previewViewportStale_ = true;
    return true;
}

bool GlFrameRenderer::ReleaseContexts() {
    if (!window_ && !offscreen_) return true;
    // Called after both worker threads have ended: nothing is current on
    // them any more. Whatever lived in the contexts goes with them.
    window_.reset();
    offscreen_.reset();
    frame_->ForgetGrid();
    shadow_->ForgetList();
    std::lock_guard lock(engine_.Lock());
    engine_.Sides().ForgetSideLists();
    return true;
}

void GlFrameRenderer::BeginSceneThread() {
    if (!window_ || !window_->MakeCurrent()) return;
    boxora::SetFixedLightingState();
    previewViewportStale_ = true;
    if (windowContextFresh_) {
        // A context made after the textures were loaded (the preview was
        // created anew) gets them again under their names.
        std::lock_guard lock(engine_.Lock());
        engine_.Textures().ReuploadAllTextures();
        windowContextFresh_ = false;
    }
}

void GlFrameRenderer::EndSceneThread() {
    if (window_) window_->Release();
}

void GlFrameRenderer::BeginRenderThread() {
    if (offscreen_) offscreen_->MakeCurrent();
}

void GlFrameRenderer::EndRenderThread() {
    if (offscreen_) offscreen_->Release();
}

bool GlFrameRenderer::FitWindowSurface(bool allowShrink) {
    const int side = boxora::GlSideOrdering::kOrderingSide;
    const int w = std::clamp(std::max(previewWidth_, side), 1, OsMesaContext::kMaxSide);
    const int h = std::clamp(std::max(previewHeight_, side), 1, OsMesaContext::kMaxSide);
    if (w == window_->Width() && h == window_->Height()) return true;
    if (!allowShrink && w <= window_->Width() && h <= window_->Height()) return true;
    const int growW = allowShrink ? w : std::max(w, window_->Width());
    const int growH = allowShrink ? h : std::max(h, window_->Height());
    if (!window_->Resize(growW, growH)) return false;
    previewViewportStale_ = true;
    return true;
}

void GlFrameRenderer::SetViewportAndCamera(int width, int height) {
    glViewport(0, 0, width, height);
    const boxora::CameraSetup camera = boxora::ComputeCamera(engine_.Params(), width, height);
    boxora::ApplyProjectionAndCamera(camera);
    boxora::ApplySceneTransform(camera);
}

void GlFrameRenderer::ApplySize(int width, int height) {
    if (offscreen_ && offscreen_->IsCurrent()) {
        // A render job's frame (or the preview size it restores at its end):
        // the job itself sizes the offscreen surface.
        SetViewportAndCamera(width, height);
        return;
    }
    previewWidth_ = width;
    previewHeight_ = height;
    shadow_->ResizeShadowBuffers(width, height);
    if (!window_ || !window_->IsCurrent()) {
        // No context on this thread: the scene thread applies the size
        // before its next frame.
        previewViewportStale_ = true;
        return;
    }
    // The side ordering switches to its own viewport in the middle of a
    // frame; the surface only grows then, so the frame so far survives.
    FitWindowSurface(false);
    SetViewportAndCamera(width, height);
    previewViewportStale_ = false;
}

bool GlFrameRenderer::DrawFrame(int renderMode) {
    if (!window_ || !window_->IsCurrent()) return false;
    FitWindowSurface(true);
    const int width = previewWidth_, height = previewHeight_;
    if (previewViewportStale_) {
        glViewport(0, 0, width, height);
        previewViewportStale_ = false;
    }
    const bool result = frame_->Draw(renderMode, width, height);
    if (result) {
        glFlush();
        if (IFrameSink* sink = sink_.load()) {
            window_->Present(*sink, width, height);
            ++presented_;
        }
    }
    return result;
}

void GlFrameRenderer::PerformRenderJob(const RenderJob&) {
    // The render job (offscreen surface of the job's size, eight jittered
    // passes, read-back and saving) is drawn by SceneFrame in render mode 2.
}

void GlFrameRenderer::InvalidateShadowList() { shadow_->InvalidateShadowList(); }
