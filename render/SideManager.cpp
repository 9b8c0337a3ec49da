#include "render/SideManager.h"

#include "render/GlReleaseQueue.h"

CSideManager::CSideManager(SceneModel& model, GlReleaseQueue& releaseQueue)
    : model_(model), releaseQueue_(releaseQueue) {}

CSideManager::~CSideManager() = default;

void CSideManager::ReleaseSlots(CSide& side) {
    for (DisplayListSlot& slot : side.listSlots) {
        if (slot.built || slot.name != 0) releaseQueue_.ReleaseList(slot.name);
        slot.built = false;
        slot.name = 0;
    }
}

void CSideManager::BuildSides() {
    for (CSide& side : sides_) ReleaseSlots(side);
    sides_.clear();
    directOrder_.clear();
    mirroredOrder_.clear();
    const std::size_t materialCount = model_.materials.size();

    std::vector<std::vector<MeshFace*>> facesOf(materialCount);
    std::vector<std::vector<int>> indicesOf(materialCount);
    std::vector<CSide> unassigned;
    for (const auto& object : model_.objects) {
        CSide loose;
        for (std::size_t k = 0; k < object->faces.size(); ++k) {
            MeshFace& face = object->faces[k];
            face.owner = object.get();
            face.inMirrorSide = 0;
            face.inTransparentSide = 0;
            if (face.material >= materialCount) {
                // A face without a valid material still shows: the faces of
                // an object that have none form a plain side of their own.
                loose.faces.push_back(&face);
                loose.faceIndices.push_back(static_cast<int>(k));
                continue;
            }
            const tMaterialInfo& m = model_.materials[face.material];
            face.inMirrorSide = m.mirrorLevel != 0 ? 1 : 0;
            face.inTransparentSide = m.transparencyLevel != 0 ? 1 : 0;
            facesOf[face.material].push_back(&face);
            indicesOf[face.material].push_back(static_cast<int>(k));
        }
        if (!loose.faces.empty()) {
            loose.object = object.get();
            loose.material = kUnassignedMaterial;
            unassigned.push_back(std::move(loose));
        }
    }

    for (std::size_t l = 0; l < materialCount; ++l) {
        if (facesOf[l].empty()) continue;
        const tMaterialInfo& m = model_.materials[l];
        CSide side;
        side.object = facesOf[l].front()->owner;
        side.material = static_cast<int>(l);
        side.faces = std::move(facesOf[l]);
        side.faceIndices = std::move(indicesOf[l]);
        side.kind = m.mirrorLevel != 0 ? SIDE_MIRROR : (m.transparencyLevel != 0 ? SIDE_TRANSPARENT : SIDE_PLAIN);
        if (side.kind == SIDE_MIRROR) {
            const MeshFace& first = *side.faces.front();
            side.mirrorNormal = first.normal;
            side.mirrorPoint = side.object->vertices[first.vertIndex[0]];
            const MirrorPlane plane = ComputeMirrorPlane(side.mirrorNormal, side.mirrorPoint);
            side.clipPlane = plane.clipPlane;
            side.reflectionMatrix = plane.reflection;
        }
        sides_.push_back(std::move(side));
    }
    for (CSide& side : unassigned) sides_.push_back(std::move(side));
    for (CSide& side : sides_) {
        directOrder_.push_back(&side);
        mirroredOrder_.push_back(&side);
    }
    // The objects may already stand anywhere: bring the planes into world
    // space at once.
    RefreshMirrors();
}

void CSideManager::RefreshMirrors() {
    for (CSide& side : sides_) {
        if (side.kind != SIDE_MIRROR || side.object == nullptr) continue;
        const MirrorPlane plane =
            WorldMirrorPlane(ObjectTransformMatrix(*side.object), side.mirrorNormal, side.mirrorPoint);
        side.clipPlane = plane.clipPlane;
        side.reflectionMatrix = plane.reflection;
    }
}

void CSideManager::InvalidateSideLists() {
    for (CSide& side : sides_) ReleaseSlots(side);
}

void CSideManager::InvalidateObjectSideLists(const C3DObject* object) {
    for (CSide& side : sides_) {
        bool holds = side.object == object;
        for (std::size_t i = 0; !holds && i < side.faces.size(); ++i) holds = side.faces[i]->owner == object;
        if (holds) ReleaseSlots(side);
    }
}

void CSideManager::InvalidateMaterialSideLists(int material) {
    for (CSide& side : sides_) {
        if (side.material == material) {
            ReleaseSlots(side);
            return;
        }
    }
}

void CSideManager::Resize(int width, int height) {
    // Only the size is kept here; the buffers follow it when the next
    // ordering reads depth (the preview switches between its own size and
    // the ordering viewport every full frame, and nothing reads them there).
    depthWidth_ = width < 0 ? 0 : width;
    depthHeight_ = height < 0 ? 0 : height;
}

void CSideManager::ForgetSideLists() {
    for (CSide& side : sides_)
        for (DisplayListSlot& slot : side.listSlots) slot = DisplayListSlot{};
}
