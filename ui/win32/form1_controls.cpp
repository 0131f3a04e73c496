#include "ui/win32/form1.h"

#include <system_error>

#include <commctrl.h>
#include <uxtheme.h>

#include "text/wide_text.h"
#include "ui/win32/announcements.h"
#include "ui/win32/command_ids.h"
#include "ui/win32/picture.h"
#include "ui/win32/resource_ids.h"

namespace tilewright {

namespace {

using layout::ControlId;
using layout::ControlKind;

constexpr wchar_t kClassName[] = L"TilewrightForm1";

// Throws the calling thread's last Windows error with the given message.
[[noreturn]] void throwLastError(const char* what) {
    const DWORD error = GetLastError();  // before std::system_category() is set up
    throw std::system_error(static_cast<int>(error), std::system_category(), what);
}

// A fixed-size window: a caption with the system menu and a minimise button, no sizing border
// and no maximise button.
constexpr DWORD kWindowStyle = WS_OVERLAPPED | WS_CAPTION | WS_SYSMENU | WS_MINIMIZEBOX;
constexpr DWORD kWindowExStyle = 0;

constexpr wchar_t kFontFace[] = L"MS Shell Dlg 2";

// The order in which the controls are created, which is their Z order and so the order Tab
// moves through: the focus sequence, then the controls that take no focus. The name box's
// label comes right before the name box, where screen readers look for the name of an edit
// box; a label is no tab stop, so Tab passes it by.
constexpr auto kCreationOrder = [] {
    std::array<ControlId, layout::kControls.size()> order{};
    std::size_t next = 0;
    for (const ControlId id : layout::focusSequence()) {
        if (id == ControlId::txtName) {
            order[next++] = layout::kNameBoxLabel;
        }
        order[next++] = id;
    }
    for (const layout::Control& c : layout::kControls) {
        if (!layout::takesFocus(c) && c.id != layout::kNameBoxLabel) {
            order[next++] = c.id;
        }
    }
    return order;
}();

const wchar_t* windowClassFor(ControlKind kind) {
    switch (kind) {
        case ControlKind::Label:
        case ControlKind::Picture:
            return L"STATIC";
        case ControlKind::TextBox:
            return L"EDIT";
        case ControlKind::OptionButton:
        case ControlKind::PushButton:
            return L"BUTTON";
    }
    return L"STATIC";
}

DWORD styleFor(const layout::Control& c) {
    DWORD style = WS_CHILD | WS_VISIBLE;
    if (layout::takesFocus(c) && c.kind != ControlKind::OptionButton) {
        style |= WS_TABSTOP;
    }
    // Every control but the later option buttons starts a group, so that the arrow keys move
    // within chk0..chk5 only.
    if (c.kind != ControlKind::OptionButton || c.id == layout::kOptionButtons.front()) {
        style |= WS_GROUP;
    }
    switch (c.kind) {
        case ControlKind::Label:
            // One line, cut at the right edge if a font runs wider than the box: wrapping
            // would move the last word onto a line the box hides.
            return style | SS_LEFTNOWORDWRAP | SS_NOPREFIX;
        case ControlKind::TextBox:
            // The label above lies over the box's top border in Z order (see kCreationOrder)
            // and keeps that strip: the box never draws over it.
            return style | ES_LEFT | ES_AUTOHSCROLL | WS_CLIPSIBLINGS;
        case ControlKind::OptionButton:
            // BS_NOTIFY: the window draws the focus ring and must hear of focus changes.
            return style | BS_AUTORADIOBUTTON | BS_NOTIFY;
        case ControlKind::Picture:
            return style | SS_OWNERDRAW;
        case ControlKind::PushButton:
            return style | BS_DEFPUSHBUTTON;
    }
    return style;
}

GdiHandle<HFONT> dialogFont(int dpi) {
    return GdiHandle<HFONT>(CreateFontW(-MulDiv(layout::kFontPoints, dpi, 72), 0, 0, 0, FW_NORMAL,
                                        FALSE, FALSE, FALSE, DEFAULT_CHARSET, OUT_DEFAULT_PRECIS,
                                        CLIP_DEFAULT_PRECIS, DEFAULT_QUALITY,
                                        DEFAULT_PITCH | FF_DONTCARE, kFontFace));
}

void registerWindowClass(HINSTANCE module, WNDPROC procedure) {
    WNDCLASSEXW existing{};
    existing.cbSize = sizeof existing;
    if (GetClassInfoExW(module, kClassName, &existing)) {
        return;
    }
    WNDCLASSEXW windowClass{};
    windowClass.cbSize = sizeof windowClass;
    windowClass.lpfnWndProc = procedure;
    windowClass.hInstance = module;
    windowClass.hIcon = static_cast<HICON>(
        LoadImageW(module, MAKEINTRESOURCEW(TILEWRIGHT_IDI_APP), IMAGE_ICON,
                   GetSystemMetrics(SM_CXICON), GetSystemMetrics(SM_CYICON), LR_DEFAULTCOLOR));
    windowClass.hIconSm = static_cast<HICON>(
        LoadImageW(module, MAKEINTRESOURCEW(TILEWRIGHT_IDI_APP), IMAGE_ICON,
                   GetSystemMetrics(SM_CXSMICON), GetSystemMetrics(SM_CYSMICON), LR_DEFAULTCOLOR));
    windowClass.hCursor = LoadCursorW(nullptr, IDC_ARROW);
    windowClass.lpszClassName = kClassName;
    if (RegisterClassExW(&windowClass) == 0) {
        throwLastError("cannot register the window class");
    }
}

}  // namespace

Form1::Form1(HINSTANCE module) : picture_(loadIconPicture(module)) {
    applyColours(highContrastOn());
    INITCOMMONCONTROLSEX commonControls{sizeof commonControls, ICC_STANDARD_CLASSES};
    InitCommonControlsEx(&commonControls);
    registerWindowClass(module, &Form1::windowProc);

    // Made at its size for the system's DPI, which is the window's own unless it opens on a
    // monitor of another: then it is sized again. Each resize of a window costs round trips to
    // the window system, so the usual case makes none. `this` arrives with WM_NCCREATE in
    // lpCreateParams.
    const int systemDpi = static_cast<int>(GetDpiForSystem());
    const SIZE size = windowSizeFor(systemDpi);
    const HWND created = CreateWindowExW(
        kWindowExStyle, kClassName, toWide(layout::kWindowTitle).c_str(), kWindowStyle,
        CW_USEDEFAULT, CW_USEDEFAULT, size.cx, size.cy, nullptr, nullptr, module, this);
    if (created == nullptr) {
        throwLastError("cannot create the main window");
    }
    const int dpi = static_cast<int>(GetDpiForWindow(window_));
    createControls(module, dpi);
    if (dpi == systemDpi) {
        fitClientArea(dpi, size);
    } else {
        RECT frame{};
        GetWindowRect(window_, &frame);
        placeWindow(dpi, {frame.left, frame.top});
    }
    selectIcon(IconChoice::None);
    focusBeforeDeactivation_ = control(ControlId::txtName);
}

Form1::~Form1() {
    if (window_ != nullptr) {
        quitWhenDestroyed_ = false;
        DestroyWindow(window_);
    }
}

void Form1::show(int showCommand) {
    ShowWindow(window_, showCommand);
    UpdateWindow(window_);
}

HWND Form1::control(ControlId id) const noexcept {
    return controls_[indexOf(id)];
}

void Form1::createControls(HINSTANCE module, int dpi) {
    // Each control is made in its place with its font, as layoutControls would put it: moving
    // it there afterwards would cost round trips to the window system for nothing.
    dpi_ = dpi;
    font_ = dialogFont(dpi);
    // A new child window goes to the bottom of its siblings' Z order, so the Z order, which Tab
    // follows, is the creation order.
    for (const ControlId id : kCreationOrder) {
        const layout::Control& c = layout::control(id);
        const layout::Rect r = layout::toPixels(c.twips, dpi);
        const HWND created = CreateWindowExW(
            c.kind == ControlKind::TextBox ? WS_EX_CLIENTEDGE : 0, windowClassFor(c.kind),
            toWide(c.text).c_str(), styleFor(c), r.left, r.top, r.width, r.height, window_,
            reinterpret_cast<HMENU>(static_cast<INT_PTR>(commandId(id))), module, nullptr);
        if (created == nullptr) {
            throwLastError("cannot create the window's controls");
        }
        SendMessageW(created, WM_SETFONT, reinterpret_cast<WPARAM>(font_.get()), FALSE);
        controls_[indexOf(id)] = created;
        if (c.kind == ControlKind::OptionButton) {
            // Themed option buttons ignore the text colour; classic ones take white on green.
            SetWindowTheme(created, L"", L"");
        }
        if (const layout::Announcement* announcement = layout::announcement(id)) {
            announceAs(created, *announcement);
        }
    }
    // The name box takes names of any length; the Create command refuses the long ones.
    SendMessageW(control(ControlId::txtName), EM_SETLIMITTEXT, 0, 0);
}

void Form1::layoutControls(int dpi) {
    dpi_ = dpi;
    GdiHandle<HFONT> font = dialogFont(dpi);
    for (const layout::Control& c : layout::kControls) {
        const layout::Rect r = layout::toPixels(c.twips, dpi);
        const HWND h = control(c.id);
        SetWindowPos(h, nullptr, r.left, r.top, r.width, r.height, SWP_NOZORDER | SWP_NOACTIVATE);
        SendMessageW(h, WM_SETFONT, reinterpret_cast<WPARAM>(font.get()), TRUE);
    }
    // The controls use the new font now; the old one can go.
    font_ = std::move(font);
    InvalidateRect(window_, nullptr, TRUE);
}

void Form1::placeWindow(int dpi, POINT topLeft) {
    const SIZE size = windowSizeFor(dpi);
    SetWindowPos(window_, nullptr, topLeft.x, topLeft.y, size.cx, size.cy,
                 SWP_NOZORDER | SWP_NOACTIVATE);
    fitClientArea(dpi, size);
}

void Form1::fitClientArea(int dpi, SIZE size) {
    // Where the frame does not scale with the DPI as predicted (older systems, Wine), correct
    // the size by what the client area really came out as.
    RECT client{};
    GetClientRect(window_, &client);
    const int missingWidth = layout::twipsToPixels(layout::kClientSize.width, dpi) - client.right;
    const int missingHeight =
        layout::twipsToPixels(layout::kClientSize.height, dpi) - client.bottom;
    if (missingWidth != 0 || missingHeight != 0) {
        SetWindowPos(window_, nullptr, 0, 0, size.cx + missingWidth, size.cy + missingHeight,
                     SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
    }
}

SIZE Form1::windowSizeFor(int dpi) const {
    RECT frame{0, 0, layout::twipsToPixels(layout::kClientSize.width, dpi),
               layout::twipsToPixels(layout::kClientSize.height, dpi)};
    AdjustWindowRectExForDpi(&frame, kWindowStyle, FALSE, kWindowExStyle, static_cast<UINT>(dpi));
    return {frame.right - frame.left, frame.bottom - frame.top};
}

}  // namespace tilewright
