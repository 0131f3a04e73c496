#include "ui/win32/form1.h"

#include <algorithm>
#include <cstdint>
#include <optional>
#include <system_error>

#include <commctrl.h>
#include <uxtheme.h>

#include "rom/name_tiles.h"
#include "text/wide_text.h"
#include "ui/win32/announcements.h"
#include "ui/win32/picture.h"
#include "ui/win32/resource_ids.h"
#include "ui/win32/save_dialog.h"

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

// The option buttons' focus ring, in pixels at 96 dpi: as wide as a focus indicator must be to
// be seen at a glance.
constexpr int kFocusRingWidth = 2;

// Command ids start above IDOK and IDCANCEL, which the dialog keys send for Enter and Escape.
constexpr int kFirstCommandId = 1000;

constexpr std::size_t indexOf(ControlId id) {
    return static_cast<std::size_t>(id);
}

// controls_ and the command ids are indexed by ControlId, which must follow the table's order.
static_assert([] {
    for (std::size_t i = 0; i < layout::kControls.size(); ++i) {
        if (indexOf(layout::kControls[i].id) != i) {
            return false;
        }
    }
    return true;
}());

constexpr int commandId(ControlId id) {
    return kFirstCommandId + static_cast<int>(indexOf(id));
}

const layout::Control* controlForCommand(int id) {
    const int index = id - kFirstCommandId;
    if (index < 0 || index >= static_cast<int>(layout::kControls.size())) {
        return nullptr;
    }
    return &layout::kControls[static_cast<std::size_t>(index)];
}

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

bool Form1::preprocessMessage(MSG& message) {
    if (window_ == nullptr || (message.hwnd != window_ && !IsChild(window_, message.hwnd))) {
        return false;
    }
    if (message.message == WM_CHAR) {
        // filterKey takes 16-bit signed character codes; UTF-16 units beyond that range
        // (surrogates, private use) have no tile and are swallowed like any such character.
        if (message.wParam > 0x7FFF) {
            return true;
        }
        const std::int16_t filtered = filterKey(static_cast<std::int16_t>(message.wParam));
        if (filtered == 0) {
            return true;
        }
        message.wParam = static_cast<WPARAM>(static_cast<std::uint16_t>(filtered));
    }
    return IsDialogMessageW(window_, &message) != FALSE;
}

void Form1::applyColours(bool highContrast) {
    colours_ = formColours(highContrast);
    background_.reset(CreateSolidBrush(colours_.background));
    if (window_ != nullptr) {
        RedrawWindow(window_, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_ALLCHILDREN);
    }
}

namespace {

std::wstring textOf(HWND window) {
    const int length = GetWindowTextLengthW(window);
    std::wstring text(static_cast<std::size_t>(length) + 1, L'\0');
    const int copied = GetWindowTextW(window, text.data(), length + 1);
    text.resize(static_cast<std::size_t>(copied));
    return text;
}

}  // namespace

std::string Form1::nameText() const {
    return toUtf8(textOf(control(ControlId::txtName)));
}

IconChoice Form1::selectedIcon() const {
    for (std::size_t value = 0; value < kIconCount; ++value) {
        const auto icon = static_cast<IconChoice>(value);
        if (SendMessageW(control(*layout::optionButton(icon)), BM_GETCHECK, 0, 0) == BST_CHECKED) {
            return icon;
        }
    }
    return IconChoice::None;
}

void Form1::setNameText(std::string_view text) {
    SetWindowTextW(control(ControlId::txtName), toWide(text).c_str());
}

void Form1::selectIcon(IconChoice icon) {
    const std::optional<ControlId> option = layout::optionButton(icon);
    if (!option) {
        return;
    }
    // Each button is told directly, and only when it changes: CheckRadioButton looks every
    // button up by its id, and each look-up is a round trip to the window system under Wine.
    for (const ControlId id : layout::kOptionButtons) {
        const HWND button = control(id);
        const WPARAM wanted = id == *option ? BST_CHECKED : BST_UNCHECKED;
        if (static_cast<WPARAM>(SendMessageW(button, BM_GETCHECK, 0, 0)) != wanted) {
            SendMessageW(button, BM_SETCHECK, wanted, 0);
        }
    }
    keepSelectedOptionAsTabStop();
}

