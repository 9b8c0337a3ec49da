#include "render/SideSlots.h"

#include <GL/gl.h>

#include <algorithm>

#include "render/ReflectionFade.h"
#include "scene/SceneParams.h"

namespace boxora {

namespace {

bool Faded(int slot) { return slot >= SLOT_FADED_PLAIN; }

// Slots 1 to 3 take each vertex from the face's owner, the others from the
// side's object (the same object whenever a model file holds one object).
const C3DObject* VertexSource(const CSide& side, const MeshFace& face, int slot) {
    if (slot >= SLOT_PLAIN && slot <= SLOT_ALPHA_MARK && face.owner != nullptr) return face.owner;
    return side.object;
}

void SetColour(const GLfloat rgba[4]) {
    glMaterialfv(GL_FRONT_AND_BACK, GL_AMBIENT, rgba);
    glColor4fv(rgba);
}

// Everything inside the slot's display list.
class SlotEmitter {
public:
    SlotEmitter(const ObjectDrawingScene& scene, const CSide& side, int slot)
        : scene_(scene),
          side_(side),
          slot_(slot),
          fade_(scene.params.Reflection_Length, scene.params.Reflection_Opacity),
          material_(side.material >= 0 && static_cast<std::size_t>(side.material) < scene.model.materials.size()
                        ? &scene.model.materials[side.material]
                        : nullptr) {
        if (Faded(slot) && side.object != nullptr) m_ = ObjectFadeMatrix(*side.object);
    }

    void Emit() {
        switch (slot_) {
            case SLOT_SILHOUETTE: {
                glBegin(GL_TRIANGLES);
                const GLfloat red[4] = {1, 0, 0, 1};
                glMaterialfv(GL_FRONT_AND_BACK, GL_AMBIENT, red);
                glColor4ub(255, 0, 0, 255);
                Corners(false, false);
                glEnd();
                break;
            }
            case SLOT_ALPHA_MARK:
                glBegin(GL_TRIANGLES);
                glColor4f(1, 0, 0, 1);
                Corners(false, false);
                glEnd();
                break;
            case SLOT_FADED_ALPHA_MARK:
                glBegin(GL_TRIANGLES);
                Corners(false, false);
                glEnd();
                break;
            case SLOT_TRANSPARENT_SURFACE:
            case SLOT_FADED_TRANSPARENT_SURFACE:
                Texture();
                glEnable(GL_BLEND);
                glBlendFunc(GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA);
                glBegin(GL_TRIANGLES);
                Corners(true, true);
                glEnd();
                glDisable(GL_BLEND);
                glDisable(GL_TEXTURE_2D);
                break;
            default:  // plain, mirror surface, faded plain, faded mirror surface
                Texture();
                glBegin(GL_TRIANGLES);
                Corners(true, true);
                glEnd();
                if (Faded(slot_)) glDisable(GL_TEXTURE_2D);
                break;
        }
    }

private:
    // When the side's first face is textured: texturing on with the texture
    // of the side's material.
    void Texture() const {
        if (side_.faces.empty() || side_.faces.front() == nullptr || !side_.faces.front()->textured) return;
        glEnable(GL_TEXTURE_2D);
        const int material = side_.material;
        glBindTexture(GL_TEXTURE_2D, material >= 0 && material < kTextureSlots ? scene_.textureNames[material] : 0);
    }

    // The per-corner colour of the slot; alpha is the fade alpha of the
    // corner for the faded slots. A side without a valid material (every
    // side of a scene without materials) keeps the red set before its list
    // in the unfaded slots and is red with the fade alpha in the faded ones.
    void CornerColour(float fadeAlpha) const {
        const tMaterialInfo* m = material_;
        const float r = m ? m->color[0] / 255.0f : 1.0f;
        const float g = m ? m->color[1] / 255.0f : 0.0f;
        const float b = m ? m->color[2] / 255.0f : 0.0f;
        switch (slot_) {
            case SLOT_PLAIN: {
                if (!m) break;
                const GLfloat ambient[4] = {r, g, b, 1.0f};
                glMaterialfv(GL_FRONT_AND_BACK, GL_AMBIENT, ambient);
                glColor3ub(m->color[0], m->color[1], m->color[2]);
                break;
            }
            case SLOT_MIRROR_SURFACE:
            case SLOT_TRANSPARENT_SURFACE: {
                if (!m) break;
                const uint8_t level = slot_ == SLOT_MIRROR_SURFACE ? m->mirrorLevel : m->transparencyLevel;
                const GLfloat ambient[4] = {r, g, b, level / 255.0f};
                glMaterialfv(GL_FRONT_AND_BACK, GL_AMBIENT, ambient);
                glColor4ub(m->color[0], m->color[1], m->color[2], level);
                break;
            }
            case SLOT_FADED_PLAIN: {
                const GLfloat c[4] = {r, g, b, fadeAlpha};
                SetColour(c);
                break;
            }
            case SLOT_FADED_MIRROR_SURFACE: {
                const GLfloat c[4] = {r, g, b, m ? std::min(fadeAlpha, m->mirrorLevel / 255.0f) : fadeAlpha};
                SetColour(c);
                break;
            }
            case SLOT_FADED_ALPHA_MARK: {
                const GLfloat c[4] = {0, 0, 1, fadeAlpha};
                SetColour(c);
                break;
            }
            case SLOT_FADED_TRANSPARENT_SURFACE: {
                const GLfloat c[4] = {r, g, b, m ? std::min(fadeAlpha, m->transparencyLevel / 255.0f) : fadeAlpha};
                SetColour(c);
                break;
            }
            default: break;
        }
    }

