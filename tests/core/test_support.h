#pragma once

#include <exception>
#include <filesystem>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "create/create_rom.h"
#include "tests/support/files.h"

namespace tilewright::test {

// A main window without a screen: it holds the name and the selection, answers the save
// dialog with a path chosen by the test (or fails with dialogFailure, as a toolkit's dialog
// can, by throwing), and records what the command showed.
class FakeWindow final : public MainWindow {
public:
    std::string name;
    IconChoice icon = IconChoice::None;
    std::optional<std::filesystem::path> dialogAnswer;
    std::exception_ptr dialogFailure;
    std::vector<SaveDialogSettings> dialogs;
    std::vector<std::pair<std::string, std::string>> errors;  // text, title

    std::string nameText() const override { return name; }
    IconChoice selectedIcon() const override { return icon; }
    void setNameText(std::string_view text) override { name = text; }
    void selectIcon(IconChoice choice) override { icon = choice; }
    std::optional<std::string> runSaveDialog(const SaveDialogSettings& s) override {
        dialogs.push_back(s);
        if (dialogFailure) {
            std::rethrow_exception(dialogFailure);
        }
        if (!dialogAnswer) {
            return std::nullopt;
        }
        return utf8Path(*dialogAnswer);
    }
    void showError(std::string_view text, std::string_view title) override {
        errors.emplace_back(text, title);
    }
};

}  // namespace tilewright::test
