#pragma once
// Mirrored drawing turns the winding of every triangle around, so the face
// that is culled is swapped around each mirrored drawing and swapped back
// after it. Frames start with back faces culled; the first swap culls front
// faces, the second restores back-face culling. The toggle is kept per
// thread, because each drawing thread owns its own context (and so its own
// culling state).
namespace boxora {

// Culls back faces when the toggle is set, front faces otherwise, then
// inverts the toggle.
void SwapCulledFace();
// Back to the starting state (back faces culled, toggle clear), for a
// context that starts a new frame after an interrupted one.
void ResetCulledFace();

}  // namespace boxora
