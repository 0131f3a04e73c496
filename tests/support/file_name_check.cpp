#include "tests/support/file_name_check.h"

#include <algorithm>
#include <string>

namespace tilewright {

namespace {

// The stem, up to the first dot, without the spaces at its end and in capitals, is a device
// name: CON PRN AUX NUL, or COM/LPT with a digit or a superscript 1, 2 or 3.
bool isDeviceName(std::string_view name) {
    std::string stem(name.substr(0, name.find('.')));
    while (!stem.empty() && stem.back() == ' ') {
        stem.pop_back();
    }
    for (char& c : stem) {
        if (c >= 'a' && c <= 'z') {
            c = static_cast<char>(c - 32);
        }
    }
    for (const char* device : {"CON", "PRN", "AUX", "NUL"}) {
        if (stem == device) {
            return true;
        }
    }
    const std::string_view port = std::string_view(stem).substr(0, 3);
    const std::string_view number =
        std::string_view(stem).substr(std::min<std::size_t>(3, stem.size()));
    if (port != "COM" && port != "LPT") {
        return false;
    }
    for (const char* digit :
         {"0", "1", "2", "3", "4", "5", "6", "7", "8", "9", "\xC2\xB9", "\xC2\xB2", "\xC2\xB3"}) {
        if (number == digit) {
            return true;
        }
    }
    return false;
}

}  // namespace

bool forbiddenInFileName(unsigned char byte, FileNameRules rules) {
    if (byte < 0x20 || byte == 0x7F || byte == '/') {
        return true;
    }
    if (rules == FileNameRules::Posix) {
        return false;
    }
    switch (byte) {
        case '<':
        case '>':
        case ':':
        case '"':
        case '\\':
        case '|':
        case '?':
        case '*':
            return true;
        default:
            return false;
    }
}

std::optional<std::string> findFileNameFault(std::string_view input, FileNameRules rules,
                                             std::string_view output) {
    const std::string ruleName = rules == FileNameRules::Windows ? "Windows" : "POSIX";
    std::string expected;
    for (const char c : input) {
        expected += forbiddenInFileName(static_cast<unsigned char>(c), rules) ? '_' : c;
    }
    if (expected == "." || expected == "..") {
        expected.assign(expected.size(), '_');  // names of folders, never of a new file
    }
    if (rules == FileNameRules::Windows) {
        std::size_t end = expected.size();
        while (end > 0 && (expected[end - 1] == '.' || expected[end - 1] == ' ')) {
            expected[--end] = '_';
        }
        if (isDeviceName(expected)) {
            expected.insert(std::min(expected.find('.'), expected.size()), 1, '_');
        }
    }
    for (std::size_t i = 0; i < output.size(); ++i) {
        if (forbiddenInFileName(static_cast<unsigned char>(output[i]), rules)) {
            return ruleName + ": byte " + std::to_string(i) + " of the result is " +
                   std::to_string(static_cast<unsigned char>(output[i])) +
                   ", which file names cannot hold";
        }
    }
    if (output != expected) {
        std::size_t i = 0;
        while (i < output.size() && i < expected.size() && output[i] == expected[i]) {
            ++i;
        }
        return ruleName + ": " + std::to_string(input.size()) + " bytes in, " +
               std::to_string(output.size()) + " out, expected " + std::to_string(expected.size()) +
               "; first difference at byte " + std::to_string(i);
    }
    return std::nullopt;
}

}  // namespace tilewright
