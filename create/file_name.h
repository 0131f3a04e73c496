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

// The name offered as the save dialog's initial file name, one that the platform keeps as it
// is: each character that its file names cannot hold becomes "_" (everywhere "/", NUL and the
// other control characters; on Windows also < > : " \\ | ? *). On Windows, where trailing dots
// and spaces are stripped from a name and device names open the device, those become "_" and
// a device name gets a "_" at the end of its stem ("CON" is offered as "CON_", "AUX.BIN" as
// "AUX_.BIN"). "." and "..", which name folders everywhere, are offered as "_" and "__".
[[nodiscard]] std::string sanitizeFileName(std::string_view name,
                                           FileNameRules rules = kNativeFileNameRules);

// Whether a name is "." or "..", which no platform can give to a file.
[[nodiscard]] bool isDotName(std::string_view name);

// Whether the file name at the end of a Windows path (after the last "\\" or "/") is one
// of the names Windows keeps for devices (CON, PRN, AUX, NUL, COM0-COM9, LPT0-LPT9 and
// COM/LPT with a superscript 1, 2 or 3), in any letter case, with or without an extension or
// a colon after it ("NUL.BIN", "CON:", "NUL:.BIN"), spaces before those ignored.
[[nodiscard]] bool isReservedDeviceName(std::string_view path);

}  // namespace tilewright
