#pragma once
// The passes that draw the scene side by side: the plain sides, the mirror
// surfaces with what they reflect, the floor reflection, the transparent
// sides and the coverage alpha. Each returns true to go on; false means the
// frame was abandoned (a newer redraw request arrived during a full preview)
// and the caller stops its remaining passes. Every pass restores the OpenGL
// state it changes: blending, stencil test and clip planes 0, 1 and 5 off,
// clip plane 4 as found, depth and colour masks on, the lights at their
// unmirrored positions and back faces culled.
#include <functional>

#include "render/ObjectDrawing.h"
#include "render/SideManager.h"
#include "render/SideSlots.h"

namespace boxora {

// Skip keys of DrawSides; any other value is a side id (material index).
constexpr int SKIP_MIRRORS = -2;
constexpr int SKIP_TRANSPARENT = -3;
constexpr int SKIP_NONE = -4;

class SidePasses {
public:
    // continueCondition(previous result): whether a full frame goes on.
    SidePasses(CSideManager& sides, const ObjectDrawingScene& scene, std::function<bool(bool)> continueCondition);

    // The sides of the direct order front to back in slot 1, leaving out
    // those the keys name; the continue condition is consulted after each.
    bool DrawSides(int key1, int key2);
    // Each mirror side: its reflection of the scene, masked to its pixels by
    // the stencil buffer, then its surface over it.
    bool DrawMirrorSides();
    // The scene mirrored in the floor (y = 0), clipped below it, faded by
    // height and blended over what is there.
    bool DrawFloorReflection(bool insideMirror);
    bool DrawReflectedSides(bool insideMirror);
    // A mirror side seen in the floor reflection.
    bool DrawNestedMirror(CSide& side);
    // The transparent sides back to front, blended.
    bool DrawTransparentSides();
    // Off-screen renders: alpha 1 over every opaque and mirror side.
    bool WriteCoverageAlpha();

    // One side in one slot; false, drawing nothing, once the stop test
    // says the work is no longer wanted (every pass then ends at once).
    bool DrawSlot(CSide& side, int slot) { return !(stop_ && stop_()) && DrawSideSlot(scene_, side, slot); }
    void SetStopTest(std::function<bool()> test) { stop_ = std::move(test); }

    const ObjectDrawingScene& Scene() const { return scene_; }

private:
    bool Continue(bool previous) const { return continue_ ? continue_(previous) : previous; }
    static bool Skipped(const CSide& side, int key1, int key2);
    void PositionLights() const;
    int Mode() const;

    CSideManager& sides_;
    ObjectDrawingScene scene_;
    std::function<bool(bool)> continue_;
    std::function<bool()> stop_;
};

}  // namespace boxora
