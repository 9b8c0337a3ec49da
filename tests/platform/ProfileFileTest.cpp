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
    const std::string text = Utf16ToUtf8(std::u16string(
        reinterpret_cast<const char16_t*>(bytes.data() + 2), (bytes.size() - 2) / 2));
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
