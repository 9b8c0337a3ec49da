#include "ui/ObjectTransformValues.h"

#include <algorithm>
#include <cmath>
#include <limits>

namespace boxora {

int TruncateToInt(double value) {
    if (std::isnan(value)) return 0;
    if (value >= static_cast<double>(std::numeric_limits<int>::max())) return std::numeric_limits<int>::max();
    if (value <= static_cast<double>(std::numeric_limits<int>::min())) return std::numeric_limits<int>::min();
    return static_cast<int>(value);
}

int ScalePercentFromFactor(float factor) {
    const double t = static_cast<double>(factor) - 1.0;
    return TruncateToInt(t > 0 ? (t + 0.005) * 100.0 : (t - 0.005) * 100.0);
}

float ScaleFactorFromPercent(int percent) { return std::max(static_cast<float>(percent) / 100.0f + 1.0f, 0.001f); }

}  // namespace boxora
