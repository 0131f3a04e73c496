#include "cli/name_list.h"

#include <algorithm>
#include <map>

#include "cli/options.h"
#include "create/file_name.h"
#include "rom/name_check.h"

namespace tilewright {
namespace {

// The list's next line without its line end; text keeps what follows.
std::string_view takeLine(std::string_view& text) {
    const std::size_t end = std::min(text.find('\n'), text.size());
    std::string_view line = text.substr(0, end);
    text.remove_prefix(std::min(end + 1, text.size()));
    if (line.ends_with('\r')) {
        line.remove_suffix(1);
    }
    return line;
}

bool skipped(std::string_view line) {
    return line.find_first_not_of(" \t") == std::string_view::npos || line.starts_with('#');
}

}  // namespace

NameList parseNameList(std::string_view text) {
    NameList list;
    std::map<std::string, std::size_t> lineForFile;
    if (text.starts_with("\xEF\xBB\xBF")) {
        text.remove_prefix(3);  // the byte order mark some editors put first
    }
    for (std::size_t number = 1; !text.empty(); ++number) {
        const std::string_view line = takeLine(text);
        if (skipped(line)) {
            continue;
        }
        const auto icon =
            line.size() >= 2 && line[1] == ' ' ? iconFromDigit(line.substr(0, 1)) : std::nullopt;
        if (!icon) {
            list.problems.push_back({number, "expected the icon (0-5), one space and the name"});
            continue;
        }
        const NameCheck check = checkName(line.substr(2));
        if (!check.ok()) {
            list.problems.push_back({number, nameProblemText(check)});
            continue;
        }
        std::string fileName = sanitizeFileName(check.name);
        const auto [first, added] = lineForFile.emplace(fileName, number);
        if (!added) {
            list.problems.push_back({number, "writes the same file as line " +
                                                 std::to_string(first->second) + ", " +
                                                 inQuotes(fileName)});
            continue;
        }
        list.entries.push_back({number, check.name, *icon, std::move(fileName)});
    }
    return list;
}

}  // namespace tilewright
