// Prints what a screen reader must announce for each control, one "name<TAB>announcement" a
// line, so that tests written in other languages check what the windows' tests check.
#include <cstdio>

#include "tests/support/spoken_names.h"

int main() {
    using namespace tilewright;
    for (const layout::Control& c : layout::kControls) {
        const std::string_view spoken = test::spokenName(c.id);
        std::printf("%s\t%.*s\n", c.name, static_cast<int>(spoken.size()), spoken.data());
    }
    return 0;
}
