#include "rom/record_decoding.h"

#include <algorithm>
#include <cctype>
#include <optional>
#include <string>
#include <vector>

#include "rom/hex.h"

namespace tilewright {
namespace {

// Records may place data anywhere in 64 KiB (16-bit addresses); anything further out cannot
// belong to a 27C64 image and is not worth keeping in memory to report.
constexpr std::size_t kAddressLimit = 0x10000;

// Bytes placed by address, as records deliver them in any order.
class Memory {
public:
    // Stores the bytes at address; false (with error set) when they go too far out or contradict
    // bytes stored before.
    bool put(std::size_t address, const std::vector<std::uint8_t>& data, std::string& error) {
        if (address + data.size() > kAddressLimit) {
            error = "data at " + hexAddress(address) + ", far past the 8192 bytes of a 27C64";
            return false;
        }
        if (bytes_.size() < address + data.size()) {
            bytes_.resize(address + data.size());
            present_.resize(address + data.size());
        }
        for (std::size_t i = 0; i < data.size(); ++i) {
            if (present_[address + i] && bytes_[address + i] != data[i]) {
                error = "two different values for " + hexAddress(address + i);
                return false;
            }
            bytes_[address + i] = data[i];
            present_[address + i] = true;
        }
        return true;
    }

    // The bytes from address 0 to the last one given, or an error naming the first gap and
    // where the data actually is, for a file made for another address.
    std::vector<std::uint8_t> contiguous(std::string& error) const {
        const auto gap = std::find(present_.begin(), present_.end(), false);
        if (gap != present_.end()) {
            const auto lowest = std::find(present_.begin(), present_.end(), true);
            error = "no data for " + hexAddress(static_cast<std::size_t>(gap - present_.begin())) +
                    " (the data present runs from " +
                    hexAddress(static_cast<std::size_t>(lowest - present_.begin())) + " to " +
                    hexAddress(present_.size() - 1) + ")";
            return {};
        }
        return bytes_;
    }

private:
    std::vector<std::uint8_t> bytes_;
    std::vector<bool> present_;
};

std::optional<unsigned> hexValue(char c) {
    if (c >= '0' && c <= '9') {
        return static_cast<unsigned>(c - '0');
    }
    const char lower = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    if (lower >= 'a' && lower <= 'f') {
        return static_cast<unsigned>(lower - 'a' + 10);
    }
    return std::nullopt;
}

// The bytes written as hex digit pairs, or nullopt for an odd count or a non-hex character.
std::optional<std::vector<std::uint8_t>> bytesFromHex(std::string_view digits) {
    if (digits.size() % 2 != 0) {
        return std::nullopt;
    }
    std::vector<std::uint8_t> bytes;
    for (std::size_t i = 0; i < digits.size(); i += 2) {
        const auto high = hexValue(digits[i]);
        const auto low = hexValue(digits[i + 1]);
        if (!high || !low) {
            return std::nullopt;
        }
        bytes.push_back(static_cast<std::uint8_t>(*high << 4 | *low));
    }
    return bytes;
}

// The next line without its line end ("\n", "\r\n" or a lone "\r"); text keeps what follows.
std::string_view takeLine(std::string_view& text) {
    const std::size_t end = std::min(text.find_first_of("\r\n"), text.size());
    const std::string_view line = text.substr(0, end);
    const std::size_t next = text.substr(end).starts_with("\r\n") ? end + 2 : end + 1;
    text.remove_prefix(std::min(next, text.size()));
    return line;
}

std::string_view trimmed(std::string_view line) {
    const std::size_t first = line.find_first_not_of(" \t");
    return first == std::string_view::npos
               ? std::string_view()
               : line.substr(first, line.find_last_not_of(" \t") - first + 1);
}

// Splits text into lines without their line ends and surrounding spaces, skipping empty ones.
template <typename Handle>
bool forEachRecord(std::string_view text, Handle handle) {
    for (std::size_t number = 1; !text.empty(); ++number) {
        const std::string_view line = trimmed(takeLine(text));
        if (!line.empty() && !handle(line, number)) {
            return false;
        }
    }
    return true;
}

// "wrong checksum" with the value the record's bytes need and the one it holds.
std::string checksumProblem(const std::vector<std::uint8_t>& bytes, unsigned total) {
    const std::span<const std::uint8_t> fields(bytes.data(), bytes.size() - 1);
    std::string text = "wrong checksum (expected ";
    appendHex(text, (total - byteSum(fields)) & 0xFF, 2);
    text += ", found ";
    appendHex(text, bytes.back(), 2);
    return text + ")";
}

}  // namespace

DecodedRomFile decodeIntelHex(std::string_view text) {
    DecodedRomFile result;
    result.format = RomFileFormat::IntelHex;
    Memory memory;
    std::size_t base = 0;
    bool ended = false;
    std::string problem;
    const bool read = forEachRecord(text, [&](std::string_view line, std::size_t number) {
        const auto fail = [&](const std::string& why) {
            problem = "line " + std::to_string(number) + ": " + why;
            return false;
        };
        if (ended) {
            return fail("text after the end-of-file record");
        }
        const auto bytes = line[0] == ':' ? bytesFromHex(line.substr(1)) : std::nullopt;
        if (!bytes || bytes->size() < 5 || (*bytes)[0] != bytes->size() - 5) {
            return fail("not an Intel HEX record");
        }
        if ((byteSum(*bytes) & 0xFF) != 0) {
            return fail(checksumProblem(*bytes, 0x100));
        }
        const std::size_t address = (*bytes)[1] << 8 | (*bytes)[2];
        const std::vector<std::uint8_t> data(bytes->begin() + 4, bytes->end() - 1);
        switch ((*bytes)[3]) {
            case 0x00:
                return memory.put(base + address, data, problem) || fail(problem);
            case 0x01:
                ended = true;
                return true;
            case 0x02:  // extended segment address: the base is the segment times 16
            case 0x04:  // extended linear address: the upper 16 bits of the address
                if (data.size() != 2) {
                    return fail("not an Intel HEX record");
                }
                base = static_cast<std::size_t>(data[0] << 8 | data[1])
                       << ((*bytes)[3] == 2 ? 4 : 16);
                return true;
            case 0x03:  // start addresses: nothing for a ROM image
            case 0x05:
                return true;
            default:
                return fail("unknown record type");
        }
    });
    if (read && !ended) {
        problem = "no end-of-file record (is the file cut short?)";
    }
    if (problem.empty()) {
        result.bytes = memory.contiguous(problem);
    }
    result.error = problem;
    return result;
}

namespace {

// The number that bytes first to last (not included) hold, most significant first.
std::size_t bigEndian(const std::vector<std::uint8_t>& bytes, std::size_t first, std::size_t last) {
    std::size_t value = 0;
    for (std::size_t i = first; i < last; ++i) {
        value = value << 8 | bytes[i];
    }
    return value;
}

}  // namespace

DecodedRomFile decodeSRecord(std::string_view text) {
    DecodedRomFile result;
    result.format = RomFileFormat::SRecord;
    Memory memory;
    bool ended = false;
    std::size_t dataRecords = 0;
    std::string problem;
    forEachRecord(text, [&](std::string_view line, std::size_t number) {
        const auto fail = [&](const std::string& why) {
            problem = "line " + std::to_string(number) + ": " + why;
            return false;
        };
        if (ended) {
            return fail("text after the end record");
        }
        const auto bytes =
            line.size() >= 2 && line[0] == 'S' ? bytesFromHex(line.substr(2)) : std::nullopt;
        if (!bytes || bytes->size() < 3 || (*bytes)[0] != bytes->size() - 1) {
            return fail("not an S-record");
        }
        if ((byteSum(*bytes) & 0xFF) != 0xFF) {
            return fail(checksumProblem(*bytes, 0xFF));
        }
        // S1/S2/S3 carry data after a 2-, 3- or 4-byte address; S7/S8/S9 end the file.
        const char type = line[1];
        const std::size_t addressLength = type == '1' || type == '9'   ? 2
                                          : type == '2' || type == '8' ? 3
                                          : type == '3' || type == '7' ? 4
                                                                       : 0;
        if (type == '0') {
            return true;  // the header
        }
        if (type == '5' || type == '6') {
            // The count of data records so far: a file cut short between records shows here,
            // since the end record is optional.
            const std::size_t count = bigEndian(*bytes, 1, bytes->size() - 1);
            return count == dataRecords || fail("the record count says " + std::to_string(count) +
                                                ", but there are " + std::to_string(dataRecords));
        }
        if (addressLength == 0 || bytes->size() < addressLength + 2) {
            return fail("not an S-record");
        }
        if (type >= '7') {
            ended = true;
            return true;
        }
        const std::size_t address = bigEndian(*bytes, 1, 1 + addressLength);
        const std::vector<std::uint8_t> data(bytes->begin() + 1 + static_cast<long>(addressLength),
                                             bytes->end() - 1);
        ++dataRecords;
        return memory.put(address, data, problem) || fail(problem);
    });
    if (problem.empty()) {
        result.bytes = memory.contiguous(problem);
    }
    result.error = problem;
    return result;
}

}  // namespace tilewright
