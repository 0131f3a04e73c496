#pragma once

#include <optional>
#include <string>
#include <string_view>

#include "rom/rom_image.h"

namespace tilewright {

// How the Create command sets up the save dialog. Each window maps these onto its own dialog.
struct SaveDialogSettings {
    std::string title;              // "Select a folder to save file in."
    std::string fileName;           // initial file name, UTF-8
    std::string filterDescription;  // the one file type offered: "Binary Files (*.BIN)"
    std::string filterPattern;      // and the names it lists: "*.BIN"
    // Every window's dialog also asks before it replaces a file and offers no "open as
    // read-only" check box.
};

inline constexpr std::string_view kSaveTitle = "Select a folder to save file in.";
inline constexpr std::string_view kSaveFilterDescription = "Binary Files (*.BIN)";
inline constexpr std::string_view kSaveFilterPattern = "*.BIN";
inline constexpr std::string_view kNotEnoughMemoryText = "There is not enough memory to do this.";
inline constexpr std::string_view kErrorTitle = "Error";

// What the Create command needs from the main window.
class MainWindow {
public:
    virtual ~MainWindow() = default;
    virtual std::string nameText() const = 0;  // UTF-8
    virtual IconChoice selectedIcon() const = 0;
    virtual void setNameText(std::string_view text) = 0;
    virtual void selectIcon(IconChoice icon) = 0;
    // Shows the modal save dialog and returns the chosen file's path, or nullopt when the user
    // cancels it. The path is UTF-8 text; on Linux, the file system's own bytes as the dialog
    // gives them.
    virtual std::optional<std::string> runSaveDialog(const SaveDialogSettings& settings) = 0;
    // Modal message box with the error icon and one OK button.
    virtual void showError(std::string_view text, std::string_view title) = 0;
};

// The tool's one command: checks the name, asks where to save, writes the image there and
// clears the window for the next name. Every failure, running out of memory included, is shown
// through the window: nothing is thrown back into the window's event handling, which could not
// unwind through the toolkit.
void createRom(MainWindow& window) noexcept;

}  // namespace tilewright
