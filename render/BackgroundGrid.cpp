#include "render/BackgroundGrid.h"

#include <GL/glu.h>

#include <algorithm>

#include "render/CameraGl.h"

namespace boxora {

namespace {
constexpr int kLinePairs = 300;
constexpr GLfloat kSpacing = 20.0f;
constexpr GLfloat kExtent = 2000.0f;
constexpr GLfloat kDepth = -1600.0f;
}  // namespace

void BackgroundGrid::Emit() const {
    glShadeModel(GL_FLAT);
    glDisable(GL_LIGHTING);
    glDisable(GL_CLIP_PLANE4);
    glPushMatrix();
    glLoadIdentity();
    glRotatef(45.0f, 0.0f, 0.0f, 1.0f);
    glColor4fv(kColor);
    glBegin(GL_LINES);
    for (int i = 0; i < kLinePairs; ++i) {
        const GLfloat c = kSpacing * static_cast<GLfloat>(i) - kExtent;
        glVertex3f(c, -kExtent, kDepth);
        glVertex3f(c, kExtent, kDepth);
        glVertex3f(-kExtent, c, kDepth);
        glVertex3f(kExtent, c, kDepth);
    }
    glEnd();
    glPopMatrix();
    glShadeModel(GL_SMOOTH);
    glEnable(GL_LIGHTING);
    glEnable(GL_CLIP_PLANE4);
}

void BackgroundGrid::Draw(int width, int height, const CameraSetup& camera) {
    glMatrixMode(GL_PROJECTION);
    glLoadIdentity();
    gluPerspective(45.0, static_cast<double>(std::max(width, 1)) / std::max(height, 1), kNearPlane, kFarPlane);
    glMatrixMode(GL_MODELVIEW);

    if (list_ != 0 && glIsList(list_)) {
        glCallList(list_);
    } else {
        list_ = glGenLists(1);
        if (list_ != 0) glNewList(list_, GL_COMPILE_AND_EXECUTE);
        Emit();
        if (list_ != 0) glEndList();
    }

    ApplyProjection(camera);
}

void BackgroundGrid::Release() {
    if (list_ != 0) glDeleteLists(list_, 1);
    list_ = 0;
}

}  // namespace boxora
