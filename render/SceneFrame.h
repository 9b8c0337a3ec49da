#pragma once
// One frame of the scene on the current context, by render mode:
// 0 quick preview, 1 full preview, 2 off-screen render.
//
// Frame: clear (colour from the background, alpha 0), projection, camera and
// scene transform, light model and positions, progress 3, the side order
// (modes 1 and 2; its result becomes the frame's), progress 5, the shadow
// pre-pass (mode 2), the accumulation loop around the scene pass, the end of
// the shadow pre-pass's image. The frame's result says whether it was
// completed and may be shown.
//
// Scene pass, with clip plane 4 keeping y >= 0 and the lights switched by
// their flags:
//   mode 0  grid (transparent background); every side plainly, then the
//           floor reflection; light markers
//   mode 1  mirror sides; grid; the opaque sides, then the floor reflection;
//           the shadow; the transparent sides; light markers. Every step but
//           the markers runs only while no newer redraw request has arrived.
//   mode 2  (once per antialiasing sample) progress; frame list A: mirror
//           sides, opaque sides and floor reflection; the shadow; frame list
//           B: transparent sides and coverage alpha; progress
#include "render/BackgroundGrid.h"
#include "render/CameraMath.h"
#include "render/LightMarkers.h"
#include "render/Side.h"

class IRenderHost;
class CShadowManager2;

namespace boxora {

class SidePasses;

class SceneFrame {
public:
    // params: the settings the frames are drawn with (the renderer's
    // snapshot, taken before each frame).
    SceneFrame(IRenderHost& engine, const SceneParams& params, SidePasses& passes, CShadowManager2& shadow);

    // Draws the frame on a width × height viewport; true when it completed.
    bool Draw(int renderMode, int width, int height);

    // The tiles of one picture must all draw the sides in the same order:
    // it is found once, for the whole picture (OrderSidesOnly on a viewport
    // of the picture's shape), and kept while SetSideOrderKept(true).
    bool OrderSidesOnly(int width, int height);
    void SetSideOrderKept(bool kept) { sideOrderKept_ = kept; }
    // A tile's frame is a share of its picture's progress: the frame's own
    // 0 .. 100 becomes base + scale × that.
    void SetProgressRange(float base, float scale) {
        progressBase_ = base;
        progressScale_ = scale;
    }

    // The grid's display list: delete it (its context current) or forget it
    // (its context is gone).
    void ReleaseGrid() { grid_.Release(); }
    void ForgetGrid() { grid_.Forget(); }

    const CameraSetup& Camera() const { return camera_; }
    // Milliseconds the last frame spent in the shadow pre-pass.
    double LastShadowMs() const { return lastShadowMs_; }

private:
    bool AntialiasPass(int renderMode);
    bool ScenePass(int renderMode);
    bool QuickScenePass();
    bool FullScenePass();
    bool OffscreenScenePass();
    // Whether a full frame goes on, given the previous step's result.
    bool Continue(bool previous) const;
    void DrawGrid();
    void DrawMarkers();
    void DeleteFrameLists();
    void ReportProgress(float percent);
    void AddProgress(float delta);

    IRenderHost& engine_;
    const SceneParams& params_;
    SidePasses& passes_;
    CShadowManager2& shadow_;
    CameraSetup camera_;
    int width_ = 1;
    int height_ = 1;
    BackgroundGrid grid_;
    LightMarkers markers_;
    DisplayListSlot frameListA_;
    DisplayListSlot frameListB_;
    double lastShadowMs_ = 0;
    bool sideOrderKept_ = false;
    float progressBase_ = 0;
    float progressScale_ = 1;
};

}  // namespace boxora
