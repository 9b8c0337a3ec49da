#include "ui/DesktopApp.h"

#include <QApplication>
#include <memory>

#include "platform/Settings.h"
#include "platform/qt/QtSettingsStore.h"
#include "ui/BoxoraApp.h"
#include "ui/MainFrame.h"

int RunDesktopApp(int argc, char** argv, boxora::EngineBinding& engine) {
    QApplication::setOrganizationName(QStringLiteral("Talvenor"));
    QApplication::setApplicationName(QStringLiteral("Boxora"));
    // Lets the desktop match the window with the installed menu entry (and
    // its icon).
    QApplication::setDesktopFileName(QStringLiteral("com.talvenor.Boxora"));
    QApplication app(argc, argv);

    // Per-user settings under Talvenor/Boxora.
    boxora::QtSettingsStore settings;
    boxora::SetSettingsStore(&settings);

    std::vector<std::string> params;
    for (int i = 1; i < argc; ++i) params.emplace_back(argv[i]);

    int result = 1;
    {
        CBoxoraApp boxoraApp(engine);
        if (boxoraApp.InitInstance(params)) {
            result = app.exec();
            boxoraApp.ExitInstance();
        }
    }
    boxora::SetSettingsStore(nullptr);
    return result;
}
