#include "ui/win32/picture.h"

#include "ui/win32/resource_ids.h"

namespace tilewright {

GdiHandle<HBITMAP> loadIconPicture(HINSTANCE module) {
    return GdiHandle<HBITMAP>(static_cast<HBITMAP>(LoadImageW(
        module, MAKEINTRESOURCEW(TILEWRIGHT_IDB_ICONS), IMAGE_BITMAP, 0, 0, LR_CREATEDIBSECTION)));
}

void drawPictureScaled(HDC target, HBITMAP picture, const RECT& frame) {
    BITMAP info{};
    if (picture == nullptr || GetObjectW(picture, sizeof info, &info) == 0) {
        return;
    }
    const MemoryDc source(CreateCompatibleDC(target));
    if (!source) {
        return;
    }
    const SelectedObject selected(source.get(), picture);
    const int previousMode = SetStretchBltMode(target, HALFTONE);
    // HALFTONE needs the brush origin reset after the mode is set.
    POINT previousOrigin{};
    SetBrushOrgEx(target, 0, 0, &previousOrigin);
    StretchBlt(target, frame.left, frame.top, frame.right - frame.left, frame.bottom - frame.top,
               source.get(), 0, 0, info.bmWidth, info.bmHeight, SRCCOPY);
    SetBrushOrgEx(target, previousOrigin.x, previousOrigin.y, nullptr);
    SetStretchBltMode(target, previousMode);
}

}  // namespace tilewright
