#include "render/GlFrameRenderer.h"

#include <GL/gl.h>

#include <algorithm>
#include <chrono>
#include <mutex>

#include "image/ImageFormat.h"
#include "lang/Messages.h"
#include "render/CameraGl.h"
#include "render/FrameSink.h"
#include "render/LightingState.h"
#include "render/OsMesaContext.h"
#include "render/RenderHost.h"
#include "render/RenderJobScene.h"
#include "render/RenderJobSteps.h"
#include "render/SceneFrame.h"
#include "render/ShadowManager.h"
#include "render/SideManager.h"
#include "render/SideOrderingGl.h"
#include "render/SidePasses.h"
#include "render/SideSlots.h"
#include "render/TextureUpload.h"
#include "render/TiledRender.h"

using boxora::OsMesaContext;

std::unique_ptr<IFrameRenderer> CreateFrameRenderer(IRenderHost& engine) {
    return std::make_unique<GlFrameRenderer>(engine);
}

GlFrameRenderer::GlFrameRenderer(IRenderHost& engine)
    : engine_(engine),
      frameParams_(engine.Params()),
      scene_{engine.SceneObjects(), engine.TextureNames(), frameParams_},
      shadow_(std::make_unique<CShadowManager2>(frameParams_)),
      jobParams_(engine.Params()),
      jobShadow_(std::make_unique<CShadowManager2>(jobParams_)),
      passes_(std::make_unique<boxora::SidePasses>(
          engine.Sides(), scene_, [&engine](bool previous) { return engine.ContinueCondition(previous); })),
      ordering_(std::make_unique<boxora::GlSideOrdering>(engine, *passes_)),
      frame_(std::make_unique<boxora::SceneFrame>(engine, frameParams_, *passes_, *shadow_)) {
    engine_.Sides().SetOrderingBackend(ordering_.get());
    jobShadow_->SetAbortTest([&engine] { return engine.RenderAbortRequested(); });
    passes_->SetStopTest([&engine] { return engine.RenderAbortRequested(); });
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

bool GlFrameRenderer::CreateHeadlessContexts() {
    sink_ = nullptr;
    if (offscreen_) return true;
    std::string error;
    offscreen_ = OsMesaContext::Create(&error);
    return offscreen_ != nullptr;
}

bool GlFrameRenderer::ReleaseContexts() {
    if (!window_ && !offscreen_) return true;
    // Called after both worker threads have ended: nothing is current on
    // them any more. Whatever lived in the contexts goes with them.
    window_.reset();
    offscreen_.reset();
    frame_->ForgetGrid();
    shadow_->ForgetList();
    jobShadow_->ForgetList();
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
        engine_.Report(engine_.Textures().ReuploadAllTextures());
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

namespace {

// The preview surface grows in steps of about a quarter a side and never
// shrinks: OSMesa frees the buffers of a surface size only with its
// context, so every size the surface takes stays allocated. A window
// dragged through dozens of sizes thus costs a few steps, whose sum stays
// within a few times the largest surface.
int PreviewSurfaceSide(int wanted, int current) {
    int side = boxora::GlSideOrdering::kOrderingSide;
    while (side < wanted && side < OsMesaContext::kMaxSide) side = (side * 5 / 4 + 63) / 64 * 64;
    return std::clamp(std::max(side, current), 1, OsMesaContext::kMaxSide);
}

}  // namespace

bool GlFrameRenderer::FitWindowSurface() {
    const int w = PreviewSurfaceSide(previewWidth_, window_->Width());
    const int h = PreviewSurfaceSide(previewHeight_, window_->Height());
    if (w == window_->Width() && h == window_->Height()) return true;
    if (!window_->Resize(w, h)) return false;
    previewViewportStale_ = true;
    return true;
}

bool GlFrameRenderer::FitOffscreenSurface(int width, int height) {
    if (width == offscreen_->Width() && height == offscreen_->Height()) return offscreen_->MakeCurrent();
    // A new size takes a new context, so that the buffers of the old size
    // go; pictures of one size keep theirs from job to job.
    const bool renewed = offscreen_->Renew(width, height);
    // The context is a new one even when the size could not be had.
    jobShadow_->ForgetList();
    if (offscreen_->IsCurrent()) boxora::SetFixedLightingState();
    return renewed;
}

void GlFrameRenderer::SetViewportAndCamera(int width, int height) {
    glViewport(0, 0, width, height);
    const boxora::CameraSetup camera = boxora::ComputeCamera(frameParams_, width, height);
    boxora::ApplyProjectionAndCamera(camera);
    boxora::ApplySceneTransform(camera);
}

void GlFrameRenderer::ApplySize(int width, int height) {
    frameParams_.viewportWidth = width;
    frameParams_.viewportHeight = height;
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
    FitWindowSurface();
    SetViewportAndCamera(width, height);
    previewViewportStale_ = false;
}

bool GlFrameRenderer::DrawFrame(int renderMode) {
    if (!window_ || !window_->IsCurrent()) return false;
    frameParams_ = engine_.Params();
    frameParams_.accumulationPasses = 0;
    FitWindowSurface();
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
        }
    }
    return result;
}

