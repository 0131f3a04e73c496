#include "cli/console.h"

#include <cerrno>
#include <cstdio>

#include "cli/files.h"

#ifdef _WIN32
#include <fcntl.h>
#include <io.h>

#include "text/wide_text.h"
#include "text/windows_api.h"
#else
#include <unistd.h>
#endif

namespace tilewright {
namespace {

#ifdef _WIN32

// A console shows UTF-16 written with WriteConsoleW whatever its code page; a pipe or a file
// receives the UTF-8 bytes as they are.
void write(DWORD which, std::string_view bytes) {
    const HANDLE handle = GetStdHandle(which);
    DWORD mode = 0;
    DWORD written = 0;
    if (GetConsoleMode(handle, &mode)) {
        const std::wstring wide = toWide(bytes);
        WriteConsoleW(handle, wide.data(), static_cast<DWORD>(wide.size()), &written, nullptr);
        return;
    }
    while (!bytes.empty() &&
           WriteFile(handle, bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr) &&
           written > 0) {
        bytes.remove_prefix(written);
    }
}

class WindowsConsole final : public Console {
public:
    void out(std::string_view bytes) override { write(STD_OUTPUT_HANDLE, bytes); }
    void err(std::string_view text) override { write(STD_ERROR_HANDLE, text); }
    bool outIsTerminal() const override {
        DWORD mode = 0;
        return GetConsoleMode(GetStdHandle(STD_OUTPUT_HANDLE), &mode) != 0;
    }
    std::optional<std::string> readInput() override {
        _setmode(_fileno(stdin), _O_BINARY);  // an image holds bytes that text mode would change
        std::string content;
        return readStream(stdin, content) ? std::optional(content) : std::nullopt;
    }
};

#else

void write(int fd, std::string_view bytes) {
    while (!bytes.empty()) {
        const ssize_t written = ::write(fd, bytes.data(), bytes.size());
        if (written < 0 && errno == EINTR) {
            continue;
        }
        if (written <= 0) {
            return;
        }
        bytes.remove_prefix(static_cast<std::size_t>(written));
    }
}

class PosixConsole final : public Console {
public:
    void out(std::string_view bytes) override { write(STDOUT_FILENO, bytes); }
    void err(std::string_view text) override { write(STDERR_FILENO, text); }
    bool outIsTerminal() const override { return ::isatty(STDOUT_FILENO) != 0; }
    std::optional<std::string> readInput() override {
        std::string content;
        return readStream(stdin, content) ? std::optional(content) : std::nullopt;
    }
};

#endif

}  // namespace

Console& standardConsole() {
#ifdef _WIN32
    static WindowsConsole console;
#else
    static PosixConsole console;
#endif
    return console;
}

}  // namespace tilewright
