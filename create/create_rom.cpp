#include "create/create_rom.h"

#include "create/file_name.h"
#include "create/save_file.h"
#include "rom/utf8.h"

namespace tilewright {
namespace {

// "Could not save "<path>".", then the reason as the system gives it, ending in a full stop.
std::string saveFailureText(const std::filesystem::path& path, const std::error_code& error) {
    std::string reason = error.message();
    while (!reason.empty() && (reason.back() == '\n' || reason.back() == '\r' ||
                               reason.back() == ' ' || reason.back() == '.')) {
        reason.pop_back();
    }
    return "Could not save \"" + pathToUtf8(path) + "\".\n\n" + reason + ".";
}

}  // namespace

void createRom(MainWindow& window) {
    const std::string name = window.nameText();
    if (name.empty()) {
        return;
    }
    if (characterCount(name) > kMaxNameLength) {
        window.showError(kNameTooLongText, kErrorTitle);
        return;
    }

    const SaveDialogSettings settings{
        .filter = std::string(kSaveFilter),
        .fileName = sanitizeFileName(name),
        .title = std::string(kSaveTitle),
        .options = kAskBeforeReplacing + kHideReadOnly,
    };
    const std::optional<std::filesystem::path> path = window.runSaveDialog(settings);
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

}  // namespace tilewright
