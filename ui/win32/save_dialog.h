#pragma once

#include <optional>
#include <string>

#include "create/create_rom.h"
#include "ui/win32/windows_api.h"

namespace tilewright {

// The common dialog's filter: the description and the pattern, each ending in a NUL, and one
// more NUL to end the list.
[[nodiscard]] std::wstring dialogFilter(const SaveDialogSettings& settings);

// The common dialog's flags: OFN_OVERWRITEPROMPT (option 2) to ask before replacing a file,
// OFN_HIDEREADONLY (option 4) to hide the read-only box.
[[nodiscard]] DWORD dialogFlags(const SaveDialogSettings& settings);

// Shows the modal save dialog owned by the window and returns the chosen path in UTF-8.
// nullopt when the user cancels; a dialog that fails to open is reported in a message box and
// also gives nullopt.
[[nodiscard]] std::optional<std::string> showSaveDialog(HWND owner,
                                                        const SaveDialogSettings& settings);

}  // namespace tilewright
