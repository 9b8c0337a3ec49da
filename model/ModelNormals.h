#pragma once
// Face and corner normals of a mesh object.
#include "model/ModelTypes.h"

// Face normal of a triangle (P0, P1, P2): normalize((P1 - P2) x (P2 - P0)).
// A degenerate triangle gets (0, 0, 1), the file's up direction.
Vector3 FaceNormal(const Vector3& p0, const Vector3& p1, const Vector3& p2);

// Computes every face normal and the smoothed corner normals: a corner
// averages its own face's normal with the normals of every other face that
// uses the corner's vertex and shares at least one smoothing-group bit with
// the face. Faces with smoothing word 0 keep their face normal at all
// corners. Expects vertex indices within range and one smoothing word per
// face (FinishObject in the reader guarantees both).
void ComputeNormals(C3DObject& object);
