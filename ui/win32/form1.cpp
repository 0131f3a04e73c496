#include "ui/win32/form1.h"

#include <algorithm>
#include <cstdint>
#include <optional>

#include "rom/name_tiles.h"
#include "text/wide_text.h"
#include "ui/win32/command_ids.h"
#include "ui/win32/save_dialog.h"

namespace tilewright {

namespace {

using layout::ControlId;
using layout::ControlKind;

std::wstring textOf(HWND window) {
    const int length = GetWindowTextLengthW(window);
    std::wstring text(static_cast<std::size_t>(length) + 1, L'\0');
    const int copied = GetWindowTextW(window, text.data(), length + 1);
    text.resize(static_cast<std::size_t>(copied));
    return text;
}

}  // namespace

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
        case WM_ERASEBKGND:
            onEraseBackground(reinterpret_cast<HDC>(wParam));
            return TRUE;
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
