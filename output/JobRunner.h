#pragma once
// Runs one render job: the renderer the job names draws it, and the output
// step makes the file of it (or the job's pictureSink gets the pixels).
// The same for every renderer, so a new renderer brings no output code of
// its own.
#include <functional>
#include <string>

#include "platform/Outcome.h"
#include "render/PictureRenderer.h"

namespace boxora {

// Where a job's file goes, and who hears of its progress.
struct JobOutputTarget {
    // The name the picture is to be written under now (a template renamed
    // during the job moves its picture along); the requested name when
    // unset.
    std::function<std::string(const std::string& requested)> outputName;
    // The picture was written under this name.
    std::function<void(const std::string& written)> written;
    // Progress of the job in percent.
    std::function<void(float percent)> progress;
};

struct RenderJobRun {
    Outcome outcome;      // failed: nothing was written (a job given up carries no message)
    double outputMs = 0;  // encoding and writing after the last row, in milliseconds
};

RenderJobRun RunRenderJob(IPictureRenderer& renderer, const RenderJob& job, const JobOutputTarget& target);

}  // namespace boxora
