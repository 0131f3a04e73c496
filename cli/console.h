#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <system_error>

namespace tilewright {

// The program's standard streams. Text is UTF-8; each platform shows it correctly on a console.
class Console {
public:
    virtual ~Console() = default;
    // Writes to standard output; after a failure nothing more is written and the error is kept
    // for finishOutput.
    virtual void out(std::string_view bytes) = 0;
    virtual void err(std::string_view text) = 0;
    // Whether standard output is a terminal, where a binary image would only make a mess.
    [[nodiscard]] virtual bool outIsTerminal() const = 0;
    // All of standard input, or nullopt when it cannot be read.
    [[nodiscard]] virtual std::optional<std::string> readInput() = 0;
    // Flushes standard output and returns the first error writing it, so that output lost to a
    // full disk, a closed stream or a reader that went away is not taken for success.
    [[nodiscard]] virtual std::error_code finishOutput() = 0;
};

// The platform's standard streams.
[[nodiscard]] Console& standardConsole();

}  // namespace tilewright
