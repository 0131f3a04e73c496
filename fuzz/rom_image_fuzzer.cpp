// Feeds arbitrary bytes to the image builder as a name, with every icon and with one value
// outside IconChoice, and checks each image byte for byte or that the input was refused.
#include <cstddef>
#include <cstdint>
#include <string_view>

#include "fuzz/finding.h"
#include "tests/support/image_check.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    // No copy: the sanitizer sees any read past the fuzzer's exactly sized buffer.
    const std::string_view name(reinterpret_cast<const char*>(data), size);
    for (std::uint8_t icon = 0; icon < 6; ++icon) {
        tilewright::failOn(tilewright::findBuildFault(name, icon));
    }
    // The input's first byte picks the out-of-range icon, so over a run every one is tried.
    const auto badIcon = static_cast<std::uint8_t>(size == 0 ? 6 : 6 + data[0] % 250);
    tilewright::failOn(tilewright::findBuildFault(name, badIcon));
    return 0;
}
