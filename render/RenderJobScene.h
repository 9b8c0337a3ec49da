#pragma once
// The scene a render job draws: the program's records rebuilt from a scene
// snapshot (objects, materials, artwork, settings), with sides, passes,
// side ordering and frame of its own. Nothing of it is the engine's, so the
// job draws without the engine lock; edits made meanwhile are applied to
// the scene at once (and shown by the preview) while the picture stays the
// scene of its snapshot.
//
// It is the host of its own passes: the settings, objects, sides and
// viewport are the job's; progress, the stop test, the continue condition
// and the output name go to the engine.
#include <memory>

#include "render/GlReleaseQueue.h"
#include "render/ObjectDrawing.h"
#include "render/RenderHost.h"
#include "render/SideManager.h"
#include "render/TextureStore.h"

class CShadowManager2;

namespace boxora {

class SceneFrame;
class SidePasses;
class GlSideOrdering;

class RenderJobScene : public IRenderHost {
public:
    // params: the job's settings, taken from the snapshot by the caller,
    // which the job's shadow passes read as well (they stay the caller's,
    // and live longer than this). No lock needed.
    RenderJobScene(IRenderHost& engine, SceneSnapshotPtr snapshot, SceneParams& params, CShadowManager2& shadow);
    ~RenderJobScene() override;
    RenderJobScene(const RenderJobScene&) = delete;
    RenderJobScene& operator=(const RenderJobScene&) = delete;

    // Uploads the job's textures into the current (offscreen) context, and
    // deletes them from it again when the job is done.
    boxora::Outcome UploadTextures();
    void DeleteTextures();

    SceneFrame& Frame() { return *frame_; }
    const ObjectDrawingScene& DrawingScene() const { return scene_; }

    // --- IRenderHost ---
    SceneParams& Params() override { return params_; }
    SceneSnapshotPtr PublishScene() override { return snapshot_; }
    SceneModel& SceneObjects() override { return model_; }
    TextureNameTable& TextureNames() override { return textures_.names; }
    CSideManager& Sides() override { return sides_; }
    // The engine's store (engine lock needed): the job itself draws from
    // its snapshot's artwork and never uses it.
    CTextureStore& Textures() override { return engine_.Textures(); }
    // A lock of the job's own: nothing but the job sees its scene.
    ReentrantLock& Lock() override { return lock_; }
    // The job's viewport: its settings, its sides' depth buffers and the
    // current context's viewport and camera.
    void Resize(int width, int height) override;
    // An off-screen frame goes on after a completed step whatever the
    // preview is doing; otherwise as the engine says.
    bool ContinueCondition(bool previousResult) const override {
        return previousResult || engine_.ContinueCondition(previousResult);
    }
    bool RenderAbortRequested() const override { return engine_.RenderAbortRequested(); }
    void ReportProgress(float value) override { engine_.ReportProgress(value); }
    void Report(const boxora::Outcome& outcome) override { engine_.Report(outcome); }
    void AddProgress(float delta) override { engine_.AddProgress(delta); }
    std::string RenderOutputName(const std::string& requested) override { return engine_.RenderOutputName(requested); }
    void FinishRenderOutput(const std::string& written) override { engine_.FinishRenderOutput(written); }

private:
    IRenderHost& engine_;
    SceneSnapshotPtr snapshot_;
    SceneParams& params_;
    SceneModel model_;
    CTextureStore::JobTextures textures_;
    // Off-screen frames build no side display lists, so nothing is ever
    // released here; the side manager just needs a queue.
    GlReleaseQueue releaseQueue_;
    CSideManager sides_;
    ReentrantLock lock_;
    ObjectDrawingScene scene_;
    std::unique_ptr<SidePasses> passes_;
    std::unique_ptr<GlSideOrdering> ordering_;
    std::unique_ptr<SceneFrame> frame_;
};

}  // namespace boxora
