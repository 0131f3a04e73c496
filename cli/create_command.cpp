// create: one image from a name on the command line, or one per line of a list.
#include <algorithm>
#include <cstdint>
#include <span>

#include "cli/commands.h"
#include "cli/files.h"
#include "cli/name_list.h"
#include "create/file_name.h"
#include "create/save_file.h"
#include "rom/name_check.h"

namespace tilewright {
namespace {

std::string saveFailure(const std::string& path, const std::error_code& error) {
    std::string text = "could not save " + inQuotes(path) + ": " + systemReason(error);
    if (error == SaveRefusal::AlreadyExists) {
        text += " (--force replaces it)";
    }
    return text;
}

ExistingFile existingFile(const Options& options) {
    return options.force ? ExistingFile::Replace : ExistingFile::Keep;
}

std::error_code saveImage(const std::string& path, const std::string& content,
                          const Options& options) {
    const auto bytes =
        std::span(reinterpret_cast<const std::uint8_t*>(content.data()), content.size());
    return saveFileSafely(path, bytes, existingFile(options));
}

IconChoice chosenIcon(const Options& options) {
    const std::string* text = options.value("icon");
    if (text == nullptr) {
        return IconChoice::None;
    }
    if (const auto icon = iconFromDigit(*text)) {
        return *icon;
    }
    throw UsageError("the icon is a number from 0 to 5, not " + inQuotes(*text));
}

int writeToStandardOutput(const std::string& content, RomFileFormat format, Console& console) {
    if (format == RomFileFormat::Binary && console.outIsTerminal()) {
        printError(console,
                   "will not write binary bytes to a terminal; use -o FILE, a pipe or "
                   "--format ihex");
        return kExitFailure;
    }
    console.out(content);
    return kExitSuccess;
}

int createOne(const Options& options, Console& console) {
    requireNone(options, {"directory"}, "is for --from");
    if (options.operands.size() != 1) {
        throw UsageError(options.operands.empty() ? "create needs a NAME or --from LIST"
                                                  : "create takes one NAME; quote a name "
                                                    "with spaces");
    }
    const IconChoice icon = chosenIcon(options);
    const std::optional<RomFileFormat> forced = chosenFormat(options);
    const NameCheck check = checkName(options.operands[0]);
    if (!check.ok()) {
        printError(console, nameProblemText(check));
        return kExitFailure;
    }
    const std::string* output = options.value("output");
    const bool toStandardOutput = output != nullptr && *output == "-";
    const std::string path = toStandardOutput    ? std::string()
                             : output != nullptr ? *output
                                                 : sanitizeFileName(check.name);
    const RomFileFormat format = forced.value_or(formatForFileName(path));
    const std::string content = encodeRomFile(buildRomImage(check.name, icon), format);
    if (toStandardOutput) {
        return writeToStandardOutput(content, format, console);
    }
    if (const std::error_code error = saveImage(path, content, options)) {
        printError(console, saveFailure(path, error));
        return kExitFailure;
    }
    return kExitSuccess;
}

// The list's text from its file or standard input; nullopt (with the error printed) when it
// cannot be read.
std::optional<std::string> readList(const std::string& listName, Console& console) {
    if (listName == "-") {
        auto input = console.readInput();
        if (!input) {
            printError(console, "cannot read standard input");
        }
        return input;
    }
    std::string list;
    if (const std::error_code error = readWholeFile(listName, list)) {
        printError(console, "cannot read " + inQuotes(listName) + ": " + systemReason(error));
        return std::nullopt;
    }
    return list;
}

// Each entry's target in the folder -d names (as given, UTF-8); an entry whose file exists
// already becomes a problem of its line unless --force is given.
std::vector<std::string> placeEntries(NameList& list, const Options& options) {
    const std::string* folder = options.value("directory");
    std::vector<ListEntry> placed;
    std::vector<std::string> targets;
    for (ListEntry& entry : list.entries) {
        std::string target = entry.fileName;
        if (folder) {
            const bool separated = folder->ends_with('/') || folder->ends_with('\\');
            target = *folder + (separated ? "" : "/") + entry.fileName;
        }
        if (!options.force && pathExists(target)) {
            list.problems.push_back(
                {entry.line, inQuotes(target) + " exists already (--force replaces it)"});
            continue;
        }
        placed.push_back(std::move(entry));
        targets.push_back(std::move(target));
    }
    list.entries = std::move(placed);
    std::stable_sort(list.problems.begin(), list.problems.end(),
                     [](const ListProblem& a, const ListProblem& b) { return a.line < b.line; });
    return targets;
}

int writeList(const NameList& list, const std::vector<std::string>& targets, const Options& options,
              Console& console) {
    const std::optional<RomFileFormat> forced = chosenFormat(options);
    for (std::size_t i = 0; i < list.entries.size(); ++i) {
        const ListEntry& entry = list.entries[i];
        const std::string content = encodeRomFile(buildRomImage(entry.name, entry.icon),
                                                  forced.value_or(formatForFileName(targets[i])));
        if (const std::error_code error = saveImage(targets[i], content, options)) {
            printError(console, saveFailure(targets[i], error) + "; " + std::to_string(i) + " of " +
                                    std::to_string(list.entries.size()) +
                                    " images were written before it");
            return kExitFailure;
        }
    }
    return kExitSuccess;
}

// Every line of the list checked, and every problem found, before anything is written.
int createFromList(const Options& options, Console& console) {
    requireNone(options, {"icon", "output"}, "cannot be used with --from");
    if (!options.operands.empty()) {
        throw UsageError("create takes a NAME or --from LIST, not both");
    }
    (void)chosenFormat(options);  // a wrong format is a usage error before anything is read
    const std::string& listName = *options.value("from");
    const std::optional<std::string> text = readList(listName, console);
    if (!text) {
        return kExitFailure;
    }
    const std::string* folder = options.value("directory");
    if (!isFolder(folder ? *folder : ".")) {
        printError(console, "no folder " + inQuotes(folder ? *folder : ".") + "; make it first");
        return kExitFailure;
    }
    NameList list = parseNameList(*text);
    const std::vector<std::string> targets = placeEntries(list, options);
    if (!list.problems.empty()) {
        for (const ListProblem& problem : list.problems) {
            printError(console,
                       listName + ":" + std::to_string(problem.line) + ": " + problem.text);
        }
        printError(console, "nothing written");
        return kExitFailure;
    }
    if (list.entries.empty()) {
        printError(console, inQuotes(listName) + " lists no names");
        return kExitFailure;
    }
    return writeList(list, targets, options, console);
}

}  // namespace

int createCommand(const Options& options, Console& console) {
    requireNone(options, {"json"}, "is for show");
    return options.value("from") ? createFromList(options, console) : createOne(options, console);
}

}  // namespace tilewright
