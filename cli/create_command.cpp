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

// "." and ".." pass the name check (the dot has a tile) but name folders, never a new file.
std::string noFileNameText(const std::string& name) {
    return "the name " + inQuotes(name) + " makes no usable file name";
}

std::string saveFailure(const std::string& path, const std::error_code& error,
                        const SaveDetails& details) {
    std::string text =
        "could not save " + inQuotes(path) + ": " + saveFailureReason(path, error, details);
    if (error == SaveRefusal::AlreadyExists) {
        text += " (--force replaces it)";
    } else if (error == SaveRefusal::CannotRefuseReplacing) {
        text += " (--force writes it there)";
    } else if (error.category() != saveRefusalCategory() &&
               (details.step == SaveStep::CreatingTemporary ||
                details.step == SaveStep::Replacing)) {
        // The shell's own redirection writes into the existing file, which needs neither.
        text += "; -o - > FILE writes it in place";
    }
    return text;
}

ExistingFile existingFile(const Options& options) {
    return options.force ? ExistingFile::Replace : ExistingFile::Keep;
}

// Saves one image; false, with the reason printed (and what else went before), when it fails.
bool saveImage(const std::string& path, const std::string& content, const Options& options,
               Console& console, std::string_view before = {}) {
    const auto bytes =
        std::span(reinterpret_cast<const std::uint8_t*>(content.data()), content.size());
    SaveDetails details;
    if (const std::error_code error =
            saveFileSafely(path, bytes, existingFile(options), &details)) {
        printError(console, saveFailure(path, error, details) + std::string(before));
        return false;
    }
    if (details.targetLinks > 1) {
        console.err("note: " + inQuotes(path) + " had other hard links; they keep the old image\n");
    }
    return true;
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

bool refusedForTerminal(RomFileFormat format, bool terminal, Console& console) {
    if (format == RomFileFormat::Binary && terminal) {
        printError(console,
                   "will not write binary bytes to a terminal; use -o FILE, a pipe or "
                   "--format ihex");
        return true;
    }
    return false;
}

// Standard output is written through the console, which checks the writing at the end; any
// other descriptor of the process at once.
int writeToStream(const std::string& path, int fd, const std::string& content, RomFileFormat format,
                  Console& console) {
    if (fd == 1) {
        if (refusedForTerminal(format, console.outIsTerminal(), console)) {
            return kExitFailure;
        }
        console.out(content);
        return kExitSuccess;
    }
    if (refusedForTerminal(format, isTerminal(fd), console)) {
        return kExitFailure;
    }
    if (const std::error_code error = writeToDescriptor(fd, content)) {
        printError(console, "cannot write " + inQuotes(path) + ": " + systemReason(error));
        return kExitFailure;
    }
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
    if (output == nullptr && isDotName(check.name)) {
        printError(console, noFileNameText(check.name) + "; give one with -o FILE");
        return kExitFailure;
    }
    const std::string path = output != nullptr ? *output : sanitizeFileName(check.name);
    const std::optional<int> stream = path == "-" ? std::optional(1) : ownDescriptor(path);
    const RomFileFormat format = forced.value_or(formatForFileName(path));  // "-": binary
    const std::string content = encodeRomFile(buildRomImage(check.name, icon), format);
    if (stream) {
        return writeToStream(path, *stream, content, format, console);
    }
    return saveImage(path, content, options, console) ? kExitSuccess : kExitFailure;
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

// The path of a file in the folder -d names, as given. Only Windows takes a backslash for a
// separator; elsewhere it is a character of the folder's name.
std::string inFolder(const std::string& folder, const std::string& fileName) {
    const bool separated =
        folder.ends_with('/') || (kNativeFileNameRules == FileNameRules::Windows &&
                                  (folder.ends_with('\\') || folder.ends_with(':')));
    return folder + (separated ? "" : "/") + fileName;
}

// Why nothing should be written at target, or empty when it may be.
std::string targetProblem(const std::string& target, const Options& options) {
    if (ownDescriptor(target)) {
        return inQuotes(target) + " is one of this program's own streams, not a file to make";
    }
    switch (pathKind(target)) {
        case PathKind::Nothing:
            return {};
        case PathKind::Folder:
            return inQuotes(target) + " is a folder";
        case PathKind::Other:
            return inQuotes(target) + " is a device, pipe or other special file";
        case PathKind::File:
            break;
    }
    return options.force ? std::string()
                         : inQuotes(target) + " exists already (--force replaces it)";
}

// Each entry's target in the folder -d names; an entry that cannot be written there becomes a
// problem of its line.
std::vector<std::string> placeEntries(NameList& list, const Options& options) {
    const std::string* folder = options.value("directory");
    std::vector<ListEntry> placed;
    std::vector<std::string> targets;
    for (ListEntry& entry : list.entries) {
        if (isDotName(entry.name)) {
            list.problems.push_back({entry.line, noFileNameText(entry.name)});
            continue;
        }
        std::string target = folder ? inFolder(*folder, entry.fileName) : entry.fileName;
        if (std::string problem = targetProblem(target, options); !problem.empty()) {
            list.problems.push_back({entry.line, std::move(problem)});
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

int writeList(const NameList& list, const std::vector<std::string>& targets,
              std::optional<RomFileFormat> forced, const Options& options, Console& console) {
    for (std::size_t i = 0; i < list.entries.size(); ++i) {
        const ListEntry& entry = list.entries[i];
        const std::string content = encodeRomFile(buildRomImage(entry.name, entry.icon),
                                                  forced.value_or(formatForFileName(targets[i])));
        if (!saveImage(targets[i], content, options, console,
                       "; " + std::to_string(i) + " of " + std::to_string(list.entries.size()) +
                           " images were written before it")) {
            return kExitFailure;
        }
    }
    return kExitSuccess;
}

// The first problems of a list, each with its line, and how many more there are: a list run
// again over its own output would otherwise print a line for every name.
void printProblems(const std::string& listName, const std::vector<ListProblem>& problems,
                   Console& console) {
    constexpr std::size_t kShown = 10;
    for (std::size_t i = 0; i < std::min(problems.size(), kShown); ++i) {
        printError(console,
                   listName + ":" + std::to_string(problems[i].line) + ": " + problems[i].text);
    }
    if (problems.size() > kShown) {
        printError(console,
                   "and " + std::to_string(problems.size() - kShown) + " more lines with problems");
    }
}

// The folder -d names, checked; false with the reason printed.
bool folderUsable(const std::string& folder, Console& console) {
    switch (pathKind(folder)) {
        case PathKind::Folder:
            return true;
        case PathKind::Nothing:
            printError(console, "no folder " + inQuotes(folder) + "; make it first");
            return false;
        case PathKind::File:
        case PathKind::Other:
            break;
    }
    printError(console, inQuotes(folder) + " is not a folder");
    return false;
}

// Every line of the list checked, and every problem found, before anything is written.
int createFromList(const Options& options, Console& console) {
    requireNone(options, {"icon", "output"}, "cannot be used with --from");
    if (!options.operands.empty()) {
        throw UsageError("create takes a NAME or --from LIST, not both");
    }
    // A wrong format is a usage error before anything is read.
    const std::optional<RomFileFormat> forced = chosenFormat(options);
    const std::string& listName = *options.value("from");
    const std::optional<std::string> text = readList(listName, console);
    if (!text) {
        return kExitFailure;
    }
    const std::string* folder = options.value("directory");
    if (!folderUsable(folder ? *folder : ".", console)) {
        return kExitFailure;
    }
    NameList list = parseNameList(*text);
    const std::vector<std::string> targets = placeEntries(list, options);
    if (!list.problems.empty()) {
        printProblems(listName, list.problems, console);
        printError(console, "nothing written");
        return kExitFailure;
    }
    if (list.entries.empty()) {
        printError(console, inQuotes(listName) + " lists no names");
        return kExitFailure;
    }
    return writeList(list, targets, forced, options, console);
}

}  // namespace

int createCommand(const Options& options, Console& console) {
    requireNone(options, {"json"}, "is for show");
    return options.value("from") ? createFromList(options, console) : createOne(options, console);
}

}  // namespace tilewright
