#include <gtest/gtest.h>

#include "platform/ProfileFile.h"
#include "platform/TextUtil.h"
#include "tests/support/TestSupport.h"

using namespace boxora;

namespace {

std::string Utf16File(const std::u16string& text) {
    std::string bytes = "\xFF\xFE";
    for (char16_t c : text) {
        bytes.push_back(static_cast<char>(c & 0xFF));
        bytes.push_back(static_cast<char>(c >> 8));
    }
    return bytes;
}

}  // namespace

TEST(ProfileFile, ReadsSectionsAndKeysWithoutRegardToCase) {
    auto doc = ProfileDocument::Parse("[Info]\r\nLanguage = Deutsch \r\n[menu]\nMenuFile=&Datei\n");
    EXPECT_EQ(doc.GetString("INFO", "language", "x"), "Deutsch");
    EXPECT_EQ(doc.GetString("Menu", "menufile", ""), "&Datei");
    EXPECT_EQ(doc.GetString("Menu", "missing", "def"), "def");
    EXPECT_EQ(doc.GetString("Nope", "menufile", "def"), "def");
    EXPECT_EQ(doc.SectionNames(), (std::vector<std::string>{"Info", "menu"}));
}

TEST(ProfileFile, FirstOccurrenceWinsAndQuotesAreRemoved) {
    auto doc = ProfileDocument::Parse("[A]\nk=1\nk=2\nq=\"quoted text\"\n[a]\nk=3\n");
    EXPECT_EQ(doc.GetString("a", "K", ""), "1");
    EXPECT_EQ(doc.GetString("a", "q", ""), "quoted text");
    EXPECT_EQ(doc.SectionNames().size(), 2u);
}

TEST(ProfileFile, ValuesAreCutToTheBuffer) {
    const std::string longValue(10'000'000, 'x');
    auto doc = ProfileDocument::Parse("[S]\nk=" + longValue);  // no newline at the end
    EXPECT_EQ(doc.GetString("S", "k", "").size(), 259u);
    EXPECT_EQ(doc.GetString("S", "k", "", 10), "xxxxxxxxx");
    // A default is cut the same way.
    EXPECT_EQ(doc.GetString("S", "none", "abcdef", 4), "abc");
}

TEST(ProfileFile, CutNeverSplitsASurrogatePair) {
    auto doc = ProfileDocument::Parse("[S]\nk=ab\xF0\x9F\x98\x80");  // U+1F600 needs two units
    EXPECT_EQ(doc.GetString("S", "k", "", 4), "ab");
    EXPECT_EQ(doc.GetString("S", "k", "", 5), "ab\xF0\x9F\x98\x80");
}

TEST(ProfileFile, Utf16FilesStayUtf16WhenWritten) {
    testsupport::TempDir dir;
    const std::string path = dir.File("scene.scn");
    testsupport::WriteFileBytes(path, "\xFF\xFE");
    ASSERT_TRUE(WriteProfileString(path, "OBJECT_0", "Object_Name", "Škatla"));
    ASSERT_TRUE(WriteProfileString(path, "CAMERA", "Camera_Zoom", "2.000000"));
    ASSERT_TRUE(WriteProfileString(path, "OBJECT_0", "User_Defined_Name", "Box"));
    const std::string bytes = testsupport::ReadFileBytes(path);
    ASSERT_GE(bytes.size(), 2u);
    EXPECT_EQ(static_cast<unsigned char>(bytes[0]), 0xFF);
    EXPECT_EQ(static_cast<unsigned char>(bytes[1]), 0xFE);
    EXPECT_EQ(bytes.size() % 2, 0u);
    auto doc = ProfileDocument::Load(path);
    EXPECT_EQ(doc.Encoding(), ProfileEncoding::Utf16LeBom);
    EXPECT_EQ(doc.GetString("object_0", "object_name", ""), "Škatla");
    // A key added to an existing section stays inside it, sections keep order.
    EXPECT_EQ(doc.SectionNames(), (std::vector<std::string>{"OBJECT_0", "CAMERA"}));
    EXPECT_EQ(doc.GetString("OBJECT_0", "User_Defined_Name", ""), "Box");
    const std::string text =
        Utf16ToUtf8(std::u16string(reinterpret_cast<const char16_t*>(bytes.data() + 2), (bytes.size() - 2) / 2));
    EXPECT_LT(text.find("User_Defined_Name"), text.find("[CAMERA]"));
}

