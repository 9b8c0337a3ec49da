#include "JsonWriter.h"

#include <cmath>
#include <cstdio>

std::string JsonWriter::Quote(std::string_view value) {
    std::string s = "\"";
    for (const char ch : value) {
        const auto c = static_cast<unsigned char>(ch);
        switch (c) {
            case '"': s += "\\\""; break;
            case '\\': s += "\\\\"; break;
            case '\b': s += "\\b"; break;
            case '\f': s += "\\f"; break;
            case '\n': s += "\\n"; break;
            case '\r': s += "\\r"; break;
            case '\t': s += "\\t"; break;
            default:
                if (c < 0x20 || c == 0x7F) {
                    char buf[8];
                    std::snprintf(buf, sizeof buf, "\\u%04x", c);
                    s += buf;
                } else {
                    s.push_back(ch);  // UTF-8 passes through
                }
        }
    }
    s += '"';
    return s;
}

void JsonWriter::NewLine() {
    out_ += '\n';
    out_.append(levels_.size() * 2, ' ');
}

void JsonWriter::BeforeValue() {
    if (afterKey_) {
        afterKey_ = false;
        return;
    }
    if (!levels_.empty()) {
        if (levels_.back().inlined) {
            if (levels_.back().count++ > 0) out_ += ", ";
            return;
        }
        if (levels_.back().count++ > 0) out_ += ',';
        NewLine();
    }
}

JsonWriter& JsonWriter::BeginObject() {
    BeforeValue();
    out_ += '{';
    levels_.push_back({false, 0});
    return *this;
}

JsonWriter& JsonWriter::EndObject() {
    const bool any = !levels_.empty() && levels_.back().count > 0;
    if (!levels_.empty()) levels_.pop_back();
    if (any) NewLine();
    out_ += '}';
    if (levels_.empty()) out_ += '\n';
    return *this;
}

JsonWriter& JsonWriter::BeginArray() {
    BeforeValue();
    out_ += '[';
    levels_.push_back({true, 0});
    return *this;
}

JsonWriter& JsonWriter::BeginInlineArray() {
    BeforeValue();
    out_ += '[';
    levels_.push_back({true, 0, true});
    return *this;
}

JsonWriter& JsonWriter::EndArray() {
    const bool any = !levels_.empty() && levels_.back().count > 0 && !levels_.back().inlined;
    if (!levels_.empty()) levels_.pop_back();
    if (any) NewLine();
    out_ += ']';
    return *this;
}

JsonWriter& JsonWriter::Key(std::string_view key) {
    BeforeValue();
    out_ += Quote(key);
    out_ += ": ";
    afterKey_ = true;
    return *this;
}

JsonWriter& JsonWriter::String(std::string_view value) {
    BeforeValue();
    out_ += Quote(value);
    return *this;
}

JsonWriter& JsonWriter::Number(double value) {
    BeforeValue();
    if (!std::isfinite(value)) {
        out_ += "null";
        return *this;
    }
    char buf[32];
    std::snprintf(buf, sizeof buf, "%.9g", value);
    out_ += buf;
    return *this;
}

JsonWriter& JsonWriter::Int(long long value) {
    BeforeValue();
    out_ += std::to_string(value);
    return *this;
}

JsonWriter& JsonWriter::Bool(bool value) {
    BeforeValue();
    out_ += value ? "true" : "false";
    return *this;
}

JsonWriter& JsonWriter::Null() {
    BeforeValue();
    out_ += "null";
    return *this;
}
