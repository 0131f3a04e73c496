#pragma once

namespace tilewright {

// Adds the sizes once and the window's colours whenever the theme is not a high-contrast one;
// called again when the theme changes.
void applyStyleSheets();

}  // namespace tilewright
