#include "ui/DesktopApp.h"

#include <QApplication>
#include <QMainWindow>

int RunDesktopApp(int argc, char** argv) {
    QApplication app(argc, argv);
    QMainWindow frame;
    frame.setWindowTitle("Boxora");
    frame.resize(1000, 700);
    frame.show();
    return app.exec();
}
