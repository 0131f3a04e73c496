#include "cli/cli.h"

#include <algorithm>
#include <map>
#include <optional>
#include <stdexcept>
#include <vector>

#include "cli/hex.h"
#include "cli/image_check.h"
#include "cli/rom_file_format.h"
#include "create/create_rom.h"
#include "create/file_name.h"
#include "create/save_file.h"
#include "rom/name_tiles.h"
#include "rom/utf8.h"

namespace tilewright {
namespace {

constexpr std::string_view kProgram = "tilewright-cli";

constexpr std::string_view kHelp =
    R"(Usage: tilewright-cli create NAME [-i ICON] [-o FILE] [-f FORMAT] [--force]
       tilewright-cli create --from LIST [-d DIR] [-f FORMAT] [--force]
       tilewright-cli show [--json] FILE...

Makes and checks 8192-byte 27C64 EPROM images carrying a name and an icon.

Commands:
  create NAME        write the image for NAME: 1 to 19 characters from A-Z,
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
  -f, --format FORMAT  bin (raw bytes), ihex (Intel HEX) or srec (S-record);
                     default: from the file's extension (.hex .ihx: ihex;
                     .s19 .srec .mot: srec; anything else: bin)
      --force        replace files that exist already
      --json         show: print a JSON array with one object per file
  -h, --help         print this help and exit
      --version      print the version and exit

Exit status: 0 success; 1 failure (show: an image that is not exactly what
Tilewright writes, or a file that cannot be read); 2 usage error.
)";

// A mistake in the command line itself: reported with a pointer to --help, exit status 2.
class UsageError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

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

// POSIX-style options with GNU long forms, in any order with the operands: -o FILE, -oFILE,
// --output FILE, --output=FILE; "--" ends the options, and "-" alone is an operand.
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

std::string encodeUtf8(char32_t c) {
    std::string text;
    if (c < 0x80) {
        text += static_cast<char>(c);
    } else if (c < 0x800) {
        text += static_cast<char>(0xC0 | (c >> 6));
        text += static_cast<char>(0x80 | (c & 0x3F));
    } else if (c < 0x10000) {
        text += static_cast<char>(0xE0 | (c >> 12));
        text += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
        text += static_cast<char>(0x80 | (c & 0x3F));
    } else {
        text += static_cast<char>(0xF0 | (c >> 18));
        text += static_cast<char>(0x80 | ((c >> 12) & 0x3F));
        text += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
        text += static_cast<char>(0x80 | (c & 0x3F));
    }
    return text;
}

std::string codePoint(char32_t c) {
    std::string text = "U+";
    appendHex(text, c, c > 0xFFFF ? 6 : 4);
    return text;
}

// The name as the window's name box would hold it (lower-case letters as capitals), or why it
// cannot become an image. A character without a tile is refused rather than left as a pad tile,
// which would put a wrong name on the chip.
struct CheckedName {
    std::string name;
    std::string error;
};

CheckedName checkName(std::string_view text) {
    const std::vector<char32_t> characters = decodeUtf8(text);
    if (characters.empty()) {
        return {{}, "the name is empty; give 1 to 19 characters"};
    }
    if (characters.size() > kMaxNameLength) {
        return {{}, std::string(kNameTooLongText)};
    }
    CheckedName checked;
    for (std::size_t k = 0; k < characters.size(); ++k) {
        const char32_t c = characters[k];
        const std::optional<char> character = nameCharacter(c);
        if (!character) {
            const std::string shown = c >= 0x20 && c != 0x7F ? "\"" + encodeUtf8(c) + "\" " : "";
            return {{},
                    "character " + std::to_string(k + 1) + " of the name, " + shown + "(" +
                        codePoint(c) +
                        "), has no tile; names hold A-Z, 0-9, space and . ' ! - \" ,"};
        }
        checked.name += *character;
    }
    return checked;
}

std::optional<IconChoice> parseIcon(std::string_view text) {
    if (text.size() == 1 && text[0] >= '0' && text[0] <= '5') {
        return static_cast<IconChoice>(text[0] - '0');
    }
    return std::nullopt;
}

std::string inQuotes(std::string_view text) {
    std::string quoted = "\"";
    quoted += text;
    return quoted + "\"";
}

void printError(Console& console, std::string_view text) {
    console.err(std::string(kProgram) + ": " + std::string(text) + "\n");
}

