#include <fcntl.h>
#include <linux/magic.h>
#include <signal.h>
#include <sys/stat.h>
#include <sys/vfs.h>
#include <sys/xattr.h>
#include <unistd.h>

#include <array>
#include <cerrno>
#include <cstdio>
#include <filesystem>
#include <optional>
#include <random>
#include <string>
#include <utility>
#include <vector>

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

// Holds back Ctrl-C, SIGTERM and SIGHUP while a named temporary file exists, so that ending
// the program then cannot leave it behind; one that arrives meanwhile takes effect as soon as
// the file is gone or in place. Both programs save on their one main thread.
class HeldSignals {
public:
    HeldSignals() {
        sigset_t held;
        sigemptyset(&held);
        for (const int signal : {SIGINT, SIGTERM, SIGHUP}) {
            sigaddset(&held, signal);
        }
        ::pthread_sigmask(SIG_BLOCK, &held, &previous_);
    }
    HeldSignals(const HeldSignals&) = delete;
    HeldSignals& operator=(const HeldSignals&) = delete;
    ~HeldSignals() { ::pthread_sigmask(SIG_SETMASK, &previous_, nullptr); }

private:
    sigset_t previous_{};
};

std::string randomName() {
    std::random_device random;
    std::array<char, 32> name{};
    std::snprintf(name.data(), name.size(), ".tilewright-%08x%08x", random(), random());
    return name.data();
}

// Where a descriptor's file is, as the kernel gives it: works for any open file while /proc is
// mounted.
std::string descriptorPath(int fd) {
    return "/proc/self/fd/" + std::to_string(fd);
}

// The new file, made in the target's folder with mode 0666 so that the kernel applies the
// user's umask (and any default ACL) as it would to any new file; reading the umask would mean
// changing it, which no threaded program may do. Where the file system allows, the file has no
// name until it is complete (O_TMPFILE), so that a save cut short by a signal or a crash leaves
// nothing behind; otherwise it gets a random hidden name, is removed unless it was moved into
// place, and the signals that end a program are held while it exists.
class TemporaryFile {
public:
    explicit TemporaryFile(int folder) : folder_(folder) {
        // Naming the unnamed file later goes through /proc; without it, name it now.
        if (::access("/proc/self/fd", X_OK) == 0) {
            fd_ = ::openat(folder_, ".", O_TMPFILE | O_WRONLY | O_CLOEXEC, 0666);
        }
        if (fd_ < 0) {
            held_.emplace();
            createNamed();
        }
    }
    TemporaryFile(const TemporaryFile&) = delete;
    TemporaryFile& operator=(const TemporaryFile&) = delete;
    ~TemporaryFile() {
        if (fd_ >= 0) {
            ::close(fd_);
        }
        if (!name_.empty() && !moved_) {
            ::unlinkat(folder_, name_.c_str(), 0);
        }
    }

    [[nodiscard]] bool created() const { return fd_ >= 0; }
    [[nodiscard]] int fd() const { return fd_; }

    // Puts the file under name only if nothing is there, in one step, so that a file created
    // meanwhile is not replaced either.
    std::error_code linkWithoutReplacing(const std::string& name) {
        const auto failure = [] {
            return errno == EEXIST ? make_error_code(SaveRefusal::AlreadyExists) : lastError();
        };
        if (name_.empty()) {
            return linkUnnamed(name) ? std::error_code{} : failure();
        }
        if (const std::error_code error = close()) {
            return error;
        }
        if (::renameat2(folder_, name_.c_str(), folder_, name.c_str(), RENAME_NOREPLACE) == 0) {
            moved_ = true;
            return {};
        }
        if (errno != EINVAL && errno != ENOSYS) {
            return failure();
        }
        // A hard link fails the same way where RENAME_NOREPLACE is missing; the temporary name
        // is then removed with the object. Some file systems have neither.
        if (::linkat(folder_, name_.c_str(), folder_, name.c_str(), 0) == 0) {
            return {};
        }
        if (errno == EPERM || errno == EOPNOTSUPP) {
            return SaveRefusal::CannotRefuseReplacing;
        }
        return failure();
    }

