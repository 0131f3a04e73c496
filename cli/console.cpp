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
// receives the UTF-8 bytes as they are. Returns the error that stopped the writing.
std::error_code write(DWORD which, std::string_view bytes) {
    const HANDLE handle = GetStdHandle(which);
    DWORD mode = 0;
    DWORD written = 0;
    if (handle == nullptr || handle == INVALID_HANDLE_VALUE) {
        return std::make_error_code(std::errc::bad_file_descriptor);  // no such stream at all
    }
    if (GetConsoleMode(handle, &mode)) {
        const std::wstring wide = toWide(bytes);
        if (!WriteConsoleW(handle, wide.data(), static_cast<DWORD>(wide.size()), &written,
                           nullptr)) {
            return {static_cast<int>(GetLastError()), std::system_category()};
        }
        return {};
    }
    while (!bytes.empty()) {
        if (!WriteFile(handle, bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr)) {
            const DWORD error = GetLastError();
            // The reader of a pipe went away: the same condition as EPIPE on POSIX.
            if (error == ERROR_NO_DATA || error == ERROR_BROKEN_PIPE) {
                return std::make_error_code(std::errc::broken_pipe);
            }
            if (error == ERROR_DISK_FULL || error == ERROR_HANDLE_DISK_FULL) {
                return std::make_error_code(std::errc::no_space_on_device);
            }
            return {static_cast<int>(error), std::system_category()};
        }
        if (written == 0) {
            return std::make_error_code(std::errc::io_error);
        }
        bytes.remove_prefix(written);
    }
    return {};
}

class WindowsConsole final : public Console {
public:
    void out(std::string_view bytes) override {
        if (!outError_) {
            outError_ = write(STD_OUTPUT_HANDLE, bytes);
        }
    }
    void err(std::string_view text) override { (void)write(STD_ERROR_HANDLE, text); }
    bool outIsTerminal() const override {
        DWORD mode = 0;
        return GetConsoleMode(GetStdHandle(STD_OUTPUT_HANDLE), &mode) != 0;
    }
    std::optional<std::string> readInput() override {
        _setmode(_fileno(stdin), _O_BINARY);  // an image holds bytes that text mode would change
        std::string content;
        return readStream(stdin, content) ? std::optional(content) : std::nullopt;
    }
    // Every write went straight to the handle; a file's cached data reaches the disk later,
    // as with any program that writes its output.
    std::error_code finishOutput() override { return outError_; }

private:
    std::error_code outError_;
};

#else

class PosixConsole final : public Console {
public:
    void out(std::string_view bytes) override {
        written_ = true;
        if (!outError_) {
            outError_ = writeToDescriptor(STDOUT_FILENO, bytes);
        }
    }
    void err(std::string_view text) override { (void)writeToDescriptor(STDERR_FILENO, text); }
    bool outIsTerminal() const override { return ::isatty(STDOUT_FILENO) != 0; }
    std::optional<std::string> readInput() override {
        std::string content;
        return readStream(stdin, content) ? std::optional(content) : std::nullopt;
    }
    // Nothing is buffered here; closing the descriptor reports what a network file system
    // could only find out then. A closed standard output that nothing was written to is fine.
    std::error_code finishOutput() override {
        if (!outError_ && written_ && ::close(STDOUT_FILENO) != 0 && errno != EINTR) {
            outError_ = {errno, std::generic_category()};
        }
        return outError_;
    }

private:
    std::error_code outError_;
    bool written_ = false;
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