TEST(ProfileFile, MalformedInputGivesDefaults) {
    // Odd byte count in UTF-16, binary junk, unterminated section header.
    std::string junk = Utf16File(u"[S]\r\nk=v\r\n");
    junk.push_back('\x41');
    EXPECT_EQ(ProfileDocument::Parse(junk).GetString("S", "k", ""), "v");
    std::string binary;
    for (int i = 0; i < 4096; ++i) binary.push_back(static_cast<char>((i * 7919) & 0xFF));
    auto doc = ProfileDocument::Parse(binary);
    EXPECT_EQ(doc.GetString("S", "k", "def"), "def");
    EXPECT_EQ(ProfileDocument::Parse("[unterminated\nk=1").GetString("unterminated", "k", ""), "1");
    EXPECT_EQ(ProfileDocument::Parse("").SectionNames().size(), 0u);
    EXPECT_EQ(GetProfileString("/nonexistent/file.ini", "S", "k", "d"), "d");
}

TEST(ProfileFile, SectionNameListIsBounded) {
    std::string text;
    for (int i = 0; i < 1000; ++i) text += "[OBJECT_" + std::to_string(i) + "]\n";
    auto doc = ProfileDocument::Parse(text);
    const auto names = doc.SectionNames(4000);
    std::size_t used = 0;
    for (const auto& n : names) used += n.size() + 1;
    EXPECT_LE(used, 3999u);
    EXPECT_GT(names.size(), 300u);
    EXPECT_LT(names.size(), 1000u);
    EXPECT_EQ(names.front(), "OBJECT_0");
}

TEST(ProfileFile, LineBreaksInValuesCannotBreakTheFile) {
    ProfileDocument doc;
    doc.SetString("S", "path", "/tmp/a\nb\r[EVIL]\nk=1");
    auto again = ProfileDocument::Parse(doc.Serialize());
    EXPECT_EQ(again.SectionNames(), std::vector<std::string>{"S"});
    EXPECT_EQ(again.GetString("S", "path", ""), "/tmp/a b [EVIL] k=1");
}

TEST(ProfileFile, LanguageFileWithUtf8ByteOrderMark) {
    auto doc = ProfileDocument::Parse("\xEF\xBB\xBF[Info]\r\nLanguage=Čeština\r\n[Menu]\r\nmenufile=&Soubor\r\n");
    EXPECT_EQ(doc.Encoding(), ProfileEncoding::Utf8Bom);
    EXPECT_EQ(doc.GetString("Info", "Language", ""), "Čeština");
    EXPECT_EQ(doc.SectionNames(), (std::vector<std::string>{"Info", "Menu"}));
    // Written back, the mark stays and is not doubled.
    doc.SetString("Menu", "menuhelp", "&Nápověda");
    const std::string bytes = doc.Serialize();
    EXPECT_EQ(bytes.rfind("\xEF\xBB\xBF[Info]", 0), 0u);
    EXPECT_EQ(ProfileDocument::Parse(bytes).GetString("menu", "MENUHELP", ""), "&Nápověda");
    // Without the mark the same text reads the same.
    EXPECT_EQ(ProfileDocument::Parse("[Info]\nLanguage=Čeština").GetString("Info", "Language", ""), "Čeština");
}

