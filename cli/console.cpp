#include "cli/console.h"

#include <cerrno>
#include <cstdio>

#ifdef _WIN32
#ifndef NOMINMAX
#define NOMINMAX
#endif
#include <fcntl.h>
#include <io.h>
#include <windows.h>

#include "create/wide_text.h"
#else
#include <unistd.h>
#endif

namespace tilewright {
namespace {

// An image as Intel HEX takes 22 KiB; anything far larger (a device, a disk image) is no image
// and is not read to its end.
constexpr std::size_t kMaxFileSize = 1 << 20;

// Reads a stream to its end; false on a read error or when it is too large, with errno set.
bool readAll(std::FILE* file, std::string& content) {
    char buffer[65536];
    std::size_t count = 0;
    while ((count = std::fread(buffer, 1, sizeof buffer, file)) > 0) {
        content.append(buffer, count);
        if (content.size() > kMaxFileSize) {
            errno = EFBIG;
            return false;
        }
    }
    return std::ferror(file) == 0;
}

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
        return readAll(stdin, content) ? std::optional(content) : std::nullopt;
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
        return readAll(stdin, content) ? std::optional(content) : std::nullopt;
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

std::filesystem::path pathFromUtf8(std::string_view text) {
#ifdef _WIN32
    return std::filesystem::path(toWide(text));
#else
    return std::filesystem::path(std::string(text));
#endif
}

std::error_code readWholeFile(const std::filesystem::path& path, std::string& content) {
    errno = 0;
#ifdef _WIN32
    std::FILE* file = _wfopen(path.c_str(), L"rb");
#else
    std::FILE* file = std::fopen(path.c_str(), "rb");
#endif
    if (file == nullptr) {
        return {errno, std::generic_category()};
    }
    content.clear();
    const bool read = readAll(file, content);
    const int error = errno;
    std::fclose(file);
    return read ? std::error_code{} : std::error_code{error, std::generic_category()};
}

}  // namespace tilewright
