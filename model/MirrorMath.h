#pragma once
// Matrix and plane arithmetic of objects and mirror sides, done on the CPU.
// Matrices are glm's, column-major like OpenGL's: m[column][row], and
// glm::value_ptr gives the 16 numbers glMultMatrixd takes.
#include <array>
#include <glm/mat4x4.hpp>

#include "model/ModelTypes.h"

// The modelview matrix of an object's transform applied to the identity,
// as ApplyTransform builds it: translate, rotate about x, y, z (degrees),
// scale. Vertices are scaled first, then turned about z, y and x, then
// moved.
glm::dmat4 ObjectTransformMatrix(const float translate[3], const float rotateDeg[3], const float scale[3]);
glm::dmat4 ObjectTransformMatrix(const C3DObject& object);

// M * (p, 1) and the upper 3 x 3 of M times v.
Vector3 TransformPoint(const glm::dmat4& m, const Vector3& p);
Vector3 TransformDirection(const glm::dmat4& m, const Vector3& v);

// Swaps y and z: file axis order <-> drawing (OpenGL) axis order.
inline Vector3 SwapYZ(const Vector3& v) { return {v.x, v.z, v.y}; }

struct MirrorPlane {
    // a, b, c, d in drawing axis order: a x + b y + c z + d >= 0 is kept.
    std::array<double, 4> clipPlane{};
    // Reflection in the plane.
    glm::dmat4 reflection{1.0};
};

// From a normal N and a point P in file axis order: with n = (N.x, N.z, N.y)
// = (f, g, h), p = (P.x, P.z, P.y) and s = 2 (n . p), the clip plane is
// (f, g, h, -(n . p)) and the reflection matrix has the columns
// (1 - 2f^2, -2fg, -2fh, 0), (-2fg, 1 - 2g^2, -2gh, 0), (-2fh, -2gh, 1 - 2h^2, 0)
// and (f s, g s, h s, 1).
MirrorPlane ComputeMirrorPlane(const Vector3& normalFile, const Vector3& pointFile);

// The world-space plane of a mirror whose object-space normal and point
// (file axis order) belong to an object with transform m.
MirrorPlane WorldMirrorPlane(const glm::dmat4& m, const Vector3& normalFile, const Vector3& pointFile);
