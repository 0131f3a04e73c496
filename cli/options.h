#pragma once

#include <initializer_list>
#include <map>
#include <optional>
#include <span>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

#include "rom/rom_file_format.h"

namespace tilewright {

// A mistake in the command line itself: reported with a pointer to --help, exit status 2.
class UsageError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// The command line, parsed: the command, its operands and the options given.
struct Options {
    std::string command;
    std::vector<std::string> operands;
    std::map<std::string, std::string> values;  // by long name, for options taking a value
    bool force = false;
    bool json = false;
    bool help = false;
    bool version = false;

    [[nodiscard]] const std::string* value(const std::string& name) const {
        const auto found = values.find(name);
        return found == values.end() ? nullptr : &found->second;
    }
};

// The text --help prints.
[[nodiscard]] std::string helpText();

// POSIX-style options with GNU long forms, in any order with the operands: -o FILE, -oFILE,
// --output FILE, --output=FILE; "--" ends the options, and "-" alone is an operand. Throws
// UsageError.
[[nodiscard]] Options parseArguments(std::span<const std::string> arguments);

// Throws UsageError ("--NAME WHY") for the first of the named options that is given.
void requireNone(const Options& options, std::initializer_list<std::string_view> names,
                 std::string_view why);

// The format -f names, or nullopt when each written file's extension chooses (standard output:
// binary). Throws UsageError for a format it does not know.
[[nodiscard]] std::optional<RomFileFormat> chosenFormat(const Options& options);

[[nodiscard]] std::string inQuotes(std::string_view text);

// A file name as a POSIX shell would read it back, in the manner of ls's shell-escape quoting:
// as it is when it holds only safe characters, otherwise in single quotes, with control
// characters and bytes that are not UTF-8 as $'\n' or $'\377'. A line break or an escape code
// in a name can then neither fake a line of the report nor reach the terminal.
[[nodiscard]] std::string shellQuoted(std::string_view name);

}  // namespace tilewright
