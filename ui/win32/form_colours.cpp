#include "ui/win32/form_colours.h"

#include "ui/layout.h"

namespace tilewright {

namespace {

constexpr COLORREF toColorRef(layout::Rgb rgb) {
    return RGB(rgb.red, rgb.green, rgb.blue);
}

}  // namespace

FormColours formColours(bool highContrast) {
    if (highContrast) {
        return {GetSysColor(COLOR_WINDOW), GetSysColor(COLOR_WINDOWTEXT)};
    }
    static_assert(layout::kLabelText.red == layout::kOptionText.red &&
                      layout::kLabelText.green == layout::kOptionText.green &&
                      layout::kLabelText.blue == layout::kOptionText.blue,
                  "labels and option buttons share one text colour");
    return {toColorRef(layout::kBackground), toColorRef(layout::kLabelText)};
}

bool highContrastOn() {
    HIGHCONTRASTW settings{};
    settings.cbSize = sizeof settings;
    return SystemParametersInfoW(SPI_GETHIGHCONTRAST, sizeof settings, &settings, 0) != FALSE &&
           (settings.dwFlags & HCF_HIGHCONTRASTON) != 0;
}

}  // namespace tilewright
