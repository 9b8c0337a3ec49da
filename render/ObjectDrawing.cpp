#include "render/ObjectDrawing.h"

#include <GL/gl.h>

#include "model/MirrorMath.h"
#include "render/ReflectionFade.h"
#include "scene/SceneParams.h"

namespace boxora {

void ApplyTransform(const C3DObject& o) {
    glTranslatef(o.translate[0], o.translate[1], o.translate[2]);
    glRotatef(o.rotate[0], 1.0f, 0.0f, 0.0f);
    glRotatef(o.rotate[1], 0.0f, 1.0f, 0.0f);
    glRotatef(o.rotate[2], 0.0f, 0.0f, 1.0f);
    glScalef(o.scale[0], o.scale[1], o.scale[2]);
}

glm::dmat4 ObjectFadeMatrix(const C3DObject& object) { return ObjectTransformMatrix(object); }

bool SkipsFace(const MeshFace& face, int key1, int key2) {
    if (key1 == face.material || (key1 == kSkipMirrorFaces && face.inMirrorSide)) return true;
    if (key2 == face.material || (key2 == kSkipTransparentFaces && face.inTransparentSide)) return true;
    return false;
}

bool DrawObject(const ObjectDrawingScene& scene, const C3DObject& object, int key1, int key2, bool textured,
                bool fade) {
    const auto& materials = scene.model.materials;
    const bool materialColours = !materials.empty();
    const ReflectionFade ramp(scene.params.Reflection_Length, scene.params.Reflection_Opacity);

    glPushMatrix();
    ApplyTransform(object);
    glm::dmat4 m(1.0);
    if (fade) {
        m = ObjectFadeMatrix(object);
        glEnable(GL_BLEND);
        glBlendFunc(GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA);
    }

    // The triangle batch is closed and reopened only where the texture
    // state changes; the drawn result is that of one batch per face.
    int boundMaterial = -1;
    bool texturing = false;
    glDisable(GL_TEXTURE_2D);
    glBegin(GL_TRIANGLES);
    if (!materialColours) glColor4f(1.0f, 0.0f, 0.0f, 1.0f);

    const int vertexCount = object.VertexCount();
    const bool haveUv = object.texCoords.size() >= object.vertices.size();
    for (const MeshFace* face : object.faceList) {
        if (face == nullptr || SkipsFace(*face, key1, key2)) continue;
        const bool faceTextured = face->textured && textured;
        if (faceTextured) {
            const int material = face->material;
            if (!texturing || boundMaterial != material) {
                glEnd();
                glEnable(GL_TEXTURE_2D);
                if (boundMaterial != material) {
                    glBindTexture(GL_TEXTURE_2D, material < kTextureSlots ? scene.textureNames[material] : 0);
                    boundMaterial = material;
                }
                texturing = true;
                glBegin(GL_TRIANGLES);
            }
        } else if (texturing) {
            glEnd();
            glDisable(GL_TEXTURE_2D);
            texturing = false;
            glBegin(GL_TRIANGLES);
        }

        const tMaterialInfo* colour = nullptr;
        if (materialColours && textured && face->material < materials.size()) colour = &materials[face->material];
        for (int corner = 0; corner < 3; ++corner) {
            const int vi = face->vertIndex[corner];
            if (vi >= vertexCount) continue;  // the reader never lets this happen
            const Vector3& v = object.vertices[vi];
            const Vector3& n = face->normals[corner];
            glNormal3f(-n.x, -n.z, -n.y);
            if (colour != nullptr) {
                const auto& c = colour->color;
                if (!fade) {
                    const GLfloat ambient[4] = {c[0] / 255.0f, c[1] / 255.0f, c[2] / 255.0f, 1.0f};
                    glMaterialfv(GL_FRONT_AND_BACK, GL_AMBIENT, ambient);
                    glColor3ub(c[0], c[1], c[2]);
                } else {
                    const float h = static_cast<float>(FadeHeight(m, v.x, v.z, v.y));
                    const GLfloat ambient[4] = {c[0] / 255.0f, c[1] / 255.0f, c[2] / 255.0f, ramp.Alpha(h)};
                    glMaterialfv(GL_FRONT_AND_BACK, GL_AMBIENT, ambient);
                    glColor4ub(c[0], c[1], c[2], static_cast<GLubyte>(ramp.AlphaByte(h)));
                }
            }
            if (faceTextured && haveUv) glTexCoord2f(object.texCoords[vi].u, object.texCoords[vi].v);
            glVertex3f(v.x, v.z, v.y);
        }
    }
    glEnd();
    glPopMatrix();
    glDisable(GL_TEXTURE_2D);
    if (fade) glDisable(GL_BLEND);
    return true;
}

bool DrawAll(const ObjectDrawingScene& scene, int key1, int key2, bool textured, bool fade) {
    for (const auto& object : scene.model.objects) DrawObject(scene, *object, key1, key2, textured, fade);
    return true;
}

}  // namespace boxora
