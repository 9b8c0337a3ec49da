#include "render/LightMarkers.h"

#include <GL/gl.h>
#include <GL/glu.h>

namespace boxora {

namespace {
constexpr int kSlices = 6;
constexpr int kStacks = 6;
}  // namespace

LightMarkers::~LightMarkers() {
    // A quadric is client-side state only; no context is needed to free it.
    if (quadric_) gluDeleteQuadric(quadric_);
}

void LightMarkers::Draw(bool light1Enabled, const std::array<float, 4>& light1, bool light2Enabled,
                        const std::array<float, 4>& light2) {
    if (!light1Enabled && !light2Enabled) return;
    if (!quadric_) quadric_ = gluNewQuadric();
    if (!quadric_) return;
    glDisable(GL_LIGHTING);
    auto marker = [this](const std::array<float, 4>& at, const float* colour) {
        glColor4fv(colour);
        glPushMatrix();
        glTranslatef(at[0], at[1], at[2]);
        gluSphere(quadric_, kRadius, kSlices, kStacks);
        glPopMatrix();
    };
    if (light1Enabled) marker(light1, kLight1Color);
    if (light2Enabled) marker(light2, kLight2Color);
    glEnable(GL_LIGHTING);
}

}  // namespace boxora