std::string saveFailure(const std::string& path, const std::error_code& error) {
    std::string text = "could not save " + inQuotes(path) + ": " + systemReason(error);
    if (error == SaveRefusal::AlreadyExists) {
        text += " (--force replaces it)";
    }
    return text;
}

// The format -f names, or nullopt when each written file's extension chooses (standard output:
// binary). Checked before anything else is read, as a usage error.
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

ExistingFile existingFile(const Options& options) {
    return options.force ? ExistingFile::Replace : ExistingFile::Keep;
}

int createOne(const Options& options, Console& console) {
    requireNone(options, {"directory"}, "is for --from");
    if (options.operands.size() != 1) {
        throw UsageError(options.operands.empty() ? "create needs a NAME or --from LIST"
                                                  : "create takes one NAME; quote a name "
                                                    "with spaces");
    }
    IconChoice icon = IconChoice::None;
    if (const std::string* text = options.value("icon")) {
        const auto parsed = parseIcon(*text);
        if (!parsed) {
            throw UsageError("the icon is a number from 0 to 5, not " + inQuotes(*text));
        }
        icon = *parsed;
    }
    const std::optional<RomFileFormat> forced = chosenFormat(options);
    const CheckedName checked = checkName(options.operands[0]);
    if (!checked.error.empty()) {
        printError(console, checked.error);
        return kExitFailure;
    }
    const std::string* output = options.value("output");
    const bool toStandardOutput = output != nullptr && *output == "-";
    const std::string path = toStandardOutput    ? std::string()
                             : output != nullptr ? *output
                                                 : sanitizeFileName(checked.name);
    const RomFileFormat format = forced.value_or(formatForFileName(path));
    const std::string content = encodeRomFile(buildRomImage(checked.name, icon), format);

    if (toStandardOutput) {
        if (format == RomFileFormat::Binary && console.outIsTerminal()) {
            printError(console,
                       "will not write binary bytes to a terminal; use -o FILE, a pipe or "
                       "--format ihex");
            return kExitFailure;
        }
        console.out(content);
        return kExitSuccess;
    }
    const auto bytes =
        std::span(reinterpret_cast<const std::uint8_t*>(content.data()), content.size());
    if (const std::error_code error = saveFileSafely(path, bytes, existingFile(options))) {
        printError(console, saveFailure(path, error));
        return kExitFailure;
    }
    return kExitSuccess;
}

struct ListEntry {
    std::size_t line;
    std::string name;
    IconChoice icon;
    std::string target;  // UTF-8, as given with -d
};

