#pragma once

#include <cstdio>
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

// Whether the path names a folder (following links).
[[nodiscard]] bool isFolder(std::string_view path);

// Whether anything is at the path, as a save without --force would find it.
[[nodiscard]] bool pathExists(std::string_view path);

}  // namespace tilewright
