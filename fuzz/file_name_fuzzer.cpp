// Feeds arbitrary bytes to the save dialog's file name sanitising under both platforms' rules.
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

#include "create/file_name.h"
#include "fuzz/finding.h"
#include "tests/support/file_name_check.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using namespace tilewright;
    const std::string_view name(reinterpret_cast<const char*>(data), size);
    for (const FileNameRules rules : {FileNameRules::Windows, FileNameRules::Posix}) {
        failOn(findFileNameFault(name, rules, sanitizeFileName(name, rules)));
    }
    return 0;
}
