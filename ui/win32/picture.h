#pragma once

#include <cstdint>
#include <span>
#include <vector>

#include "text/windows_api.h"
#include "ui/win32/gdi_handle.h"

namespace tilewright {

// A 32-bit 0x00RRGGBB bitmap, rows from the top, for reading and writing pixels directly.
[[nodiscard]] BITMAPINFO topDownInfo(int width, int height);

// The icon picture built into the module as a bitmap resource; empty when the module has none.
[[nodiscard]] GdiHandle<HBITMAP> loadIconPicture(HINSTANCE module);

// The whole bitmap scaled to the given size (see scalePixels); empty when it cannot be read.
[[nodiscard]] std::vector<std::uint32_t> scaledPicture(HBITMAP picture, int width, int height);

// Draws 0x00RRGGBB pixels, rows from the top, of the frame's size into the frame.
void drawPixels(HDC target, std::span<const std::uint32_t> pixels, const RECT& frame);

// Scales 0x00RRGGBB pixels, row by row from the top, by area averaging: each target pixel is
// the mean of the source area it covers, weighted by how much of each source pixel it covers.
// Shrunken faces keep their colours instead of losing whole rows and columns, as with
// Windows' halftone stretching, and look the same wherever the program runs.
[[nodiscard]] std::vector<std::uint32_t> scalePixels(std::span<const std::uint32_t> source,
                                                     int sourceWidth, int sourceHeight,
                                                     int targetWidth, int targetHeight);

}  // namespace tilewright
