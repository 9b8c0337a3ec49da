#pragma once
// Profile (INI) files with the rules of the classic private-profile
// functions: "[section]" headers, "key=value" lines, section and key names
// compared without regard to letter case, the first occurrence of a section
// or key wins, values trimmed of surrounding blanks and of one pair of
// enclosing quotes. Files are UTF-16LE with byte-order mark (scene files) or
// UTF-8 with or without mark (language and settings files); a file keeps its
// encoding when it is written back.
#include <cstddef>
#include <functional>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

namespace boxora {

enum class ProfileEncoding { Utf8, Utf8Bom, Utf16LeBom };

class ProfileDocument {
public:
    // Files larger than this are read only up to this size.
    static constexpr std::size_t kMaxFileBytes = 64u << 20;
    // Lines after this many are ignored, which bounds the memory a hostile
    // file of empty lines can claim.
    static constexpr std::size_t kMaxLines = 1u << 20;

    ProfileDocument() = default;

    // Asked for each section header in file order whether its section is
    // kept; a section not kept costs no memory (its lines are not stored).
    using SectionFilter = std::function<bool(std::string_view name)>;

    // A missing or unreadable file gives an empty document (UTF-8).
    static ProfileDocument Load(const std::string& path, const SectionFilter& keep = {});
    static ProfileDocument Parse(std::string_view bytes, const SectionFilter& keep = {});

    // Section headers the filter turned away.
    std::size_t SectionsSkipped() const { return sectionsSkipped_; }
    // Lines read when the file went on beyond kMaxLines or kMaxFileBytes
    // (the rest was not read); 0 when the whole file was read.
    std::size_t CutAfterLine() const { return cutAfterLine_; }

    // The value of key in section, or def when either is missing; cut to
    // bufferUnits - 1 UTF-16 units like a bounded buffer of bufferUnits.
    std::string GetString(std::string_view section, std::string_view key, std::string_view def,
                          std::size_t bufferUnits = 260) const;
    bool HasKey(std::string_view section, std::string_view key) const;
    // The line (from 1) that gives the key's value, or 0 when there is none.
    int KeyLine(std::string_view section, std::string_view key) const;
    bool HasSection(std::string_view section) const;

    // Replaces the key's value, or adds the key at the end of its section, or
    // appends the section. Line breaks inside the value become blanks.
    void SetString(std::string_view section, std::string_view key, std::string_view value);

    // Section names in file order, as many whole names as fit a buffer of
    // bufferUnits UTF-16 units (each name followed by a terminator, plus a
    // final one).
    std::vector<std::string> SectionNames(std::size_t bufferUnits = 32767) const;
    // Every section name in file order, however many.
    std::vector<std::string> AllSectionNames() const;

    ProfileEncoding Encoding() const { return encoding_; }
    void SetEncoding(ProfileEncoding e) { encoding_ = e; }

    std::string Serialize() const;
    // Writes atomically (temporary file, then rename).
    bool Save(const std::string& path, std::string* error = nullptr) const;

private:
    enum class LineKind { Other, Section, Key };
    struct Line {
        LineKind kind = LineKind::Other;
        std::string text;   // whole line as read or written
        std::string name;   // section name or key name
        std::string value;  // key value (trimmed, quotes removed)
    };

    int FindSection(std::string_view section) const;           // index of header line or -1
    int FindKey(int sectionLine, std::string_view key) const;  // index of key line or -1
    static Line ParseLine(std::string text);
    void IndexSection(std::size_t line);  // records a header line unless its name is known
    void IndexKeys();

    std::vector<Line> lines_;
    // Upper-cased section name -> its first header line, so that lookups in
    // files with many sections stay cheap.
    std::unordered_map<std::string, int> sections_;
    // Upper-cased key name -> its first line, per section header line, made
    // when a file is parsed, so that reading a file costs one pass over it
    // however many keys its sections hold. Changes drop it (lookups then
    // walk the section); reading never changes it, so a parsed document can
    // be read from several threads.
    std::unordered_map<int, std::unordered_map<std::string, int>> keys_;
    bool keysIndexed_ = false;
    std::size_t sectionsSkipped_ = 0;
    std::size_t cutAfterLine_ = 0;
    std::size_t linesRead_ = 0;
    ProfileEncoding encoding_ = ProfileEncoding::Utf8;
};

// One-call forms, in the manner of the platform's profile functions.
std::string GetProfileString(const std::string& path, std::string_view section, std::string_view key,
                             std::string_view def, std::size_t bufferUnits = 260);
bool WriteProfileString(const std::string& path, std::string_view section, std::string_view key,
                        std::string_view value);
std::vector<std::string> GetProfileSectionNames(const std::string& path, std::size_t bufferUnits = 32767);

}  // namespace boxora
