#include "model/MirrorMath.h"

#include <cmath>

namespace {

constexpr double kPiD = 3.1415927;

// glRotatef(angle, axis) for a unit axis given by index (0 x, 1 y, 2 z).
Matrix4 Rotation(float degrees, int axis) {
    const double a = degrees * kPiD / 180.0;
    const float c = static_cast<float>(std::cos(a));
    const float s = static_cast<float>(std::sin(a));
    Matrix4 m = IdentityMatrix();
    const int i = (axis + 1) % 3;  // the two axes turned into each other
    const int j = (axis + 2) % 3;
    // column i gets (.. c at i, s at j), column j gets (-s at i, c at j)
    m[i * 4 + i] = c;
    m[i * 4 + j] = s;
    m[j * 4 + i] = -s;
    m[j * 4 + j] = c;
    return m;
}

}  // namespace

Matrix4 IdentityMatrix() { return {1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1}; }

Matrix4 MultiplyMatrix(const Matrix4& a, const Matrix4& b) {
    Matrix4 r{};
    for (int col = 0; col < 4; ++col)
        for (int row = 0; row < 4; ++row) {
            float v = 0;
            for (int k = 0; k < 4; ++k) v += a[k * 4 + row] * b[col * 4 + k];
            r[col * 4 + row] = v;
        }
    return r;
}

Matrix4 ObjectTransformMatrix(const float translate[3], const float rotateDeg[3], const float scale[3]) {
    Matrix4 m = IdentityMatrix();
    m[12] = translate[0];
    m[13] = translate[1];
    m[14] = translate[2];
    m = MultiplyMatrix(m, Rotation(rotateDeg[0], 0));
    m = MultiplyMatrix(m, Rotation(rotateDeg[1], 1));
    m = MultiplyMatrix(m, Rotation(rotateDeg[2], 2));
    Matrix4 s = IdentityMatrix();
    s[0] = scale[0];
    s[5] = scale[1];
    s[10] = scale[2];
    return MultiplyMatrix(m, s);
}

Matrix4 ObjectTransformMatrix(const C3DObject& object) {
    const float t[3] = {object.translate[0], object.translate[1], object.translate[2]};
    const float r[3] = {object.rotate[0], object.rotate[1], object.rotate[2]};
    const float s[3] = {object.scale[0], object.scale[1], object.scale[2]};
    return ObjectTransformMatrix(t, r, s);
}

Vector3 TransformPoint(const Matrix4& m, const Vector3& p) {
    return {m[0] * p.x + m[4] * p.y + m[8] * p.z + m[12], m[1] * p.x + m[5] * p.y + m[9] * p.z + m[13],
            m[2] * p.x + m[6] * p.y + m[10] * p.z + m[14]};
}

Vector3 TransformDirection(const Matrix4& m, const Vector3& v) {
    return {m[0] * v.x + m[4] * v.y + m[8] * v.z, m[1] * v.x + m[5] * v.y + m[9] * v.z,
            m[2] * v.x + m[6] * v.y + m[10] * v.z};
}

MirrorPlane ComputeMirrorPlane(const Vector3& normalFile, const Vector3& pointFile) {
    const double f = normalFile.x, g = normalFile.z, h = normalFile.y;
    const double px = pointFile.x, py = pointFile.z, pz = pointFile.y;
    const double np = f * px + g * py + h * pz;
    const double s = 2.0 * np;
    MirrorPlane plane;
    plane.clipPlane = {f, g, h, -np};
    Matrix4& r = plane.reflection;
    r = {static_cast<float>(1 - 2 * f * f), static_cast<float>(-2 * f * g), static_cast<float>(-2 * f * h), 0,
         static_cast<float>(-2 * f * g), static_cast<float>(1 - 2 * g * g), static_cast<float>(-2 * g * h), 0,
         static_cast<float>(-2 * f * h), static_cast<float>(-2 * g * h), static_cast<float>(1 - 2 * h * h), 0,
         static_cast<float>(f * s), static_cast<float>(g * s), static_cast<float>(h * s), 1};
    return plane;
}

MirrorPlane WorldMirrorPlane(const Matrix4& m, const Vector3& normalFile, const Vector3& pointFile) {
    Vector3 n = TransformDirection(m, SwapYZ(normalFile));
    const double len = std::sqrt(double(n.x) * n.x + double(n.y) * n.y + double(n.z) * n.z);
    if (len > 1e-20 && std::isfinite(len)) {
        n = {static_cast<float>(n.x / len), static_cast<float>(n.y / len), static_cast<float>(n.z / len)};
    }
    const Vector3 p = TransformPoint(m, SwapYZ(pointFile));
    return ComputeMirrorPlane(SwapYZ(n), SwapYZ(p));
}
