#pragma once
// A 4 × 4 matrix in OpenGL's column-major layout (element of row r and
// column c at index 4c + r) and the handful of transforms the fixed-function
// pipeline builds, computed without a rendering context. Used to predict
// where the renderer puts things and by the render math that needs them.
#include <array>

namespace boxora {

using Mat4 = std::array<double, 16>;
using Vec4 = std::array<double, 4>;

Mat4 Identity();
// a × b: b is applied first, as glMultMatrix(b) after a.
Mat4 Multiply(const Mat4& a, const Mat4& b);
Vec4 Transform(const Mat4& m, const Vec4& v);

// The matrices of glTranslate, glRotate (angle in degrees, any axis),
// glScale, glFrustum, gluPerspective and gluLookAt.
Mat4 Translation(double x, double y, double z);
Mat4 Rotation(double degrees, double x, double y, double z);
Mat4 Scaling(double x, double y, double z);
Mat4 Frustum(double left, double right, double bottom, double top, double zNear, double zFar);
Mat4 Perspective(double fovyDegrees, double aspect, double zNear, double zFar);
Mat4 LookAt(const std::array<double, 3>& eye, const std::array<double, 3>& centre, const std::array<double, 3>& up);

// Window position of an object-space point through modelview, projection and
// a viewport (x, y, width, height), as gluProject: x, y in pixels from the
// lower left corner, z the depth in [0, 1]. False when the point lies in the
// eye's plane (w = 0).
bool ProjectToWindow(const Vec4& point, const Mat4& modelview, const Mat4& projection,
                     const std::array<int, 4>& viewport, std::array<double, 3>& window);

}  // namespace boxora
