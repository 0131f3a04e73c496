#include "create/file_metadata_posix.h"

#include <sys/stat.h>
#include <sys/xattr.h>
#include <unistd.h>

#include <string>
#include <vector>

namespace tilewright {
namespace {

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

}  // namespace

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

}  // namespace tilewright
