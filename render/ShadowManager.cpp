#include "render/ShadowManager.h"

#include <GL/glu.h>

#include <algorithm>
#include <cmath>
#include <new>

#include "engine/SceneParams.h"
#include "model/MirrorMath.h"
#include "render/Mat4.h"

namespace {

// An orthographic pixel projection of width × height with an identity
// modelview; both matrices are pushed and popped by the caller's pair.
void PushPixelProjection(int width, int height) {
    glMatrixMode(GL_PROJECTION);
    glPushMatrix();
    glLoadIdentity();
    gluOrtho2D(0, width, 0, height);
    glMatrixMode(GL_MODELVIEW);
    glPushMatrix();
    glLoadIdentity();
}

void PopPixelProjection() {
    glMatrixMode(GL_PROJECTION);
    glPopMatrix();
    glMatrixMode(GL_MODELVIEW);
    glPopMatrix();
}

bool ReadFrameRect(std::vector<uint8_t>& rgba, int x, int y, int width, int height) {
    try {
        rgba.resize(static_cast<std::size_t>(width) * height * 4);
    } catch (const std::bad_alloc&) {
        return false;
    }
    glPixelStorei(GL_PACK_ALIGNMENT, 4);
    glReadPixels(x, y, width, height, GL_RGBA, GL_UNSIGNED_BYTE, rgba.data());
    return true;
}

bool ReadFrame(std::vector<uint8_t>& rgba, int width, int height) { return ReadFrameRect(rgba, 0, 0, width, height); }

// glDrawPixels of an RGBA image with its lower left corner at window (x, y)
// (the pixel projection of the viewport is current). The pixels are laid
// over the frame as they are: depth test and user clip planes are left out
// of the composites (CompositeState).
void DrawImageAt(const std::vector<uint8_t>& rgba, int x, int y, int width, int height) {
    if (rgba.size() < static_cast<std::size_t>(width) * height * 4) return;
    glRasterPos2i(x, y);
    glDrawPixels(width, height, GL_RGBA, GL_UNSIGNED_BYTE, rgba.data());
}

// The same for a whole-frame image.
void DrawFrameImage(const std::vector<uint8_t>& rgba, int width, int height) {
    DrawImageAt(rgba, 0, 0, width, height);
}

// Saves and clears the state the composites must not see, and puts it back.
class CompositeState {
public:
    CompositeState() {
        glPushAttrib(GL_ENABLE_BIT | GL_COLOR_BUFFER_BIT | GL_PIXEL_MODE_BIT);
        glDisable(GL_DEPTH_TEST);
        glDisable(GL_LIGHTING);
        glDisable(GL_TEXTURE_2D);
        for (GLenum plane = GL_CLIP_PLANE0; plane <= GL_CLIP_PLANE5; ++plane) glDisable(plane);
        glPixelZoom(1.0f, 1.0f);
    }
    ~CompositeState() { glPopAttrib(); }
    CompositeState(const CompositeState&) = delete;
    CompositeState& operator=(const CompositeState&) = delete;
};

// The window rectangle (x, y, width, height) that the silhouettes of every
// object flattened along the given lights can cover, with a margin, within
// a width × height viewport; the whole viewport when a flattened point
// falls behind the eye. Empty (width 0) when nothing of it is in view.
std::array<int, 4> ShadowWindowRect(const SceneModel& model, const std::vector<std::array<float, 16>>& shadows,
                                    int width, int height) {
    const std::array<int, 4> whole{0, 0, width, height};
    boxora::Mat4 modelview{}, projection{};
    glGetDoublev(GL_MODELVIEW_MATRIX, modelview.data());
    glGetDoublev(GL_PROJECTION_MATRIX, projection.data());
    const boxora::Mat4 eyeToClip = projection;
    double x0 = 1e300, y0 = 1e300, x1 = -1e300, y1 = -1e300;
    for (const auto& object : model.objects) {
        if (object->vertices.empty()) continue;
        // The object's box in drawing axes (memory (x, y, z) drawn at (x, z, y)).
        Vector3 lo{1e30f, 1e30f, 1e30f}, hi{-1e30f, -1e30f, -1e30f};
        for (const Vector3& v : object->vertices) {
            const Vector3 d{v.x, v.z, v.y};
            lo = {std::min(lo.x, d.x), std::min(lo.y, d.y), std::min(lo.z, d.z)};
            hi = {std::max(hi.x, d.x), std::max(hi.y, d.y), std::max(hi.z, d.z)};
        }
        const Matrix4 objectMatrix = ObjectTransformMatrix(*object);
        for (const auto& shadow : shadows) {
            boxora::Mat4 flatten{}, placed{};
            for (int i = 0; i < 16; ++i) flatten[i] = shadow[i], placed[i] = objectMatrix[i];
            const boxora::Mat4 m = boxora::Multiply(modelview, boxora::Multiply(flatten, placed));
            for (int corner = 0; corner < 8; ++corner) {
                const boxora::Vec4 p{corner & 1 ? hi.x : lo.x, corner & 2 ? hi.y : lo.y, corner & 4 ? hi.z : lo.z, 1};
                boxora::Vec4 eye = boxora::Transform(m, p);
                if (!(std::abs(eye[3]) > 1e-9)) return whole;
                for (double& c : eye) c /= eye[3];
                if (eye[2] > -1e-3) return whole;  // at or behind the eye
                const boxora::Vec4 clip = boxora::Transform(eyeToClip, eye);
                if (!(clip[3] > 1e-9)) return whole;
                const double wx = (clip[0] / clip[3] + 1) * width / 2.0, wy = (clip[1] / clip[3] + 1) * height / 2.0;
                x0 = std::min(x0, wx), x1 = std::max(x1, wx), y0 = std::min(y0, wy), y1 = std::max(y1, wy);
            }
        }
    }
    if (x0 > x1) return {0, 0, 0, 0};
    const int left = static_cast<int>(std::clamp(std::floor(x0) - 2, 0.0, static_cast<double>(width)));
    const int right = static_cast<int>(std::clamp(std::ceil(x1) + 2, 0.0, static_cast<double>(width)));
    const int bottom = static_cast<int>(std::clamp(std::floor(y0) - 2, 0.0, static_cast<double>(height)));
    const int top = static_cast<int>(std::clamp(std::ceil(y1) + 2, 0.0, static_cast<double>(height)));
    if (right <= left || top <= bottom) return {0, 0, 0, 0};
    return {left, bottom, right - left, top - bottom};
}

}  // namespace