TEST(ProfileFile, LanguageFileInUtf16) {
    testsupport::TempDir dir;
    const std::string path = dir.File("Magyar.lng");
    testsupport::WriteFileBytes(path,
                                Utf16File(u"[Info]\r\nLanguage=Magyar \U0001F600\r\n[Menu]\r\nmenufile=&Fájl\r\n"));
    EXPECT_EQ(GetProfileString(path, "Info", "Language", ""), "Magyar \xF0\x9F\x98\x80");
    EXPECT_EQ(GetProfileString(path, "MENU", "MenuFile", ""), "&Fájl");
    EXPECT_EQ(GetProfileSectionNames(path), (std::vector<std::string>{"Info", "Menu"}));
}

TEST(ProfileFile, KeysBeforeTheFirstSectionBelongToNone) {
    auto doc = ProfileDocument::Parse("k=orphan\nLanguage=x\n[S]\nk=inside\n");
    EXPECT_EQ(doc.GetString("S", "k", ""), "inside");
    EXPECT_EQ(doc.GetString("", "k", "def"), "def");
    EXPECT_EQ(doc.GetString("Info", "Language", "def"), "def");
    EXPECT_EQ(doc.SectionNames(), std::vector<std::string>{"S"});
}

TEST(ProfileFile, BlankCommentAndOddLines) {
    auto doc = ProfileDocument::Parse(
        "\n   \n; header comment\n  [ S ]  \n\t\n; k=commented\n# k2=also\nk = spaced value \nno equals sign\n"
        "eq=a=b\nempty=\n=nameless\n[T]\rcr=only\r[U]\r\nlast=no newline");
    EXPECT_EQ(doc.GetString("S", "k", ""), "spaced value");
    EXPECT_EQ(doc.GetString("S", "k2", "def"), "def");
    EXPECT_EQ(doc.GetString("S", "no equals sign", "def"), "def");
    EXPECT_EQ(doc.GetString("S", "eq", ""), "a=b");
    EXPECT_EQ(doc.GetString("S", "empty", "def"), "");  // present and empty is not the default
    EXPECT_EQ(doc.GetString("T", "cr", ""), "only");
    EXPECT_EQ(doc.GetString("U", "last", ""), "no newline");
    EXPECT_EQ(doc.SectionNames(), (std::vector<std::string>{"S", "T", "U"}));
}

TEST(ProfileFile, LookupsStayRightAsKeysAreAdded) {
    std::string text;
    for (int i = 0; i < 3000; ++i)
        text += "[OBJECT_" + std::to_string(i) + "]\nObject_Name=box" + std::to_string(i) + "\n";
    auto doc = ProfileDocument::Parse(text);
    for (int i = 0; i < 3000; i += 7) doc.SetString("OBJECT_" + std::to_string(i), "Object_Type", std::to_string(i));
    doc.SetString("scene", "Background", "1");
    doc.SetString("Scene", "Transparent", "0");  // same section in another case
    for (int i = 0; i < 3000; ++i) {
        const std::string s = "object_" + std::to_string(i);
        ASSERT_EQ(doc.GetString(s, "object_name", ""), "box" + std::to_string(i));
        ASSERT_EQ(doc.GetString(s, "Object_Type", "-"), i % 7 == 0 ? std::to_string(i) : "-");
    }
    const auto again = ProfileDocument::Parse(doc.Serialize());
    EXPECT_EQ(again.GetString("OBJECT_2996", "Object_Type", ""), "2996");
    EXPECT_EQ(again.GetString("SCENE", "Transparent", ""), "0");
    EXPECT_EQ(again.SectionNames(1u << 20).back(), "scene");
}

TEST(ProfileFile, HugeLineCountsAreBounded) {
    // A file of nothing but line breaks: the lines past the limit are not read.
    const std::string breaks(ProfileDocument::kMaxLines + 5, '\n');
    auto doc = ProfileDocument::Parse(breaks + "[S]\nk=v\n");
    EXPECT_EQ(doc.GetString("S", "k", "def"), "def");
    EXPECT_TRUE(doc.SectionNames().empty());
    EXPECT_EQ(ProfileDocument::Parse("[S]\nk=v\n" + breaks).GetString("S", "k", ""), "v");
}
