// The CSV reader: spreadsheet-written tables read field for field, and
// tables that break the quoting rules or the bounds refused with the line.
#include <gtest/gtest.h>

#include "platform/CsvReader.h"

using boxora::CsvLimits;
using boxora::ParseCsv;

namespace {

std::vector<std::vector<std::string>> Fields(const boxora::CsvTable& table) {
    std::vector<std::vector<std::string>> out;
    for (const auto& r : table.records) out.push_back(r.fields);
    return out;
}

}  // namespace

TEST(CsvReader, QuotedFieldsLineBreaksBomAndEmptyLines) {
    // BOM, CRLF, a quoted comma, a doubled quote, a line break inside a
    // quoted field, an empty field at the end, blank lines and no final
    // line break.
    const auto table = ParseCsv(
        "\xEF\xBB\xBFoutput,Front\r\n"
        "\"a,b.png\",\"say \"\"hi\"\"\"\r\n"
        "\r\n"
        "\"two\r\nlines.png\",\n"
        "ü.png,\"\"\n"
        "\n"
        "last,x");
    ASSERT_TRUE(table.error.empty()) << table.error;
    const std::vector<std::vector<std::string>> expected = {
        {"output", "Front"}, {"a,b.png", "say \"hi\""}, {"two\r\nlines.png", ""}, {"\xC3\xBC.png", ""}, {"last", "x"}};
    EXPECT_EQ(Fields(table), expected);
    // Lines are counted in the file, line breaks inside fields included.
    ASSERT_EQ(table.records.size(), 5u);
    EXPECT_EQ(table.records[1].line, 2u);
    EXPECT_EQ(table.records[2].line, 4u);
    EXPECT_EQ(table.records[3].line, 6u);
    EXPECT_EQ(table.records[4].line, 8u);
}

TEST(CsvReader, BrokenQuotingAndTextAreRefusedWithTheirLine) {
    struct Case {
        const char* text;
        std::size_t line;
    };
    const Case cases[] = {
        {"a,b\n1,\"open\n2,3\n", 2},       // never closed: the line it opens on
        {"a,b\n1,2\nx\"y,3\n", 3},         // a quote inside an unquoted field
        {"a,b\n\"q\"tail,1\n", 2},         // text after the closing quote
        {"a,b\n1,\xC3\x28\n", 2},          // not UTF-8
        {"a\n\"\n\n\xED\xA0\x80\"\n", 4},  // a surrogate, in a multi-line field
    };
    for (const Case& c : cases) {
        const auto table = ParseCsv(c.text);
        EXPECT_FALSE(table.error.empty()) << c.text;
        EXPECT_EQ(table.errorLine, c.line) << c.text << ": " << table.error;
    }
}

TEST(CsvReader, BoundsOnFieldsRecordsAndLengths) {
    CsvLimits limits;
    limits.maxFields = 3;
    limits.maxFieldBytes = 4;
    limits.maxRecords = 2;
    limits.maxTotalFields = 5;
    EXPECT_TRUE(ParseCsv("a,b,c\n\"d\"\"e\",ffff\n", limits).error.empty());
    EXPECT_EQ(ParseCsv("a,b,c,d\n", limits).errorLine, 1u);
    EXPECT_EQ(ParseCsv("a\n\"ab\"\"cd\"\n", limits).errorLine, 2u);  // five bytes unquoted
    EXPECT_EQ(ParseCsv("a\nb\nc\n", limits).errorLine, 3u);
    EXPECT_EQ(ParseCsv("a,b,c\n,,\n", limits).errorLine, 2u);  // six fields in all
}

TEST(CsvReader, SemicolonAndTabTablesAreReadByTheirSeparator) {
    // Spreadsheets with a decimal comma write semicolons; the comma in a
    // field is then plain text.
    const auto semicolons = ParseCsv("output;Front\r\n\"a;b.png\";1,5 cm.png\r\n");
    ASSERT_TRUE(semicolons.error.empty()) << semicolons.error;
    EXPECT_EQ(semicolons.delimiter, ';');
    const std::vector<std::vector<std::string>> expectedSemicolons = {{"output", "Front"}, {"a;b.png", "1,5 cm.png"}};
    EXPECT_EQ(Fields(semicolons), expectedSemicolons);

    const auto tabs = ParseCsv("\n\"out\nput\"\tFront\nx.png\ta;b,c.png\n");
    ASSERT_TRUE(tabs.error.empty()) << tabs.error;
    const std::vector<std::vector<std::string>> expectedTabs = {{"out\nput", "Front"}, {"x.png", "a;b,c.png"}};
    EXPECT_EQ(Fields(tabs), expectedTabs);

    // A one-column table keeps commas whatever its rows hold.
    const auto single = ParseCsv("output\na;b.png\n");
    EXPECT_EQ(single.delimiter, ',');
    EXPECT_EQ(Fields(single), (std::vector<std::vector<std::string>>{{"output"}, {"a;b.png"}}));
}
