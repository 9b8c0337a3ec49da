// Scene-wide settings, set through their table, and the viewport size. The
// values are stored without the engine lock (they are atomics); every setter
// ends with a redraw request.
#include <cmath>

#include "engine/Engine.h"

void CEngine::Resize(int width, int height) {
    std::lock_guard lock(lock_);
    if (height == 0) height = 1;
    params_.viewportWidth = width;
    params_.viewportHeight = height;
    sides_.Resize(width, height);
    renderer_->ApplySize(width, height);
}

void CEngine::SetPreviewSize(int width, int height) {
    previewWidth_ = width;
    previewHeight_ = height;
}

void CEngine::SetSetting(boxora::Setting setting, double value) {
    if (!std::isfinite(value)) return;
    boxora::ApplySetting(params_, setting, value);
    const unsigned effects = boxora::RowOf(setting).effects;
    if (effects & boxora::kEffectShadow) renderer_->InvalidateShadowList();
    if (effects & boxora::kEffectSideLists) {
        // The faded reflection is baked into the side lists.
        RunLockedOrQueued([this] {
            sides_.InvalidateSideLists();
            return false;
        });
    }
    Redraw();
}

void CEngine::ResetSceneSettings() {
    params_.ResetSceneSettings();
    // The reflection is baked into the side lists, the shadow geometry into
    // the shadow's list.
    RunLockedOrQueued([this] {
        sides_.InvalidateSideLists();
        renderer_->InvalidateShadowList();
        return false;
    });
    Redraw();
}
