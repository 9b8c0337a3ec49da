#pragma once
// Comma-separated tables as spreadsheets write them (RFC 4180): fields in
// double quotes may hold commas, line breaks and doubled quotes; records end
// with CRLF, LF or CR; the text is UTF-8, optionally behind a byte-order
// mark. Lines that are wholly empty are no records (spreadsheets leave one
// at the end).
//
// The tables come from outside, so every count and length is bounded and a
// table that breaks the rules or the bounds is refused as a whole with the
// line the fault is on: a mis-quoted field would otherwise shift every
// field after it into the wrong column without a word.
//
// Spreadsheets in many locales separate fields with semicolons (the comma
// being their decimal mark), and "text" exports use tabs: the separator is
// the one of comma, semicolon and tab found most often outside quotes in the
// first record (comma when none or a tie).
#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

namespace boxora {

struct CsvLimits {
    std::size_t maxRecords = 100000;
    std::size_t maxFields = 256;            // per record
    std::size_t maxFieldBytes = 64 * 1024;  // per field, after unquoting
    // All fields together: an empty field costs one byte of input but a
    // string's worth of memory.
    std::size_t maxTotalFields = 1000000;
};

struct CsvRecord {
    std::vector<std::string> fields;
    std::size_t line = 0;  // where the record starts, from 1
};

struct CsvTable {
    std::vector<CsvRecord> records;  // the header is the first one
    std::string error;               // empty when the table was read
    std::size_t errorLine = 0;       // from 1, with error
    char delimiter = ',';            // the one the table was read with
};

// The field separator of a table, from its first record.
char DetectCsvDelimiter(std::string_view text);

CsvTable ParseCsv(std::string_view text, const CsvLimits& limits = {});

}  // namespace boxora
