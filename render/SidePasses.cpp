#include "render/SidePasses.h"

#include <GL/gl.h>

#include <glm/gtc/type_ptr.hpp>

#include "render/CullFaceToggle.h"
#include "render/LightingState.h"
#include "scene/SceneParams.h"

namespace boxora {

namespace {

const GLdouble kBelowFloor[4] = {0, -1, 0, 0};  // keeps y <= 0

}  // namespace

SidePasses::SidePasses(CSideManager& sides, const ObjectDrawingScene& scene,
                       std::function<bool(bool)> continueCondition)
    : sides_(sides), scene_(scene), continue_(std::move(continueCondition)) {}

int SidePasses::Mode() const { return scene_.params.RenderMode; }

void SidePasses::PositionLights() const { boxora::PositionLights(scene_.params); }

bool SidePasses::Skipped(const CSide& side, int key1, int key2) {
    const bool named = side.material >= 0;  // a side id; not the sides of faces without one
    if ((key1 == SKIP_MIRRORS && side.kind == SIDE_MIRROR) || (named && key1 == side.material)) return true;
    if ((key2 == SKIP_TRANSPARENT && side.kind == SIDE_TRANSPARENT) || (named && key2 == side.material)) return true;
    return false;
}

bool SidePasses::DrawSides(int key1, int key2) {
    bool result = true;
    for (CSide* side : sides_.DirectOrder()) {
        if (side == nullptr || Skipped(*side, key1, key2)) continue;
        result = DrawSlot(*side, SLOT_PLAIN);
        result = Continue(result);
        if (!result) break;
    }
    return result;
}

bool SidePasses::DrawFloorReflection(bool insideMirror) {
    if (!insideMirror) glDisable(GL_CLIP_PLANE4);
    SwapCulledFace();
    glPushMatrix();
    glClipPlane(GL_CLIP_PLANE5, kBelowFloor);
    glEnable(GL_CLIP_PLANE5);
    glScalef(1.0f, -1.0f, 1.0f);
    PositionLights();
    const bool result = DrawReflectedSides(insideMirror);
    glDisable(GL_CLIP_PLANE5);
    glPopMatrix();
    SwapCulledFace();
    PositionLights();
    if (!insideMirror) glEnable(GL_CLIP_PLANE4);
    return result;
}

bool SidePasses::DrawReflectedSides(bool insideMirror) {
    glEnable(GL_BLEND);
    glBlendFunc(GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA);
    bool result = true;
    const std::vector<CSide*>& order = sides_.MirroredOrder();
    if (Mode() == RENDER_MODE_QUICK) {
        // Every side with the fade, the transparent ones last and capped at
        // their level, as the full frame shows them.
        for (CSide* side : order) {
            if (side == nullptr || side->kind == SIDE_TRANSPARENT) continue;
            result = DrawSlot(*side, SLOT_FADED_PLAIN);
            if (!result) break;
        }
        for (std::size_t i = order.size(); i-- > 0 && result;)
            if (order[i] != nullptr && order[i]->kind == SIDE_TRANSPARENT)
                result = DrawSlot(*order[i], SLOT_FADED_TRANSPARENT_SURFACE);
    } else {
        for (std::size_t i = 0; i < order.size() && result; ++i) {
            CSide& side = *order[i];
            if (side.kind == SIDE_PLAIN || (side.kind == SIDE_MIRROR && insideMirror))
                result = DrawSlot(side, SLOT_FADED_PLAIN);
            else if (side.kind == SIDE_MIRROR)
                result = DrawNestedMirror(side);
        }
        for (std::size_t i = order.size(); i-- > 0 && result;) {
            CSide& side = *order[i];
            if (side.kind == SIDE_TRANSPARENT) result = DrawSlot(side, SLOT_FADED_TRANSPARENT_SURFACE);
        }
    }
    glDisable(GL_BLEND);
    return result;
}

bool SidePasses::DrawNestedMirror(CSide& side) {
    glClear(GL_STENCIL_BUFFER_BIT);
    glEnable(GL_STENCIL_TEST);
    glStencilOp(GL_ZERO, GL_ZERO, GL_REPLACE);
    glStencilFunc(GL_ALWAYS, 1, 1);
    glDepthMask(GL_FALSE);
    bool ok = DrawSlot(side, SLOT_FADED_ALPHA_MARK);
    glDepthMask(GL_TRUE);
    glStencilOp(GL_KEEP, GL_KEEP, GL_KEEP);
    glStencilFunc(GL_EQUAL, 1, 1);

    glClipPlane(GL_CLIP_PLANE1, side.clipPlane.data());
    glEnable(GL_CLIP_PLANE1);
    glPushMatrix();
    glMultMatrixd(glm::value_ptr(side.reflectionMatrix));
    PositionLights();
    if (ok) {
        // The doubly mirrored scene, weighted by the fade alpha just written.
        glBlendFunc(GL_DST_ALPHA, GL_ONE_MINUS_DST_ALPHA);
        SwapCulledFace();
        ok = DrawSides(side.material, SKIP_NONE);
        SwapCulledFace();
        glBlendFunc(GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA);
    }
    glPopMatrix();
    glDisable(GL_CLIP_PLANE1);
    glDisable(GL_STENCIL_TEST);
    PositionLights();
    if (!ok) return false;
    return DrawSlot(side, SLOT_FADED_MIRROR_SURFACE);
}

bool SidePasses::DrawMirrorSides() {
    bool result = true;
    for (CSide* entry : sides_.DirectOrder()) {
        if (!result) break;
        if (entry == nullptr || entry->kind != SIDE_MIRROR) continue;
        CSide& side = *entry;

        // Mark the mirror's visible pixels.
        glClear(GL_STENCIL_BUFFER_BIT);
        glEnable(GL_STENCIL_TEST);
        glStencilOp(GL_ZERO, GL_ZERO, GL_REPLACE);
        glStencilFunc(GL_ALWAYS, 1, 1);
        glDepthMask(GL_FALSE);
        glColorMask(GL_FALSE, GL_FALSE, GL_FALSE, GL_FALSE);
        bool ok = DrawSlot(side, SLOT_SILHOUETTE);
        glDepthMask(GL_TRUE);
        glColorMask(GL_TRUE, GL_TRUE, GL_TRUE, GL_TRUE);
        glStencilOp(GL_KEEP, GL_KEEP, GL_KEEP);
        glStencilFunc(GL_EQUAL, 1, 1);

        // The scene behind the mirror plane, reflected, within those pixels.
        glClipPlane(GL_CLIP_PLANE0, side.clipPlane.data());
        glEnable(GL_CLIP_PLANE0);
        glPushMatrix();
        glMultMatrixd(glm::value_ptr(side.reflectionMatrix));
        PositionLights();
        if (ok) {
            const bool dropFloorClip = !side.FacesUp();
            if (dropFloorClip) glDisable(GL_CLIP_PLANE4);
            SwapCulledFace();
            ok = DrawSides(side.material, SKIP_TRANSPARENT);
            if (ok) ok = DrawFloorReflection(true);
            if (ok) ok = DrawTransparentSides();
            SwapCulledFace();
            if (dropFloorClip) glEnable(GL_CLIP_PLANE4);
        }
        glPopMatrix();
        glDisable(GL_CLIP_PLANE0);
        glDisable(GL_STENCIL_TEST);
        PositionLights();

        // The mirror surface over its reflection.
        glEnable(GL_BLEND);
        glBlendFunc(GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA);
        if (ok) ok = DrawSlot(side, SLOT_MIRROR_SURFACE);
        glDisable(GL_BLEND);
        if (Mode() == RENDER_MODE_OFFSCREEN && ok) ok = DrawSlot(side, SLOT_ALPHA_MARK);
        result = Continue(ok);
    }
    return result;
}

bool SidePasses::DrawTransparentSides() {
    bool result = true;
    const std::vector<CSide*>& order = sides_.DirectOrder();
    for (std::size_t i = order.size(); i-- > 0 && result;) {
        if (order[i] != nullptr && order[i]->kind == SIDE_TRANSPARENT)
            result = DrawSlot(*order[i], SLOT_TRANSPARENT_SURFACE);
    }
    return result;
}

bool SidePasses::WriteCoverageAlpha() {
    glDisable(GL_DEPTH_TEST);
    glColorMask(GL_FALSE, GL_FALSE, GL_FALSE, GL_TRUE);
    bool result = true;
    const std::vector<CSide*>& order = sides_.DirectOrder();
    for (std::size_t i = order.size(); i-- > 0 && result;) {
        if (order[i] != nullptr && order[i]->kind != SIDE_TRANSPARENT) result = DrawSlot(*order[i], SLOT_SILHOUETTE);
    }
    glColorMask(GL_TRUE, GL_TRUE, GL_TRUE, GL_TRUE);
    glEnable(GL_DEPTH_TEST);
    return result;
}

}  // namespace boxora
