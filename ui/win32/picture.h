#pragma once

#include "ui/win32/gdi_handle.h"
#include "ui/win32/windows_api.h"

namespace tilewright {

// The icon picture built into the module as a bitmap resource; empty when the module has none.
[[nodiscard]] GdiHandle<HBITMAP> loadIconPicture(HINSTANCE module);

// Draws the whole bitmap stretched to fill the frame. Halftone stretching averages the source
// pixels that fall on each target pixel, so the shrunken faces keep their colours instead of
// losing whole rows and columns.
void drawPictureScaled(HDC target, HBITMAP picture, const RECT& frame);

}  // namespace tilewright
