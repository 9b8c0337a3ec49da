#include "render/TileWindow.h"

#include <GL/gl.h>

#include <glm/gtc/type_ptr.hpp>

namespace boxora {

namespace {
thread_local std::optional<TileWindow> tileWindow;
}

std::optional<TileWindow> CurrentTileWindow() { return tileWindow; }
void SetTileWindow(const TileWindow& window) { tileWindow = window; }
void ClearTileWindow() { tileWindow.reset(); }

int PictureWidthOr(int viewportWidth) { return tileWindow ? tileWindow->pictureWidth : viewportWidth; }
int PictureHeightOr(int viewportHeight) { return tileWindow ? tileWindow->pictureHeight : viewportHeight; }

glm::dmat4 TileNarrowing() {
    glm::dmat4 m(1.0);
    if (!tileWindow || tileWindow->width <= 0 || tileWindow->height <= 0) return m;
    const TileWindow& t = *tileWindow;
    // Picture window x maps to tile window x − t.x: the normalised device
    // coordinate is scaled by picture / tile and shifted accordingly.
    m[0][0] = static_cast<double>(t.pictureWidth) / t.width;
    m[1][1] = static_cast<double>(t.pictureHeight) / t.height;
    m[3][0] = (static_cast<double>(t.pictureWidth) - 2.0 * t.x) / t.width - 1.0;
    m[3][1] = (static_cast<double>(t.pictureHeight) - 2.0 * t.y) / t.height - 1.0;
    return m;
}

void LoadTileNarrowing() { glLoadMatrixd(glm::value_ptr(TileNarrowing())); }

}  // namespace boxora