// Every line of the list checked, and every problem found, before anything is written.
int createFromList(const Options& options, Console& console) {
    requireNone(options, {"icon", "output"}, "cannot be used with --from");
    if (!options.operands.empty()) {
        throw UsageError("create takes a NAME or --from LIST, not both");
    }
    const std::optional<RomFileFormat> forced = chosenFormat(options);
    const std::string& listName = *options.value("from");
    std::string list;
    if (listName == "-") {
        const auto input = console.readInput();
        if (!input) {
            printError(console, "cannot read standard input");
            return kExitFailure;
        }
        list = *input;
    } else if (const std::error_code error = readWholeFile(pathFromUtf8(listName), list)) {
        printError(console, "cannot read " + inQuotes(listName) + ": " + systemReason(error));
        return kExitFailure;
    }
    const std::string* directoryText = options.value("directory");
    const std::filesystem::path directory = pathFromUtf8(directoryText ? *directoryText : ".");
    std::error_code statusError;
    if (!std::filesystem::is_directory(directory, statusError)) {
        printError(console, "no folder " + inQuotes(directoryText ? *directoryText : ".") +
                                "; make it first");
        return kExitFailure;
    }

    std::vector<ListEntry> entries;
    std::vector<std::string> problems;
    std::map<std::string, std::size_t> lineForTarget;
    std::string_view rest = list;
    if (rest.starts_with("\xEF\xBB\xBF")) {
        rest.remove_prefix(3);  // the byte order mark some editors put first
    }
    for (std::size_t number = 1; !rest.empty(); ++number) {
        const std::size_t end = std::min(rest.find('\n'), rest.size());
        std::string_view line = rest.substr(0, end);
        rest.remove_prefix(std::min(end + 1, rest.size()));
        if (line.ends_with('\r')) {
            line.remove_suffix(1);
        }
        if (line.find_first_not_of(" \t") == std::string_view::npos || line.starts_with('#')) {
            continue;
        }
        const auto problem = [&](const std::string& text) {
            problems.push_back(listName + ":" + std::to_string(number) + ": " + text);
        };
        const auto icon =
            line.size() >= 2 && line[1] == ' ' ? parseIcon(line.substr(0, 1)) : std::nullopt;
        if (!icon) {
            problem("expected the icon (0-5), one space and the name");
            continue;
        }
        const CheckedName checked = checkName(line.substr(2));
        if (!checked.error.empty()) {
            problem(checked.error);
            continue;
        }
        const std::string fileName = sanitizeFileName(checked.name);
        const auto [first, added] = lineForTarget.emplace(fileName, number);
        if (!added) {
            problem("writes the same file as line " + std::to_string(first->second) + ", " +
                    inQuotes(fileName));
            continue;
        }
        std::string target = fileName;
        if (directoryText) {
            const bool separated = directoryText->ends_with('/') || directoryText->ends_with('\\');
            target = *directoryText + (separated ? "" : "/") + fileName;
        }
        std::error_code ignored;
        if (!options.force && std::filesystem::exists(pathFromUtf8(target), ignored)) {
            problem(inQuotes(target) + " exists already (--force replaces it)");
            continue;
        }
        entries.push_back({number, checked.name, *icon, target});
    }
    if (!problems.empty()) {
        for (const std::string& text : problems) {
            printError(console, text);
        }
        printError(console, "nothing written");
        return kExitFailure;
    }
    if (entries.empty()) {
        printError(console, inQuotes(listName) + " lists no names");
        return kExitFailure;
    }

    for (std::size_t i = 0; i < entries.size(); ++i) {
        const ListEntry& entry = entries[i];
        const std::string content = encodeRomFile(buildRomImage(entry.name, entry.icon),
                                                  forced.value_or(formatForFileName(entry.target)));
        const auto bytes =
            std::span(reinterpret_cast<const std::uint8_t*>(content.data()), content.size());
        if (const std::error_code error =
                saveFileSafely(entry.target, bytes, existingFile(options))) {
            printError(console, saveFailure(entry.target, error) + "; " + std::to_string(i) +
                                    " of " + std::to_string(entries.size()) +
                                    " images were written before it");
            return kExitFailure;
        }
    }
    return kExitSuccess;
}

std::string jsonString(std::string_view text) {
    std::string json = "\"";
    for (const char c : text) {
        const auto byte = static_cast<unsigned char>(c);
        if (c == '"' || c == '\\') {
            json += '\\';
            json += c;
        } else if (byte < 0x20) {
            constexpr char kDigits[] = "0123456789abcdef";
            json += "\\u00";
            json += kDigits[byte >> 4];
            json += kDigits[byte & 0xF];
        } else {
            json += c;
        }
    }
    return json + "\"";
}

// What show found in one file.
struct ShownFile {
    std::string file;
    std::string readError;  // the file could not be read at all
    DecodedRomFile decoded;
    ImageReport report;
};

std::string iconText(const ImageReport& report) {
    if (!report.icon) {
        return "unknown (" + hexBytes(report.iconField) + ")";
    }
    const std::string number =
        report.icon == IconChoice::None ? "none" : std::to_string(static_cast<int>(*report.icon));
    return number + " (" + hexBytes(report.iconField) + ")";
}

std::string humanReport(const ShownFile& shown) {
    std::string text = shown.file;
    if (shown.decoded.format != RomFileFormat::Binary) {
        text += " (" + std::string(formatTitle(shown.decoded.format)) + ")";
    }
    if (!shown.decoded.error.empty()) {
        return text + ": cannot be read: " + shown.decoded.error + "\n";
    }
    const ImageReport& report = shown.report;
    if (!report.notAnImage.empty()) {
        return text + ": not a name image: " + report.notAnImage + "\n";
    }
    text += report.conforming ? ": exactly what Tilewright writes for this name and icon\n"
                              : ": NOT what Tilewright writes\n";
    text += "  name: " + inQuotes(report.name) + " (" + std::to_string(report.nameLength) +
            (report.nameLength == 1 ? " character)\n" : " characters)\n");
    if (report.mayEndInSpace) {
        text += "  note: the same name with a space added makes an identical image\n";
    }
    text += "  icon: " + iconText(report) + "\n";
    for (const ImageFinding& finding : report.findings) {
        text += "  - " + finding.text + "\n";
    }
    return text;
}