    void Corners(bool normals, bool colourAndUv) const {
        const bool faded = Faded(slot_);
        for (const MeshFace* face : side_.faces) {
            if (face == nullptr) continue;
            const C3DObject* object = VertexSource(side_, *face, slot_);
            if (object == nullptr) continue;
            const int vertexCount = object->VertexCount();
            const bool haveUv = object->texCoords.size() >= object->vertices.size();
            for (int corner = 0; corner < 3; ++corner) {
                const int vi = face->vertIndex[corner];
                if (vi >= vertexCount) continue;
                const Vector3& v = object->vertices[vi];
                if (normals) {
                    const Vector3& n = face->normals[corner];
                    glNormal3f(-n.x, -n.z, -n.y);
                }
                if (colourAndUv || slot_ == SLOT_FADED_ALPHA_MARK) {
                    const float alpha = faded ? fade_.Alpha(static_cast<float>(FadeHeight(m_, v.x, v.z, v.y))) : 1.0f;
                    CornerColour(alpha);
                }
                if (colourAndUv && haveUv) glTexCoord2f(object->texCoords[vi].u, object->texCoords[vi].v);
                glVertex3f(v.x, v.z, v.y);
            }
        }
    }

    const ObjectDrawingScene& scene_;
    const CSide& side_;
    const int slot_;
    const ReflectionFade fade_;
    const tMaterialInfo* material_;
    glm::dmat4 m_{1.0};
};

// "No-material red": with no materials in the scene, ambient and current
// colour red once, and no per-corner colours. The same for the faces an
// object has without a valid material.
void NoMaterialRed(const ObjectDrawingScene& scene, const CSide& side) {
    const bool valid = side.material >= 0 && static_cast<std::size_t>(side.material) < scene.model.materials.size();
    if (valid) return;
    const GLfloat red[4] = {1, 0, 0, 1};
    SetColour(red);
}

void Before(const ObjectDrawingScene& scene, const CSide& side, int slot) {
    switch (slot) {
        case SLOT_SILHOUETTE: break;
        case SLOT_ALPHA_MARK:
            glDisable(GL_DEPTH_TEST);
            glColorMask(GL_FALSE, GL_FALSE, GL_FALSE, GL_TRUE);
            break;
        case SLOT_FADED_ALPHA_MARK: {
            glColorMask(GL_FALSE, GL_FALSE, GL_FALSE, GL_TRUE);
            const GLfloat blue[4] = {0, 0, 1, 1};
            SetColour(blue);
            break;
        }
        default: NoMaterialRed(scene, side); break;
    }
}

void After(int slot) {
    switch (slot) {
        case SLOT_PLAIN:
        case SLOT_MIRROR_SURFACE: glDisable(GL_TEXTURE_2D); break;
        case SLOT_ALPHA_MARK:
            glColorMask(GL_TRUE, GL_TRUE, GL_TRUE, GL_TRUE);
            glEnable(GL_DEPTH_TEST);
            break;
        case SLOT_FADED_ALPHA_MARK: glColorMask(GL_TRUE, GL_TRUE, GL_TRUE, GL_TRUE); break;
        default: break;
    }
}

}  // namespace

SlotListCounters& SideListCounters() {
    static SlotListCounters counters;
    return counters;
}

bool DrawSideSlot(const ObjectDrawingScene& scene, CSide& side, int slot) {
    if (slot < 0 || slot >= kSideSlotCount || side.object == nullptr) return true;
    DisplayListSlot& list = side.listSlots[slot];
    const bool cached = scene.params.RenderMode != RENDER_MODE_OFFSCREEN;

    glPushMatrix();
    ApplyTransform(*side.object);
    Before(scene, side, slot);
    if (cached && list.built) {
        glCallList(list.name);
        ++SideListCounters().replayed;
    } else {
        if (cached) {
            if (list.name != 0) glDeleteLists(list.name, 1);
            list.name = glGenLists(1);
            list.built = list.name != 0;
            if (list.built) {
                glNewList(list.name, GL_COMPILE_AND_EXECUTE);
                ++SideListCounters().built;
            }
        }
        SlotEmitter(scene, side, slot).Emit();
        if (cached && list.built) glEndList();
    }
    glPopMatrix();
    After(slot);
    return true;
}

}  // namespace boxora
