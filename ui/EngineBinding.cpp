#include "ui/EngineBinding.h"

#include "engine/Engine.h"
#include "platform/Notifier.h"

namespace boxora {

EngineBinding BindEngine(CEngine& engine) {
    // The engine's messages become the front end's message boxes and its
    // progress the status bar, through whatever notifier is installed.
    static NotifierReporter reporter;
    engine.SetReporter(&reporter);
    EngineBinding binding;
    binding.engine = &engine;
    binding.scene = &engine.Params();
    binding.setPreviewSize = [&engine](int width, int height) { engine.SetPreviewSize(width, height); };
    binding.snapshot = [&engine] { return engine.Snapshot(); };
    binding.queueObjectDeletion = [&engine](int id) { engine.QueueObjectDeletion(id); };
    binding.retargetRenderOutput = [&engine](const std::string& from, const std::string& to) {
        engine.RetargetRenderOutput(from, to);
    };
    return binding;
}

SceneSnapshotPtr ReadSnapshot(const EngineBinding& binding) {
    if (binding.snapshot) {
        if (SceneSnapshotPtr scene = binding.snapshot()) return scene;
    }
    auto scene = std::make_shared<SceneSnapshot>();
    if (binding.engine)
        for (const ObjectListEntry& entry : binding.engine->GetObjectList())
            if (const C3DObject* object = binding.engine->GetObject(entry.id))
                scene->objects.push_back(ObjectSnapshot::Of(*object));
    return scene;
}

}  // namespace boxora
