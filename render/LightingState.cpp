#include "render/LightingState.h"

#include "scene/SceneParams.h"

namespace boxora {

void SetFixedLightingState() {
    const GLfloat white[] = {1.0f, 1.0f, 1.0f, 1.0f};
    const GLfloat dim[] = {0.1f, 0.1f, 0.1f, 1.0f};

    glShadeModel(GL_SMOOTH);
    glMaterialfv(GL_FRONT, GL_SPECULAR, white);
    glMaterialf(GL_FRONT, GL_SHININESS, 100.0f);

    glLightfv(kLightSource1, GL_AMBIENT, dim);
    glLightfv(kLightSource1, GL_SPECULAR, white);

    glLightfv(kLightSource2, GL_AMBIENT, dim);
    glLightfv(kLightSource2, GL_DIFFUSE, white);
    glLightfv(kLightSource2, GL_SPECULAR, white);

    glEnable(GL_LIGHTING);
    glEnable(kLightSource1);
    glEnable(kLightSource2);
    glEnable(GL_DEPTH_TEST);
    glEnable(GL_NORMALIZE);
    glColorMaterial(GL_FRONT, GL_DIFFUSE);
    glEnable(GL_COLOR_MATERIAL);
    glEnable(GL_CULL_FACE);
    glCullFace(GL_BACK);
}

void PositionLights(const std::array<float, 4>& light1, const std::array<float, 4>& light2) {
    glLightfv(kLightSource1, GL_POSITION, light1.data());
    glLightfv(kLightSource2, GL_POSITION, light2.data());
}

void PositionLights(const SceneParams& p) { PositionLights(p.light1Position.Get(), p.light2Position.Get()); }

void SetFrameLighting(float globalBrightness, const std::array<float, 4>& light1, const std::array<float, 4>& light2) {
    const GLfloat b = globalBrightness / 100.0f;
    const GLfloat ambient[] = {b, b, b, 1.0f};
    glLightModelfv(GL_LIGHT_MODEL_AMBIENT, ambient);
    PositionLights(light1, light2);
    glHint(GL_PERSPECTIVE_CORRECTION_HINT, GL_NICEST);
}

void SetFrameLighting(const SceneParams& p) {
    SetFrameLighting(p.globalLightBrightness, p.light1Position.Get(), p.light2Position.Get());
}

void EnableLights(bool light1, bool light2) {
    if (light1)
        glEnable(kLightSource1);
    else
        glDisable(kLightSource1);
    if (light2)
        glEnable(kLightSource2);
    else
        glDisable(kLightSource2);
}

}  // namespace boxora
