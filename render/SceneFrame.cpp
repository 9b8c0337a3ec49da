#include "render/SceneFrame.h"

#include <GL/gl.h>

#include <algorithm>
#include <chrono>

#include "render/AccumulationLoop.h"
#include "render/CameraGl.h"
#include "render/CullFaceToggle.h"
#include "render/LightingState.h"
#include "render/RenderHost.h"
#include "render/ShadowManager.h"
#include "render/SideManager.h"
#include "render/SidePasses.h"
#include "render/TileWindow.h"

namespace boxora {

namespace {

const GLdouble kAboveFloor[4] = {0, 1, 0, 0};  // keeps y >= 0

float Channel(uint32_t colorref, int shift) { return static_cast<float>((colorref >> shift) & 0xFF) / 255.0f; }

}  // namespace

SceneFrame::SceneFrame(IRenderHost& engine, const SceneParams& params, SidePasses& passes, CShadowManager2& shadow)
    : engine_(engine), params_(params), passes_(passes), shadow_(shadow) {}

bool SceneFrame::Continue(bool previous) const { return engine_.ContinueCondition(previous); }

bool SceneFrame::Draw(int renderMode, int width, int height) {
    const SceneParams& params = params_;
    width_ = width;
    height_ = height;
    ResetCulledFace();

    // 1. Clear everything; the background is white under a transparent one.
    if (params.backgroundTransparent) {
        glClearColor(1.0f, 1.0f, 1.0f, 0.0f);
    } else {
        const uint32_t c = params.backgroundColor;
        glClearColor(Channel(c, 0), Channel(c, 8), Channel(c, 16), 0.0f);
    }
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT | GL_STENCIL_BUFFER_BIT | GL_ACCUM_BUFFER_BIT);

    // 2. Projection, camera and scene transform.
    camera_ = ComputeCamera(params, PictureWidthOr(width), PictureHeightOr(height));
    ApplyProjectionAndCamera(camera_);
    ApplySceneTransform(camera_);

    // 3. Lights, turning with the scene.
    SetFrameLighting(params);

    // 4.-6. The side order (full frames and renders).
    ReportProgress(3);
    bool result = true;
    if (renderMode != RENDER_MODE_QUICK && !sideOrderKept_) result = engine_.Sides().OrderSides(true);
    ReportProgress(5);

    // 7.-9. Shadow pre-pass, scene pass(es), end of the pre-pass.
    const auto shadowStart = std::chrono::steady_clock::now();
    shadow_.PrepareShadow(width, height, passes_.Scene(), [this](float delta) { AddProgress(delta); });
    lastShadowMs_ = std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - shadowStart).count();
    if (result) result = AntialiasPass(renderMode);
    shadow_.ReleaseShadow();
    return result;
}

void SceneFrame::ReportProgress(float percent) { engine_.ReportProgress(progressBase_ + progressScale_ * percent); }

void SceneFrame::AddProgress(float delta) { engine_.AddProgress(progressScale_ * delta); }

bool SceneFrame::OrderSidesOnly(int width, int height) {
    const SceneParams& params = params_;
    ResetCulledFace();
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT | GL_STENCIL_BUFFER_BIT);
    camera_ = ComputeCamera(params, PictureWidthOr(width), PictureHeightOr(height));
    ApplyProjectionAndCamera(camera_);
    ApplySceneTransform(camera_);
    SetFrameLighting(params);
    return engine_.Sides().OrderSides(true);
}

bool SceneFrame::AntialiasPass(int renderMode) {
    const int n = params_.accumulationPasses;
    if (n <= 0) {
        const bool result = ScenePass(renderMode);
        // The frame lists of an off-screen pass live for one frame only.
        DeleteFrameLists();
        return result;
    }
    GLint viewport[4] = {0, 0, width_, height_};
    glGetIntegerv(GL_VIEWPORT, viewport);
    const double fovy = FieldOfView(params_.Camera_Perspective);
    const bool result = RenderJitteredSamples(n, fovy, [this, renderMode] { return ScenePass(renderMode); });
    glViewport(viewport[0], viewport[1], viewport[2], viewport[3]);
    DeleteFrameLists();
    return result;
}

