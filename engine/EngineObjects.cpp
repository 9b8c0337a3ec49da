// Objects of the scene: look-up, transform setters, cover images, deletion.
#include <algorithm>
#include <set>

#include "engine/Engine.h"
#include "lang/Messages.h"
#include "model/CoverFaces.h"
#include "platform/TextUtil.h"

namespace {

// How long a user-interface change waits for the engine lock (held by a
// preview frame) before it is queued for the scene thread instead.
constexpr std::chrono::milliseconds kUiLockWait(150);

}  // namespace

C3DObject* CEngine::GetObject(int id) {
    std::lock_guard list(models_.ListMutex());
    return models_.Model().FindObject(id);
}

std::vector<ObjectListEntry> CEngine::GetObjectList() {
    std::lock_guard list(models_.ListMutex());
    std::vector<ObjectListEntry> entries;
    for (const auto& object : models_.Model().objects)
        entries.push_back({boxora::CutToUtf16Units(object->userName, 255), object->id, object->name});
    return entries;
}

void CEngine::RunLockedOrQueued(std::function<bool()> change, std::function<void(SceneSnapshot&)> patch) {
    const bool workersRunning = threadsStarted_ && std::this_thread::get_id() != sceneThreadId_.load();
    bool redraw = false;
    if (!workersRunning || lock_.HeldByCurrentThread()) {
        std::lock_guard lock(lock_);
        ApplyQueuedChanges();
        redraw = change();
        PublishSnapshot();
    } else {
        bool applied = false;
        // A full frame in progress gives way at once to a newer request (a
        // render job holds the lock only while it copies the scene).
        RequestRedraw();
        if (lock_.try_lock_for(kUiLockWait)) {
            std::lock_guard lock(lock_, std::adopt_lock);
            ApplyQueuedChanges();
            redraw = change();
            PublishSnapshot();
            applied = true;
        }
        if (!applied) {
            {
                std::lock_guard snapshot(snapshotMutex_);
                {
                    std::lock_guard queues(queueMutex_);
                    changeQueue_.push_back({std::move(change), patch});
                }
                if (patch) {
                    auto next = std::make_shared<SceneSnapshot>(*snapshot_);
                    patch(*next);
                    snapshot_ = std::move(next);
                }
            }
            RequestRedraw();
            return;
        }
    }
    if (redraw) Redraw();
}

void CEngine::ApplyQueuedChanges() {
    // Engine lock held.
    bool redraw = false;
    bool applied = false;
    while (true) {
        std::function<bool()> change;
        {
            std::lock_guard queues(queueMutex_);
            if (changeQueue_.empty()) break;
            change = std::move(changeQueue_.front().apply);
            changeQueue_.pop_front();
        }
        if (!applied && std::this_thread::get_id() == sceneThreadId_.load()) Trace("changes");
        applied = true;
        redraw = change() || redraw;
    }
    if (applied) PublishSnapshot();
    if (redraw) Redraw();
}

SceneSnapshotPtr CEngine::Snapshot() const {
    std::lock_guard snapshot(snapshotMutex_);
    return snapshot_;
}

SceneSnapshotPtr CEngine::PublishScene() {
    std::lock_guard lock(lock_);
    ApplyQueuedChanges();
    PublishSnapshot();
    return Snapshot();
}

void CEngine::PublishSnapshot() {
    // Engine lock held, so no queued change is applied while this runs.
    // Artwork the scene thread has not uploaded yet is part of the scene
    // already.
    std::vector<boxora::MaterialImageSource> images;
    const TextureNameTable& names = models_.TextureNames();
    const auto& pending = models_.Textures().PendingTextures();
    for (const TEXTURE& t : models_.Textures().AllTextures()) {
        if (t.index < 0 || t.index >= kTextureSlots) continue;
        const bool waiting =
            std::any_of(pending.begin(), pending.end(), [&t](const TEXTURE& p) { return p.index == t.index; });
        if (names[t.index] != 0 || waiting) images.push_back({t.index, t.path, t.format});
    }
    auto next = std::make_shared<SceneSnapshot>(snapshotBuilder_.Publish(models_.Model(), params_, images));
    std::lock_guard snapshot(snapshotMutex_);
    {
        std::lock_guard queues(queueMutex_);
        for (const QueuedChange& change : changeQueue_)
            if (change.patch) change.patch(*next);
    }
    snapshot_ = std::move(next);
}

bool CEngine::ApplyObjectChangeLocked(int id, ObjectField field, float value) {
    C3DObject* object = models_.Model().FindObject(id);
    if (object == nullptr) return false;
    sides_.InvalidateObjectSideLists(object);
    switch (field) {
        case ObjectField::TranslateX: object->translate[0] = value; break;
        case ObjectField::TranslateY: object->translate[1] = value; break;
        case ObjectField::TranslateZ: object->translate[2] = value; break;
        case ObjectField::RotateX: object->rotate[0] = value; break;
        case ObjectField::RotateY: object->rotate[1] = value; break;
        case ObjectField::RotateZ: object->rotate[2] = value; break;
        case ObjectField::ScaleX: object->scale[0] = value; break;
        case ObjectField::ScaleY: object->scale[1] = value; break;
        case ObjectField::ScaleZ: object->scale[2] = value; break;
    }
    sides_.RefreshMirrors();
    return true;
}

