#pragma once
// The real-world size of a catalogue model, declared in a small text file
// beside its model: "<name>.size" next to "<name>.3ds", holding one line
//
//     190 x 135 x 14 mm        (width x height x depth; mm, cm or in)
//
// Lines starting with "#" are comments. The size is the package's at scale
// 1; scaling an axis scales its real size alike.
#include <array>
#include <optional>
#include <string>
#include <string_view>

namespace boxora {

// Width, height and depth in millimetres.
using RealSizeMm = std::array<float, 3>;

// Sides outside this range (in millimetres) are refused: no package is
// smaller than a tenth of a millimetre or larger than a hundred metres.
constexpr float kMinRealSideMm = 0.1f;
constexpr float kMaxRealSideMm = 100000.0f;

// The size the text declares, or none when it declares none or a
// malformed or out-of-range one.
std::optional<RealSizeMm> ParseRealSize(std::string_view text);

// The declaration beside a model file ("Box.3ds" → "Box.size"); none when
// the file is missing, larger than a few kilobytes or malformed.
std::optional<RealSizeMm> ReadRealSizeBeside(const std::string& modelPath);

}  // namespace boxora
