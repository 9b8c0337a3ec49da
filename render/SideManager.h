#pragma once
// CSideManager: groups the faces of all objects into sides (one per material
// in use), keeps their mirror planes in world space, their cached display
// lists and the two visibility orders (direct, and mirrored in the floor),
// front-most side first.
//
// Every operation runs with the engine lock held. Display lists are only
// marked stale here; their names go to the GlReleaseQueue and are deleted by
// the thread that owns the preview context.
#include <array>
#include <cstddef>
#include <functional>
#include <optional>
#include <vector>

#include "render/Side.h"

class GlReleaseQueue;

// A rectangle of the depth buffer: x, y (lower left), width, height.
using DepthRect = std::array<int, 4>;

// The OpenGL part of the side ordering, provided by the renderer: it draws
// side silhouettes into the depth buffer and reads it back. Called only on a
// thread with a current context, with the engine lock held.
class ISideOrderingBackend {
public:
    virtual ~ISideOrderingBackend() = default;
    // False when ordering cannot be done now (no current context): the
    // manager then keeps the sides in array order.
    virtual bool Available() = 0;
    // Start of one ordering run: save the matrix and the viewport size,
    // switch to the ordering viewport (256 x 256 unless rendering off
    // screen, sizing the manager's depth buffers through the engine's
    // Resize), for the mirrored run also set up the floor mirror (clip plane
    // 4 off, culled face swapped, clip plane 5 on, scale (1, -1, 1)), colour
    // writes off, depth cleared.
    virtual void BeginRun(bool mirrored) = 0;
    virtual void ClearDepth() = 0;
    // Draws the side's silhouette (slot 0) into the depth buffer.
    virtual void DrawSilhouette(CSide& side) = 0;
    // Before a side's silhouette is drawn alone: the backend may keep its
    // clears, drawing and read-backs to the part of the viewport the side
    // can cover (every pixel the silhouette can touch), until the next Focus
    // or EndRun, and returns that rectangle; nothing means the whole
    // buffer.
    virtual std::optional<DepthRect> Focus(CSide& side) {
        (void)side;
        return std::nullopt;
    }
    // Reads the depth buffer (GL_DEPTH_COMPONENT, GL_FLOAT) into out, which
    // holds DepthWidth() x DepthHeight() values (or those of the focused
    // rectangle, row by row from its lower left).
    virtual void ReadDepth(std::vector<float>& out) = 0;
    // End of the run: restore the viewport through Resize, colour writes
    // on, undo the mirrored set-up, restore the matrix.
    virtual void EndRun(bool mirrored) = 0;
};

class CSideManager {
public:
    CSideManager(SceneModel& model, GlReleaseQueue& releaseQueue);
    virtual ~CSideManager();
    CSideManager(const CSideManager&) = delete;
    CSideManager& operator=(const CSideManager&) = delete;

    // Regroups all faces of all objects into sides (the previous sides'
    // display lists are released): one side per material in use, in
    // material order, then one plain side per object for its faces without
    // a valid material (material kUnassignedMaterial). Sets each face's
    // owner and side flags, computes the mirror planes in world space. The
    // orders become the array order until the next OrderSides.
    void BuildSides();

    // Orders the sides front to back, first for the direct view, then, if
    // that completed, for the view mirrored in the floor. When abandonable,
    // the abandon test is consulted on the way, and the stop test always; a
    // run that is given up leaves the previous order in place and returns
    // false. Each side is drawn and read back once per run.
    bool OrderSides(bool abandonable);

    // Recomputes the world-space clip plane and reflection matrix of every
    // mirror side from its object's current transform.
    void RefreshMirrors();

    // Marks display lists stale (and releases their names): of every side,
    // of the sides holding faces of one object, or of the first side with
    // one material.
    void InvalidateSideLists();
    void InvalidateObjectSideLists(const C3DObject* object);
    void InvalidateMaterialSideLists(int material);
    // Forgets every display list without releasing it: the context that
    // held them has ended.
    void ForgetSideLists();

    // The size of the depth buffers the ordering reads (width x height
    // floats each; allocated when they are next filled).
    void Resize(int width, int height);
    int DepthWidth() const { return depthWidth_; }
    int DepthHeight() const { return depthHeight_; }

    std::vector<CSide>& Sides() { return sides_; }
    const std::vector<CSide>& Sides() const { return sides_; }
    // Front-most first. Pointers into Sides(), valid until the next BuildSides.
    const std::vector<CSide*>& DirectOrder() const { return directOrder_; }
    const std::vector<CSide*>& MirroredOrder() const { return mirroredOrder_; }

    void SetOrderingBackend(ISideOrderingBackend* backend) { backend_ = backend; }
    ISideOrderingBackend* OrderingBackend() const { return backend_; }
    // True when a newer redraw request means the current full frame should
    // be given up.
    void SetAbandonTest(std::function<bool()> test) { abandonTest_ = std::move(test); }
    // True when the work is no longer wanted at all (the program is closing
    // or was interrupted): even an ordering that may not be abandoned ends.
    void SetStopTest(std::function<bool()> test) { stopTest_ = std::move(test); }
    // How many read-back depth values an ordering run keeps for its
    // comparisons (sides beyond are drawn again when compared), which
    // bounds its memory in large renders.
    void SetKeptDepthLimit(std::size_t values) { keptDepthLimit_ = values; }

private:
    void ReleaseSlots(CSide& side);
    bool RunOrdering(bool mirrored, bool abandonable);
    bool Abandon() const { return abandonTest_ && abandonTest_(); }
    bool Stopped(bool abandonable) const;
    // Draws the side alone and reads its depth into out; returns where from.
    DepthRect CaptureDepth(CSide& side, std::vector<float>& out);

    SceneModel& model_;
    GlReleaseQueue& releaseQueue_;
    int depthWidth_ = 0;
    int depthHeight_ = 0;
    std::vector<float> depthOne_;  // depth of one side
    std::vector<float> depthAll_;  // depth of another side
    std::vector<CSide> sides_;
    std::vector<CSide*> directOrder_;
    std::vector<CSide*> mirroredOrder_;
    ISideOrderingBackend* backend_ = nullptr;
    std::function<bool()> abandonTest_;
    std::function<bool()> stopTest_;
    std::size_t keptDepthLimit_ = std::size_t{8} << 20;  // 32 MB
};
