#include <fcntl.h>
#include <linux/magic.h>
#include <sys/stat.h>
#include <sys/vfs.h>
#include <unistd.h>

#include <array>
#include <cerrno>
#include <cstdio>
#include <random>
#include <string>

#include "create/save_file.h"
#include "create/save_file_platform.h"

namespace tilewright {
namespace {

// errno is read first, before anything that might change it runs.
std::error_code lastError() {
    const int code = errno;
    return {code, std::system_category()};
}

// A file descriptor that closes itself.
class FileDescriptor {
public:
    explicit FileDescriptor(int fd) noexcept : fd_(fd) {}
    FileDescriptor(const FileDescriptor&) = delete;
    FileDescriptor& operator=(const FileDescriptor&) = delete;
    ~FileDescriptor() {
        if (fd_ >= 0) {
            ::close(fd_);
        }
    }
    [[nodiscard]] int get() const noexcept { return fd_; }
    [[nodiscard]] bool valid() const noexcept { return fd_ >= 0; }

private:
    int fd_;
};

std::string randomName() {
    std::random_device random;
    std::array<char, 32> name{};
    std::snprintf(name.data(), name.size(), ".tilewright-%08x%08x", random(), random());
    return name.data();
}

// A new file in a folder that removes itself unless it was moved into place. It is made with
// mode 0666 so that the kernel applies the user's umask (and any default ACL) as it would to
// any new file; reading the umask would mean changing it, which no threaded program may do.
class TemporaryFile {
public:
    explicit TemporaryFile(int folder) : folder_(folder) {
        for (int attempt = 0; attempt < 100; ++attempt) {
            name_ = randomName();
            fd_ = ::openat(folder_, name_.c_str(),
                           O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0666);
            if (fd_ >= 0 || errno != EEXIST) {
                break;
            }
        }
    }
    TemporaryFile(const TemporaryFile&) = delete;
    TemporaryFile& operator=(const TemporaryFile&) = delete;
    ~TemporaryFile() {
        if (fd_ >= 0) {
            ::close(fd_);
        }
        if (!moved_ && fd_ != kNotCreated) {
            ::unlinkat(folder_, name_.c_str(), 0);
        }
    }

