#include "render/ShadowManager.h"

#include <GL/glu.h>

#include <algorithm>
#include <cmath>
#include <glm/gtc/type_ptr.hpp>
#include <new>

#include "model/MirrorMath.h"
#include "render/TileWindow.h"
#include "render/WindowRect.h"
#include "scene/SceneParams.h"

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
void DrawFrameImage(const std::vector<uint8_t>& rgba, int width, int height) { DrawImageAt(rgba, 0, 0, width, height); }

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
std::array<int, 4> ShadowWindowRect(const SceneModel& model, const std::vector<glm::dmat4>& shadows, int width,
                                    int height) {
    glm::dmat4 modelview, projection;
    glGetDoublev(GL_MODELVIEW_MATRIX, glm::value_ptr(modelview));
    glGetDoublev(GL_PROJECTION_MATRIX, glm::value_ptr(projection));
    boxora::WindowBounds bounds(modelview, projection, width, height);
    for (const auto& object : model.objects) {
        if (object->vertices.empty()) continue;
        // The object's box in drawing axes (memory (x, y, z) drawn at (x, z, y)).
        std::array<double, 3> lo{1e30, 1e30, 1e30}, hi{-1e30, -1e30, -1e30};
        for (const Vector3& v : object->vertices) {
            const std::array<double, 3> d{v.x, v.z, v.y};
            for (int c = 0; c < 3; ++c) lo[c] = std::min(lo[c], d[c]), hi[c] = std::max(hi[c], d[c]);
        }
        const glm::dmat4 objectMatrix = ObjectTransformMatrix(*object);
        for (const glm::dmat4& flatten : shadows) bounds.AddBox(lo, hi, flatten * objectMatrix);
    }
    return bounds.Pixels(2);
}

