#include "render/CameraGl.h"

#include <GL/gl.h>
#include <GL/glu.h>

#include "render/TileWindow.h"

namespace boxora {

void ApplyProjection(const CameraSetup& c) {
    glMatrixMode(GL_PROJECTION);
    LoadTileNarrowing();
    gluPerspective(c.fovy, c.aspect, c.zNear, c.zFar);
    glMatrixMode(GL_MODELVIEW);
}

void ApplyProjectionAndCamera(const CameraSetup& c) {
    ApplyProjection(c);
    glLoadIdentity();
    gluLookAt(c.eye[0], c.eye[1], c.eye[2], c.centre[0], c.centre[1], c.centre[2], c.up[0], c.up[1], c.up[2]);
}

void ApplySceneTransform(const CameraSetup& c) {
    glTranslatef(0.0f, 0.0f, c.zoomOffset);
    glRotatef(c.verticalRotation, 1.0f, 0.0f, 0.0f);
    glRotatef(c.horizontalRotation, 0.0f, 1.0f, 0.0f);
}

}  // namespace boxora
