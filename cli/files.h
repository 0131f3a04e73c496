#pragma once

#include <cstdio>
#include <optional>
#include <string>
#include <string_view>
#include <system_error>

// Reading files and asking what a path is, for paths given as UTF-8 on the command line or in
// a list. Through the C library and the system's calls rather than std::filesystem, which
// would more than double the size of the statically linked Windows exe for these three
// questions; the window does without it for the same reason.
namespace tilewright {

// Reads a stream to its end, up to 1 MiB; false on a read error or when it is larger, with
// errno set (EFBIG for a larger one).
[[nodiscard]] bool readStream(std::FILE* file, std::string& content);

// Reads a whole file of up to 1 MiB; the error is the system's when it cannot be read, and
// EFBIG for a larger one.
[[nodiscard]] std::error_code readWholeFile(std::string_view path, std::string& content);

// What is at a path, following links.
enum class PathKind { Nothing, File, Folder, Other /* a device, pipe or socket */ };

[[nodiscard]] PathKind pathKind(std::string_view path);

// The descriptor of this process that the path names (/dev/stdout, /dev/stderr, /dev/fd/N,
// /proc/self/fd/N, /proc/PID/fd/N, or a link to one of them), or nullopt. Saving over such a
// path would follow the link to whatever file the stream goes to and replace it, losing what
// was written there before and after; these paths are written as streams instead. Always
// nullopt on Windows, which has no such paths.
[[nodiscard]] std::optional<int> ownDescriptor(std::string_view path);

[[nodiscard]] bool isTerminal(int fd);

// Writes all the bytes to a descriptor; the error that stopped it otherwise. POSIX only.
[[nodiscard]] std::error_code writeToDescriptor(int fd, std::string_view bytes);

}  // namespace tilewright
