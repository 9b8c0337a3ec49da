#pragma once
// Loads the projection and camera computed by CameraMath into the current
// context.
#include "render/CameraMath.h"

namespace boxora {

// Projection: identity, gluPerspective(fovy, aspect, near, far). Then the
// modelview: identity and gluLookAt(eye, centre, up). Leaves GL_MODELVIEW
// the current matrix mode.
void ApplyProjectionAndCamera(const CameraSetup& camera);
// Only the projection part (used to put the normal projection back after a
// pass that replaced it). Leaves GL_MODELVIEW current.
void ApplyProjection(const CameraSetup& camera);
// Multiplies the scene transform onto the modelview: translate (0, 0, zo),
// rotate about X by the vertical rotation, about Y by the horizontal one.
void ApplySceneTransform(const CameraSetup& camera);

}  // namespace boxora
