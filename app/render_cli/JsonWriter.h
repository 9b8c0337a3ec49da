#pragma once
// A small streaming JSON writer: objects, arrays, strings with proper
// escaping, numbers (non-finite ones become null), booleans. Output is
// indented two spaces per level.
#include <string>
#include <string_view>
#include <vector>

class JsonWriter {
public:
    JsonWriter& BeginObject();
    JsonWriter& EndObject();
    JsonWriter& BeginArray();
    // An array written on one line (for short lists of numbers or names).
    JsonWriter& BeginInlineArray();
    JsonWriter& EndArray();
    // The key of the next value (inside an object).
    JsonWriter& Key(std::string_view key);
    JsonWriter& String(std::string_view value);
    JsonWriter& Number(double value);
    JsonWriter& Int(long long value);
    JsonWriter& Bool(bool value);
    JsonWriter& Null();

    const std::string& Text() const { return out_; }

    // value as a JSON string literal, quotes included.
    static std::string Quote(std::string_view value);

private:
    void BeforeValue();
    void NewLine();

    std::string out_;
    struct Level {
        bool array;
        int count;
        bool inlined = false;
    };
    std::vector<Level> levels_;
    bool afterKey_ = false;
};
