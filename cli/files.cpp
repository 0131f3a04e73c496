#include "cli/files.h"

#include <cerrno>

#ifdef _WIN32
#include "text/wide_text.h"
#include "text/windows_api.h"
#else
#include <sys/stat.h>
#include <unistd.h>

#include <climits>
#include <cstdlib>
#include <memory>

#include "create/file_descriptor_posix.h"
#endif

namespace tilewright {
namespace {

// An image as Intel HEX takes 22 KiB; anything far larger (a device, a disk image) is no image
// and is not read to its end.
constexpr std::size_t kMaxFileSize = 1 << 20;

}  // namespace

bool readStream(std::FILE* file, std::string& content) {
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

std::error_code readWholeFile(std::string_view path, std::string& content) {
    errno = 0;
#ifdef _WIN32
    std::FILE* file = _wfopen(toWide(path).c_str(), L"rb");
#else
    std::FILE* file = std::fopen(std::string(path).c_str(), "rb");
#endif
    if (file == nullptr) {
        return {errno, std::generic_category()};
    }
    content.clear();
    const bool read = readStream(file, content);
    const int error = errno;
    std::fclose(file);
    return read ? std::error_code{} : std::error_code{error, std::generic_category()};
}

PathKind pathKind(std::string_view path) {
#ifdef _WIN32
    // A link is not followed here, so a link to a file that does not exist counts as a file:
    // the save would replace the link itself.
    const DWORD found = GetFileAttributesW(toWide(path).c_str());
    return found == INVALID_FILE_ATTRIBUTES          ? PathKind::Nothing
           : (found & FILE_ATTRIBUTE_DIRECTORY) != 0 ? PathKind::Folder
                                                     : PathKind::File;
#else
    struct stat status {};
    if (::stat(std::string(path).c_str(), &status) != 0) {
        return PathKind::Nothing;
    }
    return S_ISREG(status.st_mode)   ? PathKind::File
           : S_ISDIR(status.st_mode) ? PathKind::Folder
                                     : PathKind::Other;
#endif
}

#ifdef _WIN32

std::optional<int> ownDescriptor(std::string_view) {
    return std::nullopt;
}

bool isTerminal(int) {
    return false;
}

std::error_code writeToDescriptor(int, std::string_view) {
    return std::make_error_code(std::errc::not_supported);
}

#else

namespace {

bool allDigits(std::string_view text) {
    return !text.empty() && text.find_first_not_of("0123456789") == std::string_view::npos;
}

// Whether a resolved folder is this process's (or one of its threads') descriptor folder.
bool isOwnDescriptorFolder(std::string_view folder) {
    const std::string own = "/proc/" + std::to_string(::getpid());
    if (!folder.starts_with(own + "/")) {
        return false;
    }
    folder.remove_prefix(own.size());
    if (folder == "/fd") {
        return true;
    }
    constexpr std::string_view kTask = "/task/";
    if (!folder.starts_with(kTask) || !folder.ends_with("/fd")) {
        return false;
    }
    return allDigits(folder.substr(kTask.size(), folder.size() - kTask.size() - 3));
}

// The folder a path's last part is in, with every link resolved.
std::optional<std::string> resolvedFolder(const std::string& path) {
    const std::size_t slash = path.find_last_of('/');
    const std::string folder = slash == std::string::npos ? "."
                               : slash == 0 ? "/"
                                            : path.substr(0, slash);
    const std::unique_ptr<char, decltype(&std::free)> real(::realpath(folder.c_str(), nullptr),
                                                           &std::free);
    return real ? std::optional<std::string>(real.get()) : std::nullopt;
}

}  // namespace

std::optional<int> ownDescriptor(std::string_view given) {
    std::string path(given);
    constexpr int kMaxLinks = 40;  // as the kernel's own limit on links in a lookup
    for (int links = 0; links < kMaxLinks; ++links) {
        const std::optional<std::string> folder = resolvedFolder(path);
        if (!folder) {
            return std::nullopt;
        }
        const std::string name = path.substr(path.find_last_of('/') + 1);
        if (*folder == "/dev") {
            if (name == "stdin" || name == "stdout" || name == "stderr") {
                return name == "stdin" ? 0 : name == "stdout" ? 1 : 2;
            }
        } else if (isOwnDescriptorFolder(*folder) && allDigits(name) && name.size() < 10) {
            return std::stoi(name);
        }
        // A link elsewhere may still lead to one of them.
        const std::string resolved = (*folder == "/" ? "" : *folder) + "/" + name;
        char target[PATH_MAX];
        const ssize_t size = ::readlink(resolved.c_str(), target, sizeof target);
        if (size <= 0 || static_cast<std::size_t>(size) >= sizeof target) {
            return std::nullopt;
        }
        const std::string_view leadsTo(target, static_cast<std::size_t>(size));
        path =
            leadsTo.starts_with('/') ? std::string(leadsTo) : *folder + "/" + std::string(leadsTo);
    }
    return std::nullopt;
}

bool isTerminal(int fd) {
    return ::isatty(fd) != 0;
}

std::error_code writeToDescriptor(int fd, std::string_view bytes) {
    return writeAll(fd, {reinterpret_cast<const std::uint8_t*>(bytes.data()), bytes.size()});
}

#endif

}  // namespace tilewright