// Offset of sample i within a pixel, each coordinate in (−0.5, 0.5): the
// additive recurrence with the plastic number, which spreads any number of
// consecutive samples evenly over the square.
std::pair<double, double> CellOffset(int i) {
    const double a = std::fmod(0.5 + 0.7548776662466927 * i, 1.0);
    const double b = std::fmod(0.5 + 0.5698402909980532 * i, 1.0);
    return {a - 0.5, b - 0.5};
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
    std::vector<glm::dmat4> samples;
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
        glMultMatrixd(glm::value_ptr(shadowMatrix_));
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

void CShadowManager2::DrawShadowGeometry(const boxora::ObjectDrawingScene& scene) {
    if (listBuilt_) {
        glCallList(listName_);
        return;
    }
    if (listName_ != 0) glDeleteLists(listName_, 1);
    listName_ = glGenLists(1);
    listBuilt_ = listName_ != 0;
    if (listBuilt_) glNewList(listName_, GL_COMPILE_AND_EXECUTE);
    // Object by object, so that a scene of many objects still ends soon
    // when the render is given up (the list is recorded anew every frame).
    for (const auto& object : scene.model.objects) {
        if (abortTest_ && abortTest_()) break;
        boxora::DrawObject(scene, *object, boxora::kSkipNothing, boxora::kSkipNothing, false, false);
    }
    if (listBuilt_) glEndList();
}

int CShadowManager2::ReductionFactor(int samples, int rectWidth, int rectHeight) {
    const double work = static_cast<double>(std::max(samples, 1)) * std::max(rectWidth, 0) * std::max(rectHeight, 0);
    int f = 1;
    while (f < kMaxReduction && work / (static_cast<double>(f) * f) > kPrepassBudget) ++f;
    return f;
}

std::vector<glm::dmat4> CShadowManager2::OffscreenSampleMatrices(float k) {
    const int passes = boxora::ShadowPassCount(params_.Shadow_Blur, k, false);
    const int n = boxora::ShadowGridSide(passes);
    const float length = params_.ShadowLength();
    const float direction = params_.shadowDirection;
    std::vector<glm::dmat4> samples;
    try {
        samples.reserve(static_cast<std::size_t>(passes));
    } catch (const std::bad_alloc&) {
        return {};
    }
    const boxora::ShadowRandom random = [this] { return random_(); };
    for (int i = 0; i < passes; ++i) {
        const float dl = boxora::ShadowJitterOffscreen(n, i, true, k, random);
        const float dd = boxora::ShadowJitterOffscreen(n, i, false, k, random);
        samples.push_back(
            boxora::ShadowMatrix(plane_, ShadowLightVector(85.0f - 0.8f * (length + dl), direction + dd)));
    }
    return samples;
}

void CShadowManager2::AccumulateSamples(const boxora::ObjectDrawingScene& scene, const std::vector<glm::dmat4>& samples,
                                        const std::function<void(float)>& progress,
                                        const std::function<void(int)>& beforeSample) {
    glDepthMask(GL_FALSE);
    const GLboolean light1 = glIsEnabled(GL_LIGHT0);
    glDisable(GL_LIGHTING);
    glDisable(GL_LIGHT0);
    glDisable(GL_CLIP_PLANE4);
    glColor4fv(kShadowColor.data());
    const int estimate = ShadowWorkEstimate();
    const int passes = static_cast<int>(samples.size());
    listBuilt_ = false;  // recorded again at the first sample of every frame
    for (int i = 0; i < passes; ++i) {
        if (i > 0 && abortTest_ && abortTest_()) break;
        glClear(GL_COLOR_BUFFER_BIT);
        if (beforeSample) beforeSample(i);
        glPushMatrix();
        shadowMatrix_ = samples[static_cast<std::size_t>(i)];
        glMultMatrixd(glm::value_ptr(shadowMatrix_));
        DrawShadowGeometry(scene);
        glPopMatrix();
        glAccum(i == 0 ? GL_LOAD : GL_ACCUM, 1.0f / static_cast<float>(passes));
        if (i % 20 == 0 && progress) progress(static_cast<float>(estimate) / (static_cast<float>(passes) / 20.0f));
    }
    listValid_ = true;
    glAccum(GL_RETURN, 1.0f);
    glEnable(GL_CLIP_PLANE4);
    glEnable(GL_LIGHTING);
    if (light1) glEnable(GL_LIGHT0);
}

void CShadowManager2::PrepareShadow(int width, int height, const boxora::ObjectDrawingScene& scene,
                                    const std::function<void(float)>& progress) {
    if (params_.RenderMode != RENDER_MODE_OFFSCREEN || width <= 0 || height <= 0) return;
    DeleteTextures();
    lastPrepass_ = PrepassInfo{};
    if (referencePrepass_) {
        PrepareReferenceShadow(width, height, scene, progress);
        return;
    }

    // The light of every sample, drawn in the order the samples take them
    // (a tile takes those drawn once for its picture).
    const bool tiled = tiledPlan_.active && boxora::CurrentTileWindow().has_value();
    const std::vector<glm::dmat4> ownSamples =
        tiled ? std::vector<glm::dmat4>{} : OffscreenSampleMatrices(ComputeShadowQuality());
    const std::vector<glm::dmat4>& samples = tiled ? tiledPlan_.samples : ownSamples;
    if (samples.empty()) return;
    const int passes = static_cast<int>(samples.size());
    const int estimate = ShadowWorkEstimate();
    const auto reportAll = [&] {
        if (progress) progress(static_cast<float>(estimate));
    };

    // Where the silhouettes can fall, and how finely to draw them there.
    PrepassLayout layout;
    if (tiled) {
        lastPrepass_.samples = passes;
        lastPrepass_.rect = tiledPlan_.rect;
        if (!TileLayout(width, height, layout)) {
            reportAll();
            return;
        }
    } else {
        const std::array<int, 4> whole = ShadowWindowRect(scene.model, samples, width, height);
        lastPrepass_.samples = passes;
        lastPrepass_.rect = whole;
        if (whole[2] <= 0 || whole[3] <= 0) {
            reportAll();
            return;
        }
        layout.composite = whole;
        layout.reduction = ReductionFactor(passes, whole[2], whole[3]);
        const int r = layout.reduction;
        layout.textureX = whole[0];
        layout.textureY = whole[1];
        layout.textureWidth = std::min(width, (whole[2] + r - 1) / r + (r > 1 ? 1 : 0));
        layout.textureHeight = std::min(height, (whole[3] + r - 1) / r + (r > 1 ? 1 : 0));
    }
    const std::array<int, 4> rect = layout.composite;
    const int f = layout.reduction;
    const int tw = layout.textureWidth;
    const int th = layout.textureHeight;
    lastPrepass_.reduction = f;

    // The frame's projection, narrowed to the rectangle and shrunk by f,
    // drawn into the lower left tw × th pixels: window position X of the
    // frame lands at (X − rect x) / f.
    glm::dmat4 projection;
    glGetDoublev(GL_PROJECTION_MATRIX, glm::value_ptr(projection));
    GLint viewport[4] = {0, 0, width, height};
    glGetIntegerv(GL_VIEWPORT, viewport);
    glm::dmat4 narrow(1.0);
    narrow[0][0] = static_cast<double>(width) / (static_cast<double>(f) * tw);
    narrow[1][1] = static_cast<double>(height) / (static_cast<double>(f) * th);
    const double shiftX = (static_cast<double>(width) - 2.0 * layout.textureX) / (static_cast<double>(f) * tw) - 1.0;
    const double shiftY = (static_cast<double>(height) - 2.0 * layout.textureY) / (static_cast<double>(f) * th) - 1.0;
    narrow[3][0] = shiftX;
    narrow[3][1] = shiftY;
    glMatrixMode(GL_PROJECTION);
    glPushMatrix();
    glLoadMatrixd(glm::value_ptr(narrow));
    glMultMatrixd(glm::value_ptr(projection));
    glMatrixMode(GL_MODELVIEW);
    glViewport(0, 0, tw, th);
    glScissor(0, 0, tw, th);
    glEnable(GL_SCISSOR_TEST);

    const GLboolean depthTest = glIsEnabled(GL_DEPTH_TEST);
    glDisable(GL_DEPTH_TEST);
    // Each sample is shifted within the reduced pixel (an even spread over
    // the samples), so that a pixel averages the shadow over its whole
    // area: edges come out as smooth ramps when the texture is magnified,
    // not as steps.
    const auto shiftWithinPixel = [&](int i) {
        const auto [ox, oy] = CellOffset(i);
        narrow[3][0] = shiftX + 2.0 * ox / tw;
        narrow[3][1] = shiftY + 2.0 * oy / th;
        glMatrixMode(GL_PROJECTION);
        glLoadMatrixd(glm::value_ptr(narrow));
        glMultMatrixd(glm::value_ptr(projection));
        glMatrixMode(GL_MODELVIEW);
    };
    AccumulateSamples(scene, samples, progress, f > 1 ? std::function<void(int)>(shiftWithinPixel) : nullptr);
    if (depthTest) glEnable(GL_DEPTH_TEST);

    // The blurred shadow becomes a texture; the frame's copy gets one of
    // the rectangle's size.
    glPushAttrib(GL_TEXTURE_BIT);
    glGenTextures(1, &shadowTexture_);
    glGenTextures(1, &frameTexture_);
    glBindTexture(GL_TEXTURE_2D, shadowTexture_);
    const GLint filter = f > 1 ? GL_LINEAR : GL_NEAREST;
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, filter);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, filter);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_S, GL_CLAMP_TO_EDGE);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_T, GL_CLAMP_TO_EDGE);
    glCopyTexImage2D(GL_TEXTURE_2D, 0, GL_RGBA8, 0, 0, tw, th, 0);
    glBindTexture(GL_TEXTURE_2D, frameTexture_);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_NEAREST);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, GL_NEAREST);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_S, GL_CLAMP_TO_EDGE);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_T, GL_CLAMP_TO_EDGE);
    glTexImage2D(GL_TEXTURE_2D, 0, GL_RGBA8, rect[2], rect[3], 0, GL_RGBA, GL_UNSIGNED_BYTE, nullptr);
    glPopAttrib();
    const bool outOfMemory = glGetError() == GL_OUT_OF_MEMORY;

    glMatrixMode(GL_PROJECTION);
    glPopMatrix();
    glMatrixMode(GL_MODELVIEW);
    glViewport(viewport[0], viewport[1], viewport[2], viewport[3]);
    glDisable(GL_SCISSOR_TEST);
    glDepthMask(GL_TRUE);
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT | GL_STENCIL_BUFFER_BIT | GL_ACCUM_BUFFER_BIT);
    if (outOfMemory) {
        // No room for the textures: the frame is drawn without its shadow.
        DeleteTextures();
        return;
    }
    rect_ = rect;
    textureX_ = layout.textureX;
    textureY_ = layout.textureY;
    reduction_ = f;
    textureWidth_ = tw;
    textureHeight_ = th;
}

