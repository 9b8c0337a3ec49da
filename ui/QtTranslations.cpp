#include "ui/QtTranslations.h"

#include <QCoreApplication>
#include <QLibraryInfo>
#include <QLocale>
#include <QTranslator>
#include <memory>

namespace boxora {

bool ApplyQtTranslations(const std::string& locale) {
    static std::unique_ptr<QTranslator> installed;
    if (installed) {
        QCoreApplication::removeTranslator(installed.get());
        installed.reset();
    }
    if (locale.empty() || locale == "en" || locale.rfind("en_", 0) == 0) return false;
    auto translator = std::make_unique<QTranslator>();
    // qtbase_<locale>.qm, trying "pt_BR" then "pt" as Qt does for QLocale.
    if (!translator->load(QLocale(QString::fromStdString(locale)), QStringLiteral("qtbase"), QStringLiteral("_"),
                          QLibraryInfo::path(QLibraryInfo::TranslationsPath)))
        return false;
    QCoreApplication::installTranslator(translator.get());
    installed = std::move(translator);
    return true;
}

}  // namespace boxora
