#include "render/CullFaceToggle.h"

#include <GL/gl.h>

namespace boxora {

namespace {
thread_local bool toggle = false;
}

void SwapCulledFace() {
    glCullFace(toggle ? GL_BACK : GL_FRONT);
    toggle = !toggle;
}

void ResetCulledFace() {
    glCullFace(GL_BACK);
    toggle = false;
}

}  // namespace boxora