    // Moves the file over whatever is at name, in one step.
    std::error_code replace(const std::string& name) {
        if (name_.empty()) {
            // A link cannot replace a file: the finished file gets a temporary name first.
            held_.emplace();
            for (int attempt = 0; attempt < 100 && name_.empty(); ++attempt) {
                std::string temporary = randomName();
                if (linkUnnamed(temporary)) {
                    name_ = std::move(temporary);
                } else if (errno != EEXIST) {
                    return lastError();
                }
            }
        }
        if (const std::error_code error = close()) {
            return error;
        }
        if (::renameat(folder_, name_.c_str(), folder_, name.c_str()) != 0) {
            return lastError();
        }
        moved_ = true;
        return {};
    }

private:
    void createNamed() {
        for (int attempt = 0; attempt < 100; ++attempt) {
            std::string name = randomName();
            fd_ = ::openat(folder_, name.c_str(),
                           O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0666);
            if (fd_ >= 0) {
                name_ = std::move(name);
                return;
            }
            if (errno != EEXIST) {
                return;
            }
        }
    }

    bool linkUnnamed(const std::string& name) const {
        return ::linkat(AT_FDCWD, descriptorPath(fd_).c_str(), folder_, name.c_str(),
                        AT_SYMLINK_FOLLOW) == 0;
    }

    // Closes the descriptor, reporting what close() says: on some file systems (NFS) a failed
    // write only shows here.
    std::error_code close() {
        const int fd = std::exchange(fd_, -1);
        return fd < 0 || ::close(fd) == 0 ? std::error_code{} : lastError();
    }

    int folder_;
    int fd_ = -1;
    std::string name_;  // empty while the file has no name
    bool moved_ = false;
    std::optional<HeldSignals> held_;  // destroyed after the destructor removed the file
};

