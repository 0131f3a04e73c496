#pragma once

#include <gdk/gdk.h>

#include <cstdint>
#include <optional>

namespace tilewright {

// The character code a key press types, as the window's key filter sees it, or nullopt for a
// key that types nothing and keeps its usual effect (Tab, Enter, Delete, arrows, Home, End,
// function keys, Alt combinations). As on Windows, Ctrl+letter types its control code (Ctrl+V
// is 22) and Ctrl+Backspace types DEL (127). Dead and compose keys type a code that the filter
// drops, so no accented character can be composed past it. Codes beyond the 16-bit range come
// out as 0x7FFF.
[[nodiscard]] std::optional<std::int16_t> typedCharacter(guint keyval, GdkModifierType state);

}  // namespace tilewright
