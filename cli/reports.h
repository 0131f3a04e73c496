#pragma once

#include <string>

#include "rom/image_check.h"
#include "rom/rom_file_format.h"

namespace tilewright {

// What show found in one file.
struct ShownFile {
    std::string file;
    std::string readError;  // the file could not be read at all
    DecodedRomFile decoded;
    ImageReport report;
};

// The report for a person: a line saying what the file is, then the name, the icon and each
// finding indented below it.
[[nodiscard]] std::string humanReport(const ShownFile& shown);

// The report for scripts: one JSON object.
[[nodiscard]] std::string jsonReport(const ShownFile& shown);

}  // namespace tilewright
