#include "render/AccumulationLoop.h"

#include <GL/gl.h>

#include "render/JitterTables.h"
#include "render/JitteredProjection.h"
#include "render/TileWindow.h"

namespace boxora {

bool AccumulateSamples(int count, float weight, const std::function<bool(int)>& sample) {
    if (count <= 0) return true;
    bool result = true;
    for (int i = 0; i < count && result; ++i) {
        result = sample(i);
        glAccum(i == 0 ? GL_LOAD : GL_ACCUM, weight);
    }
    glAccum(GL_RETURN, 1.0f);
    return result;
}

bool RenderJitteredSamples(int n, double fovy, const std::function<bool()>& scenePass) {
    if (n <= 0) return scenePass();
    GLint viewport[4] = {0, 0, 1, 1};
    glGetIntegerv(GL_VIEWPORT, viewport);
    // A tile takes the whole picture's aspect.
    const int width = PictureWidthOr(viewport[2]), height = PictureHeightOr(viewport[3]);
    const double aspect = height > 0 ? static_cast<double>(width) / height : 1.0;
    const auto table = JitterTable(n);
    return AccumulateSamples(n, 1.0f / static_cast<float>(n), [&](int i) {
        glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
        glPushMatrix();
        if (!table.empty())
            SetJitteredPerspective(fovy, aspect, kJitterNear, kJitterFar, table[i].x, table[i].y, 0.0, 0.0, 1.0);
        glPopMatrix();
        return scenePass();
    });
}

}  // namespace boxora
