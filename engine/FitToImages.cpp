#include "engine/FitToImages.h"

#include <algorithm>
#include <cmath>

#include "engine/Engine.h"
#include "image/ImageCodec.h"
#include "snapshot/SceneSnapshot.h"

namespace boxora {
namespace {

// Enough pixels to read a proportion to a tenth of a percent, few enough
// that a huge print file is not decoded whole for it.
constexpr uint32_t kAspectSide = 4096;
constexpr uint32_t kAspectVectorSide = 1024;
// Scale factors stay within what a scene can sensibly show.
constexpr float kMinFactor = 0.001f, kMaxFactor = 1000.0f;

std::optional<double> First(const FaceAspects& aspects, CoverFace a, CoverFace b) {
    return aspects[a] ? aspects[a] : aspects[b];
}

bool Usable(double v) { return std::isfinite(v) && v > 0; }

}  // namespace

std::optional<double> ImageAspect(const std::string& path) {
    if (path.empty() || path == "*") return std::nullopt;
    ImageCodec image;
    image.SetVectorSide(kAspectVectorSide);
    if (!image.Load(path, 0, kAspectSide) || image.GetHeight() == 0) return std::nullopt;
    return static_cast<double>(image.GetWidth()) / image.GetHeight();
}

FaceAspects ReadFaceAspects(const std::array<std::string, kCoverFaceCount>& images) {
    FaceAspects aspects;
    for (int face = 0; face < kCoverFaceCount; ++face) aspects[face] = ImageAspect(images[face]);
    return aspects;
}

std::optional<std::array<float, 3>> FitScaleToImages(const std::array<float, 3>& extent,
                                                     const std::array<float, 3>& scale, const FaceAspects& aspects) {
    const std::optional<double> front = First(aspects, COVER_FRONT, COVER_BACK);
    const std::optional<double> side = First(aspects, COVER_LEFT, COVER_RIGHT);
    const std::optional<double> top = First(aspects, COVER_TOP, COVER_BOTTOM);
    const double height = double(extent[1]) * scale[1];
    if (!Usable(height)) return std::nullopt;
    std::optional<double> width, depth;
    if (front && Usable(*front)) width = *front * height;
    if (side && Usable(*side)) depth = *side * height;
    if (top && Usable(*top)) {
        if (width && !depth)
            depth = *width / *top;
        else if (depth && !width)
            width = *depth * *top;
        else if (!width && !depth)
            depth = double(extent[0]) * scale[0] / *top;
    }
    if (!width && !depth) return std::nullopt;
    std::array<float, 3> fitted = scale;
    auto set = [&](int axis, const std::optional<double>& size) {
        if (!size) return true;
        if (!Usable(extent[axis])) return false;
        fitted[axis] = static_cast<float>(std::clamp(*size / extent[axis], double(kMinFactor), double(kMaxFactor)));
        return true;
    };
    if (!set(0, width) || !set(2, depth)) return std::nullopt;
    return fitted;
}

std::optional<std::array<float, 3>> FitObjectToImages(IEngine& engine, const ObjectSnapshot& object) {
    const auto fitted = FitScaleToImages(object.extent, object.scale, ReadFaceAspects(object.coverImages));
    if (!fitted) return std::nullopt;
    engine.SetObjectScaleX(object.id, (*fitted)[0]);
    engine.SetObjectScaleY(object.id, (*fitted)[1]);
    engine.SetObjectScaleZ(object.id, (*fitted)[2]);
    return fitted;
}

int FitEveryObjectToImages(CEngine& engine) {
    const SceneSnapshotPtr scene = engine.Snapshot();
    int fitted = 0;
    if (scene)
        for (const ObjectSnapshot& object : scene->objects)
            fitted += FitObjectToImages(engine, object).has_value() ? 1 : 0;
    return fitted;
}

}  // namespace boxora
