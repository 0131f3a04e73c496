#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "rom/rom_image.h"

namespace tilewright {

// The file formats EPROM programmers read: the bytes as they are, Intel HEX, Motorola S-record.
enum class RomFileFormat { Binary, IntelHex, SRecord };

// The format's name on the command line and in show's JSON: "bin", "ihex" or "srec".
[[nodiscard]] std::string_view formatKey(RomFileFormat format);

// The format a name from the command line gives, in any letter case: "bin" or "binary"; "ihex",
// "hex", "ihx" or "intel"; "srec", "s19", "mot" or "motorola". nullopt for any other name.
[[nodiscard]] std::optional<RomFileFormat> formatFromName(std::string_view name);

// The format a file name's extension asks for, in any letter case: .hex and .ihx are Intel HEX,
// .s19, .srec and .mot are S-records, anything else is binary.
[[nodiscard]] RomFileFormat formatForFileName(std::string_view fileName);

[[nodiscard]] std::string_view formatTitle(RomFileFormat format);

// The file's content for an image: Intel HEX as 16-byte data records from 0x0000 and an
// end-of-file record; S-records as an empty S0 header, 16-byte S1 records and an S9 end record.
[[nodiscard]] std::string encodeRomFile(const RomImage& image, RomFileFormat format);

// A file's bytes after reading it in the format given, or else the one its content shows: text
// (printable ASCII, with any line ends, a UTF-8 byte order mark and spaces around the records)
// whose first record starts with ':' or "S0"-"S9" is Intel HEX or S-records; anything else is
// binary, so that a chip read whose first byte happens to be ':' is still examined as one.
// Intel HEX or S-records saved as UTF-16, and S-records with a lower-case 's', are not read but
// named in the error.
struct DecodedRomFile {
    RomFileFormat format = RomFileFormat::Binary;
    std::vector<std::uint8_t> bytes;  // from address 0, without gaps
    std::string error;                // why the text could not be read; empty when it could
};

[[nodiscard]] DecodedRomFile decodeRomFile(std::string_view content,
                                           std::optional<RomFileFormat> format = std::nullopt);

}  // namespace tilewright
