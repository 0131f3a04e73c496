#pragma once

#include <optional>
#include <string>

#include "create/create_rom.h"
#include "text/windows_api.h"

namespace tilewright {

// Shows the modal save dialog owned by the window and returns the chosen path in UTF-8.
// nullopt when the user cancels; a dialog that fails to open is reported in a message box and
// also gives nullopt.
[[nodiscard]] std::optional<std::string> showSaveDialog(HWND owner,
                                                        const SaveDialogSettings& settings);

}  // namespace tilewright