CShadowManager2::CShadowManager2(SceneParams& params) : params_(params), plane_(boxora::DefaultShadowPlane()) {}

CShadowManager2::~CShadowManager2() = default;

void CShadowManager2::ResizeShadowBuffers(int width, int height) {
    // The buffers themselves are sized when a preview shadow is drawn, so
    // that the off-screen frame's viewport never allocates them.
    previewWidth_ = width;
    previewHeight_ = height;
}

float CShadowManager2::ComputeShadowQuality() {
    shadowQuality_ = boxora::ComputeShadowQuality(params_);
    return shadowQuality_;
}

int CShadowManager2::ShadowWorkEstimate() const {
    return boxora::ShadowWorkEstimate(
        boxora::ShadowPassCount(params_.Shadow_Blur, boxora::ComputeShadowQuality(params_), false));
}

void CShadowManager2::MultShadowMatrix(float length, float direction) {
    const std::array<float, 4> light = ShadowLightVector(85.0f - 0.8f * length, direction);
    shadowMatrix_ = boxora::ShadowMatrix(plane_, light);
    glMultMatrixf(shadowMatrix_.data());
}

bool CShadowManager2::DrawShadow(const boxora::ObjectDrawingScene& scene, int width, int height) {
    if (width <= 0 || height <= 0) return true;
    if (params_.RenderMode == RENDER_MODE_OFFSCREEN) return DrawOffscreenShadow(width, height);
    return DrawPreviewShadow(scene, width, height);
}

