#pragma once
// The scene-wide settings as one value, for undo steps that touch several at
// once (a drag in the preview, a light switch, the background choice): taken
// from the scene before and after, and put back through the engine's
// table-driven setter.
#include "scene/SettingTable.h"

class IEngine;
struct SceneParams;

namespace boxora {

// Sets every value that differs from what the scene holds now, in table
// order, comparing each just before it is set: the camera's azimuth comes
// before its elevation, whose value the azimuth's setter may have lifted.
void ApplySceneSettings(IEngine& engine, const SceneParams& scene, const SettingValues& target);

}  // namespace boxora
