#include "fuzz/file_name_check.h"

namespace tilewright {

bool forbiddenInFileName(unsigned char byte, FileNameRules rules) {
    if (rules == FileNameRules::Posix) {
        return byte == '/' || byte == '\0';
    }
    if (byte < 0x20 || byte == 0x7F) {
        return true;
    }
    switch (byte) {
        case '<':
        case '>':
        case ':':
        case '"':
        case '/':
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
    if (output.size() != input.size()) {
        return ruleName + ": " + std::to_string(input.size()) + " bytes in, " +
               std::to_string(output.size()) + " out";
    }
    for (std::size_t i = 0; i < input.size(); ++i) {
        const auto in = static_cast<unsigned char>(input[i]);
        const auto out = static_cast<unsigned char>(output[i]);
        if (forbiddenInFileName(out, rules)) {
            return ruleName + ": byte " + std::to_string(i) + " of the result is " +
                   std::to_string(out) + ", which file names cannot hold";
        }
        const unsigned char expected = forbiddenInFileName(in, rules) ? '_' : in;
        if (out != expected) {
            return ruleName + ": byte " + std::to_string(i) + " was " + std::to_string(in) +
                   " and became " + std::to_string(out) + ", should be " + std::to_string(expected);
        }
    }
    return std::nullopt;
}

}  // namespace tilewright
