#pragma once
// The nine drawing modes (slots) of a side. Outside off-screen renders each
// slot is recorded in the side's own display list the first time it is drawn
// and replayed afterwards, until the side manager marks it stale; off-screen
// renders (another context) always draw immediately and leave the lists
// alone.
//
//   0 silhouette              vertices only, red, no texture
//   1 plain                   material colour and texture
//   2 mirror surface          material colour with alpha = mirror level
//   3 alpha mark              alpha channel only, depth test off
//   4 transparent surface     colour with alpha = transparency level, blended
//   5 faded plain             colour with the reflection's height fade
//   6 faded mirror surface    the same, capped at the mirror level
//   7 faded alpha mark        the fade alpha into the alpha channel only
//   8 faded transparent       the fade capped at the transparency level
#include <atomic>

#include "render/ObjectDrawing.h"
#include "render/Side.h"

namespace boxora {

// Draws the side in one slot (0 .. 8) under the current modelview, with the
// side object's transform applied inside. Always true.
bool DrawSideSlot(const ObjectDrawingScene& scene, CSide& side, int slot);

// Counts of side display lists recorded and replayed by DrawSideSlot in
// this process, for diagnostics and tests.
struct SlotListCounters {
    std::atomic<long> built{0};
    std::atomic<long> replayed{0};
};
SlotListCounters& SideListCounters();

}  // namespace boxora