void CShadowManager2::PlanTiledShadow(int pictureWidth, int pictureHeight, const boxora::ObjectDrawingScene& scene) {
    tiledPlan_ = TiledPlan{};
    tiledPlan_.samples = OffscreenSampleMatrices(ComputeShadowQuality());
    tiledPlan_.active = true;
    if (tiledPlan_.samples.empty()) return;
    tiledPlan_.rect = ShadowWindowRect(scene.model, tiledPlan_.samples, pictureWidth, pictureHeight);
    tiledPlan_.reduction =
        ReductionFactor(static_cast<int>(tiledPlan_.samples.size()), tiledPlan_.rect[2], tiledPlan_.rect[3]);
}

bool CShadowManager2::TileLayout(int width, int height, PrepassLayout& layout) const {
    const std::optional<boxora::TileWindow> tile = boxora::CurrentTileWindow();
    const std::array<int, 4>& whole = tiledPlan_.rect;
    if (!tile || whole[2] <= 0 || whole[3] <= 0) return false;
    const int f = tiledPlan_.reduction;
    // The composite: the picture's shadow rectangle within this tile.
    const int x0 = std::max(whole[0], tile->x), x1 = std::min(whole[0] + whole[2], tile->x + width);
    const int y0 = std::max(whole[1], tile->y), y1 = std::min(whole[1] + whole[3], tile->y + height);
    if (x1 <= x0 || y1 <= y0) return false;
    layout.composite = {x0 - tile->x, y0 - tile->y, x1 - x0, y1 - y0};
    layout.reduction = f;
    // The texels of the whole picture's texture that cover it, on the same
    // grid; magnified ones blend with their neighbours, so two more on each
    // side (the picture's own texture ends where it ends).
    const int margin = f > 1 ? 2 : 0;
    const auto span = [&](int lo, int hi, int origin, int extent, int& first, int& count) {
        const int texels = (extent + f - 1) / f + (f > 1 ? 1 : 0);
        first = std::max(0, (lo - origin) / f - margin);
        const int last = std::min(texels, (hi - origin + f - 1) / f + margin);
        count = last - first;
    };
    int firstX = 0, firstY = 0;
    span(x0, x1, whole[0], whole[2], firstX, layout.textureWidth);
    span(y0, y1, whole[1], whole[3], firstY, layout.textureHeight);
    layout.textureX = whole[0] + f * firstX - tile->x;
    layout.textureY = whole[1] + f * firstY - tile->y;
    // The reduced silhouettes are drawn on the tile's own surface.
    return layout.textureWidth > 0 && layout.textureHeight > 0 && layout.textureWidth <= width &&
           layout.textureHeight <= height;
}

