#pragma once

// How Intel HEX and S-record text is read: each format's records, their checksums and the
// placing of their bytes by address. decodeRomFile picks the format and calls these.

#include <cstdint>
#include <numeric>
#include <span>
#include <string_view>

#include "rom/rom_file_format.h"

namespace tilewright {

// The sum of a record's bytes, whose low byte both formats fix with the record's checksum.
inline unsigned byteSum(std::span<const std::uint8_t> bytes) {
    return std::accumulate(bytes.begin(), bytes.end(), 0u);
}

// Intel HEX text (data, end-of-file and address records) as the bytes it places from 0.
[[nodiscard]] DecodedRomFile decodeIntelHex(std::string_view text);

// S-record text (S0 header, S1-S3 data, S5-S9 count and end records) as the bytes it places.
[[nodiscard]] DecodedRomFile decodeSRecord(std::string_view text);

}  // namespace tilewright
