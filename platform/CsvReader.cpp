#include "platform/CsvReader.h"

#include <cstdint>

namespace boxora {

namespace {

// Length of the well-formed UTF-8 sequence at text[i] (1 to 4), or 0:
// overlong forms, surrogates and values beyond U+10FFFF are refused, so
// that a path or name taken from the table is text every later step can
// show and pass on.
std::size_t Utf8SequenceLength(std::string_view text, std::size_t i) {
    const auto byte = [&](std::size_t k) { return static_cast<uint8_t>(text[k]); };
    const uint8_t lead = byte(i);
    if (lead < 0x80) return 1;
    std::size_t length = 0;
    uint8_t low = 0x80, high = 0xBF;  // allowed range of the second byte
    if (lead >= 0xC2 && lead <= 0xDF)
        length = 2;
    else if (lead == 0xE0)
        length = 3, low = 0xA0;
    else if (lead >= 0xE1 && lead <= 0xEC)
        length = 3;
    else if (lead == 0xED)
        length = 3, high = 0x9F;
    else if (lead >= 0xEE && lead <= 0xEF)
        length = 3;
    else if (lead == 0xF0)
        length = 4, low = 0x90;
    else if (lead >= 0xF1 && lead <= 0xF3)
        length = 4;
    else if (lead == 0xF4)
        length = 4, high = 0x8F;
    else
        return 0;
    if (text.size() - i < length) return 0;
    if (byte(i + 1) < low || byte(i + 1) > high) return 0;
    for (std::size_t k = 2; k < length; ++k)
        if (byte(i + k) < 0x80 || byte(i + k) > 0xBF) return 0;
    return length;
}

class Parser {
public:
    Parser(std::string_view text, const CsvLimits& limits, char delimiter)
        : text_(text), limits_(limits), delimiter_(delimiter) {
        table_.delimiter = delimiter;
    }

    CsvTable Run() {
        if (text_.substr(0, 3) == "\xEF\xBB\xBF") pos_ = 3;
        while (pos_ < text_.size() && table_.error.empty()) ReadRecord();
        return std::move(table_);
    }

private:
    bool Fail(const std::string& message) {
        if (table_.error.empty()) {
            table_.error = message;
            table_.errorLine = line_;
        }
        return false;
    }

    // A line break at pos_ (CRLF, LF or CR): consumed, true.
    bool TakeLineBreak() {
        if (pos_ >= text_.size()) return false;
        if (text_[pos_] == '\n') {
            ++pos_;
        } else if (text_[pos_] == '\r') {
            ++pos_;
            if (pos_ < text_.size() && text_[pos_] == '\n') ++pos_;
        } else {
            return false;
        }
        ++line_;
        return true;
    }

    // Appends the character at pos_ (a whole UTF-8 sequence) to field.
    bool TakeCharacter(std::string& field) {
        const std::size_t length = Utf8SequenceLength(text_, pos_);
        if (length == 0) return Fail("the text is not UTF-8");
        if (field.size() + length > limits_.maxFieldBytes)
            return Fail("a field is longer than " + std::to_string(limits_.maxFieldBytes) + " bytes");
        field.append(text_.substr(pos_, length));
        pos_ += length;
        return true;
    }

    bool ReadQuoted(std::string& field) {
        const std::size_t openedOn = line_;
        ++pos_;  // the opening quote
        while (true) {
            if (pos_ >= text_.size()) {
                line_ = openedOn;
                return Fail("a quoted field is not closed");
            }
            const char c = text_[pos_];
            if (c == '"') {
                if (pos_ + 1 < text_.size() && text_[pos_ + 1] == '"') {
                    if (field.size() + 1 > limits_.maxFieldBytes)
                        return Fail("a field is longer than " + std::to_string(limits_.maxFieldBytes) + " bytes");
                    field += '"';
                    pos_ += 2;
                    continue;
                }
                ++pos_;
                break;
            }
            if (c == '\r' || c == '\n') {
                // Kept as written, one line further on.
                const std::size_t start = pos_;
                TakeLineBreak();
                if (field.size() + (pos_ - start) > limits_.maxFieldBytes)
                    return Fail("a field is longer than " + std::to_string(limits_.maxFieldBytes) + " bytes");
                field.append(text_.substr(start, pos_ - start));
                continue;
            }
            if (!TakeCharacter(field)) return false;
        }
        if (pos_ < text_.size() && text_[pos_] != delimiter_ && text_[pos_] != '\r' && text_[pos_] != '\n')
            return Fail("text follows the closing quote of a field (a quote inside a field is written twice)");
        return true;
    }

    bool ReadUnquoted(std::string& field) {
        while (pos_ < text_.size()) {
            const char c = text_[pos_];
            if (c == delimiter_ || c == '\r' || c == '\n') break;
            if (c == '"') return Fail("a quote inside a field that does not start with one");
            if (!TakeCharacter(field)) return false;
        }
        return true;
    }

    void ReadRecord() {
        CsvRecord record;
        record.line = line_;
        if (TakeLineBreak()) return;  // an empty line
        while (true) {
            if (record.fields.size() == limits_.maxFields) {
                Fail("a record has more than " + std::to_string(limits_.maxFields) + " fields");
                return;
            }
            if (++totalFields_ > limits_.maxTotalFields) {
                Fail("the table has more than " + std::to_string(limits_.maxTotalFields) + " fields");
                return;
            }
            std::string& field = record.fields.emplace_back();
            const bool ok = pos_ < text_.size() && text_[pos_] == '"' ? ReadQuoted(field) : ReadUnquoted(field);
            if (!ok) return;
            if (pos_ < text_.size() && text_[pos_] == delimiter_) {
                ++pos_;
                continue;
            }
            TakeLineBreak();
            break;
        }
        if (table_.records.size() == limits_.maxRecords) {
            line_ = record.line;
            Fail("the table has more than " + std::to_string(limits_.maxRecords) + " records");
            return;
        }
        table_.records.push_back(std::move(record));
    }

    std::string_view text_;
    const CsvLimits& limits_;
    const char delimiter_;
    std::size_t pos_ = 0;
    std::size_t line_ = 1;
    std::size_t totalFields_ = 0;
    CsvTable table_;
};

}  // namespace

char DetectCsvDelimiter(std::string_view text) {
    int commas = 0;
    int semicolons = 0;
    int tabs = 0;
    bool quoted = false;
    bool sawText = false;
    // The first record only, with quoted line breaks inside it; bounded so a
    // huge single-line file is not walked twice.
    constexpr std::size_t kLookAhead = 64 * 1024;
    for (std::size_t i = 0; i < text.size() && i < kLookAhead; ++i) {
        const char c = text[i];
        if (c == '"') {
            quoted = !quoted;
        } else if (quoted) {
            continue;
        } else if (c == '\r' || c == '\n') {
            if (sawText) break;
            continue;
        } else if (c == ',') {
            ++commas;
        } else if (c == ';') {
            ++semicolons;
        } else if (c == '\t') {
            ++tabs;
        }
        sawText = true;
    }
    if (semicolons > commas && semicolons >= tabs) return ';';
    if (tabs > commas && tabs > semicolons) return '\t';
    return ',';
}

CsvTable ParseCsv(std::string_view text, const CsvLimits& limits) {
    return Parser(text, limits, DetectCsvDelimiter(text)).Run();
}

}  // namespace boxora
