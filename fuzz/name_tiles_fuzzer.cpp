// Checks the key filter and the tile lookup against each other and against a second opinion:
// every 16-bit typed code and every Unicode code point once at start, then the codes that the
// fuzzer's inputs spell, four bytes each, which reach the values past U+10FFFF.
#include <cstddef>
#include <cstdint>
#include <cstring>

#include "fuzz/finding.h"
#include "fuzz/tile_check.h"
#include "rom/name_tiles.h"

namespace {

void checkCode(std::uint32_t code) {
    using namespace tilewright;
    failOn(findTileFault(static_cast<char32_t>(code), tileForChar));
    // A typed code keeps the low 16 bits; the high half is tried as a code of its own.
    failOn(findKeyFilterFault(static_cast<std::int16_t>(code & 0xFFFF), filterKey, tileForChar));
    failOn(findKeyFilterFault(static_cast<std::int16_t>(code >> 16), filterKey, tileForChar));
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
    for (std::uint32_t code = 0; code <= 0x10FFFF; ++code) {
        checkCode(code);
    }
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    for (std::size_t i = 0; i + 4 <= size; i += 4) {
        std::uint32_t code;
        std::memcpy(&code, data + i, sizeof code);
        checkCode(code);
    }
    return 0;
}
