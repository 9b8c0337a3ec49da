#pragma once
// The light diagonal grid drawn behind the scene in previews with a
// transparent background, so that the user sees the background is empty.
// Render frames never draw it.
#include <GL/gl.h>

#include "render/CameraMath.h"

namespace boxora {

class BackgroundGrid {
public:
    // Line colour; its alpha of 0 leaves the frame's coverage untouched.
    static constexpr GLfloat kColor[4] = {0.9f, 0.9f, 0.95f, 0.0f};

    // Sets a 45° perspective for the viewport size, draws the grid (from a
    // display list built in compile-and-execute mode on first use) and sets
    // the normal projection of camera back. Expects smooth shading, lighting
    // and clip plane 4 on, and leaves them on; the current colour is left
    // at the grid colour.
    void Draw(int width, int height, const CameraSetup& camera);

    // Deletes the display list; call with the context that drew it current.
    void Release();
    // Forgets the list without a context (the context that held it is gone).
    void Forget() { list_ = 0; }

    GLuint ListName() const { return list_; }

private:
    void Emit() const;
    GLuint list_ = 0;
};

}  // namespace boxora
