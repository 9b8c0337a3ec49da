#pragma once
// Steps every render job takes, however its picture is drawn.
#include <string>

#include "platform/Outcome.h"
#include "scene/SceneParams.h"

namespace boxora {

// The transparent-background boost of PNG renders (format: the job's):
// a stronger reflection and a finer shadow, in the job's own copy of the
// settings.
void ApplyTransparentBoost(SceneParams& params, int format);

// The message of a picture that could not be written.
Outcome SaveError(const std::string& fileName, const std::string& why = {});

}  // namespace boxora
