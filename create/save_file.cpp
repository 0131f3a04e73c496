#include "create/save_file.h"

#include <string>

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

std::error_code saveFileSafely(const std::string& target, std::span<const std::uint8_t> bytes,
                               ExistingFile existing) {
    NativePath resolved;
    if (const std::error_code error = resolveTarget(nativePath(target), resolved)) {
        return error;
    }
    return replaceFile(resolved, bytes, existing);
}

}  // namespace tilewright
