// CSV reader: any bytes either give a table within the bounds or an error
// with a line inside the text; a table read is written back with quotes
// and must read back to the same fields.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>

#include "platform/CsvReader.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::string_view text(reinterpret_cast<const char*>(data), size);
    boxora::CsvLimits limits;
    limits.maxFields = 16;
    limits.maxFieldBytes = 64;
    limits.maxRecords = 64;
    limits.maxTotalFields = 256;
    const boxora::CsvTable table = boxora::ParseCsv(text, limits);
    if (!table.error.empty()) {
        std::size_t lines = 1;
        for (const char c : text) lines += c == '\n' || c == '\r';
        if (table.errorLine < 1 || table.errorLine > lines) std::abort();
        return 0;
    }
    std::string again;
    std::size_t total = 0;
    for (const boxora::CsvRecord& record : table.records) {
        if (record.fields.empty() || record.fields.size() > limits.maxFields) std::abort();
        total += record.fields.size();
        for (std::size_t i = 0; i < record.fields.size(); ++i) {
            if (record.fields[i].size() > limits.maxFieldBytes) std::abort();
            if (i > 0) again += ',';
            again += '"';
            for (const char c : record.fields[i]) again += c == '"' ? std::string("\"\"") : std::string(1, c);
            again += '"';
        }
        again += "\r\n";
    }
    if (total > limits.maxTotalFields || table.records.size() > limits.maxRecords) std::abort();
    // Quoting grows fields beyond the limit only in the text, not once read.
    const boxora::CsvTable reread = boxora::ParseCsv(again, limits);
    if (!reread.error.empty() || reread.records.size() != table.records.size()) std::abort();
    for (std::size_t r = 0; r < table.records.size(); ++r)
        if (reread.records[r].fields != table.records[r].fields) std::abort();
    return 0;
}
