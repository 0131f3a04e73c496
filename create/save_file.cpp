#include "create/save_file.h"

#include <string>
#include <utility>

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
            case SaveRefusal::AlreadyExists:
                return "A file of that name exists already.";
            case SaveRefusal::ChangedWhileSaving:
                return "Another program replaced the file while it was being saved.";
            case SaveRefusal::CannotRefuseReplacing:
                return "This file system cannot add a file without the risk of replacing one of "
                       "that name.";
        }
        return "The file cannot be saved there.";
    }
};

}  // namespace

const std::error_category& saveRefusalCategory() noexcept {
    static const SaveRefusalCategory category;
    return category;
}

std::error_code make_error_code(SaveRefusal refusal) noexcept {
    return {static_cast<int>(refusal), saveRefusalCategory()};
}

std::string systemReason(const std::error_code& error) {
    std::string text = error.message();
    while (!text.empty() && (text.back() == '\n' || text.back() == '\r' || text.back() == ' ' ||
                             text.back() == '.')) {
        text.pop_back();
    }
    return text;
}

namespace {

// The folder part of a path as the user gave it, to be named in a sentence, and the rest.
std::pair<std::string, std::string> folderAndName(const std::string& path) {
#ifdef _WIN32
    const std::size_t separator = path.find_last_of("\\/:");
#else
    const std::size_t separator = path.find_last_of('/');
#endif
    if (separator == std::string::npos) {
        return {"the current folder", path};
    }
    const std::string folder = path.substr(0, separator == 0 ? 1 : separator);
    return {"\"" + folder + "\"", path.substr(separator + 1)};
}

}  // namespace

std::string saveFailureReason(const std::string& target, const std::error_code& error,
                              const SaveDetails& details) {
    const std::string reason = systemReason(error);
    if (error.category() == saveRefusalCategory()) {
        return reason;
    }
    const auto [folder, name] = folderAndName(target);
    const bool replacing = details.targetLinks > 0;
    // Writing the file in place would meet neither refusal: the new file needs a folder that
    // takes new files, and the move needs the right to remove or replace the name.
    if (details.step == SaveStep::CreatingTemporary && replacing) {
        return "cannot create a temporary file in " + folder + " to replace \"" + name +
               "\" safely: " + reason;
    }
    if (details.step == SaveStep::Replacing) {
        return replacing
                   ? "cannot replace \"" + name + "\" in " + folder +
                         " with the new file: " + reason
                   : "cannot move the new file to \"" + name + "\" in " + folder + ": " + reason;
    }
    return reason;
}

std::error_code saveFileSafely(const std::string& target, std::span<const std::uint8_t> bytes,
                               ExistingFile existing, SaveDetails* details) {
    SaveDetails unused;
    SaveDetails& found = details != nullptr ? *details : unused;
    found = SaveDetails{};
    return saveWithSystem(target, bytes, existing, found);
}

}  // namespace tilewright
