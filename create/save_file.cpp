#include "create/save_file.h"

#include <string>

#include "create/file_name.h"
#include "create/save_file_platform.h"

namespace tilewright {
namespace {

class SaveRefusalCategory final : public std::error_category {
public:
    const char* name() const noexcept override { return "tilewright.save"; }
    std::string message(int value) const override {
        switch (static_cast<SaveRefusal>(value)) {
            case SaveRefusal::IsAFolder:
                return "It is a folder. Choose a file name inside it.";
            case SaveRefusal::NotARegularFile:
                return "It is a device, pipe or other special file, not an ordinary file.";
            case SaveRefusal::ReservedDeviceName:
                return "Windows keeps this name for a device. Choose another name.";
        }
        return "The file cannot be saved there.";
    }
};

// Follows a chain of symbolic links to the path they end at, even when that file does not
// exist yet, so that saving over a link replaces the linked file and keeps the link.
std::filesystem::path followLinks(std::filesystem::path path, std::error_code& error) {
    constexpr int kMaxLinks = 40;  // as the kernel's own limit on link chains
    for (int i = 0; i < kMaxLinks; ++i) {
        if (!std::filesystem::is_symlink(std::filesystem::symlink_status(path, error))) {
            if (error == std::errc::no_such_file_or_directory) {
                error.clear();
            }
            return path;
        }
        const std::filesystem::path linked = std::filesystem::read_symlink(path, error);
        if (error) {
            return path;
        }
        path = linked.is_absolute() ? linked : path.parent_path() / linked;
    }
    error = std::make_error_code(std::errc::too_many_symbolic_link_levels);
    return path;
}

// Refuses a path that names something other than an ordinary file.
std::error_code checkTarget(const std::filesystem::path& target) {
    if (kNativeFileNameRules == FileNameRules::Windows && isReservedDeviceName(target)) {
        return SaveRefusal::ReservedDeviceName;
    }
    std::error_code error;
    const std::filesystem::file_status status = std::filesystem::status(target, error);
    if (error && error != std::errc::no_such_file_or_directory) {
        return error;
    }
    if (std::filesystem::is_directory(status)) {
        return SaveRefusal::IsAFolder;
    }
    if (std::filesystem::exists(status) && !std::filesystem::is_regular_file(status)) {
        return SaveRefusal::NotARegularFile;
    }
    return {};
}

}  // namespace

const std::error_category& saveRefusalCategory() noexcept {
    static const SaveRefusalCategory category;
    return category;
}

std::error_code make_error_code(SaveRefusal refusal) noexcept {
    return {static_cast<int>(refusal), saveRefusalCategory()};
}

std::error_code saveFileSafely(const std::filesystem::path& target,
                               std::span<const std::uint8_t> bytes) {
    std::error_code error;
    const std::filesystem::path resolved = followLinks(target, error);
    if (error) {
        return error;
    }
    if (const std::error_code refused = checkTarget(resolved)) {
        return refused;
    }
    return replaceFile(resolved, bytes);
}

}  // namespace tilewright
