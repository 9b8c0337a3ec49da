#include "platform/ProfileFile.h"

#include <algorithm>

#include "platform/AtomicFile.h"
#include "platform/RegularFile.h"
#include "platform/TextUtil.h"

namespace boxora {
namespace {

bool IsBlank(char c) { return c == ' ' || c == '\t'; }

std::string_view Trim(std::string_view s) {
    while (!s.empty() && IsBlank(s.front())) s.remove_prefix(1);
    while (!s.empty() && IsBlank(s.back())) s.remove_suffix(1);
    return s;
}

std::string DecodeText(std::string_view bytes, ProfileEncoding& encoding) {
    if (bytes.size() >= 2 && static_cast<unsigned char>(bytes[0]) == 0xFF &&
        static_cast<unsigned char>(bytes[1]) == 0xFE) {
        encoding = ProfileEncoding::Utf16LeBom;
        std::u16string wide;
        const std::size_t units = (bytes.size() - 2) / 2;  // an odd last byte is ignored
        wide.reserve(units);
        for (std::size_t i = 0; i < units; ++i) {
            const auto lo = static_cast<unsigned char>(bytes[2 + 2 * i]);
            const auto hi = static_cast<unsigned char>(bytes[3 + 2 * i]);
            wide.push_back(static_cast<char16_t>(lo | (hi << 8)));
        }
        return Utf16ToUtf8(wide);
    }
    if (bytes.size() >= 3 && static_cast<unsigned char>(bytes[0]) == 0xEF &&
        static_cast<unsigned char>(bytes[1]) == 0xBB && static_cast<unsigned char>(bytes[2]) == 0xBF) {
        encoding = ProfileEncoding::Utf8Bom;
        bytes.remove_prefix(3);
    } else {
        encoding = ProfileEncoding::Utf8;
    }
    // Round trip through UTF-16 to replace invalid sequences.
    return Utf16ToUtf8(Utf8ToUtf16(bytes));
}

std::string SanitizeValue(std::string_view value) {
    std::string out(value);
    for (char& c : out)
        if (c == '\r' || c == '\n' || c == '\0') c = ' ';
    return out;
}

}  // namespace

ProfileDocument::Line ProfileDocument::ParseLine(std::string text) {
    Line line;
    line.text = std::move(text);
    const std::string_view t = Trim(line.text);
    if (t.empty() || t.front() == ';' || t.front() == '#') return line;
    if (t.front() == '[') {
        std::string_view name = t.substr(1);
        const auto close = name.find(']');
        if (close != std::string_view::npos) name = name.substr(0, close);
        line.kind = LineKind::Section;
        line.name = std::string(Trim(name));
        return line;
    }
    const auto eq = t.find('=');
    if (eq == std::string_view::npos) return line;
    line.kind = LineKind::Key;
    line.name = std::string(Trim(t.substr(0, eq)));
    std::string_view value = Trim(t.substr(eq + 1));
    if (value.size() >= 2 && (value.front() == '"' || value.front() == '\'') && value.back() == value.front())
        value = value.substr(1, value.size() - 2);
    line.value = std::string(value);
    return line;
}

ProfileDocument ProfileDocument::Parse(std::string_view bytes, const SectionFilter& keep) {
    ProfileDocument doc;
    const std::string text = DecodeText(bytes, doc.encoding_);
    std::size_t start = 0, lineCount = 0;
    bool skipping = false;
    while (start < text.size() && lineCount < kMaxLines) {
        std::size_t end = start;
        while (end < text.size() && text[end] != '\r' && text[end] != '\n') ++end;
        ++lineCount;
        const std::string_view raw(text.data() + start, end - start);
        if (keep) {
            const std::string_view t = Trim(raw);
            if (!t.empty() && t.front() == '[') {
                std::string name(raw);
                for (char& c : name)
                    if (c == '\0') c = ' ';
                Line header = ParseLine(std::move(name));
                skipping = !keep(header.name);
                if (skipping) ++doc.sectionsSkipped_;
            }
        }
        if (!skipping) {
            std::string lineText(raw);
            for (char& c : lineText)
                if (c == '\0') c = ' ';
            doc.lines_.push_back(ParseLine(std::move(lineText)));
            if (doc.lines_.back().kind == LineKind::Section) doc.IndexSection(doc.lines_.size() - 1);
        }
        if (end < text.size() && text[end] == '\r' && end + 1 < text.size() && text[end + 1] == '\n') ++end;
        start = end + 1;
    }
    if (start < text.size()) doc.cutAfterLine_ = lineCount;
    doc.linesRead_ = lineCount;
    doc.IndexKeys();
    return doc;
}

ProfileDocument ProfileDocument::Load(const std::string& path, const SectionFilter& keep) {
    std::string bytes;
    // A longer file is read up to the limit; the document says where it stopped.
    const ReadResult read = ReadRegularFile(path, bytes, kMaxFileBytes);
    if (read == ReadResult::NotOpened) return {};
    ProfileDocument doc = Parse(bytes, keep);
    if (read == ReadResult::TooLarge && doc.cutAfterLine_ == 0)
        doc.cutAfterLine_ = std::max<std::size_t>(1, doc.linesRead_);
    return doc;
}

void ProfileDocument::IndexSection(std::size_t line) {
    sections_.emplace(ToUpperText(lines_[line].name), static_cast<int>(line));
}

int ProfileDocument::FindSection(std::string_view section) const {
    const auto it = sections_.find(ToUpperText(section));
    return it == sections_.end() ? -1 : it->second;
}

void ProfileDocument::IndexKeys() {
    keys_.clear();
    std::unordered_map<std::string, int>* section = nullptr;  // of the first header of its name only
    for (std::size_t i = 0; i < lines_.size(); ++i) {
        const Line& line = lines_[i];
        if (line.kind == LineKind::Section) {
            const bool first = FindSection(line.name) == static_cast<int>(i);
            section = first ? &keys_[static_cast<int>(i)] : nullptr;
        } else if (line.kind == LineKind::Key && section != nullptr) {
            section->emplace(ToUpperText(line.name), static_cast<int>(i));
        }
    }
    keysIndexed_ = true;
}

int ProfileDocument::FindKey(int sectionLine, std::string_view key) const {
    if (keysIndexed_) {
        const auto section = keys_.find(sectionLine);
        if (section == keys_.end()) return -1;
        const auto it = section->second.find(ToUpperText(key));
        return it == section->second.end() ? -1 : it->second;
    }
    for (std::size_t i = static_cast<std::size_t>(sectionLine) + 1; i < lines_.size(); ++i) {
        if (lines_[i].kind == LineKind::Section) break;
        if (lines_[i].kind == LineKind::Key && EqualsIgnoreCase(lines_[i].name, key)) return static_cast<int>(i);
    }
    return -1;
}

std::string ProfileDocument::GetString(std::string_view section, std::string_view key, std::string_view def,
                                       std::size_t bufferUnits) const {
    if (bufferUnits == 0) return {};
    const int s = FindSection(section);
    const int k = s < 0 ? -1 : FindKey(s, key);
    const std::string_view value = k < 0 ? def : std::string_view(lines_[static_cast<std::size_t>(k)].value);
    return CutToUtf16Units(value, bufferUnits - 1);
}

int ProfileDocument::KeyLine(std::string_view section, std::string_view key) const {
    const int s = FindSection(section);
    const int k = s < 0 ? -1 : FindKey(s, key);
    return k + 1;
}

bool ProfileDocument::HasKey(std::string_view section, std::string_view key) const {
    const int s = FindSection(section);
    return s >= 0 && FindKey(s, key) >= 0;
}

bool ProfileDocument::HasSection(std::string_view section) const { return FindSection(section) >= 0; }

void ProfileDocument::SetString(std::string_view section, std::string_view key, std::string_view value) {
    // The key index is not kept up to date through changes: writers set keys
    // one by one into small sections, where the walk costs little.
    keys_.clear();
    keysIndexed_ = false;
    const std::string clean = SanitizeValue(value);
    const std::string cleanKey = SanitizeValue(key);
    const int s = FindSection(section);
    if (s < 0) {
        lines_.push_back(ParseLine("[" + SanitizeValue(section) + "]"));
        IndexSection(lines_.size() - 1);
        lines_.push_back(ParseLine(cleanKey + "=" + clean));
        return;
    }
    const int k = FindKey(s, key);
    if (k >= 0) {
        Line& line = lines_[static_cast<std::size_t>(k)];
        line.text = line.name + "=" + clean;
        line.value = clean;
        return;
    }
    // After the last key of the section (or right after its header).
    std::size_t insertAt = static_cast<std::size_t>(s) + 1;
    for (std::size_t i = insertAt; i < lines_.size() && lines_[i].kind != LineKind::Section; ++i)
        if (lines_[i].kind == LineKind::Key) insertAt = i + 1;
    Line line = ParseLine(cleanKey + "=" + clean);
    lines_.insert(lines_.begin() + static_cast<std::ptrdiff_t>(insertAt), std::move(line));
    for (auto& entry : sections_)
        if (entry.second >= static_cast<int>(insertAt)) ++entry.second;
}

std::vector<std::string> ProfileDocument::SectionNames(std::size_t bufferUnits) const {
    std::vector<std::string> names;
    if (bufferUnits < 2) return names;
    std::size_t used = 0;
    const std::size_t capacity = bufferUnits - 1;  // room for the final terminator
    for (const Line& line : lines_) {
        if (line.kind != LineKind::Section) continue;
        const std::size_t need = Utf16Length(line.name) + 1;
        if (used + need > capacity) break;
        used += need;
        names.push_back(line.name);
    }
    return names;
}

std::vector<std::string> ProfileDocument::AllSectionNames() const {
    std::vector<std::string> names;
    for (const Line& line : lines_)
        if (line.kind == LineKind::Section) names.push_back(line.name);
    return names;
}

std::string ProfileDocument::Serialize() const {
    std::string text;
    for (const Line& line : lines_) {
        text += line.text;
        text += "\r\n";
    }
    switch (encoding_) {
        case ProfileEncoding::Utf8: return text;
        case ProfileEncoding::Utf8Bom: return "\xEF\xBB\xBF" + text;
        case ProfileEncoding::Utf16LeBom: {
            const std::u16string wide = Utf8ToUtf16(text);
            std::string bytes = "\xFF\xFE";
            bytes.reserve(2 + wide.size() * 2);
            for (char16_t c : wide) {
                bytes.push_back(static_cast<char>(c & 0xFF));
                bytes.push_back(static_cast<char>(c >> 8));
            }
            return bytes;
        }
    }
    return text;
}

bool ProfileDocument::Save(const std::string& path, std::string* error) const {
    return WriteFileAtomically(path, Serialize(), error);
}

std::string GetProfileString(const std::string& path, std::string_view section, std::string_view key,
                             std::string_view def, std::size_t bufferUnits) {
    return ProfileDocument::Load(path).GetString(section, key, def, bufferUnits);
}

bool WriteProfileString(const std::string& path, std::string_view section, std::string_view key,
                        std::string_view value) {
    ProfileDocument doc = ProfileDocument::Load(path);
    doc.SetString(section, key, value);
    return doc.Save(path);
}

std::vector<std::string> GetProfileSectionNames(const std::string& path, std::size_t bufferUnits) {
    return ProfileDocument::Load(path).SectionNames(bufferUnits);
}

}  // namespace boxora
