#include "rom/rom_file_format.h"

#include <algorithm>
#include <array>
#include <cctype>
#include <initializer_list>
#include <span>

#include "rom/hex.h"
#include "rom/record_decoding.h"

namespace tilewright {
namespace {

constexpr std::size_t kBytesPerRecord = 16;

// One record line: its start, its bytes in hex, and the checksum with which the low byte of
// their sum becomes that of total: 00 for Intel HEX (total 0x100), FF for S-records (0xFF).
void appendRecord(std::string& text, std::string_view start, std::span<const std::uint8_t> bytes,
                  unsigned total) {
    text += start;
    for (const std::uint8_t byte : bytes) {
        appendHex(text, byte, 2);
    }
    appendHex(text, (total - byteSum(bytes)) & 0xFF, 2);
    text += '\n';
}

// A data record's bytes: its fields before the data, then the image's 16 bytes at address.
std::vector<std::uint8_t> recordBytes(std::initializer_list<std::uint8_t> fields,
                                      const RomImage& image, std::size_t address) {
    std::vector<std::uint8_t> bytes(fields);
    const auto data = std::span(image).subspan(address, kBytesPerRecord);
    bytes.insert(bytes.end(), data.begin(), data.end());
    return bytes;
}

std::string encodeIntelHex(const RomImage& image) {
    std::string text;
    for (std::size_t address = 0; address < image.size(); address += kBytesPerRecord) {
        const auto high = static_cast<std::uint8_t>(address >> 8);
        const auto low = static_cast<std::uint8_t>(address);
        // The count, the address, 00 for a data record, the data.
        appendRecord(text, ":", recordBytes({kBytesPerRecord, high, low, 0x00}, image, address),
                     0x100);
    }
    return text + ":00000001FF\n";
}

std::string encodeSRecord(const RomImage& image) {
    std::string text = "S0030000FC\n";  // an empty header, which readers expect first
    constexpr std::uint8_t kCount = kBytesPerRecord + 3;  // address, data and checksum
    for (std::size_t address = 0; address < image.size(); address += kBytesPerRecord) {
        const auto high = static_cast<std::uint8_t>(address >> 8);
        const auto low = static_cast<std::uint8_t>(address);
        appendRecord(text, "S1", recordBytes({kCount, high, low}, image, address), 0xFF);
    }
    return text + "S9030000FC\n";
}

std::string lowerCase(std::string_view text) {
    std::string lower(text);
    std::transform(lower.begin(), lower.end(), lower.begin(),
                   [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    return lower;
}

// Each format's names: its key (the command line's and show's JSON), its title for people, the
// names the command line also takes for it, and the file name extensions that choose it. Unused
// places in the fixed-size lists stay empty.
struct FormatNames {
    RomFileFormat format;
    std::string_view key;
    std::string_view title;
    std::array<std::string_view, 4> names;
    std::array<std::string_view, 3> extensions;
};

constexpr std::array<FormatNames, 3> kFormatNames{{
    {RomFileFormat::Binary, "bin", "binary", {"bin", "binary"}, {}},
    {RomFileFormat::IntelHex, "ihex", "Intel HEX", {"ihex", "hex", "ihx", "intel"}, {"hex", "ihx"}},
    {RomFileFormat::SRecord,
     "srec",
     "S-record",
     {"srec", "s19", "mot", "motorola"},
     {"s19", "srec", "mot"}},
}};

const FormatNames& namesOf(RomFileFormat format) {
    const auto found = std::find_if(kFormatNames.begin(), kFormatNames.end(),
                                    [format](const FormatNames& f) { return f.format == format; });
    return found == kFormatNames.end() ? kFormatNames.front() : *found;
}

// The format whose list (names or extensions, by member) holds word in any letter case.
template <std::size_t N>
std::optional<RomFileFormat> formatListing(std::string_view word,
                                           std::array<std::string_view, N> FormatNames::*list) {
    const std::string key = lowerCase(word);
    if (key.empty()) {
        return std::nullopt;
    }
    for (const FormatNames& names : kFormatNames) {
        if (std::find((names.*list).begin(), (names.*list).end(), key) != (names.*list).end()) {
            return names.format;
        }
    }
    return std::nullopt;
}

}  // namespace

std::optional<RomFileFormat> formatFromName(std::string_view name) {
    return formatListing(name, &FormatNames::names);
}

RomFileFormat formatForFileName(std::string_view fileName) {
    const std::size_t dot = fileName.rfind('.');
    const std::size_t slash = fileName.find_last_of("/\\");
    if (dot == std::string_view::npos || (slash != std::string_view::npos && dot < slash)) {
        return RomFileFormat::Binary;
    }
    return formatListing(fileName.substr(dot + 1), &FormatNames::extensions)
        .value_or(RomFileFormat::Binary);
}

std::string_view formatKey(RomFileFormat format) {
    return namesOf(format).key;
}

std::string_view formatTitle(RomFileFormat format) {
    return namesOf(format).title;
}

std::string encodeRomFile(const RomImage& image, RomFileFormat format) {
    switch (format) {
        case RomFileFormat::IntelHex:
            return encodeIntelHex(image);
        case RomFileFormat::SRecord:
            return encodeSRecord(image);
        case RomFileFormat::Binary:
            break;
    }
    return std::string(image.begin(), image.end());
}

namespace {

bool isRecordText(std::string_view text) {
    return std::all_of(text.begin(), text.end(), [](char c) {
        return (c >= 0x20 && c < 0x7F) || c == '\t' || c == '\r' || c == '\n';
    });
}

// The format a text's first record starts, or nullopt. lowerS accepts "s0"-"s9" as well.
std::optional<RomFileFormat> recordFormat(std::string_view text, bool lowerS = false) {
    const std::size_t start = text.find_first_not_of(" \t\r\n");
    if (start == std::string_view::npos) {
        return std::nullopt;
    }
    text.remove_prefix(start);
    if (text[0] == ':') {
        return RomFileFormat::IntelHex;
    }
    if (text.size() >= 2 && (text[0] == 'S' || (lowerS && text[0] == 's')) && text[1] >= '0' &&
        text[1] <= '9') {
        return RomFileFormat::SRecord;
    }
    return std::nullopt;
}

// Text in UTF-16 of either byte order reduced to its ASCII characters, or nullopt when the
// content is not ASCII text in UTF-16.
std::optional<std::string> asciiFromUtf16(std::string_view content) {
    if (content.size() < 4 || content.size() % 2 != 0) {
        return std::nullopt;
    }
    const bool bigEndian = content[0] == '\0';
    std::string text;
    for (std::size_t i = 0; i < content.size(); i += 2) {
        const char high = content[i + (bigEndian ? 0 : 1)];
        const char low = content[i + (bigEndian ? 1 : 0)];
        if (high != '\0') {
            if (i == 0 && static_cast<unsigned char>(high) == 0xFE &&
                static_cast<unsigned char>(low) == 0xFF) {
                continue;  // the byte order mark
            }
            return std::nullopt;
        }
        text += low;
    }
    return text;
}

// Why content that is almost Intel HEX or S-records is not read as such, or empty.
DecodedRomFile almostRecognised(std::string_view content) {
    if (const std::optional<std::string> text = asciiFromUtf16(content)) {
        if (const auto format = recordFormat(*text); format && isRecordText(*text)) {
            return {.format = *format,
                    .bytes = {},
                    .error = "saved as UTF-16 text; save it as ASCII (or UTF-8) to read it"};
        }
    }
    if (isRecordText(content) && !recordFormat(content) &&
        recordFormat(content, true) == RomFileFormat::SRecord) {
        return {.format = RomFileFormat::SRecord,
                .bytes = {},
                .error = "S-records start with a capital 'S', these with a lower-case 's'"};
    }
    return {};
}

}  // namespace

DecodedRomFile decodeRomFile(std::string_view content, std::optional<RomFileFormat> format) {
    constexpr std::string_view kByteOrderMark = "\xEF\xBB\xBF";
    const std::string_view text =
        content.starts_with(kByteOrderMark) ? content.substr(kByteOrderMark.size()) : content;
    if (!format && isRecordText(text)) {
        format = recordFormat(text);
    }
    if (!format) {
        if (DecodedRomFile almost = almostRecognised(content); !almost.error.empty()) {
            return almost;
        }
    }
    switch (format.value_or(RomFileFormat::Binary)) {
        case RomFileFormat::IntelHex:
            return decodeIntelHex(text);
        case RomFileFormat::SRecord:
            return decodeSRecord(text);
        case RomFileFormat::Binary:
            break;
    }
    return {.format = RomFileFormat::Binary,
            .bytes = std::vector<std::uint8_t>(content.begin(), content.end()),
            .error = {}};
}

}  // namespace tilewright
