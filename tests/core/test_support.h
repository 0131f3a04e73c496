#pragma once

#include <filesystem>
#include <optional>
#include <random>
#include <set>
#include <string>
#include <vector>

#include "create/create_rom.h"

namespace tilewright::testing {

// A fresh folder under the system's temporary folder, removed with everything in it.
class ScratchFolder {
public:
    ScratchFolder() {
        std::random_device random;
        path_ = std::filesystem::temp_directory_path() /
                ("tilewright-test-" + std::to_string(random()) + std::to_string(random()));
        std::filesystem::create_directory(path_);
    }
    ScratchFolder(const ScratchFolder&) = delete;
    ScratchFolder& operator=(const ScratchFolder&) = delete;
    ~ScratchFolder() {
        std::error_code ignored;
        std::filesystem::permissions(path_, std::filesystem::perms::owner_all,
                                     std::filesystem::perm_options::add, ignored);
        std::filesystem::remove_all(path_, ignored);
    }

    [[nodiscard]] const std::filesystem::path& path() const { return path_; }
    [[nodiscard]] std::filesystem::path operator/(const std::string& name) const {
        return path_ / name;
    }

    // The names of what the folder holds, to see that no temporary file was left behind.
    [[nodiscard]] std::set<std::string> entries() const {
        std::set<std::string> names;
        for (const auto& entry : std::filesystem::directory_iterator(path_)) {
            names.insert(entry.path().filename().string());
        }
        return names;
    }

private:
    std::filesystem::path path_;
};

// A path as the save dialog hands it to the core: UTF-8 text.
[[nodiscard]] inline std::string utf8Path(const std::filesystem::path& path) {
    const std::u8string text = path.u8string();
    return {text.begin(), text.end()};
}

// A main window without a screen: it holds the name and the selection, answers the save
// dialog with a path chosen by the test, and records what the command showed.
class FakeWindow final : public MainWindow {
public:
    std::string name;
    IconChoice icon = IconChoice::None;
    std::optional<std::filesystem::path> dialogAnswer;
    std::vector<SaveDialogSettings> dialogs;
    std::vector<std::pair<std::string, std::string>> errors;  // text, title

    std::string nameText() const override { return name; }
    IconChoice selectedIcon() const override { return icon; }
    void setNameText(std::string_view text) override { name = text; }
    void selectIcon(IconChoice choice) override { icon = choice; }
    std::optional<std::string> runSaveDialog(const SaveDialogSettings& s) override {
        dialogs.push_back(s);
        if (!dialogAnswer) {
            return std::nullopt;
        }
        return utf8Path(*dialogAnswer);
    }
    void showError(std::string_view text, std::string_view title) override {
        errors.emplace_back(text, title);
    }
};

std::vector<std::uint8_t> readFile(const std::filesystem::path& path);
void writeFile(const std::filesystem::path& path, const std::string& content);

}  // namespace tilewright::testing
