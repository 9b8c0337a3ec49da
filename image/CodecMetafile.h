#pragma once
// WMF and EMF rasterising with an explicit size limit (DecodeMetafile uses
// kMaxMetafileSide; tests and the fuzz target pass smaller limits to keep
// hostile drawings quick).
#include <cstddef>
#include <cstdint>
#include <string>

#include "image/ImageData.h"

namespace imagecodec::metafile {

// Longest side of a rasterised metafile; larger natural sizes are scaled down.
constexpr uint32_t kMaxMetafileSide = 4096;
// Longest side used when the metafile carries no physical size.
constexpr uint32_t kDefaultMetafileSide = 1024;

bool DecodeMetafileLimited(const uint8_t* data, std::size_t size, ImageData& out, std::string* why,
                           uint32_t maxSide);

}  // namespace imagecodec::metafile