bool CShadowManager2::DrawOffscreenShadow(int width, int height) {
    if (referencePrepass_) return DrawReferenceShadow(width, height);
    if (shadowTexture_ == 0 || frameTexture_ == 0) return true;
    const int x = rect_[0], y = rect_[1], w = rect_[2], h = rect_[3];
    if (w <= 0 || h <= 0 || x + w > width || y + h > height) return true;

    // The frame under the shadow's rectangle.
    glPushAttrib(GL_TEXTURE_BIT);
    glBindTexture(GL_TEXTURE_2D, frameTexture_);
    glCopyTexSubImage2D(GL_TEXTURE_2D, 0, 0, 0, x, y, w, h);

    // The shadow over the frame, then the frame over the shadow in
    // proportion to its own alpha: opaque pixels win, the empty background
    // shows the shadow.
    glDepthMask(GL_FALSE);
    PushPixelProjection(width, height);
    {
        CompositeState state;
        glEnable(GL_TEXTURE_2D);
        glTexEnvi(GL_TEXTURE_ENV, GL_TEXTURE_ENV_MODE, GL_REPLACE);
        glEnable(GL_BLEND);
        glBlendFunc(GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA);
        const auto quad = [&](GLuint texture, double s0, double t0, double s1, double t1) {
            glBindTexture(GL_TEXTURE_2D, texture);
            glBegin(GL_QUADS);
            glTexCoord2d(s0, t0);
            glVertex2i(x, y);
            glTexCoord2d(s1, t0);
            glVertex2i(x + w, y);
            glTexCoord2d(s1, t1);
            glVertex2i(x + w, y + h);
            glTexCoord2d(s0, t1);
            glVertex2i(x, y + h);
            glEnd();
        };
        // Texel i of the shadow covers window textureX + f i .. textureX + f (i + 1).
        const double spanX = static_cast<double>(reduction_) * textureWidth_;
        const double spanY = static_cast<double>(reduction_) * textureHeight_;
        quad(shadowTexture_, (x - textureX_) / spanX, (y - textureY_) / spanY, (x + w - textureX_) / spanX,
             (y + h - textureY_) / spanY);
        quad(frameTexture_, 0.0, 0.0, 1.0, 1.0);
    }
    glDisable(GL_BLEND);
    PopPixelProjection();
    glPopAttrib();
    glDepthMask(GL_TRUE);
    return true;
}

