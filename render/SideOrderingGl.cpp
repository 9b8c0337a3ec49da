#include "render/SideOrderingGl.h"

#include <GL/gl.h>

#include "engine/Engine.h"
#include "render/CullFaceToggle.h"
#include "render/GlCurrent.h"
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

void GlSideOrdering::ReadDepth(std::vector<float>& out) {
    const CSideManager& sides = engine_.Sides();
    const int w = sides.DepthWidth(), h = sides.DepthHeight();
    const std::size_t n = static_cast<std::size_t>(w) * static_cast<std::size_t>(h);
    if (out.size() != n) out.assign(n, 1.0f);
    if (n == 0) return;
    glPixelStorei(GL_PACK_ALIGNMENT, 4);
    glReadPixels(0, 0, w, h, GL_DEPTH_COMPONENT, GL_FLOAT, out.data());
}

void GlSideOrdering::EndRun(bool mirrored) {
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
