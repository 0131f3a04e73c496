#include "create/file_name.h"

#include <algorithm>
#include <array>

namespace tilewright {
namespace {

bool forbiddenOnWindows(unsigned char c) {
    constexpr std::string_view kForbidden = "<>:\"/\\|?*";
    return c < 0x20 || c == 0x7F || kForbidden.find(static_cast<char>(c)) != std::string_view::npos;
}

bool forbiddenOnPosix(unsigned char c) {
    return c == '/' || c == '\0';
}

char asciiUpper(char c) {
    return (c >= 'a' && c <= 'z') ? static_cast<char>(c - 'a' + 'A') : c;
}

}  // namespace

std::string sanitizeFileName(std::string_view name, FileNameRules rules) {
    // Every forbidden character is ASCII, and no byte of a multi-byte UTF-8 sequence is, so
    // replacing bytes never splits a character.
    const auto forbidden = rules == FileNameRules::Windows ? forbiddenOnWindows : forbiddenOnPosix;
    std::string safe(name);
    std::replace_if(
        safe.begin(), safe.end(), [&](char c) { return forbidden(static_cast<unsigned char>(c)); },
        '_');
    return safe;
}

bool isReservedDeviceName(std::string_view path) {
    const std::string_view name = path.substr(path.find_last_of("\\/") + 1);
    // Windows ignores everything from the first dot, and trailing spaces before it.
    std::string stem(name.substr(0, name.find('.')));
    stem.erase(stem.find_last_not_of(' ') + 1);
    std::transform(stem.begin(), stem.end(), stem.begin(), asciiUpper);

    constexpr std::array<std::string_view, 4> kDevices = {"CON", "PRN", "AUX", "NUL"};
    if (std::find(kDevices.begin(), kDevices.end(), stem) != kDevices.end()) {
        return true;
    }
    const bool isPort = stem.size() == 4 && (stem.starts_with("COM") || stem.starts_with("LPT"));
    return isPort && stem[3] >= '1' && stem[3] <= '9';
}

}  // namespace tilewright
