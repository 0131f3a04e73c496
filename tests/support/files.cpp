#include "tests/support/files.h"

#include <fstream>
#include <iterator>
#include <random>

namespace tilewright::test {

ScratchFolder::ScratchFolder() {
    std::random_device random;
    path_ = std::filesystem::temp_directory_path() /
            ("tilewright-test-" + std::to_string(random()) + std::to_string(random()));
    std::filesystem::create_directory(path_);
}

ScratchFolder::~ScratchFolder() {
    std::error_code ignored;
    // A test may have taken away the right to change the folder; give it back to clean up.
    std::filesystem::permissions(path_, std::filesystem::perms::owner_all,
                                 std::filesystem::perm_options::add, ignored);
    std::filesystem::remove_all(path_, ignored);
}

std::set<std::string> ScratchFolder::entries() const {
    return folderEntries(path_);
}

std::set<std::string> folderEntries(const std::filesystem::path& folder) {
    std::set<std::string> names;
    for (const auto& entry : std::filesystem::directory_iterator(folder)) {
        names.insert(utf8Path(entry.path().filename()));
    }
    return names;
}

std::string utf8Path(const std::filesystem::path& path) {
    // As UTF-8 on every platform, where string() would use Windows' code page.
    const std::u8string text = path.u8string();
    return {text.begin(), text.end()};
}

std::vector<std::uint8_t> readFile(const std::filesystem::path& path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

void writeFile(const std::filesystem::path& path, std::string_view content) {
    std::ofstream(path, std::ios::binary)
        .write(content.data(), static_cast<std::streamsize>(content.size()));
}

}  // namespace tilewright::test
