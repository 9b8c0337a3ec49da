#pragma once
// Whole objects in immediate mode: the object transform, one object with
// optional skipping, texturing and the reflection's height fade, and every
// object of the scene. The shadow silhouettes draw with them.
//
// Axis and attribute mapping of every drawing routine: a vertex (x, y, z) as
// held in memory is drawn at (x, z, y); a corner normal (nx, ny, nz) is
// given as (-nx, -nz, -ny); texture coordinates go with textured faces only.
#include <array>
#include <glm/mat4x4.hpp>

#include "model/ModelTypes.h"
#include "render/TextureStore.h"

struct SceneParams;

namespace boxora {

// Skip keys of DrawObject; any other value is a material index.
constexpr int kSkipNothing = -1;           // matches no face
constexpr int kSkipMirrorFaces = -2;       // key 1: faces of mirror sides
constexpr int kSkipTransparentFaces = -3;  // key 2: faces of transparent sides

// What object drawing reads besides the object itself.
struct ObjectDrawingScene {
    const SceneModel& model;
    const TextureNameTable& textureNames;
    const SceneParams& params;
};

// glTranslatef(translate), glRotatef about x, y and z, glScalef(scale):
// vertices are scaled, then turned about z, y and x, then moved.
void ApplyTransform(const C3DObject& object);

// The object's transform alone (identity, then ApplyTransform), column-major:
// the matrix the height fade measures heights with.
glm::dmat4 ObjectFadeMatrix(const C3DObject& object);

// True when a face is left out by the two keys: key 1 equal to its material,
// or -2 for a face in a mirror side; key 2 equal to its material, or -3 for a
// face in a transparent side.
bool SkipsFace(const MeshFace& face, int key1, int key2);

// Draws the object's faces in file order. With textured set, textured faces
// are drawn with their material's texture and every face with its material
// colour (red when the scene has no materials; a face whose material is out
// of range gets no colour); with it clear no colour is set, so the caller's
// current colour applies. With fade set, colours carry the reflection's
// height-fade alpha and blending is on while the object is drawn.
bool DrawObject(const ObjectDrawingScene& scene, const C3DObject& object, int key1, int key2, bool textured, bool fade);
// DrawObject on every object in list order.
bool DrawAll(const ObjectDrawingScene& scene, int key1, int key2, bool textured, bool fade);

}  // namespace boxora
