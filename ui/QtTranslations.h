#pragma once
// Qt's own translations (standard dialogs, message-box buttons, context
// menus of edits) for the language the program speaks, from the system's
// Qt translation files (Debian: qt6-translations-l10n).
#include <string>

namespace boxora {

// Installs Qt's translation for the locale name (such as "de" or "pt_BR";
// the "Locale" key of a language file's Info section) in place of the one
// installed before. English, an empty name or a locale Qt has no file for
// leaves Qt's own English. Returns whether a translation is installed.
bool ApplyQtTranslations(const std::string& locale);

}  // namespace boxora
