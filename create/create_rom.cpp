#include "create/create_rom.h"

#include <exception>
#include <new>

#include "create/file_name.h"
#include "create/save_file.h"
#include "rom/utf8.h"

namespace tilewright {
namespace {

// "Could not save "<path>".", then the reason as a sentence of its own.
std::string saveFailureText(const std::string& path, const std::error_code& error,
                            const SaveDetails& details) {
    std::string reason = saveFailureReason(path, error, details);
    if (!reason.empty() && reason[0] >= 'a' && reason[0] <= 'z') {
        reason[0] = static_cast<char>(reason[0] - 'a' + 'A');
    }
    return "Could not save \"" + path + "\".\n\n" + reason + ".";
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
    SaveDetails details;
    if (const std::error_code error =
            saveFileSafely(*path, image, ExistingFile::Replace, &details)) {
        // The inputs stay as they are, so the user can pick another place.
        window.showError(saveFailureText(*path, error, details), kErrorTitle);
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
