// boxora: the desktop application.
#include <cstdio>
#include <cstring>

#include "boxora/Version.h"
#include "engine/Engine.h"
#include "ui/DesktopApp.h"

int main(int argc, char** argv) {
    // Answered before any window system is touched, so it works anywhere.
    for (int i = 1; i < argc; ++i)
        if (std::strcmp(argv[i], "--version") == 0) {
            std::printf("boxora %s\n", BOXORA_VERSION_FULL);
            return 0;
        }
    boxora::EngineBinding engine = boxora::BindEngine(Engine());
    return RunDesktopApp(argc, argv, engine);
}