std::optional<std::string> Form1::runSaveDialog(const SaveDialogSettings& settings) {
    return showSaveDialog(window_, settings);
}

void Form1::showError(std::string_view text, std::string_view title) {
    MessageBoxW(window_, toWide(text).c_str(), toWide(title).c_str(), MB_OK | MB_ICONERROR);
}

LRESULT CALLBACK Form1::windowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    Form1* self = nullptr;
    if (message == WM_NCCREATE) {
        self = static_cast<Form1*>(reinterpret_cast<CREATESTRUCTW*>(lParam)->lpCreateParams);
        self->window_ = window;
        SetWindowLongPtrW(window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(self));
    } else {
        self = reinterpret_cast<Form1*>(GetWindowLongPtrW(window, GWLP_USERDATA));
    }
    if (self == nullptr) {
        return DefWindowProcW(window, message, wParam, lParam);
    }
    return self->handleMessage(message, wParam, lParam);
}

LRESULT Form1::handleMessage(UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
        case WM_ACTIVATE:
            onActivate(wParam);
            return 0;
        case WM_SETFOCUS:
            focusControl(focusBeforeDeactivation_);
            return 0;
        case WM_COMMAND:
            onCommand(LOWORD(wParam), HIWORD(wParam));
            return 0;
        case WM_CTLCOLORSTATIC:
            return onControlColor(reinterpret_cast<HDC>(wParam), reinterpret_cast<HWND>(lParam));
        case WM_DRAWITEM: {
            const auto& item = *reinterpret_cast<const DRAWITEMSTRUCT*>(lParam);
            if (item.CtlID == static_cast<UINT>(commandId(ControlId::Image1))) {
                onDrawPicture(item);
                return TRUE;
            }
            break;
        }
        case WM_PAINT:
            onPaint();
            return 0;
        case WM_SYSCOLORCHANGE:
        case WM_SETTINGCHANGE:
            // High contrast switched on or off, or another scheme chosen.
            applyColours(highContrastOn());
            return 0;
        case WM_ERASEBKGND: {
            RECT client{};
            GetClientRect(window_, &client);
            FillRect(reinterpret_cast<HDC>(wParam), &client, background_.get());
            return TRUE;
        }
        case DM_GETDEFID:
            return MAKELRESULT(commandId(ControlId::cmdCreate), DC_HASDEFID);
        case WM_NEXTDLGCTL:
            onNextControl(wParam, lParam);
            return 0;
        case WM_GETDPISCALEDSIZE:
            *reinterpret_cast<SIZE*>(lParam) = windowSizeFor(static_cast<int>(wParam));
            return TRUE;
        case WM_DPICHANGED:
            onDpiChanged(HIWORD(wParam), *reinterpret_cast<const RECT*>(lParam));
            return 0;
        case WM_DESTROY:
            if (quitWhenDestroyed_) {
                PostQuitMessage(0);
            }
            return 0;
        case WM_NCDESTROY: {
            const HWND window = window_;
            SetWindowLongPtrW(window, GWLP_USERDATA, 0);
            window_ = nullptr;
            return DefWindowProcW(window, message, wParam, lParam);
        }
        default:
            break;
    }
    return DefWindowProcW(window_, message, wParam, lParam);
}

void Form1::focusControl(HWND target) {
    SetFocus(target != nullptr ? target : control(ControlId::txtName));
}

void Form1::keepSelectedOptionAsTabStop() {
    // Only the selected option button is a tab stop, so Tab reaches the group at its selection
    // and the group counts once in the Tab order.
    for (const ControlId id : layout::kOptionButtons) {
        const HWND option = control(id);
        const auto style = static_cast<DWORD>(GetWindowLongPtrW(option, GWL_STYLE));
        const bool selected = SendMessageW(option, BM_GETCHECK, 0, 0) == BST_CHECKED;
        const DWORD wanted = selected ? (style | WS_TABSTOP) : (style & ~DWORD{WS_TABSTOP});
        if (wanted != style) {
            SetWindowLongPtrW(option, GWL_STYLE, static_cast<LONG_PTR>(wanted));
        }
    }
}

