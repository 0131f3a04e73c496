#include "cli/options.h"

#include "rom/rom_image.h"
#include "text/utf8.h"

namespace tilewright {
namespace {

struct OptionDefinition {
    std::string_view longName;
    char shortName;
    bool takesValue;
};

constexpr OptionDefinition kOptions[] = {
    {"icon", 'i', true},   {"output", 'o', true},    {"format", 'f', true},
    {"from", '\0', true},  {"directory", 'd', true}, {"force", '\0', false},
    {"json", '\0', false}, {"help", 'h', false},     {"version", '\0', false},
};

const OptionDefinition* findOption(std::string_view longName, char shortName) {
    for (const OptionDefinition& definition : kOptions) {
        if ((!longName.empty() && definition.longName == longName) ||
            (shortName != '\0' && definition.shortName == shortName)) {
            return &definition;
        }
    }
    return nullptr;
}

void setOption(Options& options, const OptionDefinition& definition,
               std::optional<std::string> value) {
    const std::string name(definition.longName);
    if (!definition.takesValue) {
        if (value) {
            throw UsageError("--" + name + " takes no value");
        }
        options.force |= name == "force";
        options.json |= name == "json";
        options.help |= name == "help";
        options.version |= name == "version";
        return;
    }
    if (options.values.count(name) != 0) {
        throw UsageError("--" + name + " is given twice");
    }
    options.values[name] = *value;
}

}  // namespace

std::string helpText() {
    return R"(Usage: tilewright-cli create NAME [-i ICON] [-o FILE] [-f FORMAT] [--force]
       tilewright-cli create --from LIST [-d DIR] [-f FORMAT] [--force]
       tilewright-cli show [--json] [-f FORMAT] FILE...

Makes and checks 8192-byte 27C64 EPROM images carrying a name and an icon.

Commands:
  create NAME        write the image for NAME: 1 to )" +
           std::to_string(kMaxNameLength) + R"( characters from A-Z,
                     0-9, space and . ' ! - " , (lower case becomes capitals)
  create --from LIST write one image per line of LIST: the icon (0-5), one
                     space, then the name up to the end of the line; blank
                     lines and lines starting with # are skipped
  show FILE...       print the name and icon each image carries, and whether it
                     is exactly what Tilewright writes ("-": standard input)

Options:
  -i, --icon ICON    0 (none, the default) to 5
  -o, --output FILE  the file to write ("-": standard output); default: the
                     name, as the window offers it
  -d, --directory DIR  with --from: the folder to write into; default: .
  -f, --format FORMAT  bin (raw bytes), ihex (Intel HEX; also hex, intel) or
                     srec (S-record; also s19, mot), in any letter case;
                     create's default: from the file's extension (.hex .ihx:
                     ihex; .s19 .srec .mot: srec; anything else: bin); show's
                     default: from the content
      --force        replace files that exist already
      --json         show: print a JSON array with one object per file
  -h, --help         print this help and exit
      --version      print the version and exit

Exit status: 0 success; 1 failure (show: an image that is not exactly what
Tilewright writes, or a file that cannot be read; output that cannot be
written); 2 usage error.
)";
}

Options parseArguments(std::span<const std::string> arguments) {
    Options options;
    bool optionsEnded = false;
    for (std::size_t i = 0; i < arguments.size(); ++i) {
        const std::string& argument = arguments[i];
        const auto nextValue = [&](std::string_view option) {
            if (i + 1 >= arguments.size()) {
                throw UsageError(std::string(option) + " needs a value");
            }
            return arguments[++i];
        };
        if (optionsEnded || argument == "-" || argument.empty() || argument[0] != '-') {
            if (options.command.empty()) {
                options.command = argument;
            } else {
                options.operands.push_back(argument);
            }
        } else if (argument == "--") {
            optionsEnded = true;
        } else if (argument.starts_with("--")) {
            const std::size_t equals = argument.find('=');
            const std::string name = argument.substr(2, equals - 2);
            const OptionDefinition* definition = findOption(name, '\0');
            if (definition == nullptr) {
                throw UsageError("unknown option --" + name);
            }
            std::optional<std::string> value;
            if (equals != std::string::npos) {
                value = argument.substr(equals + 1);
            } else if (definition->takesValue) {
                value = nextValue(argument);
            }
            setOption(options, *definition, value);
        } else {
            const OptionDefinition* definition = findOption({}, argument[1]);
            if (definition == nullptr) {
                throw UsageError("unknown option " + argument.substr(0, 2));
            }
            if (!definition->takesValue && argument.size() > 2) {
                throw UsageError("unknown option " + argument);
            }
            std::optional<std::string> value;
            if (definition->takesValue) {
                value = argument.size() > 2 ? argument.substr(2) : nextValue(argument);
            }
            setOption(options, *definition, value);
        }
    }
    return options;
}

