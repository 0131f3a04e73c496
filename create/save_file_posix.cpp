#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <string>

#include "create/save_file.h"
#include "create/save_file_platform.h"

namespace tilewright {
namespace {

std::error_code lastError() {
    return {errno, std::system_category()};
}

// A temporary file that removes itself unless it was moved into place.
class TemporaryFile {
public:
    explicit TemporaryFile(const std::filesystem::path& folder)
        : path_((folder / ".tilewright-XXXXXX").string()), fd_(::mkstemp(path_.data())) {}
    TemporaryFile(const TemporaryFile&) = delete;
    TemporaryFile& operator=(const TemporaryFile&) = delete;
    ~TemporaryFile() {
        if (fd_ >= 0) {
            ::close(fd_);
        }
        if (!moved_ && fd_ != kNotCreated) {
            ::unlink(path_.c_str());
        }
    }

    [[nodiscard]] bool created() const { return fd_ != kNotCreated; }
    [[nodiscard]] int fd() const { return fd_; }
    [[nodiscard]] const std::string& path() const { return path_; }

    // Closes the descriptor, reporting what close() says: on some file systems a failed
    // write only shows here.
    std::error_code close() {
        const int fd = fd_;
        fd_ = kClosed;
        return ::close(fd) == 0 ? std::error_code{} : lastError();
    }
    void markMoved() { moved_ = true; }

private:
    static constexpr int kNotCreated = -1;
    static constexpr int kClosed = -2;
    std::string path_;
    int fd_;
    bool moved_ = false;
};

std::error_code writeAll(int fd, std::span<const std::uint8_t> bytes) {
    while (!bytes.empty()) {
        const ssize_t written = ::write(fd, bytes.data(), bytes.size());
        if (written < 0) {
            if (errno == EINTR) {
                continue;
            }
            return lastError();
        }
        bytes = bytes.subspan(static_cast<std::size_t>(written));
    }
    return {};
}

// The new file gets the permissions of the file it replaces, or those any new file would get.
mode_t permissionsFor(const std::filesystem::path& target) {
    struct stat existing {};
    if (::stat(target.c_str(), &existing) == 0) {
        return existing.st_mode & 07777;
    }
    const mode_t mask = ::umask(0);
    ::umask(mask);
    return 0666 & ~mask;
}

// Makes the rename itself durable; a folder that cannot be synced is no reason to fail.
void syncFolder(const std::filesystem::path& folder) {
    const int fd = ::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd >= 0) {
        ::fsync(fd);
        ::close(fd);
    }
}

// Follows a chain of symbolic links to the path they end at, even when that file does not
// exist yet, so that saving over a link replaces the linked file and keeps the link.
std::filesystem::path followLinks(std::filesystem::path path, std::error_code& error) {
    constexpr int kMaxLinks = 40;  // as the kernel's own limit on link chains
    for (int i = 0; i < kMaxLinks; ++i) {
        if (!std::filesystem::is_symlink(std::filesystem::symlink_status(path, error))) {
            if (error == std::errc::no_such_file_or_directory) {
                error.clear();
            }
            return path;
        }
        const std::filesystem::path linked = std::filesystem::read_symlink(path, error);
        if (error) {
            return path;
        }
        path = linked.is_absolute() ? linked : path.parent_path() / linked;
    }
    error = std::make_error_code(std::errc::too_many_symbolic_link_levels);
    return path;
}

}  // namespace

std::error_code resolveTarget(const std::filesystem::path& target,
                              std::filesystem::path& resolved) {
    std::error_code error;
    resolved = followLinks(target, error);
    if (error) {
        return error;
    }
    const std::filesystem::file_status status = std::filesystem::status(resolved, error);
    if (error && error != std::errc::no_such_file_or_directory) {
        return error;
    }
    if (std::filesystem::is_directory(status)) {
        return SaveRefusal::IsAFolder;
    }
    // Opening a pipe or a device could hang the window or write somewhere unexpected.
    if (std::filesystem::exists(status) && !std::filesystem::is_regular_file(status)) {
        return SaveRefusal::NotARegularFile;
    }
    return {};
}

std::error_code replaceFile(const std::filesystem::path& target,
                            std::span<const std::uint8_t> bytes) {
    const std::filesystem::path folder =
        target.has_parent_path() ? target.parent_path() : std::filesystem::path(".");
    TemporaryFile temporary(folder);
    if (!temporary.created()) {
        return lastError();
    }
    if (::fchmod(temporary.fd(), permissionsFor(target)) != 0) {
        return lastError();
    }
    if (const std::error_code error = writeAll(temporary.fd(), bytes)) {
        return error;
    }
    if (::fsync(temporary.fd()) != 0) {
        return lastError();
    }
    if (const std::error_code error = temporary.close()) {
        return error;
    }
    if (::rename(temporary.path().c_str(), target.c_str()) != 0) {
        return lastError();
    }
    temporary.markMoved();
    syncFolder(folder);
    return {};
}

}  // namespace tilewright
