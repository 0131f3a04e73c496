#include "cli/reports.h"

#include "cli/options.h"
#include "rom/hex.h"
#include "text/utf8.h"

namespace tilewright {
namespace {

void appendEscape(std::string& json, unsigned value) {
    constexpr char kDigits[] = "0123456789abcdef";
    json += "\\u";
    for (int shift = 12; shift >= 0; shift -= 4) {
        json += kDigits[(value >> shift) & 0xF];
    }
}

// A JSON string that is always valid UTF-8. A byte that is not part of well-formed UTF-8 (a
// file name on Linux can hold any) becomes the escape of the lone surrogate U+DC00 + byte, as
// Python's "surrogateescape" error handler reads it, so that the original bytes can be
// recovered: json.loads(line)["file"].encode("utf-8", "surrogateescape").
std::string jsonString(std::string_view text) {
    std::string json = "\"";
    while (!text.empty()) {
        const auto byte = static_cast<unsigned char>(text[0]);
        const std::size_t length = wellFormedLength(text);
        if (length == 0) {
            appendEscape(json, 0xDC00 + byte);
        } else if (byte == '"' || byte == '\\') {
            json += '\\';
            json += text[0];
        } else if (byte < 0x20 || byte == 0x7F) {
            appendEscape(json, byte);
        } else {
            json += text.substr(0, length);
        }
        text.remove_prefix(length == 0 ? 1 : length);
    }
    return json + "\"";
}

std::string iconText(const ImageReport& report) {
    if (!report.icon) {
        return "unknown (" + hexBytes(report.iconField) + ")";
    }
    const std::string number =
        report.icon == IconChoice::None ? "none" : std::string(1, iconDigit(*report.icon));
    return number + " (" + hexBytes(report.iconField) + ")";
}

}  // namespace

std::string humanReport(const ShownFile& shown) {
    std::string text = shellQuoted(shown.file);
    if (shown.decoded.format != RomFileFormat::Binary) {
        text += " (" + std::string(formatTitle(shown.decoded.format)) + ")";
    }
    if (!shown.decoded.error.empty()) {
        return text + ": cannot be read: " + shown.decoded.error + "\n";
    }
    const ImageReport& report = shown.report;
    if (!report.notAnImage.empty()) {
        return text + ": not a name image: " + report.notAnImage + "\n";
    }
    text += report.conforming ? ": exactly what Tilewright writes for this name and icon\n"
                              : ": NOT what Tilewright writes\n";
    text += "  name: " + inQuotes(report.name) + " (" + std::to_string(report.nameLength) +
            (report.nameLength == 1 ? " character)\n" : " characters)\n");
    if (report.mayEndInSpace) {
        text += "  note: the same name with a space added makes an identical image\n";
    }
    text += "  icon: " + iconText(report) + "\n";
    for (const ImageFinding& finding : report.findings) {
        text += "  - " + finding.text + "\n";
    }
    return text;
}

std::string jsonReport(const ShownFile& shown) {
    const ImageReport& report = shown.report;
    std::string json = "{\"file\": " + jsonString(shown.file);
    std::string problem = shown.readError.empty() ? shown.decoded.error : shown.readError;
    if (problem.empty()) {
        problem = report.notAnImage;
    }
    const bool isImage = problem.empty();
    if (shown.readError.empty()) {
        json += ", \"format\": " + jsonString(formatKey(shown.decoded.format));
    }
    json += ", \"image\": " + std::string(isImage ? "true" : "false");
    json += ", \"conforming\": " + std::string(report.conforming ? "true" : "false");
    if (!isImage) {
        return json + ", \"reason\": " + jsonString(problem) + "}";
    }
    json += ", \"name\": " + jsonString(report.name);
    json += ", \"nameLength\": " + std::to_string(report.nameLength);
    json += ", \"mayEndInSpace\": " + std::string(report.mayEndInSpace ? "true" : "false");
    json += ", \"icon\": " +
            (report.icon ? std::string(1, iconDigit(*report.icon)) : std::string("null"));
    json += ", \"iconField\": " + jsonString(hexBytes(report.iconField));
    json += ", \"findings\": [";
    for (std::size_t i = 0; i < report.findings.size(); ++i) {
        const ImageFinding& finding = report.findings[i];
        json += i == 0 ? "" : ", ";
        json += "{\"offset\": " +
                (finding.offset ? std::to_string(*finding.offset) : std::string("null")) +
                ", \"text\": " + jsonString(finding.text) + "}";
    }
    return json + "]}";
}

}  // namespace tilewright
