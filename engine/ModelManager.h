#pragma once
// CModelManager: the scene's geometry store. Holds the scene model (objects
// and materials), the texture-name table indexed by material index, and the
// 3DS reader; loads model files and finishes their objects.
//
// Changes happen with the engine lock held. The object list itself (its
// membership and order, and the user-defined names) is in addition guarded
// by ListMutex(), so that the user interface can look objects up without
// waiting for the engine lock.
#include <functional>
#include <memory>
#include <mutex>
#include <string>

#include "model/ModelReader.h"
#include "model/ModelTypes.h"
#include "model/shapes/ShapeBuilder.h"
#include "render/TextureStore.h"

class CModelManager {
public:
    using ProgressFn = ModelReader::ProgressFn;

    explicit CModelManager(GlReleaseQueue& releaseQueue);

    // Reads one model file and finishes the last object it holds: lifts it
    // onto the floor (translate y = height / 2), loads the textures of the
    // file's materials (all of them with allTextures, otherwise all but the
    // cover faces), sets its type and cover faces. Fails when the file added
    // no object; carries the reader's and the textures' messages.
    // A path starting with "shape:" names a parametric shape instead
    // (model/shapes/ShapeSpec.h), finished the same way.
    // Files named .gltf, .glb or .obj are read as models of other programs,
    // in their own unit or mmPerUnit millimetres per unit when given.
    boxora::Outcome LoadModelFile(const std::string& path, bool allTextures, double mmPerUnit = 0);

    // Number of files in the current load batch (progress is split by it).
    void SetBatchSize(int files) { batchSize_ = files < 1 ? 1 : files; }
    void SetProgress(ProgressFn progress) { progress_ = std::move(progress); }

    SceneModel& Model() { return model_; }
    const SceneModel& Model() const { return model_; }
    const ModelReader& Reader() const { return reader_; }
    CTextureStore& Textures() { return textures_; }
    TextureNameTable& TextureNames() { return textureNames_; }

    std::mutex& ListMutex() const { return listMutex_; }
    // Under ListMutex(): appends objects, removes the object at a position
    // (returned), sets an object's user-defined name (cut to 255 units).
    void AppendObjects(std::vector<std::unique_ptr<C3DObject>> objects);
    std::unique_ptr<C3DObject> RemoveObjectAt(int position);
    void SetUserName(C3DObject& object, const std::string& name);

    // Empties the material array and returns both counters to 0 (after the
    // last object is gone).
    void ResetMaterialsAndCounters();

private:
    boxora::Outcome LoadShape(const std::string& text);
    boxora::Outcome LoadForeignModel(const std::string& path, double mmPerUnit);
    // Appends a generated or converted object and finishes it like a model file's.
    boxora::Outcome Finish(boxora::ShapeObjectResult made, bool allTextures);

    SceneModel model_;
    ModelReader reader_;
    TextureNameTable textureNames_{};
    CTextureStore textures_;
    mutable std::mutex listMutex_;
    int batchSize_ = 1;
    ProgressFn progress_;
};
