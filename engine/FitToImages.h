#pragma once
// Fit to Images: the scale that gives each cover face the proportions of its
// image. The front image gives width to height, the side images depth to
// height and the top image width to depth; the height stays. Where the
// images disagree the front wins, then the sides, then the top. The back,
// the right side and the bottom stand in for a missing front, left side and
// top.
#include <array>
#include <optional>
#include <string>

#include "model/ModelTypes.h"

class CEngine;
class IEngine;
struct ObjectSnapshot;

namespace boxora {

// Width to height of each face's image; none where the face has no image
// or it cannot be read.
using FaceAspects = std::array<std::optional<double>, kCoverFaceCount>;

// Width to height of the picture in the file (SVG and PDF: of the page).
std::optional<double> ImageAspect(const std::string& path);
FaceAspects ReadFaceAspects(const std::array<std::string, kCoverFaceCount>& images);

// extent: width, height and depth at scale 1. None when no image gives a
// proportion or the model has no size along an axis that would change.
std::optional<std::array<float, 3>> FitScaleToImages(const std::array<float, 3>& extent,
                                                     const std::array<float, 3>& scale, const FaceAspects& aspects);

// Reads the object's images and sends the fitted scale to the engine;
// returns that scale, none when nothing could be fitted.
std::optional<std::array<float, 3>> FitObjectToImages(IEngine& engine, const ObjectSnapshot& object);
// Every object of the engine's scene; returns how many were fitted.
int FitEveryObjectToImages(CEngine& engine);

}  // namespace boxora
