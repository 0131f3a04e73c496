// Prints each control's name and rectangle in the window's logical pixels, one per line, so the
// end-to-end test clicks where the window really puts things.
#include <cstdio>

#include "ui/layout.h"

int main() {
    using namespace tilewright;
    const layout::Rect client =
        layout::toPixels({0, 0, layout::kClientSize.width, layout::kClientSize.height}, 96);
    std::printf("Form1 0 0 %d %d\n", client.width, client.height);
    for (const layout::Control& c : layout::kControls) {
        const layout::Rect r = layout::toPixels(c.twips, 96);
        std::printf("%s %d %d %d %d\n", c.name, r.left, r.top, r.width, r.height);
    }
    return 0;
}
