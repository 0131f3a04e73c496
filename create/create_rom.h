#pragma once

#include <filesystem>
#include <optional>
#include <string>
#include <string_view>

#include "rom/rom_image.h"

namespace tilewright {

// How the Create command sets up the save dialog.
struct SaveDialogSettings {
    std::string filter;    // "Binary Files (*.BIN)|*.BIN": description|pattern pairs
    std::string fileName;  // initial file name, UTF-8
    std::string title;     // "Select a folder to save file in."
    unsigned options;      // 6 = 2 (ask before replacing a file) + 4 (hide the read-only box)
};

inline constexpr unsigned kAskBeforeReplacing = 2;
inline constexpr unsigned kHideReadOnly = 4;

inline constexpr std::string_view kSaveFilter = "Binary Files (*.BIN)|*.BIN";
inline constexpr std::string_view kSaveTitle = "Select a folder to save file in.";
inline constexpr std::string_view kNameTooLongText = "Name must be 19 Characters or Less.";
inline constexpr std::string_view kErrorTitle = "Error";

// What the Create command needs from the main window.
class MainWindow {
public:
    virtual ~MainWindow() = default;
    virtual std::string nameText() const = 0;  // UTF-8
    virtual IconChoice selectedIcon() const = 0;
    virtual void setNameText(std::string_view text) = 0;
    virtual void selectIcon(IconChoice icon) = 0;
    // Shows the modal save dialog; nullopt when the user cancels it.
    virtual std::optional<std::filesystem::path> runSaveDialog(
        const SaveDialogSettings& settings) = 0;
    // Modal message box with the error icon and one OK button.
    virtual void showError(std::string_view text, std::string_view title) = 0;
};

// The tool's one command: checks the name, asks where to save, writes the image there and
// clears the window for the next name. Every failure is shown through the window.
void createRom(MainWindow& window);

}  // namespace tilewright
