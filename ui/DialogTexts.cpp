#include "ui/DialogTexts.h"

#include <filesystem>

#include "lang/Lng.h"

namespace boxora {

QString LanguageText(const char* section, const char* key) {
    return QString::fromStdString(Lng().GetText(section, key));
}

QString FillMarks(QString text, std::initializer_list<QString> values) {
    int from = 0;
    for (const QString& v : values) {
        const int at = text.indexOf(QStringLiteral("%s"), from);
        if (at < 0) break;
        text.replace(at, 2, v);
        // A value that itself holds "%s" is not filled again.
        from = at + static_cast<int>(v.size());
    }
    return text;
}

QString WithExtension(const QString& name, const char* extension) {
    if (name.isEmpty()) return name;
    std::filesystem::path path(name.toStdString());
    path.replace_extension(extension);
    return QString::fromStdString(path.string());
}

}  // namespace boxora
