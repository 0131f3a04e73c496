#include "cli/cli.h"

#include <stdexcept>

#include "cli/commands.h"
#include "create/save_file.h"

namespace tilewright {
namespace {

constexpr std::string_view kProgram = "tilewright-cli";

}  // namespace

void printError(Console& console, std::string_view text) {
    console.err(std::string(kProgram) + ": " + std::string(text) + "\n");
}

namespace {

int runCommand(const Options& options, Console& console) {
    if (options.help) {
        console.out(helpText());
        return kExitSuccess;
    }
    if (options.version) {
        console.out(std::string(kProgram) + " " + TILEWRIGHT_VERSION + "\n");
        return kExitSuccess;
    }
    if (options.command == "create") {
        return createCommand(options, console);
    }
    if (options.command == "show") {
        return showCommand(options, console);
    }
    throw UsageError(options.command.empty() ? "no command given; use create or show"
                                             : "unknown command " + inQuotes(options.command));
}

// The command's status, unless its output could not be written: then a failure whatever the
// command found.
int withOutputChecked(int status, Console& console) {
    if (const std::error_code error = console.finishOutput()) {
        printError(console, "cannot write standard output: " + systemReason(error));
        return status == kExitSuccess ? kExitFailure : status;
    }
    return status;
}

}  // namespace

int runCli(std::span<const std::string> arguments, Console& console) {
    try {
        return withOutputChecked(runCommand(parseArguments(arguments), console), console);
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
