#pragma once
// CSide: the faces of one material across the scene, drawn together. A side
// is plain, a mirror or transparent; a mirror side carries its plane and its
// reflection matrix. Each side caches nine display lists, one per drawing
// mode (slot).
#include <array>
#include <vector>

#include "model/MirrorMath.h"
#include "model/ModelTypes.h"

enum SideKind : int { SIDE_PLAIN = 0, SIDE_MIRROR = 1, SIDE_TRANSPARENT = 2 };

// Drawing modes of a side (display-list slots).
enum SideSlot : int {
    SLOT_SILHOUETTE = 0,
    SLOT_PLAIN = 1,
    SLOT_MIRROR_SURFACE = 2,
    SLOT_ALPHA_MARK = 3,
    SLOT_TRANSPARENT_SURFACE = 4,
    SLOT_FADED_PLAIN = 5,
    SLOT_FADED_MIRROR_SURFACE = 6,
    SLOT_FADED_ALPHA_MARK = 7,
    SLOT_FADED_TRANSPARENT_SURFACE = 8,
    kSideSlotCount = 9
};

// The material of a side that gathers an object's faces without a valid
// material (drawn red, like every face of a scene without materials).
constexpr int kUnassignedMaterial = -1;

struct DisplayListSlot {
    bool built = false;
    unsigned name = 0;  // GL display list of the window context, 0 = none
};

class CSide {
public:
    virtual ~CSide() = default;

    int kind = SIDE_PLAIN;
    C3DObject* object = nullptr;  // owner of the side's first face
    int material = -1;            // material index, or kUnassignedMaterial
    std::vector<MeshFace*> faces;
    std::vector<int> faceIndices;  // each face's index in its object's face array
    glm::dmat4 reflectionMatrix{1.0};
    Vector3 mirrorNormal;               // object space, file axis order
    Vector3 mirrorPoint;                // object space, file axis order
    std::array<double, 4> clipPlane{};  // drawing axis order
    std::array<DisplayListSlot, kSideSlotCount> listSlots{};

    // A mirror that faces up keeps the floor clip while its reflection is
    // drawn; one whose plane normal has a drawing-y below 1e-7 does not.
    bool FacesUp() const { return clipPlane[1] >= 1e-7; }
};
