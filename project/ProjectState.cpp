#include "project/ProjectState.h"

#include <vector>

namespace boxora {

void ProjectState::Set(std::string path, std::string name) {
    path_ = std::move(path);
    name_ = std::move(name);
}

void ProjectState::Reset() {
    path_.clear();
    name_ = kNewProjectName;
}

std::string ProjectTitle(std::string_view projectName) {
    std::string title(projectName);
    title += " - Boxora";
    return title;
}

std::string QtFileFilter(std::string_view classicFilter) {
    std::vector<std::string_view> parts;
    std::size_t start = 0;
    while (start <= classicFilter.size()) {
        const std::size_t bar = classicFilter.find('|', start);
        const std::size_t end = bar == std::string_view::npos ? classicFilter.size() : bar;
        parts.push_back(classicFilter.substr(start, end - start));
        if (bar == std::string_view::npos) break;
        start = bar + 1;
    }
    std::string result;
    for (std::size_t i = 0; i + 1 < parts.size(); i += 2) {
        const std::string_view text = parts[i];
        const std::string_view patterns = parts[i + 1];
        if (text.empty() && patterns.empty()) break;  // the "||" terminator
        if (patterns.empty()) continue;
        std::string qtPatterns;
        std::size_t p = 0;
        while (p <= patterns.size()) {
            const std::size_t semicolon = patterns.find(';', p);
            const std::size_t e = semicolon == std::string_view::npos ? patterns.size() : semicolon;
            const std::string_view one = patterns.substr(p, e - p);
            if (!one.empty()) {
                if (!qtPatterns.empty()) qtPatterns += ' ';
                qtPatterns += one;
            }
            if (semicolon == std::string_view::npos) break;
            p = semicolon + 1;
        }
        if (qtPatterns.empty()) continue;
        if (!result.empty()) result += ";;";
        result += text;
        result += " (";
        result += qtPatterns;
        result += ')';
    }
    return result;
}

}  // namespace boxora
