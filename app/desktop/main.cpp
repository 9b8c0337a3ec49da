// boxora: the desktop application.
#include "ui/DesktopApp.h"

int main(int argc, char** argv) { return RunDesktopApp(argc, argv); }