std::string jsonReport(const ShownFile& shown) {
    const ImageReport& report = shown.report;
    std::string json = "{\"file\": " + jsonString(shown.file);
    std::string problem = shown.readError.empty() ? shown.decoded.error : shown.readError;
    if (problem.empty()) {
        problem = report.notAnImage;
    }
    const bool isImage = problem.empty();
    if (shown.readError.empty()) {
        json += ", \"format\": " + jsonString(formatKey(shown.decoded.format));
    }
    json += ", \"image\": " + std::string(isImage ? "true" : "false");
    json += ", \"conforming\": " + std::string(report.conforming ? "true" : "false");
    if (!isImage) {
        return json + ", \"reason\": " + jsonString(problem) + "}";
    }
    json += ", \"name\": " + jsonString(report.name);
    json += ", \"nameLength\": " + std::to_string(report.nameLength);
    json += ", \"mayEndInSpace\": " + std::string(report.mayEndInSpace ? "true" : "false");
    json += ", \"icon\": " +
            (report.icon ? std::to_string(static_cast<int>(*report.icon)) : std::string("null"));
    json += ", \"iconField\": " + jsonString(hexBytes(report.iconField));
    json += ", \"findings\": [";
    for (std::size_t i = 0; i < report.findings.size(); ++i) {
        const ImageFinding& finding = report.findings[i];
        json += i == 0 ? "" : ", ";
        json += "{\"offset\": " +
                (finding.offset ? std::to_string(*finding.offset) : std::string("null")) +
                ", \"text\": " + jsonString(finding.text) + "}";
    }
    return json + "]}";
}

int show(const Options& options, Console& console) {
    requireNone(options, {"icon", "output", "format", "from", "directory", "force"},
                "is for create");
    if (options.operands.empty()) {
        throw UsageError("show needs at least one FILE");
    }
    bool allConforming = true;
    std::string json;
    for (const std::string& file : options.operands) {
        ShownFile shown;
        shown.file = file;
        std::string content;
        if (file == "-") {
            const auto input = console.readInput();
            if (input) {
                content = *input;
            } else {
                shown.readError = "cannot read standard input";
            }
        } else if (const std::error_code error = readWholeFile(pathFromUtf8(file), content)) {
            shown.readError = "cannot read " + inQuotes(file) + ": " + systemReason(error);
        }
        if (shown.readError.empty()) {
            shown.decoded = decodeRomFile(content);
            if (shown.decoded.error.empty()) {
                shown.report = examineImage(shown.decoded.bytes);
            }
        } else if (!options.json) {
            printError(console, shown.readError);
        }
        allConforming = allConforming && shown.report.conforming;
        if (options.json) {
            json += (json.empty() ? "[\n  " : ",\n  ") + jsonReport(shown);
        } else if (shown.readError.empty()) {
            console.out(humanReport(shown));
        }
    }
    if (options.json) {
        console.out(json + "\n]\n");
    }
    return allConforming ? kExitSuccess : kExitFailure;
}

}  // namespace

int runCli(std::span<const std::string> arguments, Console& console) {
    try {
        const Options options = parseArguments(arguments);
        if (options.help) {
            console.out(kHelp);
            return kExitSuccess;
        }
        if (options.version) {
            console.out(std::string(kProgram) + " " + TILEWRIGHT_VERSION + "\n");
            return kExitSuccess;
        }
        if (options.command == "create") {
            requireNone(options, {"json"}, "is for show");
            return options.value("from") ? createFromList(options, console)
                                         : createOne(options, console);
        }
        if (options.command == "show") {
            return show(options, console);
        }
        throw UsageError(options.command.empty() ? "no command given; use create or show"
                                                 : "unknown command " + inQuotes(options.command));
    } catch (const UsageError& error) {
        printError(console, error.what());
        console.err("Try 'tilewright-cli --help' for more information.\n");
        return kExitUsage;
    } catch (const std::exception& error) {
        printError(console, error.what());
        return kExitFailure;
    }
}

}  // namespace tilewright
