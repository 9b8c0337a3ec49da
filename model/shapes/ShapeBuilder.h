#pragma once
// Builds the mesh of a parametric shape and hands it out as the records a
// model file gives: one object, its materials (cover faces named "Front" …
// "Bottom"), texture coordinates and its real size in millimetres.
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "model/ModelTypes.h"
#include "model/shapes/ShapeMesh.h"
#include "model/shapes/ShapeSpec.h"
#include "platform/Outcome.h"

namespace boxora {

// Scene units per millimetre: the software box of the catalogue, 266 mm
// tall, is 140 units tall, and shapes stand beside it at true proportions.
constexpr double kShapeUnitsPerMm = 140.0 / 266.0;

// The mesh of spec in millimetres (drawn axes, standing on y = 0); false
// with error set when the parameters do not fit together.
bool BuildShapeMesh(const ShapeSpec& spec, ShapeMesh& mesh, std::string& error);

struct ShapeObjectResult {
    std::unique_ptr<C3DObject> object;     // null on failure
    std::vector<tMaterialInfo> materials;  // the object's materials, as appended to the model
    Outcome outcome;
};

// Parses text ("shape:KIND,…" or "KIND,…"), builds the shape and appends its
// materials to model; the object takes the next id and remembers its
// description in modelSource ("shape:" + the canonical text).
ShapeObjectResult BuildShapeObject(std::string_view text, SceneModel& model);

}  // namespace boxora
