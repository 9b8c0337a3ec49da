#include "render/TileWindow.h"

#include <GL/gl.h>

namespace boxora {

namespace {
thread_local std::optional<TileWindow> tileWindow;
}

std::optional<TileWindow> CurrentTileWindow() { return tileWindow; }
void SetTileWindow(const TileWindow& window) { tileWindow = window; }
void ClearTileWindow() { tileWindow.reset(); }

int PictureWidthOr(int viewportWidth) { return tileWindow ? tileWindow->pictureWidth : viewportWidth; }
int PictureHeightOr(int viewportHeight) { return tileWindow ? tileWindow->pictureHeight : viewportHeight; }

void TileNarrowing(double m[16]) {
    for (int i = 0; i < 16; ++i) m[i] = (i % 5 == 0) ? 1.0 : 0.0;
    if (!tileWindow || tileWindow->width <= 0 || tileWindow->height <= 0) return;
    const TileWindow& t = *tileWindow;
    // Picture window x maps to tile window x − t.x: the normalised device
    // coordinate is scaled by picture / tile and shifted accordingly.
    m[0] = static_cast<double>(t.pictureWidth) / t.width;
    m[5] = static_cast<double>(t.pictureHeight) / t.height;
    m[12] = (static_cast<double>(t.pictureWidth) - 2.0 * t.x) / t.width - 1.0;
    m[13] = (static_cast<double>(t.pictureHeight) - 2.0 * t.y) / t.height - 1.0;
}

void LoadTileNarrowing() {
    double m[16];
    TileNarrowing(m);
    glLoadMatrixd(m);
}

}  // namespace boxora
