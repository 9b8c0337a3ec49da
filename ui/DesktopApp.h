#pragma once

// Runs the desktop application; returns the process exit code.
int RunDesktopApp(int argc, char** argv);
