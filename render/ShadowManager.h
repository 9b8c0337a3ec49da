#pragma once
// CShadowManager2: the soft drop shadow. The models' silhouettes are
// flattened along a directional shadow light onto the plane y = 0.5 just
// above the floor, drawn in a translucent grey, averaged over several
// jittered light directions in the accumulation buffer and laid under the
// scene (objects and their reflections stay in front of it).
//
// Full previews draw four samples per frame (DrawShadow in mode 1).
// Off-screen frames blur the shadow once, before the antialiasing passes,
// into ShadowImage (PrepareShadow), and lay that image under every
// antialiasing sample (DrawShadow in mode 2).
//
// The jittered samples move the shadow light for the sample only: the scene
// parameters keep the user's length and direction throughout, so a change
// made on the user-interface thread while a frame draws is never undone.
#include <GL/gl.h>

#include <array>
#include <atomic>
#include <cstdint>
#include <functional>
#include <vector>

#include "render/ObjectDrawing.h"
#include "render/ShadowMath.h"

namespace boxora {
class SidePasses;
}

class CShadowManager2 {
public:
    explicit CShadowManager2(SceneParams& params);
    virtual ~CShadowManager2();
    CShadowManager2(const CShadowManager2&) = delete;
    CShadowManager2& operator=(const CShadowManager2&) = delete;

    static constexpr std::array<float, 4> kShadowColor{0.3f, 0.3f, 0.3f, 0.7f};

    // The cached shadow geometry of off-screen frames is stale (any thread).
    void InvalidateShadowList() { listValid_ = false; }
    // The preview viewport; the preview's two pixel buffers follow it.
    void ResizeShadowBuffers(int width, int height);

    // k = (max(w, h) / 600) (length / 70) (intensity / 70) for the stored
    // viewport size; kept as ShadowQuality.
    float ComputeShadowQuality();
    // The off-screen pre-pass's share of the render progress, in percent.
    int ShadowWorkEstimate() const;

    // Off-screen frames only (render mode 2): renders the blurred shadow of
    // a W × H frame into ShadowImage. progress(delta) advances the render
    // progress. Does nothing in other modes.
    void PrepareShadow(int width, int height, const boxora::ObjectDrawingScene& scene,
                       const std::function<void(float)>& progress);
    // The shadow pass of the scene pass (modes 1 and 2), with the frame so
    // far in the colour and depth buffers. Always true.
    bool DrawShadow(const boxora::ObjectDrawingScene& scene, int width, int height);
    // Frees ShadowImage (mode 2).
    void ReleaseShadow();
    // The display list belonged to a context that is gone.
    void ForgetList();

    const std::array<float, 4>& ShadowPlane() const { return plane_; }
    bool HasShadowImage() const { return !shadowImage_.empty(); }

private:
    bool DrawPreviewShadow(const boxora::ObjectDrawingScene& scene, int width, int height);
    bool DrawOffscreenShadow(int width, int height);
    // Flattens along the light of one sample (length and direction given).
    void MultShadowMatrix(float length, float direction);

    SceneParams& params_;
    boxora::Plane plane_;
    std::array<float, 16> shadowMatrix_{};
    bool listBuilt_ = false;
    GLuint listName_ = 0;
    std::atomic<bool> listValid_{false};
    std::vector<uint8_t> shadowImage_;  // W × H RGBA, bottom row first (off-screen frames)
    std::vector<uint8_t> savedScene_;   // preview composite
    std::vector<uint8_t> shadowBuffer_;
    int previewWidth_ = 0;
    int previewHeight_ = 0;
    float shadowQuality_ = 1.0f;
};
