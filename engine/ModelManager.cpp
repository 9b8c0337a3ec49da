#include "engine/ModelManager.h"

#include "model/CoverFaces.h"
#include "model/ForeignModel.h"
#include "model/RealSize.h"
#include "model/shapes/ShapeBuilder.h"
#include "platform/TextUtil.h"

CModelManager::CModelManager(GlReleaseQueue& releaseQueue) : textures_(textureNames_, releaseQueue) {}

boxora::Outcome CModelManager::LoadModelFile(const std::string& path, bool allTextures, double mmPerUnit) {
    if (boxora::IsShapeName(path)) return LoadShape(path);
    if (boxora::IsForeignModelPath(path)) return LoadForeignModel(path, mmPerUnit);
    ImportResult result = reader_.Import(path, model_, batchSize_, progress_);
    boxora::Outcome outcome = std::move(result.outcome);
    if (result.objectsAdded == 0) {
        outcome.failed = true;
        return outcome;
    }
    AppendObjects(reader_.TakeNewObjects());

    C3DObject& last = *model_.objects.back();
    last.translate[1] = last.height / 2.0f;
    if (const auto size = boxora::ReadRealSizeBeside(path)) last.realSizeMm = *size;

    for (const tMaterialInfo& entry : reader_.FileMaterials()) {
        if (entry.index >= model_.materials.size()) continue;
        tMaterialInfo& m = model_.materials[entry.index];
        if (m.file.empty()) continue;
        if (allTextures || CoverFaceIndex(m.name) < 0) outcome.MergeMessages(textures_.TextureLoad(m.file, m.index));
    }

    last.type = ObjectTypeFromName(last.name);
    AssignCoverFaces(last, reader_.FileMaterials(), model_.materials);
    if (progress_) progress_(5.0f / static_cast<float>(batchSize_));
    return outcome;
}

boxora::Outcome CModelManager::LoadShape(const std::string& text) {
    return Finish(boxora::BuildShapeObject(text, model_), true);
}

boxora::Outcome CModelManager::LoadForeignModel(const std::string& path, double mmPerUnit) {
    return Finish(boxora::ReadForeignModel(path, model_, mmPerUnit), true);
}

boxora::Outcome CModelManager::Finish(boxora::ShapeObjectResult made, bool allTextures) {
    boxora::Outcome outcome = std::move(made.outcome);
    if (!made.object) return outcome;
    std::vector<std::unique_ptr<C3DObject>> objects;
    objects.push_back(std::move(made.object));
    AppendObjects(std::move(objects));
    C3DObject& last = *model_.objects.back();
    last.translate[1] = last.height / 2.0f;
    for (const tMaterialInfo& entry : made.materials) {
        if (entry.index >= model_.materials.size()) continue;
        tMaterialInfo& m = model_.materials[entry.index];
        if (!m.file.empty() && (allTextures || CoverFaceIndex(m.name) < 0))
            outcome.MergeMessages(textures_.TextureLoad(m.file, m.index));
    }
    AssignCoverFaces(last, made.materials, model_.materials);
    if (progress_) progress_(60.0f / static_cast<float>(batchSize_));
    return outcome;
}

void CModelManager::AppendObjects(std::vector<std::unique_ptr<C3DObject>> objects) {
    std::lock_guard lock(listMutex_);
    for (auto& o : objects) model_.objects.push_back(std::move(o));
}

std::unique_ptr<C3DObject> CModelManager::RemoveObjectAt(int position) {
    std::lock_guard lock(listMutex_);
    if (position < 0 || position >= model_.ObjectCount()) return nullptr;
    auto it = model_.objects.begin() + position;
    std::unique_ptr<C3DObject> removed = std::move(*it);
    model_.objects.erase(it);
    return removed;
}

void CModelManager::SetUserName(C3DObject& object, const std::string& name) {
    std::lock_guard lock(listMutex_);
    object.userName = boxora::CutToUtf16Units(name, 255);
}

void CModelManager::ResetMaterialsAndCounters() {
    model_.materials.clear();
    model_.nextMaterialIndex = 0;
    model_.nextObjectId = 0;
}
