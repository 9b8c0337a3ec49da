#pragma once
// ModelReader: reads 3D Studio (.3ds) chunk files into the scene model.
//
// Every count, index and length taken from the file is checked against the
// chunk that holds it and against the end of the file: a truncated or
// hostile file loads what is sound, or nothing, and never reads out of
// bounds. Names are code page 1250 bytes, converted to UTF-8.
#include <cstddef>
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "model/ModelTypes.h"
#include "platform/Outcome.h"

// What one Import did.
struct ImportResult {
    bool opened = false;     // the file could be read
    bool primaryOk = false;  // it starts with the primary chunk
    int objectsAdded = 0;
    int materialsAdded = 0;
    // "Could not open file", "Unable to load PRIMARY chuck" (failures) and
    // the version warning.
    boxora::Outcome outcome;
};

class ModelReader {
public:
    // Progress in percent points, added to the engine's running value.
    using ProgressFn = std::function<void(float delta)>;

    // Files larger than this are read only up to this size.
    static constexpr std::size_t kMaxFileBytes = 64u << 20;
    // Vertices and faces read from one file at most (a package model has a
    // few hundred): the objects beyond are left out with a message, which
    // bounds the memory a huge file can claim (with its drawing lists) to a few
    // hundred megabytes.
    static constexpr std::size_t kMaxVertices = 1u << 18;
    static constexpr std::size_t kMaxFaces = 1u << 18;

    // Reads the file: its materials are appended to model, its objects are
    // read, finished and handed out by TakeNewObjects() (the caller appends
    // them to the model under its list lock). Its messages are in the
    // result's outcome. batchSize is the number of files of the current
    // load batch (progress is split between them).
    ImportResult Import(const std::string& path, SceneModel& model, int batchSize = 1, const ProgressFn& progress = {});
    // The same on a file held in memory; path is used in messages only.
    ImportResult ImportBytes(const uint8_t* data, std::size_t size, const std::string& path, SceneModel& model,
                             int batchSize = 1, const ProgressFn& progress = {});

    // Copies of the materials read from the last file, in file order.
    const std::vector<tMaterialInfo>& FileMaterials() const { return fileMaterials_; }
    // The objects read by the last import, in file order; their ids are
    // already taken from the model's counter.
    std::vector<std::unique_ptr<C3DObject>> TakeNewObjects() { return std::move(pendingObjects_); }

private:
    std::vector<tMaterialInfo> fileMaterials_;
    std::vector<std::unique_ptr<C3DObject>> pendingObjects_;
};
