#pragma once

#include <cstdio>
#include <cstdlib>
#include <optional>
#include <string>

namespace tilewright {

// Stops the fuzzer on a wrong result the way a sanitizer stops it on a crash, so libFuzzer
// saves the input that caused it.
inline void failOn(const std::optional<std::string>& fault) {
    if (fault) {
        std::fprintf(stderr, "FINDING: %s\n", fault->c_str());
        std::abort();
    }
}

}  // namespace tilewright
