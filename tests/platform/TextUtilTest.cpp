#include <gtest/gtest.h>

#include "platform/CodePage1250.h"
#include "platform/TextUtil.h"

using namespace boxora;

TEST(CodePage1250, MapsCentralEuropeanLetters) {
    EXPECT_EQ(Cp1250ToUnicode(0x8A), u'\u0160');
    EXPECT_EQ(Cp1250ToUnicode(0x9A), u'\u0161');
    EXPECT_EQ(Cp1250ToUnicode(0xE8), u'\u010D');
    EXPECT_EQ(Cp1250ToUnicode('A'), u'A');
    EXPECT_EQ(Cp1250ToUtf8("\x8A"
                           "kofja"),
              "Škofja");
}

TEST(TextUtil, Utf8RoundTripAndInvalidInput) {
    const std::string text = "Grüße Ω \U0001F600";
    EXPECT_EQ(Utf16ToUtf8(Utf8ToUtf16(text)), text);
    EXPECT_EQ(Utf16Length(text), 10u);
    EXPECT_EQ(Utf8ToUtf16("\xC3"), std::u16string(1, u'\uFFFD'));
    EXPECT_EQ(Utf16ToUtf8(std::u16string(1, char16_t(0xD800))), "\xEF\xBF\xBD");
}

TEST(TextUtil, CaseMappingCoversAccentedLetters) {
    EXPECT_EQ(ToUpperText("český français"), "ČESKÝ FRANÇAIS");
    EXPECT_EQ(ToLowerText("ENGLISH Ž"), "english ž");
    EXPECT_TRUE(EqualsIgnoreCase("deutsch", "DEUTSCH"));
    EXPECT_FALSE(EqualsIgnoreCase("abc", "abcd"));
    // Accented capitals sort after plain ASCII capitals.
    EXPECT_LT(CompareUpperOrdinal("zulu", "Čeština"), 0);
    EXPECT_LT(CompareUpperOrdinal("english", "FRANCAIS"), 0);
    EXPECT_EQ(CompareUpperOrdinal("Deutsch", "DEUTSCH"), 0);
}

TEST(TextUtil, FormatTextIsSafeWithAnyFormat) {
    EXPECT_EQ(FormatText("Template '%s' exists", {"A"}), "Template 'A' exists");
    EXPECT_EQ(FormatText("%s -> %s", {"old"}), "old -> ");
    EXPECT_EQ(FormatText("100%% %d %n %s", {"x"}), "100% %d %n x");
    EXPECT_EQ(FormatText("%s", {std::string(5000, 'a')}).size(), 1023u);
}

TEST(TextUtil, NumberParsingFollowsTheCRules) {
    EXPECT_EQ(ParseLeadingInt("45.500000"), 45);
    EXPECT_EQ(ParseLeadingInt("  -12abc"), -12);
    EXPECT_EQ(ParseLeadingInt(""), 0);
    EXPECT_EQ(ParseLeadingInt("99999999999999"), 2147483647);
    EXPECT_FLOAT_EQ(ParseFloat("68.750000"), 68.75f);
    EXPECT_FLOAT_EQ(ParseFloat("-5"), -5.0f);
    EXPECT_FLOAT_EQ(ParseFloat("abc"), 0.0f);
    EXPECT_FLOAT_EQ(ParseFloat("nan"), 0.0f);
    EXPECT_FLOAT_EQ(ParseFloat("1e99"), 0.0f);
    EXPECT_EQ(FormatFloat6(36), "36.000000");
    EXPECT_EQ(FormatFloat6(-0.5), "-0.500000");
}

TEST(TextUtil, EscapeForTerminalLeavesNoControlSequence) {
    EXPECT_EQ(EscapeForTerminal("Box \xC5\xA0koda \xE2\x82\xAC/\\"), "Box \xC5\xA0koda \xE2\x82\xAC/\\");
    EXPECT_EQ(EscapeForTerminal("a\x1B]0;title\x07"
                                "b\r\n"),
              "a\\x1B]0;title\\x07"
              "b\\x0D\\x0A");
    // C1 CSI, right-to-left override, a stray byte and a cut sequence.
    EXPECT_EQ(EscapeForTerminal("\xC2\x9B"
                                "2J\xE2\x80\xAEx\xFF\xE2\x82"),
              "\\x9B2J\\u202Ex\\xFF\\xE2\\x82");
}
