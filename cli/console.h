#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace tilewright {

// The program's standard streams. Text is UTF-8; each platform shows it correctly on a console.
class Console {
public:
    virtual ~Console() = default;
    virtual void out(std::string_view bytes) = 0;
    virtual void err(std::string_view text) = 0;
    // Whether standard output is a terminal, where a binary image would only make a mess.
    [[nodiscard]] virtual bool outIsTerminal() const = 0;
    // All of standard input, or nullopt when it cannot be read.
    [[nodiscard]] virtual std::optional<std::string> readInput() = 0;
};

// The platform's standard streams.
[[nodiscard]] Console& standardConsole();

}  // namespace tilewright
