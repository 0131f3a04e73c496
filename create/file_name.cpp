#include "create/file_name.h"

#include <algorithm>
#include <array>

namespace tilewright {
namespace {

bool isControl(unsigned char c) {
    return c < 0x20 || c == 0x7F;
}

bool forbiddenOnWindows(unsigned char c) {
    constexpr std::string_view kForbidden = "<>:\"/\\|?*";
    return isControl(c) || kForbidden.find(static_cast<char>(c)) != std::string_view::npos;
}

// "/" and NUL are all the system refuses; the other control characters would be kept, but a
// file name with a line break or an escape in it is one no user means to make.
bool forbiddenOnPosix(unsigned char c) {
    return c == '/' || isControl(c);
}

// Where a Windows name's stem ends: at its first dot, or its end.
std::size_t stemEnd(std::string_view name) {
    return std::min(name.find('.'), name.size());
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
    if (isDotName(safe)) {
        std::fill(safe.begin(), safe.end(), '_');
    }
    if (rules == FileNameRules::Windows) {
        for (auto c = safe.rbegin(); c != safe.rend() && (*c == '.' || *c == ' '); ++c) {
            *c = '_';
        }
        if (isReservedDeviceName(safe)) {
            safe.insert(stemEnd(safe), 1, '_');
        }
    }
    return safe;
}

bool isDotName(std::string_view name) {
    return name == "." || name == "..";
}

bool isReservedDeviceName(std::string_view path) {
    const std::string_view name = path.substr(path.find_last_of("\\/") + 1);
    // Windows ignores everything from the first dot or colon, and the spaces before it.
    std::string stem(name.substr(0, std::min(name.find_first_of(".:"), name.size())));
    stem.erase(stem.find_last_not_of(' ') + 1);
    std::transform(stem.begin(), stem.end(), stem.begin(), asciiUpper);

    constexpr std::array<std::string_view, 4> kDevices = {"CON", "PRN", "AUX", "NUL"};
    if (std::find(kDevices.begin(), kDevices.end(), stem) != kDevices.end()) {
        return true;
    }
    if (!stem.starts_with("COM") && !stem.starts_with("LPT")) {
        return false;
    }
    // A digit, or a superscript 1, 2 or 3 in UTF-8 (U+00B9, U+00B2, U+00B3).
    const std::string_view number = std::string_view(stem).substr(3);
    constexpr std::array<std::string_view, 3> kSuperscripts = {"\xC2\xB9", "\xC2\xB2", "\xC2\xB3"};
    return (number.size() == 1 && number[0] >= '0' && number[0] <= '9') ||
           std::find(kSuperscripts.begin(), kSuperscripts.end(), number) != kSuperscripts.end();
}

}  // namespace tilewright
