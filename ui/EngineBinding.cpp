#include "ui/EngineBinding.h"

namespace boxora {

EngineLockGuard::EngineLockGuard(const EngineBinding& binding) : binding_(binding) {
    if (binding_.lock) binding_.lock();
}

EngineLockGuard::~EngineLockGuard() {
    if (binding_.unlock) binding_.unlock();
}

}  // namespace boxora
