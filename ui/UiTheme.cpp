#include "ui/UiTheme.h"

#include <QApplication>
#include <QPalette>
#include <QStyle>
#include <QStyleFactory>

#include "platform/Settings.h"

namespace boxora {
namespace {

constexpr char kSettingName[] = "UITheme";
QString g_current;

QPalette LightPalette() {
    QPalette p;
    const QColor text(0x1f, 0x23, 0x2b);
    const QColor disabled(0x9a, 0xa0, 0xa8);
    p.setColor(QPalette::Window, QColor(0xf0, 0xf2, 0xf5));
    p.setColor(QPalette::WindowText, text);
    p.setColor(QPalette::Base, Qt::white);
    p.setColor(QPalette::AlternateBase, QColor(0xf6, 0xf7, 0xf9));
    p.setColor(QPalette::ToolTipBase, QColor(0x2b, 0x2f, 0x36));
    p.setColor(QPalette::ToolTipText, QColor(0xf2, 0xf3, 0xf5));
    p.setColor(QPalette::PlaceholderText, QColor(0x8a, 0x90, 0x9a));
    p.setColor(QPalette::Text, text);
    p.setColor(QPalette::Button, QColor(0xf7, 0xf8, 0xfa));
    p.setColor(QPalette::ButtonText, text);
    p.setColor(QPalette::BrightText, QColor(0xd9, 0x30, 0x25));
    p.setColor(QPalette::Light, Qt::white);
    p.setColor(QPalette::Midlight, QColor(0xe4, 0xe7, 0xeb));
    p.setColor(QPalette::Mid, QColor(0xc3, 0xc8, 0xd0));
    p.setColor(QPalette::Dark, QColor(0x9e, 0xa4, 0xae));
    p.setColor(QPalette::Shadow, QColor(0x5f, 0x66, 0x70));
    p.setColor(QPalette::Highlight, QColor(0x2f, 0x6f, 0xde));
    p.setColor(QPalette::HighlightedText, Qt::white);
    p.setColor(QPalette::Link, QColor(0x2f, 0x6f, 0xde));
    p.setColor(QPalette::LinkVisited, QColor(0x6a, 0x4c, 0xc2));
    for (auto role : {QPalette::WindowText, QPalette::Text, QPalette::ButtonText})
        p.setColor(QPalette::Disabled, role, disabled);
    p.setColor(QPalette::Disabled, QPalette::Base, QColor(0xf4, 0xf5, 0xf7));
    p.setColor(QPalette::Disabled, QPalette::Highlight, QColor(0xb4, 0xba, 0xc4));
    return p;
}

QPalette DarkPalette() {
    QPalette p;
    const QColor text(0xe3, 0xe5, 0xe8);
    const QColor disabled(0x74, 0x79, 0x82);
    p.setColor(QPalette::Window, QColor(0x2a, 0x2d, 0x32));
    p.setColor(QPalette::WindowText, text);
    p.setColor(QPalette::Base, QColor(0x1d, 0x1f, 0x23));
    p.setColor(QPalette::AlternateBase, QColor(0x25, 0x28, 0x2c));
    p.setColor(QPalette::ToolTipBase, QColor(0x3b, 0x3f, 0x46));
    p.setColor(QPalette::ToolTipText, text);
    p.setColor(QPalette::PlaceholderText, QColor(0x8b, 0x90, 0x98));
    p.setColor(QPalette::Text, text);
    p.setColor(QPalette::Button, QColor(0x35, 0x39, 0x3f));
    p.setColor(QPalette::ButtonText, text);
    p.setColor(QPalette::BrightText, QColor(0xff, 0x6b, 0x5e));
    p.setColor(QPalette::Light, QColor(0x4b, 0x50, 0x58));
    p.setColor(QPalette::Midlight, QColor(0x3e, 0x42, 0x49));
    p.setColor(QPalette::Mid, QColor(0x2f, 0x32, 0x38));
    p.setColor(QPalette::Dark, QColor(0x1a, 0x1c, 0x1f));
    p.setColor(QPalette::Shadow, QColor(0x0e, 0x0f, 0x11));
    p.setColor(QPalette::Highlight, QColor(0x3d, 0x7e, 0xe6));
    p.setColor(QPalette::HighlightedText, Qt::white);
    p.setColor(QPalette::Link, QColor(0x6e, 0xa8, 0xff));
    p.setColor(QPalette::LinkVisited, QColor(0xa8, 0x8b, 0xf0));
    for (auto role : {QPalette::WindowText, QPalette::Text, QPalette::ButtonText})
        p.setColor(QPalette::Disabled, role, disabled);
    p.setColor(QPalette::Disabled, QPalette::Base, QColor(0x26, 0x28, 0x2c));
    p.setColor(QPalette::Disabled, QPalette::Button, QColor(0x30, 0x33, 0x38));
    p.setColor(QPalette::Disabled, QPalette::Highlight, QColor(0x4a, 0x4f, 0x57));
    return p;
}

bool HasStyle(const QString& name) {
    for (const QString& key : QStyleFactory::keys())
        if (key.compare(name, Qt::CaseInsensitive) == 0) return true;
    return false;
}

}  // namespace

std::vector<UiThemeInfo> UiTheme::Available() {
    std::vector<UiThemeInfo> themes;
    themes.push_back({QStringLiteral("light"), QStringLiteral("Boxora Light")});
    themes.push_back({QStringLiteral("dark"), QStringLiteral("Boxora Dark")});
    for (const QString& key : QStyleFactory::keys())
        themes.push_back({QStringLiteral("style:") + key, key + QStringLiteral(" (standard colours)")});
    return themes;
}

bool UiTheme::Apply(const QString& id) {
    if (!qApp) return false;
    QString styleName;
    QPalette palette;
    if (id == QLatin1String("light") || id == QLatin1String("dark")) {
        styleName = QStringLiteral("Fusion");
        palette = id == QLatin1String("light") ? LightPalette() : DarkPalette();
    } else if (id.startsWith(QLatin1String("style:")) && HasStyle(id.mid(6))) {
        styleName = id.mid(6);
    } else {
        return false;
    }
    QStyle* style = QStyleFactory::create(styleName);
    if (!style) return false;
    QApplication::setStyle(style);
    if (!id.startsWith(QLatin1String("style:")))
        QApplication::setPalette(palette);
    else
        QApplication::setPalette(style->standardPalette());
    g_current = id;
    return true;
}

QString UiTheme::Current() { return g_current; }

void UiTheme::Restore() {
    const QString stored = QString::fromStdString(Settings().GetString(kSettingName, ""));
    if (stored.isEmpty() || !Apply(stored)) Apply(DefaultId());
}

void UiTheme::Save() {
    if (!g_current.isEmpty()) Settings().SetString(kSettingName, g_current.toStdString());
}

}  // namespace boxora
