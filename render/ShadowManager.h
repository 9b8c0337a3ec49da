#pragma once
// CShadowManager2: the soft drop shadow. The models' silhouettes are
// flattened along a directional shadow light onto the plane y = 0.5 just
// above the floor, drawn in a translucent grey, averaged over several
// jittered light directions in the accumulation buffer and laid under the
// scene (objects and their reflections stay in front of it).
//
// Full previews draw four samples per frame (DrawShadow in mode 1).
// Off-screen frames blur the shadow once, before the antialiasing passes
// (PrepareShadow), and lay that image under every antialiasing sample
// (DrawShadow in mode 2).
//
// The off-screen pre-pass of large renders needs hundreds of samples, so it
// works only where the shadow can fall and, when the sample count times that
// area is large, at a reduced resolution: the flattened silhouettes of every
// sample are averaged over a window rectangle that holds all of them, drawn
// up to kMaxReduction times smaller, and the blurred shadow is kept as a
// texture that the composite magnifies (bilinear) over that rectangle. The
// shadow is soft by construction, so the picture barely changes. The
// silhouettes are not depth-tested against the objects: every object pixel
// is opaque in the frame the shadow is laid under, so the composite puts the
// objects back over it anyway (and edge pixels of the jittered samples get
// their share of shadow instead of a light fringe). The composite copies
// only that rectangle of the frame, on the renderer's side, instead of
// reading the whole frame back for every antialiasing sample.
//
// SetReferencePrepass(true) switches to the plain method for comparisons:
// every sample over the whole frame at full resolution, depth-tested, the
// blurred shadow read back into ShadowImage and laid under each sample
// with the frame read back and drawn again.
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

    // True between PrepareShadow and ReleaseShadow of an off-screen frame
    // when there is a blurred shadow to lay under the scene.
    bool HasShadowImage() const { return !shadowImage_.empty() || shadowTexture_ != 0; }

    // Consulted between the samples of the off-screen pre-pass: true ends it
    // early (the program is closing and the render job is given up).
    void SetAbortTest(std::function<bool()> test) { abortTest_ = std::move(test); }

    // Starts the random spread of the off-screen samples anew: the same seed
    // gives the same samples.
    void SeedRandom(uint32_t seed) { random_.Seed(seed); }

    // A picture drawn in tiles (render/TileWindow.h) lays one shadow under
    // all of them: PlanTiledShadow, called with the whole picture's
    // projection and camera current, draws the samples once and fixes the
    // window rectangle and resolution for the whole picture; each tile's
    // pre-pass then draws only the part of that shadow its tile shows (plus
    // a margin of texels, so that the magnification blends across tile
    // edges exactly as in one piece). EndTiledShadow goes back to frames of
    // their own.
    void PlanTiledShadow(int pictureWidth, int pictureHeight, const boxora::ObjectDrawingScene& scene);
    void EndTiledShadow() { tiledPlan_ = TiledPlan{}; }

    // The plain pre-pass (see above), for comparisons and benchmarks.
    void SetReferencePrepass(bool reference) { referencePrepass_ = reference; }

    // What the last off-screen pre-pass did: its sample count, the window
    // rectangle it covered (x, y, width, height; empty when no shadow could
    // be seen) and the reduction factor of its resolution.
    struct PrepassInfo {
        int samples = 0;
        std::array<int, 4> rect{};
        int reduction = 1;
    };
    PrepassInfo LastPrepass() const { return lastPrepass_; }

    // The reduced pre-pass stays within this many pixel-samples (sample
    // count × rectangle area / reduction²), dividing the resolution by at
    // most kMaxReduction.
    static constexpr double kPrepassBudget = 1.2e8;
    static constexpr int kMaxReduction = 4;
    static int ReductionFactor(int samples, int rectWidth, int rectHeight);

private:
    bool DrawPreviewShadow(const boxora::ObjectDrawingScene& scene, int width, int height);
    bool DrawOffscreenShadow(int width, int height);
    void PrepareReferenceShadow(int width, int height, const boxora::ObjectDrawingScene& scene,
                                const std::function<void(float)>& progress);
    bool DrawReferenceShadow(int width, int height);
    // Records (first sample) or replays the flattened geometry of a sample.
    void DrawShadowGeometry(const boxora::ObjectDrawingScene& scene);
    // The flattening matrix of every sample of an off-screen pre-pass at
    // quality k, in the order the samples take them (their random spread is
    // drawn now); empty when there is no memory for them.
    std::vector<glm::dmat4> OffscreenSampleMatrices(float k);
    // The pre-pass samples: each flattened silhouette in the shadow colour,
    // unlit, without the floor clip and without depth writes, averaged in
    // the accumulation buffer, whose average ends in the colour buffer.
    // beforeSample(i), when given, runs before sample i is drawn. Stops
    // early when the job is given up; advances the progress every 20
    // samples.
    void AccumulateSamples(const boxora::ObjectDrawingScene& scene, const std::vector<glm::dmat4>& samples,
                           const std::function<void(float)>& progress, const std::function<void(int)>& beforeSample);
    void DeleteTextures();
    // The sampling of this frame's pre-pass: the window rectangle the
    // texture covers (texture origin and texel counts), the rectangle the
    // composite lays it over and the reduction. False when nothing of the
    // shadow can be seen.
    struct PrepassLayout {
        std::array<int, 4> composite{};
        int textureX = 0, textureY = 0, textureWidth = 0, textureHeight = 0;
        int reduction = 1;
    };
    bool TileLayout(int width, int height, PrepassLayout& layout) const;

    struct TiledPlan {
        bool active = false;
        std::vector<glm::dmat4> samples;
        std::array<int, 4> rect{};  // picture pixels
        int reduction = 1;
    };
    TiledPlan tiledPlan_;

    SceneParams& params_;
    boxora::Plane plane_;
    glm::dmat4 shadowMatrix_{1.0};
    bool listBuilt_ = false;
    GLuint listName_ = 0;
    std::atomic<bool> listValid_{false};
    std::vector<uint8_t> shadowImage_;  // W × H RGBA, bottom row first (reference pre-pass)
    // The reduced pre-pass: the blurred shadow as a texture of
    // textureWidth_ × textureHeight_ texels for the window rectangle rect_
    // at reduction_, and the texture the composite copies the frame into.
    GLuint shadowTexture_ = 0;
    GLuint frameTexture_ = 0;
    int textureWidth_ = 0;
    int textureHeight_ = 0;
    std::array<int, 4> rect_{};
    int textureX_ = 0;  // window position of the texture's first texel
    int textureY_ = 0;
    int reduction_ = 1;
    bool referencePrepass_ = false;
    PrepassInfo lastPrepass_;
    std::function<bool()> abortTest_;
    std::vector<uint8_t> savedScene_;  // preview composite
    std::vector<uint8_t> shadowBuffer_;
    int previewWidth_ = 0;
    int previewHeight_ = 0;
    float shadowQuality_ = 1.0f;
    boxora::ShadowRandomSource random_;
};
