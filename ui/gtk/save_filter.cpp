#include "ui/gtk/save_filter.h"

namespace tilewright {
namespace {

std::vector<std::string_view> split(std::string_view text, char separator) {
    std::vector<std::string_view> parts;
    for (;;) {
        const std::size_t end = text.find(separator);
        parts.push_back(text.substr(0, end));
        if (end == std::string_view::npos) {
            return parts;
        }
        text.remove_prefix(end + 1);
    }
}

bool isAsciiLetter(char c) {
    return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z');
}

}  // namespace

std::vector<SaveFilter> parseSaveFilters(std::string_view filter) {
    std::vector<SaveFilter> filters;
    const std::vector<std::string_view> parts = split(filter, '|');
    for (std::size_t i = 0; i + 1 < parts.size(); i += 2) {
        SaveFilter entry{std::string(parts[i]), {}};
        for (const std::string_view pattern : split(parts[i + 1], ';')) {
            if (!pattern.empty()) {
                entry.patterns.emplace_back(pattern);
            }
        }
        if (!entry.patterns.empty()) {
            filters.push_back(std::move(entry));
        }
    }
    return filters;
}

std::string caseInsensitivePattern(std::string_view pattern) {
    std::string result;
    bool inBrackets = false;
    for (const char c : pattern) {
        // Letters inside a bracket expression already name a set; leave them alone.
        if (c == '[') {
            inBrackets = true;
        } else if (c == ']') {
            inBrackets = false;
        }
        if (!inBrackets && isAsciiLetter(c)) {
            const char lower = static_cast<char>(c | 0x20);
            const char upper = static_cast<char>(c & ~0x20);
            result += {'[', lower, upper, ']'};
        } else {
            result += c;
        }
    }
    return result;
}

}  // namespace tilewright
