#pragma once

#include <string>
#include <string_view>

namespace tilewright {

// Which characters a platform's file names cannot hold.
enum class FileNameRules { Windows, Posix };

#ifdef _WIN32
inline constexpr FileNameRules kNativeFileNameRules = FileNameRules::Windows;
#else
inline constexpr FileNameRules kNativeFileNameRules = FileNameRules::Posix;
#endif

// The name offered as the save dialog's initial file name: each character that the platform's
// file names cannot hold becomes "_". Windows: < > : " / \ | ? * and control characters;
// elsewhere "/" and NUL.
[[nodiscard]] std::string sanitizeFileName(std::string_view name,
                                           FileNameRules rules = kNativeFileNameRules);

// Whether the file name at the end of a Windows path (after the last "\\" or "/") is one
// of the names Windows keeps for devices (CON, PRN, AUX, NUL, COM1-COM9, LPT1-LPT9), in any
// letter case, with or without an extension.
[[nodiscard]] bool isReservedDeviceName(std::string_view path);

}  // namespace tilewright
