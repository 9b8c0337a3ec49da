#include "render/Mat4.h"

#include <cmath>

namespace boxora {

namespace {
constexpr double kPiDouble = 3.14159265358979323846;

std::array<double, 3> Normalized(const std::array<double, 3>& v) {
    const double len = std::sqrt(v[0] * v[0] + v[1] * v[1] + v[2] * v[2]);
    if (len == 0) return v;
    return {v[0] / len, v[1] / len, v[2] / len};
}

std::array<double, 3> Cross(const std::array<double, 3>& a, const std::array<double, 3>& b) {
    return {a[1] * b[2] - a[2] * b[1], a[2] * b[0] - a[0] * b[2], a[0] * b[1] - a[1] * b[0]};
}
}  // namespace

Mat4 Identity() { return {1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1}; }

Mat4 Multiply(const Mat4& a, const Mat4& b) {
    Mat4 r{};
    for (int c = 0; c < 4; ++c)
        for (int row = 0; row < 4; ++row) {
            double s = 0;
            for (int k = 0; k < 4; ++k) s += a[4 * k + row] * b[4 * c + k];
            r[4 * c + row] = s;
        }
    return r;
}

Vec4 Transform(const Mat4& m, const Vec4& v) {
    Vec4 r{};
    for (int row = 0; row < 4; ++row)
        r[row] = m[row] * v[0] + m[4 + row] * v[1] + m[8 + row] * v[2] + m[12 + row] * v[3];
    return r;
}

Mat4 Translation(double x, double y, double z) {
    Mat4 m = Identity();
    m[12] = x;
    m[13] = y;
    m[14] = z;
    return m;
}

Mat4 Rotation(double degrees, double x, double y, double z) {
    const auto axis = Normalized({x, y, z});
    const double a = degrees * kPiDouble / 180.0;
    const double c = std::cos(a), s = std::sin(a), t = 1 - c;
    const double ux = axis[0], uy = axis[1], uz = axis[2];
    Mat4 m = Identity();
    m[0] = t * ux * ux + c;
    m[1] = t * ux * uy + s * uz;
    m[2] = t * ux * uz - s * uy;
    m[4] = t * ux * uy - s * uz;
    m[5] = t * uy * uy + c;
    m[6] = t * uy * uz + s * ux;
    m[8] = t * ux * uz + s * uy;
    m[9] = t * uy * uz - s * ux;
    m[10] = t * uz * uz + c;
    return m;
}

Mat4 Scaling(double x, double y, double z) {
    Mat4 m = Identity();
    m[0] = x;
    m[5] = y;
    m[10] = z;
    return m;
}

Mat4 Frustum(double l, double r, double b, double t, double n, double f) {
    Mat4 m{};
    m[0] = 2 * n / (r - l);
    m[5] = 2 * n / (t - b);
    m[8] = (r + l) / (r - l);
    m[9] = (t + b) / (t - b);
    m[10] = -(f + n) / (f - n);
    m[11] = -1;
    m[14] = -2 * f * n / (f - n);
    return m;
}

Mat4 Perspective(double fovyDegrees, double aspect, double n, double f) {
    const double cot = 1.0 / std::tan(fovyDegrees * kPiDouble / 360.0);
    Mat4 m{};
    m[0] = cot / aspect;
    m[5] = cot;
    m[10] = (f + n) / (n - f);
    m[11] = -1;
    m[14] = 2 * f * n / (n - f);
    return m;
}

Mat4 LookAt(const std::array<double, 3>& eye, const std::array<double, 3>& centre, const std::array<double, 3>& up) {
    const auto f = Normalized({centre[0] - eye[0], centre[1] - eye[1], centre[2] - eye[2]});
    const auto s = Normalized(Cross(f, up));
    const auto u = Cross(s, f);
    Mat4 m = Identity();
    m[0] = s[0];
    m[4] = s[1];
    m[8] = s[2];
    m[1] = u[0];
    m[5] = u[1];
    m[9] = u[2];
    m[2] = -f[0];
    m[6] = -f[1];
    m[10] = -f[2];
    return Multiply(m, Translation(-eye[0], -eye[1], -eye[2]));
}

bool ProjectToWindow(const Vec4& point, const Mat4& modelview, const Mat4& projection,
                     const std::array<int, 4>& viewport, std::array<double, 3>& window) {
    const Vec4 clip = Transform(projection, Transform(modelview, point));
    if (clip[3] == 0) return false;
    const double nx = clip[0] / clip[3], ny = clip[1] / clip[3], nz = clip[2] / clip[3];
    window[0] = viewport[0] + (nx + 1) * viewport[2] / 2.0;
    window[1] = viewport[1] + (ny + 1) * viewport[3] / 2.0;
    window[2] = (nz + 1) / 2.0;
    return true;
}

}  // namespace boxora
