#include "model/shapes/ShapeSpec.h"

#include <charconv>
#include <cmath>

#include "platform/TextUtil.h"

namespace boxora {

const char* const kShapePrefix = "shape:";

namespace {

// No package is larger than a few metres; beyond that a value is a typing
// error, and meshes far from the catalogue's sizes lose depth precision.
constexpr double kMaxSide = 5000;
constexpr double kMinSide = 1;

ShapeParam Side(const char* name, double def, const char* help) { return {name, def, kMinSide, kMaxSide, help}; }

std::vector<ShapeKind> MakeKinds() {
    return {
        {"box",
         "a carton, optionally with rounded edges and corners",
         "Front, Back, Left, Right, Top and Bottom are the six sides (a rounded edge is shared half and half)",
         {Side("width", 190, "width (mm)"),
          Side("height", 266, "height (mm)"),
          Side("depth", 57, "depth (mm)"),
          {"radius", 0, 0, kMaxSide / 2, "radius of the edges and corners (mm), at most half the smallest side"}}},
        {"mailer",
         "a folding mailer box whose lid opens at the back edge",
         "Top is the lid, Front/Back/Left/Right the walls, Bottom the base; the inside is plain board",
         {Side("width", 300, "width (mm)"),
          Side("height", 100, "height with the lid closed (mm)"),
          Side("depth", 220, "depth (mm)"),
          {"open", 0, 0, 180, "lid opening angle (degrees, 0 = closed)"},
          {"board", 3, 0.5, 20, "board thickness (mm)"}}},
        {"tray-sleeve",
         "a tray in a sleeve, pulled out to the right",
         "Front, Back, Top and Bottom are the sleeve, Right and Left the tray's ends; the tray's inside is plain",
         {Side("width", 110, "width (mm)"),
          Side("height", 160, "height (mm)"),
          Side("depth", 25, "depth (mm)"),
          {"pull", 0, 0, kMaxSide, "how far the tray is pulled out (mm), less than the width"},
          {"board", 1, 0.3, 10, "sleeve board thickness (mm)"}}},
        {"book",
         "a hardcover book (rounded spine, boards overhanging the pages) or a paperback",
         "Front and Back are the covers, Left the spine, Top, Right and Bottom the page edges",
         {Side("width", 156, "width including the spine (mm)"),
          Side("height", 234, "height (mm)"),
          Side("depth", 30, "thickness (mm)"),
          {"style", 0, 0, 1, "hardcover or paperback", "hardcover|paperback"},
          {"board", 2.5, 0.5, 10, "cover board thickness of a hardcover (mm)"},
          {"overhang", 3, 0, 20, "how far the boards stand over the pages (mm)"}}},
        {"can",
         "a drinks or food can",
         "Front is the wrap-around label, Top the lid, Bottom the base",
         {Side("diameter", 66, "diameter (mm)"),
          Side("height", 115, "height (mm)"),
          {"neck", 4, 0, kMaxSide, "how far the neck draws in at the top (mm), less than a quarter of the diameter"}}},
        {"bottle",
         "a bottle of body, shoulder, neck and cap",
         "Front is the label on the body, Top the cap's top, Bottom the base; glass and cap are plain",
         {{"preset", 0, 0, 2, "proportions to start from: wine, cosmetic or dropper", "wine|cosmetic|dropper"},
          Side("diameter", 75, "body diameter (mm)"),
          Side("height", 300, "height including the cap (mm)"),
          Side("body", 180, "height of the straight body (mm)"),
          Side("shoulder", 50, "height of the shoulder (mm)"),
          Side("neck", 30, "neck diameter (mm)"),
          Side("cap", 50, "cap height (mm)")},
         {{0, 75, 300, 180, 50, 30, 50}, {1, 50, 150, 105, 12, 22, 28}, {2, 32, 95, 55, 8, 14, 28}}},
        {"jar",
         "a jar with a screw lid",
         "Front is the wrap-around label, Top the lid's top, Bottom the base",
         {Side("diameter", 80, "diameter (mm)"), Side("height", 90, "height including the lid (mm)"),
          Side("lid", 20, "lid height (mm)")}},
        {"tube",
         "a squeeze tube standing on its cap, crimped flat at the top",
         "Front and Back are the tube's two faces, Top the crimp, Bottom the cap's base",
         {Side("diameter", 35, "tube diameter (mm); the crimp is about 1.6 times as wide"),
          Side("height", 160, "height including the cap (mm)"), Side("cap", 20, "cap height (mm)")}},
        {"pouch",
         "a stand-up pouch with a bottom gusset",
         "Front and Back are the two faces, Bottom the gusset, Top the top seal",
         {Side("width", 140, "width (mm)"), Side("height", 220, "height (mm)"),
          Side("gusset", 80, "depth of the opened bottom gusset (mm)")}},
        {"bag",
         "a paper shopping bag with two rope handles",
         "Front, Back, Left, Right and Bottom are the bag's sides, Top the inside seen through the opening",
         {Side("width", 320, "width (mm)"),
          Side("height", 400, "height of the bag without handles (mm)"),
          Side("depth", 120, "depth (mm)"),
          {"handle", 100, 10, kMaxSide, "how far the handles rise (mm)"}}},
        {"pillow",
         "a pillow pack or sachet sealed at top and bottom",
         "Front and Back are the two faces, Top and Bottom the seals",
         {Side("width", 120, "width (mm)"), Side("height", 160, "height including the seals (mm)"),
          Side("depth", 30, "thickness at the middle (mm)")}},
    };
}

std::string_view Trim(std::string_view s) {
    while (!s.empty() && (s.front() == ' ' || s.front() == '\t')) s.remove_prefix(1);
    while (!s.empty() && (s.back() == ' ' || s.back() == '\t' || s.back() == '\r')) s.remove_suffix(1);
    return s;
}

int ParamIndex(const ShapeKind& kind, std::string_view name) {
    for (std::size_t i = 0; i < kind.params.size(); ++i)
        if (EqualsIgnoreCase(kind.params[i].name, name)) return static_cast<int>(i);
    return -1;
}

// Position of name among "a|b|c", or -1.
int ChoiceIndex(std::string_view choices, std::string_view name) {
    int index = 0;
    while (true) {
        const std::size_t bar = choices.find('|');
        if (EqualsIgnoreCase(choices.substr(0, bar), name)) return index;
        if (bar == std::string_view::npos) return -1;
        choices.remove_prefix(bar + 1);
        ++index;
    }
}

std::string_view ChoiceName(std::string_view choices, int index) {
    for (int i = 0; i < index; ++i) choices.remove_prefix(choices.find('|') + 1);
    return choices.substr(0, choices.find('|'));
}

std::string Number(double v) {
    char buf[32];
    const auto [end, ec] = std::to_chars(buf, buf + sizeof buf, v);
    return ec == std::errc() ? std::string(buf, end) : std::string("0");
}

}  // namespace

bool IsShapeName(std::string_view name) {
    return name.size() >= 6 && EqualsIgnoreCase(name.substr(0, 6), kShapePrefix);
}

const std::vector<ShapeKind>& ShapeKinds() {
    static const std::vector<ShapeKind> kinds = MakeKinds();
    return kinds;
}

const ShapeKind* FindShapeKind(std::string_view name) {
    for (const ShapeKind& k : ShapeKinds())
        if (EqualsIgnoreCase(k.name, name)) return &k;
    return nullptr;
}

double ShapeSpec::Get(std::string_view param) const {
    const int i = kind ? ParamIndex(*kind, param) : -1;
    return i < 0 ? 0.0 : values[static_cast<std::size_t>(i)];
}

bool ShapeSpec::Given(std::string_view param) const {
    const int i = kind ? ParamIndex(*kind, param) : -1;
    return i >= 0 && given[static_cast<std::size_t>(i)];
}

std::string ShapeSpec::Text() const {
    if (!kind) return {};
    std::string text = kind->name;
    for (std::size_t i = 0; i < kind->params.size(); ++i) {
        if (!given[i]) continue;
        const ShapeParam& p = kind->params[i];
        text += ',';
        text += p.name;
        text += '=';
        text += p.choices ? std::string(ChoiceName(p.choices, static_cast<int>(values[i]))) : Number(values[i]);
    }
    return text;
}

std::optional<ShapeSpec> ParseShapeSpec(std::string_view text, std::string& error) {
    if (IsShapeName(text)) text.remove_prefix(6);
    // A scene value is at most a few hundred characters; a longer text is
    // no shape.
    if (text.size() > 1000) {
        error = "the shape description is too long";
        return std::nullopt;
    }
    const std::size_t comma = text.find(',');
    const std::string_view kindName = Trim(text.substr(0, comma));
    ShapeSpec spec;
    spec.kind = FindShapeKind(kindName);
    if (!spec.kind) {
        std::string known;
        for (const ShapeKind& k : ShapeKinds()) known += (known.empty() ? "" : ", ") + std::string(k.name);
        error = "unknown shape \"" + std::string(kindName) + "\" (known shapes: " + known + ")";
        return std::nullopt;
    }
    const ShapeKind& kind = *spec.kind;
    for (const ShapeParam& p : kind.params) spec.values.push_back(p.defaultValue);
    spec.given.assign(kind.params.size(), false);
    std::string_view rest = comma == std::string_view::npos ? std::string_view() : text.substr(comma + 1);
    while (comma != std::string_view::npos) {
        const std::size_t next = rest.find(',');
        const std::string_view item = Trim(rest.substr(0, next));
        rest = next == std::string_view::npos ? std::string_view() : rest.substr(next + 1);
        if (!item.empty()) {
            const std::size_t eq = item.find('=');
            const std::string_view name = Trim(item.substr(0, eq));
            const int i = ParamIndex(kind, name);
            if (i < 0 || eq == std::string_view::npos) {
                std::string known;
                for (const ShapeParam& p : kind.params) known += (known.empty() ? "" : ", ") + std::string(p.name);
                error = i < 0 ? "a " + std::string(kind.name) + " has no parameter \"" + std::string(name) +
                                    "\" (it has " + known + ")"
                              : "parameter \"" + std::string(name) + "\" needs a value (name=value)";
                return std::nullopt;
            }
            const ShapeParam& p = kind.params[static_cast<std::size_t>(i)];
            const std::string_view valueText = Trim(item.substr(eq + 1));
            double value = 0;
            if (p.choices) {
                const int choice = ChoiceIndex(p.choices, valueText);
                if (choice < 0) {
                    error = std::string(p.name) + " must be one of " + p.choices + ", not \"" + std::string(valueText) +
                            "\"";
                    return std::nullopt;
                }
                value = choice;
            } else {
                const auto [end, ec] = std::from_chars(valueText.data(), valueText.data() + valueText.size(), value);
                if (ec != std::errc() || end != valueText.data() + valueText.size() || !std::isfinite(value)) {
                    error = std::string(p.name) + " must be a number, not \"" + std::string(valueText) + "\"";
                    return std::nullopt;
                }
                if (value < p.min || value > p.max) {
                    error = std::string(kind.name) + " " + p.name + " must be from " + Number(p.min) + " to " +
                            Number(p.max) + ", not " + std::string(valueText);
                    return std::nullopt;
                }
            }
            spec.values[static_cast<std::size_t>(i)] = value;
            spec.given[static_cast<std::size_t>(i)] = true;
        }
        if (next == std::string_view::npos) break;
    }
    if (!kind.presets.empty()) {
        const std::vector<double>& preset = kind.presets[static_cast<std::size_t>(spec.values[0])];
        for (std::size_t i = 1; i < preset.size() && i < spec.values.size(); ++i)
            if (!spec.given[i]) spec.values[i] = preset[i];
    }
    return spec;
}

std::string ShapeHelpText() {
    std::string text =
        "Shapes: instead of a model file, name a shape as shape:KIND[,param=value...]\n"
        "(lengths in millimetres, angles in degrees), e.g. shape:can,diameter=66,height=115,\n"
        "wherever a model file goes (--dump, --preview); a scene keeps it in its object's\n"
        "Shape key. --dump shows an object's shape, its real size (realSize, mm) and, per\n"
        "material, the face slot whose artwork it prints (printable).\n";
    for (const ShapeKind& k : ShapeKinds()) {
        text += "\n  " + std::string(k.name) + ": " + k.summary + ".\n    Faces: " + k.faceSlots + ".\n";
        for (const ShapeParam& p : k.params) {
            text += "    " + std::string(p.name) + "  " + p.help + "; default ";
            text += p.choices ? std::string(ChoiceName(p.choices, static_cast<int>(p.defaultValue)))
                              : Number(p.defaultValue);
            text += "\n";
        }
    }
    return text;
}

}  // namespace boxora
