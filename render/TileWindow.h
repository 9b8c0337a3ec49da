#pragma once
// The part of a large picture that the current frame draws. A picture too
// big for one surface is drawn tile by tile on a tile-sized surface; every
// projection the frame loads is the whole picture's, narrowed to the tile,
// so that the tiles join without a seam. The camera's aspect and the
// antialiasing jitter (a fraction of a picture pixel) come from the whole
// picture, not from the tile's viewport.
//
// The window belongs to the thread that draws (one context per thread);
// without one every frame is a whole picture and nothing changes.
#include <glm/mat4x4.hpp>
#include <optional>

namespace boxora {

struct TileWindow {
    int pictureWidth = 0;
    int pictureHeight = 0;
    // The tile's lower left corner in picture pixels (y upwards, as the
    // frame's window coordinates) and its size.
    int x = 0;
    int y = 0;
    int width = 0;
    int height = 0;
};

// The window of the current thread's frame, if it draws a tile.
std::optional<TileWindow> CurrentTileWindow();
void SetTileWindow(const TileWindow& window);
void ClearTileWindow();

// The picture's size for the camera's aspect and the jitter: the tiled
// picture's, else the given viewport size.
int PictureWidthOr(int viewportWidth);
int PictureHeightOr(int viewportHeight);

// The matrix that maps the whole picture's clip coordinates to the tile's
// identity without a tile.
glm::dmat4 TileNarrowing();
// With GL_PROJECTION current: loads that matrix in place of identity, so
// that the projection multiplied onto it next is narrowed to the tile.
void LoadTileNarrowing();

// Keeps a tile window for a scope and clears it at the end.
class ScopedTileWindow {
public:
    explicit ScopedTileWindow(const TileWindow& window) { SetTileWindow(window); }
    ~ScopedTileWindow() { ClearTileWindow(); }
    ScopedTileWindow(const ScopedTileWindow&) = delete;
    ScopedTileWindow& operator=(const ScopedTileWindow&) = delete;
};

}  // namespace boxora
