#pragma once
// UI themes: a light and a dark palette on the Fusion style, plus every Qt
// style installed, each with its own standard palette. The choice applies to
// all windows at once and is kept per user (setting "UITheme").
#include <QString>
#include <vector>

namespace boxora {

struct UiThemeInfo {
    QString id;    // "light", "dark" or "style:<style name>"
    QString name;  // shown in Options > UI Theme
};

class UiTheme {
public:
    static std::vector<UiThemeInfo> Available();
    // Applies a theme to the whole application; false for an unknown id.
    static bool Apply(const QString& id);
    static QString Current();
    static QString DefaultId() { return QStringLiteral("light"); }

    // Applies the stored theme (the default one when none is stored or the
    // stored one is not available).
    static void Restore();
    // Stores the current theme.
    static void Save();
};

}  // namespace boxora
