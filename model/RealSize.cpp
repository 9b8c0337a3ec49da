#include "model/RealSize.h"

#include <charconv>
#include <cmath>

#include "platform/RegularFile.h"
#include "platform/TextUtil.h"

namespace boxora {
namespace {

// A declaration is one short line; anything longer is not one.
constexpr std::size_t kMaxFileBytes = 4096;

void SkipSpaces(std::string_view& s) {
    while (!s.empty() && (s.front() == ' ' || s.front() == '\t')) s.remove_prefix(1);
}

bool TakeNumber(std::string_view& s, float& value) {
    SkipSpaces(s);
    const auto [end, ec] = std::from_chars(s.data(), s.data() + s.size(), value, std::chars_format::fixed);
    if (ec != std::errc() || !std::isfinite(value)) return false;
    s.remove_prefix(static_cast<std::size_t>(end - s.data()));
    return true;
}

bool TakeTimes(std::string_view& s) {
    SkipSpaces(s);
    if (!s.empty() && (s.front() == 'x' || s.front() == 'X' || s.front() == '*')) {
        s.remove_prefix(1);
        return true;
    }
    if (s.substr(0, 2) == "\xC3\x97") {  // ×
        s.remove_prefix(2);
        return true;
    }
    return false;
}

std::optional<RealSizeMm> ParseLine(std::string_view line) {
    RealSizeMm size{};
    for (int axis = 0; axis < 3; ++axis) {
        if (axis > 0 && !TakeTimes(line)) return std::nullopt;
        if (!TakeNumber(line, size[static_cast<std::size_t>(axis)])) return std::nullopt;
    }
    SkipSpaces(line);
    while (!line.empty() && (line.back() == ' ' || line.back() == '\t' || line.back() == '\r')) line.remove_suffix(1);
    float toMm = 0;
    if (EqualsIgnoreCase(line, "mm"))
        toMm = 1;
    else if (EqualsIgnoreCase(line, "cm"))
        toMm = 10;
    else if (EqualsIgnoreCase(line, "in"))
        toMm = 25.4f;
    else
        return std::nullopt;
    for (float& side : size) {
        side *= toMm;
        if (!(side >= kMinRealSideMm && side <= kMaxRealSideMm)) return std::nullopt;
    }
    return size;
}

}  // namespace

std::optional<RealSizeMm> ParseRealSize(std::string_view text) {
    if (text.substr(0, 3) == "\xEF\xBB\xBF") text.remove_prefix(3);
    while (!text.empty()) {
        const std::size_t end = text.find('\n');
        std::string_view line = text.substr(0, end);
        text = end == std::string_view::npos ? std::string_view() : text.substr(end + 1);
        SkipSpaces(line);
        if (line.empty() || line == "\r" || line.front() == '#') continue;
        return ParseLine(line);  // the first line that is not a comment is the declaration
    }
    return std::nullopt;
}

std::optional<RealSizeMm> ReadRealSizeBeside(const std::string& modelPath) {
    const std::size_t dot = modelPath.find_last_of('.');
    const std::size_t slash = modelPath.find_last_of('/');
    if (dot == std::string::npos || (slash != std::string::npos && dot < slash)) return std::nullopt;
    std::string bytes;
    if (ReadRegularFile(modelPath.substr(0, dot) + ".size", bytes, kMaxFileBytes) != ReadResult::Ok)
        return std::nullopt;
    return ParseRealSize(bytes);
}

}  // namespace boxora