void requireNone(const Options& options, std::initializer_list<std::string_view> names,
                 std::string_view why) {
    for (const std::string_view name : names) {
        const bool given = name == "force"  ? options.force
                           : name == "json" ? options.json
                                            : options.value(std::string(name)) != nullptr;
        if (given) {
            throw UsageError("--" + std::string(name) + " " + std::string(why));
        }
    }
}

std::string inQuotes(std::string_view text) {
    std::string quoted = "\"";
    quoted += text;
    return quoted + "\"";
}

namespace {

// Whether the well-formed UTF-8 sequence (or the lone byte, when length is 0) prints as itself.
bool printable(std::string_view sequence, std::size_t length) {
    const auto lead = static_cast<unsigned char>(sequence[0]);
    const bool c1Control =
        length == 2 && lead == 0xC2 && static_cast<unsigned char>(sequence[1]) < 0xA0;
    return length > 0 && lead >= 0x20 && lead != 0x7F && !c1Control;
}

bool safeUnquoted(std::string_view sequence, std::size_t length) {
#ifdef _WIN32
    constexpr std::string_view kSafe = "+-./:@^_%,=\\";  // the folder separator is safe there
#else
    constexpr std::string_view kSafe = "+-./:@^_%,=";
#endif
    const char c = sequence[0];
    if (length == 1) {
        return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') ||
               kSafe.find(c) != std::string_view::npos;
    }
    return printable(sequence, length);
}

void appendByteEscape(std::string& quoted, unsigned char byte) {
    if (byte >= '\a' && byte <= '\r') {  // \a \b \t \n \v \f \r, as the shell writes them
        quoted += '\\';
        quoted += "abtnvfr"[byte - '\a'];
        return;
    }
    quoted += '\\';
    for (int shift = 6; shift >= 0; shift -= 3) {
        quoted += static_cast<char>('0' + ((byte >> shift) & 7));
    }
}

}  // namespace

std::string shellQuoted(std::string_view name) {
    bool plain = !name.empty();
    for (std::string_view rest = name; plain && !rest.empty();) {
        const std::size_t length = wellFormedLength(rest);
        plain = safeUnquoted(rest, length);
        rest.remove_prefix(length == 0 ? 1 : length);
    }
    if (plain) {
        return std::string(name);
    }
    std::string quoted;
    enum class Mode { None, Quoted, Escaped } mode = Mode::None;
    const auto enter = [&](Mode wanted, std::string_view opening) {
        if (mode != wanted) {
            quoted += mode == Mode::None ? "" : "'";
            quoted += opening;
            mode = wanted;
        }
    };
    for (std::string_view rest = name; !rest.empty();) {
        const std::size_t length = wellFormedLength(rest);
        const std::size_t size = length == 0 ? 1 : length;
        if (printable(rest, length)) {
            enter(Mode::Quoted, "'");
            quoted += rest[0] == '\'' ? std::string("'\\''") : std::string(rest.substr(0, size));
        } else {
            enter(Mode::Escaped, "$'");
            for (const char byte : rest.substr(0, size)) {
                appendByteEscape(quoted, static_cast<unsigned char>(byte));
            }
        }
        rest.remove_prefix(size);
    }
    return mode == Mode::None ? "''" : quoted + "'";
}

std::optional<RomFileFormat> chosenFormat(const Options& options) {
    const std::string* name = options.value("format");
    if (name == nullptr) {
        return std::nullopt;
    }
    if (const auto format = formatFromName(*name)) {
        return format;
    }
    throw UsageError("unknown format " + inQuotes(*name) + "; use bin, ihex or srec");
}

}  // namespace tilewright