void CShadowManager2::DeleteTextures() {
    for (GLuint* texture : {&shadowTexture_, &frameTexture_}) {
        if (*texture != 0) glDeleteTextures(1, texture);
        *texture = 0;
    }
    rect_ = {};
    textureX_ = textureY_ = 0;
    textureWidth_ = textureHeight_ = 0;
    reduction_ = 1;
}

void CShadowManager2::PrepareReferenceShadow(int width, int height, const boxora::ObjectDrawingScene& scene,
                                             const std::function<void(float)>& progress) {
    try {
        shadowImage_.assign(static_cast<std::size_t>(width) * height * 4, 0);
    } catch (const std::bad_alloc&) {
        shadowImage_.clear();
        return;
    }

    // Everything but the transparent faces into the depth buffer.
    boxora::DrawAll(scene, boxora::kSkipNothing, boxora::kSkipTransparentFaces, false, false);

    const std::vector<glm::dmat4> samples = OffscreenSampleMatrices(ComputeShadowQuality());
    AccumulateSamples(scene, samples, progress, nullptr);
    lastPrepass_ = PrepassInfo{static_cast<int>(samples.size()), {0, 0, width, height}, 1};

    PushPixelProjection(width, height);
    glPixelStorei(GL_PACK_ALIGNMENT, 4);
    glReadPixels(0, 0, width, height, GL_RGBA, GL_UNSIGNED_BYTE, shadowImage_.data());
    PopPixelProjection();

    glDepthMask(GL_TRUE);
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT | GL_STENCIL_BUFFER_BIT | GL_ACCUM_BUFFER_BIT);
}

bool CShadowManager2::DrawReferenceShadow(int width, int height) {
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
    DeleteTextures();
}

void CShadowManager2::ForgetList() {
    listBuilt_ = false;
    listName_ = 0;
    shadowTexture_ = frameTexture_ = 0;
    rect_ = {};
}