namespace boxora {

// The transparent-background boost of PNG renders: a stronger reflection
// and a finer shadow, in the job's own copy of the settings.
void ApplyTransparentBoost(SceneParams& params, int format) {
    if (!params.backgroundTransparent || format != FORMAT_PNG) return;
    params.Reflection_Opacity = 40.0f + 0.6f * params.Reflection_Opacity;
    params.Shadow_Intensity = static_cast<int>(0.4f * static_cast<float>(params.Shadow_Intensity) + 60.0f);
}

boxora::Outcome SaveError(const std::string& fileName, const std::string& why) {
    if (!why.empty())
        return boxora::Outcome::Failure(
            {"TabRendering", "errsavewhy", "The image could not be saved to \"%s\": %s.", {fileName, why}});
    return boxora::Outcome::Failure({"TabRendering", "errsave", "The image could not be saved to \"%s\".", {fileName}});
}

}  // namespace boxora

using boxora::ApplyTransparentBoost;
using boxora::SaveError;

namespace {

boxora::Outcome GivenUp() {
    boxora::Outcome outcome;
    outcome.failed = true;
    return outcome;
}

}  // namespace

boxora::Outcome GlFrameRenderer::RenderPicture(const RenderJob& job, IPictureSink& sink) {
    if (!offscreen_ || !offscreen_->IsCurrent()) return GivenUp();
    using Clock = std::chrono::steady_clock;
    const auto ms = [](Clock::time_point from) {
        return std::chrono::duration<double, std::milli>(Clock::now() - from).count();
    };
    const auto jobStart = Clock::now();
    lastJobTimes_ = JobTimes{};
    boxora::SetFixedLightingState();
    jobShadow_->SeedRandom(
        job.seed.value_or(static_cast<uint32_t>(std::chrono::system_clock::now().time_since_epoch().count())));

    // The scene as it is now, published in one short locked moment;
    // everything after draws from the snapshot without the engine lock.
    const SceneSnapshotPtr snapshot = engine_.PublishScene();
    jobParams_ = snapshot->settings;
    auto scene = std::make_unique<boxora::RenderJobScene>(engine_, snapshot, jobParams_, *jobShadow_);
    jobParams_.RenderMode = RENDER_MODE_OFFSCREEN;
    jobParams_.accumulationPasses = kRenderPasses;
    ApplyTransparentBoost(jobParams_, job.format);

    // Pictures too big for one surface are drawn in tiles.
    if (const int tileSide = boxora::ChooseTileSide(job.width, job.height, job.tileSize); tileSide > 0) {
        boxora::TiledJobTimes times;
        const boxora::TiledJobParts parts{engine_, jobParams_, *jobShadow_, *scene,
                                          [this](int w, int h) { return FitOffscreenSurface(w, h); }};
        boxora::Outcome outcome = boxora::DrawTiledPicture(job, tileSide, parts, sink, times);
        lastJobTimes_ = {times.shadow, times.frame, times.read, times.deliver, ms(jobStart)};
        return outcome;
    }

    // The offscreen surface takes the job's size.
    if (job.width < 1 || job.height < 1 || !FitOffscreenSurface(job.width, job.height)) {
        return SaveError(job.fileName);
    }
    engine_.ReportProgress(1);
    scene->Resize(job.width, job.height);
    // Textures no larger than this picture can show.
    SetTexturePictureSize(job.width, job.height);
    // A texture shrunk to the budget is said as the job starts, as it goes on.
    if (boxora::Outcome textures = scene->UploadTextures(); job.requireImages && textures.failed) {
        scene->DeleteTextures();
        return textures;
    } else {
        engine_.Report(textures);
    }

    const auto frameStart = Clock::now();
    scene->Frame().Draw(RENDER_MODE_OFFSCREEN, job.width, job.height);
    lastJobTimes_.frame = ms(frameStart);
    lastJobTimes_.shadow = scene->Frame().LastShadowMs();

    // Back to rest: no textures. The surface keeps the job's size for the
    // next job (see FitOffscreenSurface).
    struct BackToRest {
        boxora::RenderJobScene& scene;
        JobTimes& times;
        Clock::time_point start;
        ~BackToRest() {
            scene.DeleteTextures();
            times.total = std::chrono::duration<double, std::milli>(Clock::now() - start).count();
        }
    } backToRest{*scene, lastJobTimes_, jobStart};

    // The program is closing: the job ends here, writing nothing (a file
    // of that name keeps its previous content).
    if (engine_.RenderAbortRequested()) return GivenUp();

    const auto readStart = Clock::now();
    std::vector<uint8_t> pixels;
    if (!offscreen_->ReadPixels(pixels)) return SaveError(job.fileName);
    lastJobTimes_.read = ms(readStart);
    // Read back bottom row first: handed over from the top without turning.
    const auto deliverStart = Clock::now();
    const auto row = static_cast<std::ptrdiff_t>(job.width) * 4;
    if (sink.Begin(job.width, job.height, jobParams_.backgroundTransparent, false))
        sink.AddRows(pixels.data() + (job.height - 1) * row, -row, 0, job.height);
    lastJobTimes_.save = ms(deliverStart);
    return {};
}

void GlFrameRenderer::InvalidateShadowList() {
    shadow_->InvalidateShadowList();
    jobShadow_->InvalidateShadowList();
}
