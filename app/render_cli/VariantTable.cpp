#include "VariantTable.h"

#include <charconv>
#include <cmath>
#include <filesystem>
#include <map>
#include <string_view>
#include <tuple>
#include <utility>

#include "model/CoverFaces.h"
#include "platform/CsvReader.h"
#include "platform/RegularFile.h"
#include "platform/TextUtil.h"

namespace fs = std::filesystem;

namespace {

// A table of a few hundred thousand rows fits easily; beyond this it is
// more likely a wrong file than a catalogue.
constexpr std::size_t kMaxTableBytes = std::size_t{64} << 20;
constexpr int kMaxObjectNumber = 1000;

enum class Column { Output, Face, Width, Height, Setting };

struct ColumnRole {
    Column kind = Column::Output;
    int object = 0;
    int face = 0;
    const boxora::SettingRow* setting = nullptr;  // of a Setting column
};

std::string Trimmed(std::string_view text) {
    const std::size_t start = text.find_first_not_of(" \t");
    if (start == std::string_view::npos) return {};
    const std::size_t end = text.find_last_not_of(" \t");
    return std::string(text.substr(start, end - start + 1));
}

bool ParseWhole(const std::string& text, int& value) {
    auto [p, ec] = std::from_chars(text.data(), text.data() + text.size(), value);
    return ec == std::errc() && p == text.data() + text.size();
}

std::optional<ColumnRole> RoleOf(const std::string& name) {
    static const std::map<std::string, Column> kNamed = {
        {"output", Column::Output},
        {"width", Column::Width},
        {"height", Column::Height},
    };
    for (const auto& [key, kind] : kNamed)
        if (boxora::EqualsIgnoreCase(name, key)) return ColumnRole{kind, 0, 0};
    if (const boxora::SettingRow* setting = boxora::FindSettingByVariantColumn(name))
        return ColumnRole{Column::Setting, 0, 0, setting};
    int object = 1;
    std::string face = name;
    if (const std::size_t colon = name.find(':'); colon != std::string::npos) {
        if (!ParseWhole(Trimmed(name.substr(0, colon)), object) || object < 1 || object > kMaxObjectNumber)
            return std::nullopt;
        face = Trimmed(name.substr(colon + 1));
    }
    for (int k = 0; k < kCoverFaceCount; ++k)
        if (boxora::EqualsIgnoreCase(face, kCoverFaceNames[k])) return ColumnRole{Column::Face, object - 1, k};
    return std::nullopt;
}

bool HasControlCharacter(const std::string& text) {
    for (const char c : text)
        if (static_cast<unsigned char>(c) < 0x20 || c == 0x7F) return true;
    return false;
}

// Output names come from a table that may have been written by anyone: a
// name that leaves the output folder (absolute, or through "..") is
// refused rather than cleaned up, so that no row writes where it was not
// meant to.
std::string CheckOutputName(const std::string& name) {
    if (name.empty()) return "no output name";
    if (HasControlCharacter(name)) return "the output name holds a control character";
    const fs::path path(name);
    if (path.has_root_path()) return "the output name " + name + " is not inside the output folder";
    for (const fs::path& part : path)
        if (part == "..") return "the output name " + name + " leads out of the output folder";
    const fs::path file = path.filename();
    if (file.empty() || file == "." || file == "..") return "the output name " + name + " names no file";
    return {};
}

// "RRGGBB" or "#RRGGBB" as a COLORREF.
bool ParseBackground(std::string text, uint32_t& colorref) {
    if (!text.empty() && text[0] == '#') text.erase(0, 1);
    if (text.size() != 6) return false;
    uint32_t rgb = 0;
    auto [p, ec] = std::from_chars(text.data(), text.data() + text.size(), rgb, 16);
    if (ec != std::errc() || p != text.data() + text.size()) return false;
    colorref = ((rgb >> 16) & 0xFF) | (rgb & 0xFF00) | ((rgb & 0xFF) << 16);
    return true;
}

// A number for a scene setting: a colour RRGGBB for colours, otherwise a
// finite number such as an angle in degrees.
bool ParseSettingCell(const boxora::SettingRow& setting, const std::string& text, double& value) {
    if (setting.form == boxora::FileForm::ColourRef) {
        uint32_t colour = 0;
        if (!ParseBackground(text, colour)) return false;
        value = colour;
        return true;
    }
    float number = 0;
    auto [p, ec] = std::from_chars(text.data(), text.data() + text.size(), number);
    if (ec != std::errc() || p != text.data() + text.size() || !std::isfinite(number) || std::fabs(number) > 36000.0f)
        return false;
    value = number;
    return true;
}

// Fills row from its cells; false with row.error set on the first bad one.
bool ReadCells(const std::vector<ColumnRole>& roles, const std::vector<std::string>& header,
               const boxora::CsvRecord& record, const fs::path& folder, VariantRow& row) {
    auto fail = [&row](const std::string& why) {
        row.error = why;
        return false;
    };
    if (record.fields.size() != roles.size())
        return fail(std::to_string(record.fields.size()) + " fields where the header has " +
                    std::to_string(roles.size()));
    for (std::size_t c = 0; c < roles.size(); ++c) {
        const std::string cell = roles[c].kind == Column::Face || roles[c].kind == Column::Output
                                     ? record.fields[c]
                                     : Trimmed(record.fields[c]);
        const ColumnRole& role = roles[c];
        if (role.kind == Column::Output) {
            row.output = cell;
            if (std::string why = CheckOutputName(cell); !why.empty()) return fail(why);
            continue;
        }
        if (cell.empty()) continue;  // the scene's value
        switch (role.kind) {
            case Column::Face: {
                if (HasControlCharacter(cell)) return fail("column " + header[c] + ": a control character in the path");
                const fs::path image(cell);
                row.images.push_back({role.object, role.face, (image.is_absolute() ? image : folder / image).string()});
                break;
            }
            case Column::Width:
            case Column::Height: {
                int n = 0;
                if (!ParseWhole(cell, n) || n < 1 || n > 3000)
                    return fail("column " + header[c] + ": " + cell + " is no size from 1 to 3000");
                (role.kind == Column::Width ? row.width : row.height) = n;
                break;
            }
            case Column::Setting: {
                double value = 0;
                if (!ParseSettingCell(*role.setting, cell, value))
                    return fail(
                        "column " + header[c] + ": " + cell +
                        (role.setting->form == boxora::FileForm::ColourRef ? " is no colour RRGGBB" : " is no angle"));
                row.settings.emplace_back(role.setting->id, value);
                break;
            }
            case Column::Output: break;
        }
    }
    return true;
}

}  // namespace