    [[nodiscard]] bool created() const { return fd_ != kNotCreated; }
    [[nodiscard]] int fd() const { return fd_; }
    [[nodiscard]] const std::string& name() const { return name_; }

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
    int folder_;
    std::string name_;
    int fd_ = kNotCreated;
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

// The replaced file's owner, group and mode carry over where the process and the file system
// allow it (FAT and exFAT refuse both); the data is what matters, so a refusal is no failure.
// The owner goes first because changing it clears the set-user-ID and set-group-ID bits.
void keepOwnerAndMode(int fd, const struct stat& old) {
    struct stat made {};
    if (::fstat(fd, &made) != 0) {
        return;
    }
    if (made.st_uid != old.st_uid || made.st_gid != old.st_gid) {
        [[maybe_unused]] const int ignored = ::fchown(fd, old.st_uid, old.st_gid);
    }
    if ((made.st_mode & 07777) != (old.st_mode & 07777)) {
        [[maybe_unused]] const int ignored = ::fchmod(fd, old.st_mode & 07777);
    }
}

// Makes the rename itself durable; a folder that cannot be synced is no reason to fail. The
// folder is held as an O_PATH descriptor, which fsync refuses, so it is opened again through it.
void syncFolder(int folderFd) {
    const FileDescriptor folder(::openat(folderFd, ".", O_RDONLY | O_DIRECTORY | O_CLOEXEC));
    if (folder.valid()) {
        ::fsync(folder.get());
    }
}

// Files in the kernel's own file systems stand for settings and devices, not for data; they
// are shown as regular files, and writing one changes the system.
bool isKernelInterface(const std::filesystem::path& path) {
    struct statfs info {};
    if (::statfs(path.c_str(), &info) != 0) {
        return false;
    }
    constexpr std::array<unsigned long, 11> kKernelFileSystems = {
        PROC_SUPER_MAGIC, SYSFS_MAGIC,        DEBUGFS_MAGIC,       TRACEFS_MAGIC,
        SECURITYFS_MAGIC, CGROUP_SUPER_MAGIC, CGROUP2_SUPER_MAGIC, EFIVARFS_MAGIC,
        BPF_FS_MAGIC,     PSTOREFS_MAGIC,     0x62656570 /* configfs */};
    const auto type = static_cast<unsigned long>(info.f_type);
    for (const unsigned long kernel : kKernelFileSystems) {
        if (type == kernel) {
            return true;
        }
    }
    return false;
}

// Where the file opened from target lives, with every symbolic link resolved: by the kernel,
// which opened it and so applied its protections of links and of files in shared folders.
// Without /proc (some chroots) the kernel cannot say, and the links are followed by name; the
// check below confirms that the name found leads to the opened file.
std::error_code openedPath(int fd, const std::filesystem::path& target,
                           std::filesystem::path& path) {
    std::error_code error;
    path = std::filesystem::read_symlink("/proc/self/fd/" + std::to_string(fd), error);
    if (error) {
        path = std::filesystem::canonical(target, error);
        if (error) {
            return error;
        }
    }
    // The file must still be there under that name (an unlinked one reads " (deleted)").
    struct stat opened {};
    struct stat named {};
    if (::fstat(fd, &opened) != 0) {
        return lastError();
    }
    if (::stat(path.c_str(), &named) != 0 || opened.st_dev != named.st_dev ||
        opened.st_ino != named.st_ino) {
        return std::make_error_code(std::errc::no_such_file_or_directory);
    }
    return {};
}

// Opens the target for writing as a plain "> target" in a shell would, except that nothing is
// truncated and a pipe swapped in meanwhile fails instead of blocking. The kernel decides
// whether the user may: a read-only file, a link that fs.protected_symlinks guards and a
// stranger's file in a shared sticky folder (fs.protected_regular) are refused with its reason.
std::error_code openForWriting(const std::filesystem::path& target, int& fd) {
    fd = ::open(target.c_str(), O_WRONLY | O_CREAT | O_NONBLOCK | O_NOCTTY | O_CLOEXEC, 0666);
    return fd >= 0 ? std::error_code{} : lastError();
}

// Moves the temporary file to the name only if nothing is there, in one step, so that a file
// created meanwhile is not replaced either. File systems without RENAME_NOREPLACE get a hard
// link, which fails the same way; the temporary name is then removed with the object.
std::error_code moveWithoutReplacing(int folder, TemporaryFile& temporary,
                                     const std::string& name) {
    const auto failure = [] {
        return errno == EEXIST ? make_error_code(SaveRefusal::AlreadyExists) : lastError();
    };
    if (::renameat2(folder, temporary.name().c_str(), folder, name.c_str(), RENAME_NOREPLACE) ==
        0) {
        temporary.markMoved();
        return {};
    }
    if (errno != EINVAL && errno != ENOSYS) {
        return failure();
    }
    return ::linkat(folder, temporary.name().c_str(), folder, name.c_str(), 0) == 0
               ? std::error_code{}
               : failure();
}

}  // namespace

NativePath nativePath(const std::string& path) {
    return path;
}

std::error_code resolveTarget(const std::filesystem::path& target,
                              std::filesystem::path& resolved) {
    resolved = target;
    struct stat info {};
    if (::stat(target.c_str(), &info) != 0) {
        if (errno != ENOENT) {
            return lastError();  // EACCES for a protected link, ELOOP, ENOTDIR...
        }
        struct stat link {};
        if (::lstat(target.c_str(), &link) != 0 || !S_ISLNK(link.st_mode)) {
            return {};  // a new file
        }
        // A link to a file that does not exist yet: the kernel creates it where the link
        // points, which tells where the new file goes; it is removed again at once, so a
        // failure later leaves nothing behind.
        int fd = -1;
        if (const std::error_code error = openForWriting(target, fd)) {
            return error;
        }
        const FileDescriptor created(fd);
        const std::error_code error = openedPath(created.get(), target, resolved);
        if (!error) {
            ::unlink(resolved.c_str());
        }
        return error;
    }
    if (S_ISDIR(info.st_mode)) {
        return SaveRefusal::IsAFolder;
    }
    // Opening a pipe or a device could hang the window or write somewhere unexpected.
    if (!S_ISREG(info.st_mode) || isKernelInterface(target)) {
        return SaveRefusal::NotARegularFile;
    }
    int fd = -1;
    if (const std::error_code error = openForWriting(target, fd)) {
        return error;
    }
    const FileDescriptor opened(fd);
    struct stat openedInfo {};
    if (::fstat(opened.get(), &openedInfo) != 0) {
        return lastError();
    }
    if (!S_ISREG(openedInfo.st_mode)) {
        return SaveRefusal::NotARegularFile;
    }
    return openedPath(opened.get(), target, resolved);
}

std::error_code replaceFile(const std::filesystem::path& target,
                            std::span<const std::uint8_t> bytes, ExistingFile existing) {
    const std::filesystem::path folder =
        target.has_parent_path() ? target.parent_path() : std::filesystem::path(".");
    const std::string name = target.filename().string();
    const FileDescriptor folderFd(::open(folder.c_str(), O_PATH | O_DIRECTORY | O_CLOEXEC));
    if (!folderFd.valid()) {
        return lastError();
    }
    // Opened relative to the folder, the temporary file's longer name never makes a path too
    // long that fits as the target's.
    TemporaryFile temporary(folderFd.get());
    if (!temporary.created()) {
        return lastError();
    }
    struct stat old {};
    if (::fstatat(folderFd.get(), name.c_str(), &old, AT_SYMLINK_NOFOLLOW) == 0) {
        keepOwnerAndMode(temporary.fd(), old);
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
    if (existing == ExistingFile::Keep) {
        if (const std::error_code error = moveWithoutReplacing(folderFd.get(), temporary, name)) {
            return error;
        }
    } else if (::renameat(folderFd.get(), temporary.name().c_str(), folderFd.get(), name.c_str()) !=
               0) {
        return lastError();
    } else {
        temporary.markMoved();
    }
    syncFolder(folderFd.get());
    return {};
}

}  // namespace tilewright
