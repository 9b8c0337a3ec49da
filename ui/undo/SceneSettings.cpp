#include "ui/undo/SceneSettings.h"

#include "engine/IEngine.h"

namespace boxora {

void ApplySceneSettings(IEngine& engine, const SceneParams& scene, const SettingValues& target) {
    for (const SettingRow& row : SettingTable()) {
        const double wanted = target[static_cast<int>(row.id)];
        if (row.get(scene) != wanted) engine.SetSetting(row.id, wanted);
    }
}

}  // namespace boxora
