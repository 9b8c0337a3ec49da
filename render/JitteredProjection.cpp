#include "render/JitteredProjection.h"

#include <GL/gl.h>

#include <cmath>

#include "render/TileWindow.h"
#include "scene/SceneParams.h"

namespace boxora {

JitteredFrustumArgs JitteredFrustum(double left, double right, double bottom, double top, double zNear, double zFar,
                                    double pixdx, double pixdy, double eyedx, double eyedy, double focus,
                                    int viewportWidth, int viewportHeight) {
    const double eyeX = focus != 0 ? eyedx * zNear / focus : 0.0;
    const double eyeY = focus != 0 ? eyedy * zNear / focus : 0.0;
    const double pixelX = viewportWidth > 0 ? pixdx * (right - left) / viewportWidth : 0.0;
    const double pixelY = viewportHeight > 0 ? pixdy * (top - bottom) / viewportHeight : 0.0;
    const double dx = -(pixelX + eyeX);
    const double dy = -(pixelY + eyeY);
    JitteredFrustumArgs a;
    a.left = left + dx;
    a.right = right + dx;
    a.bottom = bottom + dy;
    a.top = top + dy;
    a.zNear = zNear;
    a.zFar = zFar;
    a.eyeShiftX = -eyedx;
    a.eyeShiftY = -eyedy;
    return a;
}

JitteredFrustumArgs JitteredPerspectiveFrustum(double fovy, double aspect, double zNear, double zFar, double pixdx,
                                               double pixdy, double eyedx, double eyedy, double focus,
                                               int viewportWidth, int viewportHeight) {
    const double fov2 = (fovy * static_cast<double>(kPi) / 180.0) / 2.0;
    const double top = zNear / (std::cos(fov2) / std::sin(fov2));
    const double bottom = -top;
    const double right = top * aspect;
    const double left = -right;
    return JitteredFrustum(left, right, bottom, top, zNear, zFar, pixdx, pixdy, eyedx, eyedy, focus, viewportWidth,
                           viewportHeight);
}

namespace {
void Apply(const JitteredFrustumArgs& a) {
    glMatrixMode(GL_PROJECTION);
    LoadTileNarrowing();
    glFrustum(a.left, a.right, a.bottom, a.top, a.zNear, a.zFar);
    glMatrixMode(GL_MODELVIEW);
    glLoadIdentity();
    glTranslated(a.eyeShiftX, a.eyeShiftY, 0.0);
}
}  // namespace

void SetJitteredPerspective(double fovy, double aspect, double zNear, double zFar, double pixdx, double pixdy,
                            double eyedx, double eyedy, double focus) {
    GLint viewport[4] = {0, 0, 0, 0};
    glGetIntegerv(GL_VIEWPORT, viewport);
    Apply(JitteredPerspectiveFrustum(fovy, aspect, zNear, zFar, pixdx, pixdy, eyedx, eyedy, focus,
                                     PictureWidthOr(viewport[2]), PictureHeightOr(viewport[3])));
}

}  // namespace boxora
