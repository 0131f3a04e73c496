#include "create/create_rom.h"

#include <exception>
#include <new>

#include "create/file_name.h"
#include "create/save_file.h"
#include "rom/utf8.h"

namespace tilewright {
namespace {

// "Could not save "<path>".", then the reason as the system gives it, ending in a full stop.
std::string saveFailureText(const std::string& path, const std::error_code& error) {
    return "Could not save \"" + path + "\".\n\n" + systemReason(error) + ".";
}

void runCreate(MainWindow& window) {
    const std::string name = window.nameText();
    if (name.empty()) {
        return;
    }
    if (characterCount(name) > kMaxNameLength) {
        window.showError(kNameTooLongText, kErrorTitle);
        return;
    }

    const SaveDialogSettings settings{
        .title = std::string(kSaveTitle),
        .fileName = sanitizeFileName(name),
        .filterDescription = std::string(kSaveFilterDescription),
        .filterPattern = std::string(kSaveFilterPattern),
        .askBeforeReplacing = true,
        .hideReadOnly = true,
    };
    const std::optional<std::string> path = window.runSaveDialog(settings);
    if (!path) {
        return;
    }

    const RomImage image = buildRomImage(name, window.selectedIcon());
    if (const std::error_code error = saveFileSafely(*path, image)) {
        // The inputs stay as they are, so the user can pick another place.
        window.showError(saveFailureText(*path, error), kErrorTitle);
        return;
    }

    window.setNameText("");
    window.selectIcon(IconChoice::None);
}

}  // namespace

void createRom(MainWindow& window) noexcept {
    // The inputs stay as they are after a failure here too. A message box that cannot be shown
    // either ends the program, which is all that is left to do.
    try {
        runCreate(window);
    } catch (const std::bad_alloc&) {
        window.showError(kNotEnoughMemoryText, kErrorTitle);
    } catch (const std::exception& error) {
        window.showError(error.what(), kErrorTitle);
    }
}

}  // namespace tilewright
