#include "create/create_rom.h"

#include <exception>
#include <new>

#include "create/file_name.h"
#include "create/save_file.h"
#include "rom/name_check.h"

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
    const NameCheck check = checkName(name);
    if (check.problem == NameProblem::Empty) {
        return;
    }
    if (check.problem == NameProblem::TooLong) {
        window.showError(nameProblemText(check), kErrorTitle);
        return;
    }
    // NoTile cannot come from the name box, whose filter drops such characters. A name that
    // holds one anyway is written as the box holds it: the image keeps the pad tile in the
    // character's place.

    const SaveDialogSettings settings{
        .title = std::string(kSaveTitle),
        .fileName = sanitizeFileName(name),
        .filterDescription = std::string(kSaveFilterDescription),
        .filterPattern = std::string(kSaveFilterPattern),
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