VariantTable ParseVariantTable(std::string_view text, const std::string& folder) {
    VariantTable table;
    const boxora::CsvTable csv = boxora::ParseCsv(text);
    if (!csv.error.empty()) {
        table.error = "line " + std::to_string(csv.errorLine) + ": " + csv.error;
        return table;
    }
    if (csv.records.empty()) {
        table.error = "the table is empty (it needs a header row naming its columns)";
        return table;
    }
    const std::vector<std::string>& header = csv.records.front().fields;
    std::vector<ColumnRole> roles;
    std::map<std::tuple<int, int, int>, std::string> seen;
    bool hasOutput = false;
    for (const std::string& raw : header) {
        const std::string name = Trimmed(raw);
        const std::optional<ColumnRole> role = RoleOf(name);
        if (!role) {
            table.error = "unknown column \"" + name + "\" in the header";
            // A header whose names hold another separator was most likely
            // written with that one: name it rather than leave a puzzle.
            for (const auto& [mark, word] :
                 {std::pair{',', "commas"}, std::pair{';', "semicolons"}, std::pair{'\t', "tabs"}}) {
                if (mark != csv.delimiter && name.find(mark) != std::string::npos) {
                    table.error += std::string(" (the header looks separated by ") + word +
                                   "; put one separator between all columns)";
                    break;
                }
            }
            return table;
        }
        const auto key = std::make_tuple(static_cast<int>(role->kind), role->object,
                                         role->setting ? static_cast<int>(role->setting->id) : role->face);
        if (const auto [it, added] = seen.emplace(key, name); !added) {
            table.error = "the columns \"" + it->second + "\" and \"" + name + "\" say the same";
            return table;
        }
        if (role->kind == Column::Output) hasOutput = true;
        if (role->kind == Column::Face) table.faceColumns.emplace_back(role->object, role->face);
        roles.push_back(*role);
    }
    if (!hasOutput) {
        table.error = "the header has no \"output\" column";
        return table;
    }

    // Two rows writing one picture would make a batch's result depend on
    // their order (and on how it is split over machines): the later is
    // refused.
    std::map<std::string, std::size_t> outputs;
    for (std::size_t i = 1; i < csv.records.size(); ++i) {
        VariantRow& row = table.rows.emplace_back();
        row.number = i;
        row.line = csv.records[i].line;
        if (!ReadCells(roles, header, csv.records[i], fs::path(folder), row)) continue;
        const std::string key = fs::path(row.output).lexically_normal().string();
        if (const auto [it, added] = outputs.emplace(key, row.number); !added)
            row.error = "the output " + row.output + " is already row " + std::to_string(it->second) + "'s";
    }
    return table;
}

VariantTable ReadVariantTable(const std::string& path) {
    std::string text;
    switch (boxora::ReadRegularFile(path, text, kMaxTableBytes)) {
        case boxora::ReadResult::Ok: break;
        case boxora::ReadResult::TooLarge: return VariantTable{{}, {}, "the table is larger than 64 MiB"};
        default: return VariantTable{{}, {}, "the table cannot be read"};
    }
    std::error_code ec;
    fs::path folder = fs::absolute(path, ec).parent_path();
    return ParseVariantTable(text, folder.string());
}
