#pragma once
// Text helpers. Text is held as UTF-8 in memory; the length limits of the
// program (255-unit names, 260-unit profile values, 1024-unit messages) are
// counted in UTF-16 code units, as the files and dialogs count them.
#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

namespace boxora {

// Invalid sequences become U+FFFD; never throws.
std::u16string Utf8ToUtf16(std::string_view utf8);
std::string Utf16ToUtf8(std::u16string_view utf16);

// Number of UTF-16 code units the text needs.
std::size_t Utf16Length(std::string_view utf8);

// Cuts the text to at most maxUnits UTF-16 code units without splitting a
// character.
std::string CutToUtf16Units(std::string_view utf8, std::size_t maxUnits);

// Simple case mapping for Latin, Greek and Cyrillic letters.
char32_t ToUpperChar(char32_t c);
char32_t ToLowerChar(char32_t c);
std::string ToUpperText(std::string_view utf8);
std::string ToLowerText(std::string_view utf8);
bool EqualsIgnoreCase(std::string_view a, std::string_view b);

// Ordinal comparison of the upper-cased UTF-16 forms: <0, 0, >0.
int CompareUpperOrdinal(std::string_view a, std::string_view b);

// Formats a message whose format comes from a language file: each "%s" takes
// the next argument (an empty text when the arguments run out), "%%" gives
// "%", and any other '%' is copied as it is. The result is cut to
// maxUnits - 1 UTF-16 units, like a formatted buffer of maxUnits.
std::string FormatText(std::string_view format, const std::vector<std::string>& args, std::size_t maxUnits = 1024);

// Text that came from a file, made safe to show on a terminal: control
// characters (C0, DEL, C1), the characters that reorder text on screen and
// bytes that are not UTF-8 are shown as \xNN or \uNNNN, so that a name can
// carry no escape sequence; everything else stays as it is.
std::string EscapeForTerminal(std::string_view utf8);

// Whether a character may not reach a terminal or a JSON document as it is.
bool IsUnsafeForDisplay(char32_t c);

// C-like number parsing used by the profile readers:
// leading integer ("12abc" -> 12, "" -> 0, "-5" -> -5), saturated to int;
int ParseLeadingInt(std::string_view text);
// "%f"-style float scan ("45.5" -> 45.5, "abc" -> 0).
float ParseFloat(std::string_view text);
// "%f" formatting with six decimals and a point, whatever the locale.
std::string FormatFloat6(double value);

}  // namespace boxora
