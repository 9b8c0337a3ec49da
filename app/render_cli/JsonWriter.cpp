#include "JsonWriter.h"

#include <cmath>
#include <cstdio>

#include "platform/TextUtil.h"

std::string JsonWriter::Quote(std::string_view value) {
    // Text from files: what is not UTF-8 becomes U+FFFD, and control and
    // reordering characters are escaped, so that the document stays valid
    // JSON and shows no escape sequence when printed.
    const std::u16string units = boxora::Utf8ToUtf16(value);
    std::string s = "\"";
    for (std::size_t i = 0; i < units.size(); ++i) {
        const char16_t c = units[i];
        switch (c) {
            case u'"': s += "\\\""; continue;
            case u'\\': s += "\\\\"; continue;
            case u'\b': s += "\\b"; continue;
            case u'\f': s += "\\f"; continue;
            case u'\n': s += "\\n"; continue;
            case u'\r': s += "\\r"; continue;
            case u'\t': s += "\\t"; continue;
            default: break;
        }
        if (boxora::IsUnsafeForDisplay(c)) {
            char buf[8];
            std::snprintf(buf, sizeof buf, "\\u%04x", static_cast<unsigned>(c));
            s += buf;
        } else if (c >= 0xD800 && c <= 0xDBFF && i + 1 < units.size()) {
            s += boxora::Utf16ToUtf8(units.substr(i, 2));
            ++i;
        } else {
            s += boxora::Utf16ToUtf8(std::u16string(1, c));
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