// A write that takes nothing and reports no error would be retried for ever: it is a failure.
std::error_code writeAll(int fd, std::span<const std::uint8_t> bytes) {
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

// The replaced file's extended attributes, POSIX ACLs among them (system.posix_acl_access),
// carry over where the process may set them; others (security.*, trusted.*) may be refused.
void keepExtendedAttributes(int to, int from) {
    const ssize_t size = ::flistxattr(from, nullptr, 0);
    if (size <= 0) {
        return;
    }
    std::vector<char> names(static_cast<std::size_t>(size));
    const ssize_t listed = ::flistxattr(from, names.data(), names.size());
    std::vector<char> value;
    for (std::size_t at = 0; listed > 0 && at < static_cast<std::size_t>(listed);) {
        const char* name = names.data() + at;
        at += std::char_traits<char>::length(name) + 1;
        const ssize_t length = ::fgetxattr(from, name, nullptr, 0);
        value.resize(length > 0 ? static_cast<std::size_t>(length) : 0);
        if (length >= 0 && ::fgetxattr(from, name, value.data(), value.size()) == length) {
            [[maybe_unused]] const int ignored =
                ::fsetxattr(to, name, value.data(), value.size(), 0);
        }
    }
}

// The replaced file's owner, group, extended attributes and mode carry over where the process
// and the file system allow it (FAT and exFAT refuse them); the data is what matters, so a
// refusal is no failure. Only root may give a file away, but a member of the old file's group
// may keep that. The owner goes first because changing it clears the set-user-ID and
// set-group-ID bits, and the mode last, to have the last word over the ACL's mask.
void keepWhatTheFileHad(int fd, int old) {
    struct stat was {};
    struct stat made {};
    if (::fstat(old, &was) != 0 || ::fstat(fd, &made) != 0) {
        return;
    }
    if ((made.st_uid != was.st_uid || made.st_gid != was.st_gid) &&
        ::fchown(fd, was.st_uid, was.st_gid) != 0 && made.st_gid != was.st_gid) {
        [[maybe_unused]] const int ignored = ::fchown(fd, static_cast<uid_t>(-1), was.st_gid);
    }
    keepExtendedAttributes(fd, old);
    if ((made.st_mode & 07777) != (was.st_mode & 07777)) {
        [[maybe_unused]] const int ignored = ::fchmod(fd, was.st_mode & 07777);
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
bool isKernelInterface(int fd) {
    struct statfs info {};
    if (::fstatfs(fd, &info) != 0) {
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

bool sameFile(int a, int b) {
    struct stat first {};
    struct stat second {};
    return ::fstat(a, &first) == 0 && ::fstat(b, &second) == 0 && first.st_dev == second.st_dev &&
           first.st_ino == second.st_ino;
}

// The file a save replaces or the name it creates, held by its folder's descriptor: every later
// step names the same folder, and a path of any length works where the folder can be opened.
struct Target {
    FileDescriptor folder;  // O_PATH
    std::string name;
    FileDescriptor existing;  // the file there now, opened for reading; not valid for a new file
    bool changed = false;     // another program swapped the file while it was being looked up
};

// The kernel's checks of a plain "> target" in a shell, without truncating the file and
// without breaking a read lease (Samba's oplocks, NFS delegations): opening for reading with
// O_CREAT meets the protection of files in shared sticky folders (fs.protected_regular), and
// the access check asks whether writing is allowed (a read-only file or file system, an
// immutable file). A file that may be written but not read is opened for writing instead.
// Another program may have put a new file there since it was looked at, as one saving the
// same file does: that one is the file checked and replaced, if it is an ordinary file too.
std::error_code openExisting(Target& target) {
    const auto open = [&](int access) {
        return FileDescriptor(
            ::openat(target.folder.get(), target.name.c_str(),
                     access | O_CREAT | O_NONBLOCK | O_NOCTTY | O_NOFOLLOW | O_CLOEXEC, 0666));
    };
    target.existing = open(O_RDONLY);
    if (!target.existing.valid() && errno == EACCES) {
        target.existing = open(O_WRONLY);
    }
    if (!target.existing.valid()) {
        // ELOOP: a link was put there since it was looked at.
        target.changed = errno == ELOOP;
        return target.changed ? std::error_code{} : lastError();
    }
    if (::faccessat(target.folder.get(), target.name.c_str(), W_OK, AT_EACCESS) != 0) {
        return lastError();
    }
    struct stat opened {};
    if (::fstat(target.existing.get(), &opened) != 0) {
        return lastError();
    }
    target.changed = !S_ISREG(opened.st_mode);
    return {};
}

std::error_code resolve(const std::filesystem::path& path, Target& target, int linksFollowed);

// Where a link at path leads, with every link resolved by the kernel, which so applies its
// protection of links in shared folders (fs.protected_symlinks). A link to a file that does not
// exist yet makes that file, which tells where it goes; it is removed again at once, so a
// failure later leaves nothing behind. Without /proc (some chroots) the kernel cannot say, and
// the links are followed by name.
std::error_code followLink(const std::filesystem::path& path, Target& target, int linksFollowed) {
    struct stat leadsTo {};
    const bool dangling = ::fstatat(target.folder.get(), target.name.c_str(), &leadsTo, 0) != 0;
    if (dangling && errno != ENOENT) {
        return lastError();  // EACCES for a protected link, ELOOP...
    }
    const FileDescriptor opened(
        dangling
            ? ::open(path.c_str(), O_WRONLY | O_CREAT | O_NONBLOCK | O_NOCTTY | O_CLOEXEC, 0666)
            : ::open(path.c_str(), O_PATH | O_CLOEXEC));
    if (!opened.valid()) {
        return lastError();
    }
    std::error_code error;
    std::filesystem::path resolved =
        std::filesystem::read_symlink(descriptorPath(opened.get()), error);
    if (error) {
        resolved = std::filesystem::canonical(path, error);
        if (error) {
            return error;
        }
    }
    if (dangling) {
        ::unlink(resolved.c_str());
    }
    target = Target{};
    if (const std::error_code failure = resolve(resolved, target, linksFollowed + 1)) {
        return failure;
    }
    // The name found must lead to the opened file (an unlinked one reads " (deleted)").
    target.changed =
        target.changed ||
        (!dangling && !(target.existing.valid() && sameFile(target.existing.get(), opened.get())));
    return {};
}

// Finds the file that saving to path replaces, or the new file's folder and name, and refuses a
// target that is not an ordinary file before anything is opened for writing.
std::error_code resolve(const std::filesystem::path& path, Target& target, int linksFollowed) {
    const std::filesystem::path folder = path.has_parent_path() ? path.parent_path() : ".";
    target.name = path.has_filename() ? path.filename().string() : ".";
    target.folder = FileDescriptor(::open(folder.c_str(), O_PATH | O_DIRECTORY | O_CLOEXEC));
    if (!target.folder.valid()) {
        return lastError();
    }
    const FileDescriptor found(
        ::openat(target.folder.get(), target.name.c_str(), O_PATH | O_NOFOLLOW | O_CLOEXEC));
    if (!found.valid()) {
        return errno == ENOENT ? std::error_code{} : lastError();  // ENOENT: a new file
    }
    struct stat info {};
    if (::fstat(found.get(), &info) != 0) {
        return lastError();
    }
    if (S_ISLNK(info.st_mode)) {
        // A second link to follow means the file kept changing.
        target.changed = linksFollowed > 0;
        return target.changed ? std::error_code{} : followLink(path, target, linksFollowed);
    }
    if (S_ISDIR(info.st_mode)) {
        return SaveRefusal::IsAFolder;
    }
    // Opening a pipe or a device could hang the window or write somewhere unexpected.
    if (!S_ISREG(info.st_mode) || isKernelInterface(found.get())) {
        return SaveRefusal::NotARegularFile;
    }
    return openExisting(target);
}

// Looks the target up again once when another program swapped it meanwhile, as two programs
// saving to one file in turn do.
std::error_code resolveTarget(const std::filesystem::path& path, Target& target) {
    for (int attempt = 0; attempt < 2; ++attempt) {
        target = Target{};
        if (const std::error_code error = resolve(path, target, 0)) {
            return error;
        }
        if (!target.changed) {
            return {};
        }
    }
    return SaveRefusal::ChangedWhileSaving;
}

}  // namespace

std::error_code saveWithSystem(const std::string& path, std::span<const std::uint8_t> bytes,
                               ExistingFile existing, SaveDetails& details) {
    Target target;
    if (const std::error_code error = resolveTarget(path, target)) {
        return error;
    }
    struct stat old {};
    if (target.existing.valid() && ::fstat(target.existing.get(), &old) == 0) {
        details.targetLinks = old.st_nlink;
    }
    details.step = SaveStep::CreatingTemporary;
    TemporaryFile temporary(target.folder.get());
    if (!temporary.created()) {
        return lastError();
    }
    if (target.existing.valid()) {
        keepWhatTheFileHad(temporary.fd(), target.existing.get());
    }
    details.step = SaveStep::Writing;
    if (const std::error_code error = writeAll(temporary.fd(), bytes)) {
        return error;
    }
    if (::fsync(temporary.fd()) != 0) {
        return lastError();
    }
    details.step = SaveStep::Replacing;
    if (const std::error_code error = existing == ExistingFile::Keep
                                          ? temporary.linkWithoutReplacing(target.name)
                                          : temporary.replace(target.name)) {
        return error;
    }
    syncFolder(target.folder.get());
    return {};
}

}  // namespace tilewright
