#include "create/file_name.h"

#include <algorithm>
#include <array>

#ifdef _WIN32
#ifndef NOMINMAX
#define NOMINMAX
#endif
#include <windows.h>
#endif

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

bool isReservedDeviceName(const std::filesystem::path& fileName) {
    const std::string name = pathToUtf8(fileName.filename());
    // Windows ignores everything from the first dot, and trailing spaces before it.
    std::string stem = name.substr(0, name.find('.'));
    stem.erase(stem.find_last_not_of(' ') + 1);
    std::transform(stem.begin(), stem.end(), stem.begin(), asciiUpper);

    constexpr std::array<std::string_view, 4> kDevices = {"CON", "PRN", "AUX", "NUL"};
    if (std::find(kDevices.begin(), kDevices.end(), stem) != kDevices.end()) {
        return true;
    }
    const bool isPort = stem.size() == 4 && (stem.starts_with("COM") || stem.starts_with("LPT"));
    return isPort && stem[3] >= '1' && stem[3] <= '9';
}

std::string pathToUtf8(const std::filesystem::path& path) {
#ifdef _WIN32
    // path::u8string() would do, but in a static Windows build its conversion brings in the
    // whole of the C++ locale library; the system's own conversion costs nothing.
    const std::wstring& wide = path.native();
    const int wideLength = static_cast<int>(wide.size());
    const int size =
        WideCharToMultiByte(CP_UTF8, 0, wide.data(), wideLength, nullptr, 0, nullptr, nullptr);
    std::string utf8(static_cast<std::size_t>(size), '\0');
    WideCharToMultiByte(CP_UTF8, 0, wide.data(), wideLength, utf8.data(), size, nullptr, nullptr);
    return utf8;
#else
    return path.native();
#endif
}

}  // namespace tilewright
