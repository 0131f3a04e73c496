#include "ui/win32/form1.h"

#include "ui/win32/command_ids.h"
#include "ui/win32/picture.h"

namespace tilewright {

namespace {

using layout::ControlKind;

// The option buttons' focus ring, in pixels at 96 dpi: as wide as a focus indicator must be to
// be seen at a glance.
constexpr int kFocusRingWidth = 2;

int focusRingWidth(int dpi) {
    return MulDiv(kFocusRingWidth, dpi, USER_DEFAULT_SCREEN_DPI);
}

}  // namespace

void Form1::applyColours(bool highContrast) {
    colours_ = formColours(highContrast);
    background_.reset(CreateSolidBrush(colours_.background));
    if (window_ != nullptr) {
        RedrawWindow(window_, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_ALLCHILDREN);
    }
}

LRESULT Form1::onControlColor(HDC dc, HWND target) {
    const layout::Control* c = controlForCommand(GetDlgCtrlID(target));
    if (c == nullptr) {
        return DefWindowProcW(window_, WM_CTLCOLORSTATIC, reinterpret_cast<WPARAM>(dc),
                              reinterpret_cast<LPARAM>(target));
    }
    SetTextColor(dc, colours_.text);
    if (c->kind == ControlKind::Label) {
        SetBkMode(dc, TRANSPARENT);
    } else {
        SetBkColor(dc, colours_.background);
    }
    return reinterpret_cast<LRESULT>(background_.get());
}

void Form1::onEraseBackground(HDC dc) {
    RECT client{};
    GetClientRect(window_, &client);
    FillRect(dc, &client, background_.get());
}

// The option buttons' own focus rectangle surrounds their caption, and four of them have none:
// the window draws a ring in the text colour around the focused one instead, just outside it.
void Form1::onPaint() {
    PAINTSTRUCT paint{};
    const HDC dc = BeginPaint(window_, &paint);
    const HWND focus = GetFocus();
    const layout::Control* focused = focus != nullptr && GetParent(focus) == window_
                                         ? controlForCommand(GetDlgCtrlID(focus))
                                         : nullptr;
    if (focused != nullptr && focused->kind == ControlKind::OptionButton) {
        const RECT outer = focusRingAround(focus);
        const int width = focusRingWidth(dpi_);
        const GdiHandle<HBRUSH> brush(CreateSolidBrush(colours_.text));
        const RECT sides[] = {
            {outer.left, outer.top, outer.right, outer.top + width},
            {outer.left, outer.bottom - width, outer.right, outer.bottom},
            {outer.left, outer.top, outer.left + width, outer.bottom},
            {outer.right - width, outer.top, outer.right, outer.bottom},
        };
        for (const RECT& side : sides) {
            FillRect(dc, &side, brush.get());
        }
    }
    EndPaint(window_, &paint);
}

RECT Form1::focusRingAround(HWND option) const {
    RECT ring{};
    GetWindowRect(option, &ring);
    MapWindowPoints(nullptr, window_, reinterpret_cast<POINT*>(&ring), 2);
    InflateRect(&ring, focusRingWidth(dpi_), focusRingWidth(dpi_));
    return ring;
}

// Only the ring's strip is redrawn, outside the button: the window's background painting is not
// clipped to leave its controls out.
void Form1::redrawFocusRing(HWND option) {
    const RECT outer = focusRingAround(option);
    RECT inner = outer;
    InflateRect(&inner, -focusRingWidth(dpi_), -focusRingWidth(dpi_));
    const GdiHandle<HRGN> ring(CreateRectRgnIndirect(&outer));
    const GdiHandle<HRGN> button(CreateRectRgnIndirect(&inner));
    CombineRgn(ring.get(), ring.get(), button.get(), RGN_DIFF);
    InvalidateRgn(window_, ring.get(), TRUE);
}

void Form1::onDrawPicture(const DRAWITEMSTRUCT& item) {
    const SIZE size{item.rcItem.right - item.rcItem.left, item.rcItem.bottom - item.rcItem.top};
    if (picture_ && (size.cx != scaledSize_.cx || size.cy != scaledSize_.cy)) {
        // Scaled once for each size the frame takes, that is once per DPI, and kept: repaints
        // only copy it.
        scaledPicture_ = scaledPicture(picture_.get(), size.cx, size.cy);
        scaledSize_ = size;
    }
    if (!scaledPicture_.empty()) {
        drawPixels(item.hDC, scaledPicture_, item.rcItem);
    } else {
        FillRect(item.hDC, &item.rcItem, background_.get());
    }
}

}  // namespace tilewright
