#include "render/RenderJobScene.h"

#include <GL/gl.h>

#include "render/CameraGl.h"
#include "render/SceneFrame.h"
#include "render/ShadowManager.h"
#include "render/SideOrderingGl.h"
#include "render/SidePasses.h"

namespace boxora {

RenderJobScene::RenderJobScene(IRenderHost& engine, SceneSnapshotPtr snapshot, SceneParams& params,
                               CShadowManager2& shadow)
    : engine_(engine),
      snapshot_(std::move(snapshot)),
      params_(params),
      model_(ToSceneModel(*snapshot_)),
      textures_(CTextureStore::JobTexturesOf(*snapshot_, engine.Textures().Budget(),
                                             engine.Textures().JobsReportUnreadable())),
      sides_(model_, releaseQueue_),
      scene_{model_, textures_.names, params_} {
    // The same grouping the engine's sides have, from the snapshot; the order
    // is found by the frame's own side ordering.
    sides_.BuildSides();
    sides_.SetStopTest([this] { return RenderAbortRequested(); });
    passes_ =
        std::make_unique<SidePasses>(sides_, scene_, [this](bool previous) { return ContinueCondition(previous); });
    passes_->SetStopTest([this] { return RenderAbortRequested(); });
    ordering_ = std::make_unique<GlSideOrdering>(*this, *passes_);
    sides_.SetOrderingBackend(ordering_.get());
    frame_ = std::make_unique<SceneFrame>(*this, params_, *passes_, shadow);
}

RenderJobScene::~RenderJobScene() { sides_.SetOrderingBackend(nullptr); }

boxora::Outcome RenderJobScene::UploadTextures() {
    return CTextureStore::UploadJobTextures(textures_, [this] { return RenderAbortRequested(); });
}

void RenderJobScene::DeleteTextures() { CTextureStore::DeleteJobTextures(textures_); }

void RenderJobScene::Resize(int width, int height) {
    if (height == 0) height = 1;
    params_.viewportWidth = width;
    params_.viewportHeight = height;
    sides_.Resize(width, height);
    glViewport(0, 0, width, height);
    const CameraSetup camera = ComputeCamera(params_, width, height);
    ApplyProjectionAndCamera(camera);
    ApplySceneTransform(camera);
}

}  // namespace boxora
