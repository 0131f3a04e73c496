#pragma once

#include "text/windows_api.h"

namespace tilewright {

// What the window paints itself: the client area, the labels' and option buttons' texts, and
// the focus ring around an option button.
struct FormColours {
    COLORREF background;
    COLORREF text;
};

// The layout's green and white, or under high contrast the user's own window and window-text
// colours, which the contrast scheme chooses to stand apart.
[[nodiscard]] FormColours formColours(bool highContrast);

// Whether the user has switched high contrast on (Settings, or left Alt+left Shift+Print Screen).
[[nodiscard]] bool highContrastOn();

}  // namespace tilewright
