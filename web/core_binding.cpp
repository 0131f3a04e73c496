// The page's one way into the core: the key and text rules of the name box and the Create
// command's check and image, bound for the page's script. The script only moves values between
// the controls and these functions.
#include <emscripten/bind.h>
#include <emscripten/val.h>

#include <cstdint>
#include <string>

#include "create/create_rom.h"
#include "create/file_name.h"
#include "rom/name_check.h"
#include "rom/name_tiles.h"
#include "rom/rom_image.h"

namespace tilewright {
namespace {

// What Create does with the name before it asks where to save, as createRom does it: nothing
// for an empty name, the error box for one that is too long, otherwise the save dialog.
struct CreateStart {
    bool save;             // go on to the save dialog
    std::string error;     // the error box's text when the name is refused, else empty
    std::string fileName;  // the file name the save dialog offers
};

CreateStart startCreate(const std::string& name) {
    const NameCheck check = checkName(name);
    if (check.problem == NameProblem::Empty) {
        return {false, "", ""};
    }
    if (check.problem == NameProblem::TooLong) {
        return {false, nameProblemText(check), ""};
    }
    // NoTile cannot come from the name box, whose rules drop such characters; as in the
    // windows, a name holding one anyway is saved as the box holds it. The page may be saving
    // to any system: Windows' file name rules are the strictest, and a name they keep is kept
    // everywhere.
    return {true, "", sanitizeFileName(name, FileNameRules::Windows)};
}

// A typed UTF-16 code unit through the key rule; a unit above 0x7FFF is negative as the
// 16-bit key code and swallowed like every other character without a tile.
int filterTypedKey(int code) {
    return filterKey(static_cast<std::int16_t>(code));
}

std::string filterPastedText(const std::string& text) {
    return filterText(text);
}

// The image as a Uint8Array of the script's own: a view into the module's memory would
// become stale when the memory grows.
emscripten::val romImage(const std::string& name, int icon) {
    const RomImage image = buildRomImage(name, static_cast<IconChoice>(icon));
    return emscripten::val::global("Uint8Array")
        .new_(emscripten::typed_memory_view(image.size(), image.data()));
}

std::string saveFilterDescription() {
    return std::string(kSaveFilterDescription);
}

// The extension the save dialog's pattern lists: ".BIN" of "*.BIN".
std::string saveFilterExtension() {
    return std::string(kSaveFilterPattern.substr(kSaveFilterPattern.find('.')));
}

}  // namespace
}  // namespace tilewright

EMSCRIPTEN_BINDINGS(tilewright_core) {
    using namespace tilewright;
    emscripten::value_object<CreateStart>("CreateStart")
        .field("save", &CreateStart::save)
        .field("error", &CreateStart::error)
        .field("fileName", &CreateStart::fileName);
    emscripten::function("filterKey", &filterTypedKey);
    emscripten::function("filterText", &filterPastedText);
    emscripten::function("startCreate", &startCreate);
    emscripten::function("romImage", &romImage);
    emscripten::function("saveFilterDescription", &saveFilterDescription);
    emscripten::function("saveFilterExtension", &saveFilterExtension);
}