bool CShadowManager2::DrawPreviewShadow(const boxora::ObjectDrawingScene& scene, int width, int height) {
    // The four samples' lights.
    const int passes = boxora::ShadowPassCount(params_.Shadow_Blur, shadowQuality_, true);
    const int n = boxora::ShadowGridSide(passes);
    const float length = params_.ShadowLength();
    const float direction = params_.shadowDirection;
    std::vector<std::array<float, 16>> samples;
    for (int i = 0; i < 4; ++i) {
        const float l = length + boxora::ShadowJitterPreview(n, i, true);
        const float d = direction + boxora::ShadowJitterPreview(n, i, false);
        samples.push_back(boxora::ShadowMatrix(plane_, ShadowLightVector(85.0f - 0.8f * l, d)));
    }
    // Everything below happens within the part of the frame the shadow can
    // reach: elsewhere the composite gives back the frame unchanged, so the
    // read-backs, clears, accumulation and pixel copies are kept to it.
    const std::array<int, 4> rect = ShadowWindowRect(scene.model, samples, width, height);
    const int rx = rect[0], ry = rect[1], rw = rect[2], rh = rect[3];
    if (rw <= 0 || rh <= 0) return true;

    // 1. The frame so far.
    if (!ReadFrameRect(savedScene_, rx, ry, rw, rh)) return true;
    glEnable(GL_SCISSOR_TEST);
    glScissor(rx, ry, rw, rh);

    // 2.-5. Four flattened silhouettes, averaged. The depth test keeps the
    // parts hidden behind objects out; depth writes are off.
    const GLboolean light1 = glIsEnabled(GL_LIGHT0);
    glDepthMask(GL_FALSE);
    glDisable(GL_LIGHTING);
    glDisable(GL_LIGHT0);
    glColor4fv(kShadowColor.data());
    for (int i = 0; i < 4; ++i) {
        glClear(GL_COLOR_BUFFER_BIT);
        glPushMatrix();
        shadowMatrix_ = samples[i];
        glMultMatrixf(shadowMatrix_.data());
        boxora::DrawAll(scene, boxora::kSkipNothing, boxora::kSkipNothing, false, false);
        glPopMatrix();
        glAccum(i == 0 ? GL_LOAD : GL_ACCUM, 0.25f);
    }
    glAccum(GL_RETURN, 1.0f);

    // 6. The blurred shadow alone.
    const bool haveShadow = ReadFrameRect(shadowBuffer_, rx, ry, rw, rh);
    if (light1) glEnable(GL_LIGHT0);
    glEnable(GL_LIGHTING);

    // 7.-9. The frame back, the shadow blended over it, and the frame once
    // more in proportion to its own alpha: opaque pixels win, the empty
    // background shows the shadow.
    PushPixelProjection(width, height);
    {
        CompositeState state;
        glDisable(GL_BLEND);
        DrawImageAt(savedScene_, rx, ry, rw, rh);
        if (haveShadow) {
            glEnable(GL_BLEND);
            glBlendFunc(GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA);
            DrawImageAt(shadowBuffer_, rx, ry, rw, rh);
            DrawImageAt(savedScene_, rx, ry, rw, rh);
        }
    }
    glDisable(GL_BLEND);
    PopPixelProjection();
    glDisable(GL_SCISSOR_TEST);
    glDepthMask(GL_TRUE);
    return true;
}

