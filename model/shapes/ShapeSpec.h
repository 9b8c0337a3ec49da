#pragma once
// Parametric package shapes named in text: "shape:KIND[,param=value…]" where
// a model file can be named, "KIND,param=value,…" in a scene's "Shape" key.
//
// Every kind has a table of parameters with defaults and limits; lengths are
// millimetres, angles degrees. A few parameters pick from named choices
// (a bottle's preset, a book's style). Parsing refuses unknown kinds and
// names, values that are not finite numbers, and values outside the limits,
// so a generator never sees a value it cannot build.
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace boxora {

// "shape:"; names starting with it are shapes, not files.
extern const char* const kShapePrefix;
bool IsShapeName(std::string_view name);

struct ShapeParam {
    const char* name;
    double defaultValue;
    double min;
    double max;
    const char* help;
    // "a|b|c": the value is given by name and held as the choice's position.
    const char* choices = nullptr;
};

struct ShapeKind {
    const char* name;
    const char* summary;
    // Which printable area lands on which of the six face slots.
    const char* faceSlots;
    std::vector<ShapeParam> params;
    // When not empty, the kind's first parameter picks a preset: the values
    // of every parameter (table order) for each of its choices, taken for
    // the parameters the text does not give.
    std::vector<std::vector<double>> presets = {};
};

const std::vector<ShapeKind>& ShapeKinds();
const ShapeKind* FindShapeKind(std::string_view name);

struct ShapeSpec {
    const ShapeKind* kind = nullptr;
    // One value per parameter of the kind, in table order; given[i] tells
    // whether the text named it (presets fill in the others).
    std::vector<double> values;
    std::vector<bool> given;

    double Get(std::string_view param) const;
    bool Given(std::string_view param) const;
    // "KIND,param=value,…" with the given parameters only, so that a saved
    // shape follows later improvements of the defaults.
    std::string Text() const;
};

// Parses "KIND[,param=value…]" (with or without the "shape:" prefix). On
// failure returns nothing and sets error to a sentence for the user.
std::optional<ShapeSpec> ParseShapeSpec(std::string_view text, std::string& error);

// The kinds, their parameters and face slots, for --help and the README.
std::string ShapeHelpText();

}  // namespace boxora
