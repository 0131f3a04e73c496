// The floors for the start-up benchmark under Wine, built twice from this file.
// plain_win32_window: the main window's controls built the plainest way Win32 offers (the same
// labels, edit box, six option buttons, picture and button, common controls 6 through the
// program's own manifest and resources), so that what the system itself costs for them can be
// told apart from what the program adds. empty_win32_window (TILEWRIGHT_FLOOR_CONTROLS=0): the
// same window with nothing in it, linked without the program's resources.
#include <windows.h>
// After windows.h, which it needs.
#include <commctrl.h>

#include <string>
#include <string_view>

#include "ui/layout.h"
#include "ui/win32/resource_ids.h"

namespace {

constexpr bool kWithControls = TILEWRIGHT_FLOOR_CONTROLS;

HBRUSH background = nullptr;

constexpr COLORREF colourRef(tilewright::layout::Rgb colour) {
    return RGB(colour.red, colour.green, colour.blue);
}

std::wstring wide(std::string_view text) {
    // UTF-16 takes no more units than UTF-8 takes bytes.
    std::wstring result(text.size(), L'\0');
    result.resize(static_cast<std::size_t>(
        MultiByteToWideChar(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), result.data(),
                            static_cast<int>(result.size()))));
    return result;
}

LRESULT CALLBACK windowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_CTLCOLORSTATIC) {
        // Option buttons ask for their colours as labels do.
        const bool option = (SendMessageW(reinterpret_cast<HWND>(lParam), WM_GETDLGCODE, 0, 0) &
                             DLGC_RADIOBUTTON) != 0;
        SetTextColor(
            reinterpret_cast<HDC>(wParam),
            colourRef(option ? tilewright::layout::kOptionText : tilewright::layout::kLabelText));
        SetBkMode(reinterpret_cast<HDC>(wParam), TRANSPARENT);
        return reinterpret_cast<LRESULT>(background);
    }
    if (message == WM_DESTROY) {
        PostQuitMessage(0);
        return 0;
    }
    return DefWindowProcW(window, message, wParam, lParam);
}

HWND makeControl(HWND parent, HINSTANCE instance, const tilewright::layout::Control& c) {
    using tilewright::layout::ControlKind;
    const wchar_t* windowClass = L"STATIC";
    DWORD style = WS_CHILD | WS_VISIBLE;
    switch (c.kind) {
        case ControlKind::Label:
            break;
        case ControlKind::TextBox:
            windowClass = L"EDIT";
            style |= WS_TABSTOP | ES_AUTOHSCROLL | WS_BORDER;
            break;
        case ControlKind::OptionButton:
            windowClass = L"BUTTON";
            style |= BS_AUTORADIOBUTTON;
            break;
        case ControlKind::Picture:
            style |= SS_BITMAP;
            break;
        case ControlKind::PushButton:
            windowClass = L"BUTTON";
            style |= WS_TABSTOP | BS_DEFPUSHBUTTON;
            break;
    }
    const tilewright::layout::Rect r = tilewright::layout::toPixels(c.twips, 96);
    const HWND control = CreateWindowExW(0, windowClass, wide(c.text).c_str(), style, r.left, r.top,
                                         r.width, r.height, parent, nullptr, instance, nullptr);
    if (c.kind == ControlKind::Picture) {
        const HANDLE picture = LoadImageW(instance, MAKEINTRESOURCEW(TILEWRIGHT_IDB_ICONS),
                                          IMAGE_BITMAP, r.width, r.height, LR_CREATEDIBSECTION);
        SendMessageW(control, STM_SETIMAGE, IMAGE_BITMAP, reinterpret_cast<LPARAM>(picture));
    }
    return control;
}

void addControls(HWND window, HINSTANCE instance, int dpi) {
    const HFONT font =
        CreateFontW(-MulDiv(tilewright::layout::kFontPoints, dpi, 72), 0, 0, 0, FW_NORMAL, FALSE,
                    FALSE, FALSE, DEFAULT_CHARSET, OUT_DEFAULT_PRECIS, CLIP_DEFAULT_PRECIS,
                    DEFAULT_QUALITY, DEFAULT_PITCH | FF_DONTCARE, L"MS Shell Dlg 2");
    for (const tilewright::layout::Control& c : tilewright::layout::kControls) {
        SendMessageW(makeControl(window, instance, c), WM_SETFONT, reinterpret_cast<WPARAM>(font),
                     FALSE);
    }
}

}  // namespace

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int showCommand) {
    using namespace tilewright::layout;
    constexpr DWORD kStyle = WS_OVERLAPPED | WS_CAPTION | WS_SYSMENU | WS_MINIMIZEBOX;
    constexpr int kDpi = 96;
    background = CreateSolidBrush(colourRef(kBackground));
    if constexpr (kWithControls) {
        INITCOMMONCONTROLSEX commonControls{sizeof commonControls, ICC_STANDARD_CLASSES};
        InitCommonControlsEx(&commonControls);
    }

    WNDCLASSEXW windowClass{};
    windowClass.cbSize = sizeof windowClass;
    windowClass.lpfnWndProc = windowProc;
    windowClass.hInstance = instance;
    windowClass.hIcon = LoadIconW(instance, MAKEINTRESOURCEW(TILEWRIGHT_IDI_APP));
    windowClass.hCursor = LoadCursorW(nullptr, MAKEINTRESOURCEW(32512));  // IDC_ARROW
    windowClass.hbrBackground = background;
    windowClass.lpszClassName = L"PlainWindow";
    RegisterClassExW(&windowClass);

    RECT frame{0, 0, twipsToPixels(kClientSize.width, kDpi),
               twipsToPixels(kClientSize.height, kDpi)};
    AdjustWindowRectEx(&frame, kStyle, FALSE, 0);
    const HWND window = CreateWindowExW(
        0, L"PlainWindow", wide(kWindowTitle).c_str(), kStyle, CW_USEDEFAULT, CW_USEDEFAULT,
        frame.right - frame.left, frame.bottom - frame.top, nullptr, nullptr, instance, nullptr);
    if (window == nullptr) {
        return 1;
    }
    if constexpr (kWithControls) {
        addControls(window, instance, kDpi);
    }
    ShowWindow(window, showCommand);
    UpdateWindow(window);
    MSG message;
    while (GetMessageW(&message, nullptr, 0, 0) > 0) {
        if (!IsDialogMessageW(window, &message)) {
            TranslateMessage(&message);
            DispatchMessageW(&message);
        }
    }
    return static_cast<int>(message.wParam);
}
