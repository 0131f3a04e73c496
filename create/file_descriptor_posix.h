#pragma once

#include <unistd.h>

#include <cerrno>
#include <cstdint>
#include <span>
#include <string>
#include <system_error>
#include <utility>

namespace tilewright {

// errno is read first, before anything that might change it runs.
inline std::error_code lastError() {
    const int code = errno;
    return {code, std::system_category()};
}

// A file descriptor that closes itself.
class FileDescriptor {
public:
    FileDescriptor() noexcept = default;
    explicit FileDescriptor(int fd) noexcept : fd_(fd) {}
    FileDescriptor(FileDescriptor&& other) noexcept : fd_(std::exchange(other.fd_, -1)) {}
    FileDescriptor& operator=(FileDescriptor&& other) noexcept {
        std::swap(fd_, other.fd_);
        return *this;
    }
    ~FileDescriptor() {
        if (fd_ >= 0) {
            ::close(fd_);
        }
    }
    [[nodiscard]] int get() const noexcept { return fd_; }
    [[nodiscard]] bool valid() const noexcept { return fd_ >= 0; }

private:
    int fd_ = -1;
};

// Where a descriptor's file is, as the kernel gives it: works for any open file while /proc is
// mounted.
inline std::string descriptorPath(int fd) {
    return "/proc/self/fd/" + std::to_string(fd);
}

// Writes all the bytes, going on after a signal. A write that takes nothing and reports no
// error would be retried for ever: it is a failure.
inline std::error_code writeAll(int fd, std::span<const std::uint8_t> bytes) {
    while (!bytes.empty()) {
        const ssize_t written = ::write(fd, bytes.data(), bytes.size());
        if (written < 0) {
            if (errno == EINTR) {
                continue;
            }
            return lastError();
        }
        if (written == 0) {
            return {EIO, std::system_category()};
        }
        bytes = bytes.subspan(static_cast<std::size_t>(written));
    }
    return {};
}

}  // namespace tilewright
