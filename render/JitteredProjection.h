#pragma once
// Projections shifted by a fraction of a pixel (and optionally by an eye
// offset for depth of field), for averaging several samples of a frame in
// the accumulation buffer. The *Frustum functions compute the glFrustum
// arguments without a context; SetJittered* apply them to the current one.

namespace boxora {

struct JitteredFrustumArgs {
    double left = 0, right = 0, bottom = 0, top = 0, zNear = 0, zFar = 0;
    double eyeShiftX = 0, eyeShiftY = 0;  // the modelview becomes translate(eyeShiftX, eyeShiftY, 0)
};

// dx = −(pixdx × (right − left) / viewportWidth + eyedx × near / focus), dy
// likewise with top − bottom and the viewport height; the frustum is moved
// by (dx, dy). A pixel offset of 1 moves the image by one pixel. An empty
// viewport gives no pixel shift.
JitteredFrustumArgs JitteredFrustum(double left, double right, double bottom, double top, double zNear, double zFar,
                                    double pixdx, double pixdy, double eyedx, double eyedy, double focus,
                                    int viewportWidth, int viewportHeight);

// The symmetric frustum of a perspective (fovy in degrees, π = 3.1415927):
// top = near / (cos(fov/2) / sin(fov/2)), right = top × aspect; then
// JitteredFrustum.
JitteredFrustumArgs JitteredPerspectiveFrustum(double fovy, double aspect, double zNear, double zFar, double pixdx,
                                               double pixdy, double eyedx, double eyedy, double focus,
                                               int viewportWidth, int viewportHeight);

// On the current context, with the current viewport: loads the jittered
// perspective frustum into the projection matrix, then leaves GL_MODELVIEW
// current, loaded with identity and the eye shift.
void SetJitteredPerspective(double fovy, double aspect, double zNear, double zFar, double pixdx, double pixdy,
                            double eyedx, double eyedy, double focus);

}  // namespace boxora
