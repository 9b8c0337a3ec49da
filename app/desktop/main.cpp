// boxora: the desktop application.
#include "tests/gui/FakeEngine.h"
#include "ui/DesktopApp.h"

int main(int argc, char** argv) {
    // Until the engine is wired in, a recording stand-in keeps the scene values.
    static FakeEngine engine;
    boxora::EngineBinding binding = engine.Binding();
    return RunDesktopApp(argc, argv, binding);
}
