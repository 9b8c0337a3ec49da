#include "ui/EngineBinding.h"

#include "engine/Engine.h"

namespace boxora {

EngineBinding BindEngine(CEngine& engine) {
    EngineBinding binding;
    binding.engine = &engine;
    binding.scene = &engine.Params();
    binding.setPreviewSize = [&engine](int width, int height) { engine.SetPreviewSize(width, height); };
    binding.lock = [&engine] { engine.Lock().lock(); };
    binding.unlock = [&engine] { engine.Lock().unlock(); };
    binding.queueObjectDeletion = [&engine](int id) { engine.QueueObjectDeletion(id); };
    return binding;
}

EngineLockGuard::EngineLockGuard(const EngineBinding& binding) : binding_(binding) {
    if (binding_.lock) binding_.lock();
}

EngineLockGuard::~EngineLockGuard() {
    if (binding_.unlock) binding_.unlock();
}

}  // namespace boxora
