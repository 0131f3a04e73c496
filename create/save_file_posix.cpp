#include <fcntl.h>
#include <signal.h>
#include <sys/stat.h>
#include <unistd.h>

#include <array>
#include <cerrno>
#include <cstdio>
#include <optional>
#include <random>
#include <string>
#include <utility>

#include "create/file_descriptor_posix.h"
#include "create/file_metadata_posix.h"
#include "create/save_file.h"
#include "create/save_file_platform.h"
#include "create/save_target_posix.h"

namespace tilewright {
namespace {

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
            if (!takeRandomName([this](const std::string& name) { return linkUnnamed(name); }) &&
                errno != EEXIST) {
                return lastError();
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
        takeRandomName([this](const std::string& name) {
            fd_ = ::openat(folder_, name.c_str(),
                           O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0666);
            return fd_ >= 0;
        });
    }

    // Tries fresh temporary names with make until one is made, and keeps it as the file's name.
    // A name that is taken (EEXIST) means another try; any other failure stops, errno telling
    // why.
    template <typename Make>
    bool takeRandomName(Make make) {
        for (int attempt = 0; attempt < 100; ++attempt) {
            std::string name = randomName();
            if (make(name)) {
                name_ = std::move(name);
                return true;
            }
            if (errno != EEXIST) {
                return false;
            }
        }
        return false;
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

// Makes the rename itself durable; a folder that cannot be synced is no reason to fail. The
// folder is held as an O_PATH descriptor, which fsync refuses, so it is opened again through it.
void syncFolder(int folderFd) {
    const FileDescriptor folder(::openat(folderFd, ".", O_RDONLY | O_DIRECTORY | O_CLOEXEC));
    if (folder.valid()) {
        ::fsync(folder.get());
    }
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
