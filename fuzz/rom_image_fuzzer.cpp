// Feeds arbitrary bytes to the image builder as a name, with every icon and with one value
// outside IconChoice, and checks each image byte for byte or that the input was refused. A
// name the name check takes also goes the way of a chip read back: its image, decoded and
// examined by the core, must show exactly that name and icon. (The Intel HEX and S-record
// round trips do not depend on the name and are left to the ordinary tests: here they would
// cost most of the run.)
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "fuzz/finding.h"
#include "rom/image_check.h"
#include "rom/name_check.h"
#include "rom/rom_file_format.h"
#include "tests/support/image_check.h"

namespace tilewright {
namespace {

std::optional<std::string> findRoundTripFault(const NameCheck& check, IconChoice icon) {
    const RomImage image = buildRomImage(check.name, icon);
    const DecodedRomFile decoded = decodeRomFile(encodeRomFile(image, RomFileFormat::Binary));
    if (!decoded.error.empty() ||
        !std::equal(image.begin(), image.end(), decoded.bytes.begin(), decoded.bytes.end())) {
        return "reading back the binary file did not give the image";
    }
    const ImageReport report = examineImage(decoded.bytes);
    // An 18-character name and the same name with a space added give the same image.
    const bool sameName =
        report.name == check.name || (report.mayEndInSpace && report.name + " " == check.name);
    if (!report.conforming || report.icon != icon || !sameName) {
        return "the examined image of \"" + check.name + "\" says \"" + report.name + "\"";
    }
    return std::nullopt;
}

}  // namespace
}  // namespace tilewright

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    // No copy: the sanitizer sees any read past the fuzzer's exactly sized buffer.
    const std::string_view name(reinterpret_cast<const char*>(data), size);
    const tilewright::NameCheck check = tilewright::checkName(name);
    for (std::uint8_t icon = 0; icon < tilewright::kIconCount; ++icon) {
        tilewright::failOn(tilewright::findBuildFault(name, icon));
        if (check.ok()) {
            tilewright::failOn(
                tilewright::findRoundTripFault(check, static_cast<tilewright::IconChoice>(icon)));
        }
    }
    // The input's first byte picks the out-of-range icon, so over a run every one is tried.
    const auto badIcon = static_cast<std::uint8_t>(size == 0 ? 6 : 6 + data[0] % 250);
    tilewright::failOn(tilewright::findBuildFault(name, badIcon));
    return 0;
}
