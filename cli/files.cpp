#include "cli/files.h"

#include <cerrno>

#ifdef _WIN32
#include "text/wide_text.h"
#include "text/windows_api.h"
#else
#include <sys/stat.h>
#endif

namespace tilewright {
namespace {

// An image as Intel HEX takes 22 KiB; anything far larger (a device, a disk image) is no image
// and is not read to its end.
constexpr std::size_t kMaxFileSize = 1 << 20;

#ifdef _WIN32
// INVALID_FILE_ATTRIBUTES when nothing is there. A link is not followed, so a link to a file
// that does not exist counts as there: the save would replace the link itself.
DWORD attributes(std::string_view path) {
    return GetFileAttributesW(toWide(path).c_str());
}
#endif

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

bool isFolder(std::string_view path) {
#ifdef _WIN32
    const DWORD found = attributes(path);
    return found != INVALID_FILE_ATTRIBUTES && (found & FILE_ATTRIBUTE_DIRECTORY) != 0;
#else
    struct stat status {};
    return ::stat(std::string(path).c_str(), &status) == 0 && S_ISDIR(status.st_mode);
#endif
}

bool pathExists(std::string_view path) {
#ifdef _WIN32
    return attributes(path) != INVALID_FILE_ATTRIBUTES;
#else
    struct stat status {};
    return ::stat(std::string(path).c_str(), &status) == 0;
#endif
}

}  // namespace tilewright
