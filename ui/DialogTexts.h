#pragma once
// Pieces the render dialogs share: language texts with their "%s" marks
// filled in order, and output names given the extension of the chosen
// format.
#include <QString>
#include <initializer_list>

namespace boxora {

// The text of key in section of the current language file.
QString LanguageText(const char* section, const char* key);
// text with its "%s" marks replaced by values, in order; marks beyond the
// values stay, values beyond the marks are dropped.
QString FillMarks(QString text, std::initializer_list<QString> values);
// The name with its extension replaced (or added); empty stays empty.
QString WithExtension(const QString& name, const char* extension);

}  // namespace boxora
