#include "create/save_target_posix.h"

#include <fcntl.h>
#include <linux/magic.h>
#include <sys/stat.h>
#include <sys/vfs.h>
#include <unistd.h>

#include <array>
#include <cerrno>

#include "create/save_file.h"

namespace tilewright {
namespace {

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

}  // namespace

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

}  // namespace tilewright