void CShadowManager2::PrepareShadow(int width, int height, const boxora::ObjectDrawingScene& scene,
                                    const std::function<void(float)>& progress) {
    if (params_.RenderMode != RENDER_MODE_OFFSCREEN || width <= 0 || height <= 0) return;
    try {
        shadowImage_.assign(static_cast<std::size_t>(width) * height * 4, 0);
    } catch (const std::bad_alloc&) {
        shadowImage_.clear();
        return;
    }

    // Everything but the transparent faces into the depth buffer.
    boxora::DrawAll(scene, boxora::kSkipNothing, boxora::kSkipTransparentFaces, false, false);

    glClear(GL_COLOR_BUFFER_BIT);
    glDepthMask(GL_FALSE);
    const GLboolean light1 = glIsEnabled(GL_LIGHT0);
    glDisable(GL_LIGHTING);
    glDisable(GL_LIGHT0);
    glDisable(GL_CLIP_PLANE4);
    glColor4fv(kShadowColor.data());

    const float k = ComputeShadowQuality();
    const int passes = boxora::ShadowPassCount(params_.Shadow_Blur, k, false);
    const int n = boxora::ShadowGridSide(passes);
    const float length = params_.ShadowLength();
    const float direction = params_.shadowDirection;
    const int estimate = ShadowWorkEstimate();
    listBuilt_ = false;  // recorded again at the first sample of every frame
    for (int i = 0; i < passes; ++i) {
        glClear(GL_COLOR_BUFFER_BIT);
        const float dl = boxora::ShadowJitterOffscreen(n, i, true, k, nullptr);
        const float dd = boxora::ShadowJitterOffscreen(n, i, false, k, nullptr);
        glPushMatrix();
        MultShadowMatrix(length + dl, direction + dd);
        if (listBuilt_) {
            glCallList(listName_);
        } else {
            if (listName_ != 0) glDeleteLists(listName_, 1);
            listName_ = glGenLists(1);
            listBuilt_ = listName_ != 0;
            if (listBuilt_) glNewList(listName_, GL_COMPILE_AND_EXECUTE);
            boxora::DrawAll(scene, boxora::kSkipNothing, boxora::kSkipNothing, false, false);
            if (listBuilt_) glEndList();
        }
        glPopMatrix();
        glAccum(i == 0 ? GL_LOAD : GL_ACCUM, 1.0f / static_cast<float>(passes));
        if (i % 20 == 0 && progress) progress(static_cast<float>(estimate) / (static_cast<float>(passes) / 20.0f));
    }
    listValid_ = true;
    glAccum(GL_RETURN, 1.0f);
    glEnable(GL_CLIP_PLANE4);
    glEnable(GL_LIGHTING);
    if (light1) glEnable(GL_LIGHT0);

    PushPixelProjection(width, height);
    glPixelStorei(GL_PACK_ALIGNMENT, 4);
    glReadPixels(0, 0, width, height, GL_RGBA, GL_UNSIGNED_BYTE, shadowImage_.data());
    PopPixelProjection();

    glDepthMask(GL_TRUE);
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT | GL_STENCIL_BUFFER_BIT | GL_ACCUM_BUFFER_BIT);
}

bool CShadowManager2::DrawOffscreenShadow(int width, int height) {
    // Without a shadow image (it could not be allocated) there is nothing to
    // lay under the scene.
    if (shadowImage_.size() < static_cast<std::size_t>(width) * height * 4) return true;
    std::vector<uint8_t> frame;
    if (!ReadFrame(frame, width, height)) return true;
    glDepthMask(GL_FALSE);
    PushPixelProjection(width, height);
    {
        CompositeState state;
        glEnable(GL_BLEND);
        glBlendFunc(GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA);
        DrawFrameImage(shadowImage_, width, height);
        DrawFrameImage(frame, width, height);
    }
    glDisable(GL_BLEND);
    PopPixelProjection();
    glDepthMask(GL_TRUE);
    return true;
}

void CShadowManager2::ReleaseShadow() {
    if (params_.RenderMode != RENDER_MODE_OFFSCREEN) return;
    std::vector<uint8_t>().swap(shadowImage_);
}

void CShadowManager2::ForgetList() {
    listBuilt_ = false;
    listName_ = 0;
}
