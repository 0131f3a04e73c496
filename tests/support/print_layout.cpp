// Prints the window's client size and each control's name and rectangle, one per line, at the
// dots per inch given as the argument (96 when none; 1440 gives twips), so that tests written
// in other languages read the one layout instead of parsing ui/layout.h.
#include <cstdio>
#include <cstdlib>

#include "ui/layout.h"

int main(int argc, char** argv) {
    using namespace tilewright;
    const int dpi = argc > 1 ? std::atoi(argv[1]) : 96;
    if (dpi <= 0) {
        std::fprintf(stderr, "usage: print_layout [dpi]\n");
        return 2;
    }
    const layout::Rect client =
        layout::toPixels({0, 0, layout::kClientSize.width, layout::kClientSize.height}, dpi);
    std::printf("Form1 0 0 %d %d\n", client.width, client.height);
    for (const layout::Control& c : layout::kControls) {
        const layout::Rect r = layout::toPixels(c.twips, dpi);
        std::printf("%s %d %d %d %d\n", c.name, r.left, r.top, r.width, r.height);
    }
    return 0;
}
