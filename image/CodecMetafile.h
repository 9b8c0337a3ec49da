#pragma once
// WMF and EMF rasterising with an explicit size limit (DecodeMetafile uses
// kMaxMetafileSide; tests and the fuzz target pass smaller limits to keep
// hostile drawings quick). The converters run in the decoding helper
// process (image/DecodeHelper.h): a file that makes them abort or run away
// fails to load like any damaged file.
#include <cstddef>
#include <cstdint>
#include <string>

#include "image/ImageData.h"

namespace imagecodec::metafile {

// Longest side of a rasterised metafile; larger natural sizes are scaled down.
constexpr uint32_t kMaxMetafileSide = 4096;
// Longest side used when the metafile carries no physical size.
constexpr uint32_t kDefaultMetafileSide = 1024;

// Checks the file's structure here and rasterises it in the helper.
bool DecodeMetafileLimited(const uint8_t* data, std::size_t size, ImageData& out, std::string* why, uint32_t maxSide);
// Rasterises in this process: only for the helper itself.
bool DecodeMetafileHere(const uint8_t* data, std::size_t size, ImageData& out, std::string* why, uint32_t maxSide);

}  // namespace imagecodec::metafile