void CEngine::ChangeObject(int id, ObjectField field, float value) {
    RunLockedOrQueued([this, id, field, value] { return ApplyObjectChangeLocked(id, field, value); },
                      [id, field, value](SceneSnapshot& snapshot) {
                          ObjectSnapshot* o = snapshot.Find(id);
                          if (!o) return;
                          const int axis = static_cast<int>(field) % 3;
                          std::array<float, 3>& values = static_cast<int>(field) < 3   ? o->translate
                                                         : static_cast<int>(field) < 6 ? o->rotate
                                                                                       : o->scale;
                          values[static_cast<std::size_t>(axis)] = value;
                      });
}

void CEngine::SetObjectTranslateX(int id, int value) {
    ChangeObject(id, ObjectField::TranslateX, static_cast<float>(value));
}
void CEngine::SetObjectTranslateY(int id, int value) {
    ChangeObject(id, ObjectField::TranslateY, static_cast<float>(value));
}
void CEngine::SetObjectTranslateZ(int id, int value) {
    ChangeObject(id, ObjectField::TranslateZ, static_cast<float>(value));
}
void CEngine::SetObjectRotateX(int id, int degrees) {
    ChangeObject(id, ObjectField::RotateX, static_cast<float>(degrees));
}
void CEngine::SetObjectRotateY(int id, int degrees) {
    ChangeObject(id, ObjectField::RotateY, static_cast<float>(degrees));
}
void CEngine::SetObjectRotateZ(int id, int degrees) {
    ChangeObject(id, ObjectField::RotateZ, static_cast<float>(degrees));
}
void CEngine::SetObjectScaleX(int id, float factor) { ChangeObject(id, ObjectField::ScaleX, factor); }
void CEngine::SetObjectScaleY(int id, float factor) { ChangeObject(id, ObjectField::ScaleY, factor); }
void CEngine::SetObjectScaleZ(int id, float factor) { ChangeObject(id, ObjectField::ScaleZ, factor); }

void CEngine::SetObjectImage(int id, int face, const std::string& path) {
    RunLockedOrQueued([this, id, face, path] { return SetObjectImageLocked(id, face, path); },
                      [id, face, path](SceneSnapshot& snapshot) {
                          ObjectSnapshot* o = snapshot.Find(id);
                          if (o && face >= 0 && face < kCoverFaceCount)
                              o->coverImages[static_cast<std::size_t>(face)] = boxora::CutToUtf16Units(path, 255);
                      });
}

bool CEngine::SetObjectImageLocked(int id, int face, const std::string& path) {
    SceneModel& model = models_.Model();
    C3DObject* object = model.FindObject(id);
    if (object == nullptr || face < 0 || face >= kCoverFaceCount) return false;
    tMaterialInfo* material = nullptr;
    for (tMaterialInfo& m : model.materials) {
        if (m.ownerObject == id && m.coverFace == face) {
            material = &m;
            break;
        }
    }
    if (material == nullptr) return false;
    const int index = material->index;

    sides_.InvalidateMaterialSideLists(index);
    std::string resolved = boxora::CutToUtf16Units(path, 255);
    material->file = resolved;
    // On a worker thread the material gets a new texture name; on the
    // user-interface thread the pending upload replaces the image under the
    // current name.
    if (RoleOfCurrentThread() != ThreadRole::Ui) models_.Textures().ReleaseTexture(index);
    Raise(models_.Textures().TextureLoad(resolved, index));
    // An image that is not found keeps the user's reference (saved with the
    // project, tried again when it is opened), not the "*" that marks the
    // material as without picture.
    const bool notFound = resolved == "*" && !path.empty() && path != "*";
    object->coverImages[face] = notFound ? boxora::CutToUtf16Units(path, 255) : resolved;
    material->file = resolved;
    const uint8_t textured = (resolved.empty() || resolved == "*") ? 0 : 1;
    for (MeshFace& f : object->faces)
        if (f.material == index) f.textured = textured;
    object->geometryRevision = NewGeometryRevision();
    return true;
}

void CEngine::DeleteObject(int id, bool recompute) {
    std::lock_guard lock(lock_);
    DeleteObjectLocked(id, recompute);
    PublishSnapshot();
}

void CEngine::DeleteObjectLocked(int id, bool recompute) {
    SceneModel& model = models_.Model();
    const int position = model.FindObjectPosition(id);
    if (position < 0) return;
    const C3DObject& object = *model.objects[position];
    const std::size_t materialCount = model.materials.size();

    std::set<int> used, textured, usedByOthers;
    for (const MeshFace& f : object.faces) {
        if (f.material >= materialCount) continue;
        used.insert(f.material);
        if (f.textured) textured.insert(f.material);
    }
    for (const auto& other : model.objects) {
        if (other->id == id) continue;
        for (const MeshFace& f : other->faces)
            if (f.material < materialCount) usedByOthers.insert(f.material);
    }
    for (int index : used) sides_.InvalidateMaterialSideLists(index);
    for (int index : textured) {
        if (usedByOthers.count(index)) continue;  // another object still shows it
        models_.Textures().ReleaseTexture(index);
        models_.Textures().ForgetIndex(index);
    }

    models_.RemoveObjectAt(position);
    if (model.objects.empty()) {
        // Indices start again from 0: nothing may stay behind for them.
        for (int index = 0; index < static_cast<int>(materialCount) && index < kTextureSlots; ++index) {
            models_.Textures().ReleaseTexture(index);
            models_.Textures().ForgetIndex(index);
        }
        models_.ResetMaterialsAndCounters();
    }
    sides_.BuildSides();
    if (recompute) sides_.OrderSides(false);
}
