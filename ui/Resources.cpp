#include "ui/Resources.h"

#include <QtGlobal>

static void InitBoxoraResources() { Q_INIT_RESOURCE(boxora); }

namespace boxora {

void InitResources() {
    static const bool done = [] {
        InitBoxoraResources();
        return true;
    }();
    (void)done;
}

}  // namespace boxora