void Form1::onActivate(WPARAM wParam) {
    if (LOWORD(wParam) == WA_INACTIVE) {
        // Remember the focus so that it comes back to the same control after a dialog or a
        // switch to another program.
        const HWND focus = GetFocus();
        if (focus != nullptr && IsChild(window_, focus)) {
            focusBeforeDeactivation_ = focus;
        }
    } else if (HIWORD(wParam) == 0) {
        focusControl(focusBeforeDeactivation_);
    }
}

void Form1::onCommand(int id, int code) {
    const layout::Control* c = controlForCommand(id);
    if (c != nullptr && c->id == ControlId::txtName && code == EN_CHANGE) {
        onNameChanged();
        return;
    }
    if (c != nullptr && c->kind == ControlKind::OptionButton &&
        (code == BN_SETFOCUS || code == BN_KILLFOCUS)) {
        redrawFocusRing(control(c->id));
        return;
    }
    if (c == nullptr || code != BN_CLICKED) {
        return;  // includes IDOK and IDCANCEL from Enter and Escape, which mean nothing here
    }
    if (c->kind == ControlKind::OptionButton) {
        onOptionClicked();
    } else if (c->id == ControlId::cmdCreate) {
        createRom(*this);
    }
}

void Form1::onOptionClicked() {
    keepSelectedOptionAsTabStop();
    // Typing goes on in the name after an icon is picked.
    focusControl(control(ControlId::txtName));
}

// Text that arrives without a typed character (Shift+Insert, Paste from the context menu, an
// input method, another program) obeys the same rule as typed characters. The caret stays
// behind the same kept characters.
void Form1::onNameChanged() {
    const HWND box = control(ControlId::txtName);
    const std::wstring text = textOf(box);
    const std::string kept = filterText(toUtf8(text));
    if (toWide(kept) == text) {
        return;
    }
    DWORD selectionEnd = 0;
    SendMessageW(box, EM_GETSEL, 0, reinterpret_cast<LPARAM>(&selectionEnd));
    const std::size_t caret = filterText(toUtf8(std::wstring_view(text).substr(
                                             0, std::min<std::size_t>(selectionEnd, text.size()))))
                                  .size();
    SetWindowTextW(box, toWide(kept).c_str());  // changes it again, to text that passes
    SendMessageW(box, EM_SETSEL, caret, static_cast<LPARAM>(caret));
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
        const int width = MulDiv(kFocusRingWidth, dpi_, USER_DEFAULT_SCREEN_DPI);
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
    const int width = MulDiv(kFocusRingWidth, dpi_, USER_DEFAULT_SCREEN_DPI);
    InflateRect(&ring, width, width);
    return ring;
}

// Only the ring's strip is redrawn, outside the button: the window's background painting is not
// clipped to leave its controls out.
void Form1::redrawFocusRing(HWND option) {
    RECT inner{};
    GetWindowRect(option, &inner);
    MapWindowPoints(nullptr, window_, reinterpret_cast<POINT*>(&inner), 2);
    const RECT outer = focusRingAround(option);
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

void Form1::onDpiChanged(int dpi, const RECT& suggested) {
    layoutControls(dpi);
    placeWindow(dpi, {suggested.left, suggested.top});
}

void Form1::onNextControl(WPARAM wParam, LPARAM lParam) {
    // Tab and Shift+Tab arrive here from the dialog keys (or a direct request to focus one
    // control, when lParam is set).
    HWND next = nullptr;
    if (LOWORD(lParam) != 0) {
        next = reinterpret_cast<HWND>(wParam);
    } else {
        const HWND focus = GetFocus();
        next = GetNextDlgTabItem(window_, IsChild(window_, focus) ? focus : nullptr, wParam != 0);
    }
    if (next == nullptr) {
        return;
    }
    SetFocus(next);
    if ((SendMessageW(next, WM_GETDLGCODE, 0, 0) & DLGC_HASSETSEL) != 0) {
        SendMessageW(next, EM_SETSEL, 0, -1);
    }
}

}  // namespace tilewright
