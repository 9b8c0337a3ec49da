#include "model/MirrorMath.h"

#include <cmath>
#include <glm/ext/matrix_transform.hpp>
#include <glm/trigonometric.hpp>

glm::dmat4 ObjectTransformMatrix(const float translate[3], const float rotateDeg[3], const float scale[3]) {
    glm::dmat4 m = glm::translate(glm::dmat4(1.0), glm::dvec3(translate[0], translate[1], translate[2]));
    m = glm::rotate(m, glm::radians(static_cast<double>(rotateDeg[0])), glm::dvec3(1, 0, 0));
    m = glm::rotate(m, glm::radians(static_cast<double>(rotateDeg[1])), glm::dvec3(0, 1, 0));
    m = glm::rotate(m, glm::radians(static_cast<double>(rotateDeg[2])), glm::dvec3(0, 0, 1));
    return glm::scale(m, glm::dvec3(scale[0], scale[1], scale[2]));
}

glm::dmat4 ObjectTransformMatrix(const C3DObject& object) {
    const float t[3] = {object.translate[0], object.translate[1], object.translate[2]};
    const float r[3] = {object.rotate[0], object.rotate[1], object.rotate[2]};
    const float s[3] = {object.scale[0], object.scale[1], object.scale[2]};
    return ObjectTransformMatrix(t, r, s);
}

Vector3 TransformPoint(const glm::dmat4& m, const Vector3& p) {
    const glm::dvec4 q = m * glm::dvec4(p.x, p.y, p.z, 1.0);
    return {static_cast<float>(q.x), static_cast<float>(q.y), static_cast<float>(q.z)};
}

Vector3 TransformDirection(const glm::dmat4& m, const Vector3& v) {
    const glm::dvec4 q = m * glm::dvec4(v.x, v.y, v.z, 0.0);
    return {static_cast<float>(q.x), static_cast<float>(q.y), static_cast<float>(q.z)};
}

MirrorPlane ComputeMirrorPlane(const Vector3& normalFile, const Vector3& pointFile) {
    const double f = normalFile.x, g = normalFile.z, h = normalFile.y;
    const double px = pointFile.x, py = pointFile.z, pz = pointFile.y;
    const double np = f * px + g * py + h * pz;
    const double s = 2.0 * np;
    MirrorPlane plane;
    plane.clipPlane = {f, g, h, -np};
    plane.reflection = glm::dmat4(1 - 2 * f * f, -2 * f * g, -2 * f * h, 0,  //
                                  -2 * f * g, 1 - 2 * g * g, -2 * g * h, 0,  //
                                  -2 * f * h, -2 * g * h, 1 - 2 * h * h, 0,  //
                                  f * s, g * s, h * s, 1);
    return plane;
}

MirrorPlane WorldMirrorPlane(const glm::dmat4& m, const Vector3& normalFile, const Vector3& pointFile) {
    Vector3 n = TransformDirection(m, SwapYZ(normalFile));
    const double len = std::sqrt(double(n.x) * n.x + double(n.y) * n.y + double(n.z) * n.z);
    if (len > 1e-20 && std::isfinite(len)) {
        n = {static_cast<float>(n.x / len), static_cast<float>(n.y / len), static_cast<float>(n.z / len)};
    }
    const Vector3 p = TransformPoint(m, SwapYZ(pointFile));
    return ComputeMirrorPlane(SwapYZ(n), SwapYZ(p));
}
