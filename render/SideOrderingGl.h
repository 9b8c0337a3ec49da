#pragma once
// The OpenGL part of the side ordering: silhouettes into the depth buffer of
// a 256 × 256 viewport (the frame's own viewport in off-screen renders), and
// the depth buffer read back for the side manager's comparison. Each side
// is drawn and read within the window rectangle it can cover (scissored
// clear and drawing, read-back of that rectangle only): it touches no other
// pixel, and a large render's frame is mostly elsewhere.
#include <vector>

#include "render/WindowRect.h"

#include "render/SideManager.h"

class IRenderHost;

namespace boxora {

class SidePasses;

class GlSideOrdering : public ISideOrderingBackend {
public:
    static constexpr int kOrderingSide = 256;

    GlSideOrdering(IRenderHost& engine, SidePasses& passes) : engine_(engine), passes_(passes) {}

    bool Available() override;
    void BeginRun(bool mirrored) override;
    void ClearDepth() override;
    void DrawSilhouette(CSide& side) override;
    std::optional<DepthRect> Focus(CSide& side) override;
    void ReadDepth(std::vector<float>& out) override;
    void EndRun(bool mirrored) override;

private:
    IRenderHost& engine_;
    SidePasses& passes_;
    int savedWidth_ = 0;
    int savedHeight_ = 0;
    bool floorClipWasOn_ = false;
    PixelRect focus_{};
    bool focused_ = false;
};

}  // namespace boxora