bool SceneFrame::ScenePass(int renderMode) {
    const SceneParams& params = params_;
    glClipPlane(GL_CLIP_PLANE4, kAboveFloor);
    glEnable(GL_CLIP_PLANE4);
    EnableLights(params.Light_Source_Enabled_1, params.Light_Source_Enabled_2);
    bool result = true;
    switch (renderMode) {
        case RENDER_MODE_QUICK: result = QuickScenePass(); break;
        case RENDER_MODE_FULL: result = FullScenePass(); break;
        default: result = OffscreenScenePass(); break;
    }
    glDisable(GL_CLIP_PLANE4);
    return result;
}

bool SceneFrame::QuickScenePass() {
    DrawGrid();
    // Mirrors show their plain surface. Transparent sides come last,
    // blended at their level in the order the last full frame found, so
    // that a clear lid or sleeve never hides the cover behind it while the
    // user drags.
    bool result = passes_.DrawSides(SKIP_NONE, SKIP_TRANSPARENT);
    if (result) result = passes_.DrawFloorReflection(false);
    if (result) result = passes_.DrawTransparentSides();
    DrawMarkers();
    return result;
}

bool SceneFrame::FullScenePass() {
    // A step that runs replaces the result; a step skipped because a newer
    // redraw request arrived leaves it as it was.
    bool result = true;
    result = Continue(result) ? passes_.DrawMirrorSides() : false;
    if (Continue(result)) DrawGrid();
    if (Continue(result)) {
        result = passes_.DrawSides(SKIP_MIRRORS, SKIP_TRANSPARENT);
        if (result) result = passes_.DrawFloorReflection(false);
    }
    if (Continue(result)) {
        glDisable(GL_CULL_FACE);
        result = shadow_.DrawShadow(passes_.Scene(), width_, height_);
        glEnable(GL_CULL_FACE);
    }
    if (Continue(result)) result = passes_.DrawTransparentSides();
    DrawMarkers();
    return result;
}

bool SceneFrame::OffscreenScenePass() {
    // A render job given up (the program is closing) draws nothing more.
    if (engine_.RenderAbortRequested()) return false;
    const int passes = std::max(1, static_cast<int>(params_.accumulationPasses));
    const float share = static_cast<float>(80 - shadow_.ShadowWorkEstimate()) / static_cast<float>(passes) / 2.0f;
    AddProgress(share);

    bool result = true;
    if (frameListA_.built) {
        glCallList(frameListA_.name);
    } else {
        frameListA_.name = glGenLists(1);
        frameListA_.built = frameListA_.name != 0;
        if (frameListA_.built) glNewList(frameListA_.name, GL_COMPILE_AND_EXECUTE);
        result = passes_.DrawMirrorSides();
        if (Continue(result)) {
            result = passes_.DrawSides(SKIP_MIRRORS, SKIP_TRANSPARENT);
            if (result) result = passes_.DrawFloorReflection(false);
        }
        if (frameListA_.built) glEndList();
    }
    if (result) {
        glDisable(GL_CULL_FACE);
        shadow_.DrawShadow(passes_.Scene(), width_, height_);
        glEnable(GL_CULL_FACE);
    }
    if (frameListB_.built) {
        glCallList(frameListB_.name);
    } else {
        frameListB_.name = glGenLists(1);
        frameListB_.built = frameListB_.name != 0;
        if (frameListB_.built) glNewList(frameListB_.name, GL_COMPILE_AND_EXECUTE);
        if (Continue(result)) result = passes_.DrawTransparentSides();
        if (Continue(result)) result = passes_.WriteCoverageAlpha();
        if (frameListB_.built) glEndList();
    }

    AddProgress(share);
    return result;
}

void SceneFrame::DeleteFrameLists() {
    for (DisplayListSlot* list : {&frameListA_, &frameListB_}) {
        if (list->name != 0) glDeleteLists(list->name, 1);
        *list = DisplayListSlot{};
    }
}

void SceneFrame::DrawGrid() {
    if (params_.backgroundTransparent) grid_.Draw(width_, height_, camera_);
}

void SceneFrame::DrawMarkers() {
    const SceneParams& p = params_;
    markers_.Draw(p.Light_Source_Enabled_1, p.light1Position.Get(), p.Light_Source_Enabled_2, p.light2Position.Get());
}

}  // namespace boxora
