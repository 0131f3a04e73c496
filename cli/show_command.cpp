// show: what each image read back carries, for a person or as JSON for scripts.
#include "cli/commands.h"
#include "cli/files.h"
#include "cli/reports.h"
#include "create/save_file.h"

namespace tilewright {
namespace {

// The file read, decoded and examined; readError says why it could not be read at all.
ShownFile examineFile(const std::string& file, std::optional<RomFileFormat> format,
                      Console& console) {
    ShownFile shown;
    shown.file = file;
    std::string content;
    if (file == "-") {
        if (const auto input = console.readInput()) {
            content = *input;
        } else {
            shown.readError = "cannot read standard input";
        }
    } else if (const std::error_code error = readWholeFile(file, content)) {
        shown.readError = "cannot read " + shellQuoted(file) + ": " + systemReason(error);
    }
    if (shown.readError.empty()) {
        shown.decoded = decodeRomFile(content, format);
        if (shown.decoded.error.empty()) {
            shown.report = examineImage(shown.decoded.bytes);
        }
    }
    return shown;
}

}  // namespace

int showCommand(const Options& options, Console& console) {
    requireNone(options, {"icon", "output", "from", "directory", "force"}, "is for create");
    const std::optional<RomFileFormat> format = chosenFormat(options);
    if (options.operands.empty()) {
        throw UsageError("show needs at least one FILE");
    }
    bool allConforming = true;
    std::string json;
    for (const std::string& file : options.operands) {
        const ShownFile shown = examineFile(file, format, console);
        if (!shown.readError.empty() && !options.json) {
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

}  // namespace tilewright
