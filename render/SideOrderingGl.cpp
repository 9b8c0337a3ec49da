#include "render/SideOrderingGl.h"

#include <GL/gl.h>

#include <algorithm>
#include <glm/gtc/type_ptr.hpp>

#include "model/MirrorMath.h"
#include "render/CullFaceToggle.h"
#include "render/GlCurrent.h"
#include "render/RenderHost.h"
#include "render/SideManager.h"
#include "render/SidePasses.h"

namespace boxora {

bool GlSideOrdering::Available() { return HasCurrentGlContext(); }

void GlSideOrdering::BeginRun(bool mirrored) {
    glPushMatrix();
    SceneParams& params = engine_.Params();
    savedWidth_ = params.viewportWidth;
    savedHeight_ = params.viewportHeight;
    if (params.RenderMode != RENDER_MODE_OFFSCREEN) engine_.Resize(kOrderingSide, kOrderingSide);
    if (mirrored) {
        static const GLdouble belowFloor[4] = {0, -1, 0, 0};
        floorClipWasOn_ = glIsEnabled(GL_CLIP_PLANE4);
        glDisable(GL_CLIP_PLANE4);
        SwapCulledFace();
        glPushMatrix();
        glClipPlane(GL_CLIP_PLANE5, belowFloor);
        glEnable(GL_CLIP_PLANE5);
        glScalef(1.0f, -1.0f, 1.0f);
    }
    glColorMask(GL_FALSE, GL_FALSE, GL_FALSE, GL_FALSE);
    glClear(GL_DEPTH_BUFFER_BIT);
}

void GlSideOrdering::ClearDepth() { glClear(GL_DEPTH_BUFFER_BIT); }

void GlSideOrdering::DrawSilhouette(CSide& side) { passes_.DrawSlot(side, SLOT_SILHOUETTE); }

std::optional<DepthRect> GlSideOrdering::Focus(CSide& side) {
    const CSideManager& sides = engine_.Sides();
    const int w = sides.DepthWidth(), h = sides.DepthHeight();
    focused_ = false;
    if (side.object == nullptr || w <= 0 || h <= 0) {
        glDisable(GL_SCISSOR_TEST);
        return std::nullopt;
    }
    glm::dmat4 modelview, projection;
    glGetDoublev(GL_MODELVIEW_MATRIX, glm::value_ptr(modelview));
    glGetDoublev(GL_PROJECTION_MATRIX, glm::value_ptr(projection));
    WindowBounds bounds(modelview, projection, w, h);
    // The box of the vertices the silhouette draws, in drawing axes, for
    // each object the side's faces belong to (a model file's objects share
    // its materials).
    std::size_t next = 0;
    while (next < side.faces.size()) {
        const C3DObject* owner = side.faces[next] && side.faces[next]->owner ? side.faces[next]->owner : side.object;
        std::array<double, 3> lo{1e30, 1e30, 1e30}, hi{-1e30, -1e30, -1e30};
        const int count = owner->VertexCount();
        for (; next < side.faces.size(); ++next) {
            const MeshFace* face = side.faces[next];
            if (face == nullptr) continue;
            if ((face->owner ? face->owner : side.object) != owner) break;
            for (int corner = 0; corner < 3; ++corner) {
                const int vi = face->vertIndex[corner];
                if (vi >= count) continue;
                const Vector3& v = owner->vertices[vi];
                const std::array<double, 3> d{v.x, v.z, v.y};
                for (int c = 0; c < 3; ++c) lo[c] = std::min(lo[c], d[c]), hi[c] = std::max(hi[c], d[c]);
            }
        }
        if (lo[0] <= hi[0]) bounds.AddBox(lo, hi, ObjectTransformMatrix(*owner));
    }
    focus_ = bounds.Pixels(2);
    if (focus_[2] <= 0 || focus_[3] <= 0) focus_ = {0, 0, 1, 1};  // nothing in view: one pixel to compare
    focused_ = true;
    glScissor(focus_[0], focus_[1], focus_[2], focus_[3]);
    glEnable(GL_SCISSOR_TEST);
    return DepthRect{focus_[0], focus_[1], focus_[2], focus_[3]};
}

void GlSideOrdering::ReadDepth(std::vector<float>& out) {
    const CSideManager& sides = engine_.Sides();
    PixelRect rect{0, 0, sides.DepthWidth(), sides.DepthHeight()};
    if (focused_) rect = focus_;
    const std::size_t n =
        static_cast<std::size_t>(std::max(rect[2], 0)) * static_cast<std::size_t>(std::max(rect[3], 0));
    if (out.size() != n) out.assign(n, 1.0f);
    if (n == 0) return;
    glPixelStorei(GL_PACK_ALIGNMENT, 4);
    glReadPixels(rect[0], rect[1], rect[2], rect[3], GL_DEPTH_COMPONENT, GL_FLOAT, out.data());
}

void GlSideOrdering::EndRun(bool mirrored) {
    // The tests cleared only their own rectangles: the whole depth buffer
    // is left clear for the frame.
    glDisable(GL_SCISSOR_TEST);
    focused_ = false;
    glClear(GL_DEPTH_BUFFER_BIT);
    engine_.Resize(savedWidth_, savedHeight_);
    glColorMask(GL_TRUE, GL_TRUE, GL_TRUE, GL_TRUE);
    if (mirrored) {
        glDisable(GL_CLIP_PLANE5);
        glPopMatrix();
        SwapCulledFace();
        if (floorClipWasOn_) glEnable(GL_CLIP_PLANE4);
    }
    glPopMatrix();
}

}  // namespace boxora
