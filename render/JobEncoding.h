#pragma once
// The export options of a render job applied to the picture about to be
// saved: one place, so a whole picture and one assembled from tiles are
// written alike.
#include "render/RenderJob.h"

class ImageCodec;

namespace boxora {

// Quality, coding choices and resolution of the job's format; a GIF picture
// is reduced to its 8-bit palette here.
void ApplyJobExportOptions(ImageCodec& image, const RenderJob& job);

}  // namespace boxora
