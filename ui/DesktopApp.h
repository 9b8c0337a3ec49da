#pragma once
#include "ui/EngineBinding.h"

// Runs the desktop application with the given engine; returns the process
// exit code.
int RunDesktopApp(int argc, char** argv, boxora::EngineBinding& engine);
