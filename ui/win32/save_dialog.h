#pragma once

#include <filesystem>
#include <optional>
#include <string>
#include <string_view>

#include "create/create_rom.h"
#include "ui/win32/windows_api.h"

namespace tilewright {

// The common dialog's filter: each "|" of "description|pattern|..." becomes a NUL, and the
// list ends with two NULs.
[[nodiscard]] std::wstring dialogFilter(std::string_view filter);

// The common dialog's flags for the settings' options (2: ask before replacing a file,
// 4: hide the read-only box).
[[nodiscard]] DWORD dialogFlags(unsigned options);

// Shows the modal save dialog owned by the window. nullopt when the user cancels; a dialog
// that fails to open is reported in a message box and also gives nullopt.
[[nodiscard]] std::optional<std::filesystem::path> showSaveDialog(
    HWND owner, const SaveDialogSettings& settings);

}  // namespace tilewright
