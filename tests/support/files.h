#pragma once

#include <cstdint>
#include <filesystem>
#include <set>
#include <string>
#include <string_view>
#include <vector>

// File helpers shared by every C++ test program.
namespace tilewright::test {

// A fresh folder under the system's temporary folder, removed with everything in it.
class ScratchFolder {
public:
    ScratchFolder();
    ScratchFolder(const ScratchFolder&) = delete;
    ScratchFolder& operator=(const ScratchFolder&) = delete;
    ~ScratchFolder();

    [[nodiscard]] const std::filesystem::path& path() const { return path_; }
    [[nodiscard]] std::filesystem::path operator/(const std::filesystem::path& name) const {
        return path_ / name;
    }

    // The names of what the folder holds, to see that no temporary file was left behind.
    [[nodiscard]] std::set<std::string> entries() const;

private:
    std::filesystem::path path_;
};

// The names of what a folder holds, as UTF-8.
[[nodiscard]] std::set<std::string> folderEntries(const std::filesystem::path& folder);

// A path as UTF-8 text, as the save dialog hands it to the core.
[[nodiscard]] std::string utf8Path(const std::filesystem::path& path);

[[nodiscard]] std::vector<std::uint8_t> readFile(const std::filesystem::path& path);
void writeFile(const std::filesystem::path& path, std::string_view content);

}  // namespace tilewright::test
