// boxora: the desktop application.
#include "engine/Engine.h"
#include "ui/DesktopApp.h"

int main(int argc, char** argv) {
    boxora::EngineBinding engine = boxora::BindEngine(Engine());
    return RunDesktopApp(argc, argv, engine);
}
