#include "tests/win32/window_test_support.h"

#include <string>

#include "tests/support/files.h"

namespace tilewright::test {

void pumpMessages(Form1& form) {
    MSG message{};
    while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
        if (message.message != WM_QUIT) {
            processMessage(form, message);
        }
    }
}

bool pumpUntil(Form1& form, const std::function<bool()>& condition) {
    const ULONGLONG end = GetTickCount64() + 5000;
    for (;;) {
        pumpMessages(form);
        if (condition()) {
            return true;
        }
        if (GetTickCount64() > end) {
            return false;
        }
        // Wakes as soon as anything arrives; the timeout only lets the condition be seen again.
        MsgWaitForMultipleObjects(0, nullptr, FALSE, 10, QS_ALLINPUT);
    }
}

void postChar(HWND target, wchar_t character) {
    PostMessageW(target, WM_CHAR, character, 1);
}

void postKey(HWND target, UINT virtualKey) {
    const auto scan = static_cast<LPARAM>(MapVirtualKeyW(virtualKey, MAPVK_VK_TO_VSC));
    PostMessageW(target, WM_KEYDOWN, virtualKey, 1 | (scan << 16));
    PostMessageW(target, WM_KEYUP, virtualKey, 1 | (scan << 16) | (LPARAM{3} << 30));
}

namespace {

INPUT keyInput(WORD key, bool up) {
    INPUT input{};
    input.type = INPUT_KEYBOARD;
    input.ki.wVk = key;
    input.ki.dwFlags = up ? KEYEVENTF_KEYUP : 0;
    return input;
}

}  // namespace

void typeKeys(const std::vector<WORD>& keys, const std::vector<WORD>& modifiers) {
    std::vector<INPUT> inputs;
    for (const WORD modifier : modifiers) {
        inputs.push_back(keyInput(modifier, false));
    }
    for (const WORD key : keys) {
        inputs.push_back(keyInput(key, false));
        inputs.push_back(keyInput(key, true));
    }
    for (auto it = modifiers.rbegin(); it != modifiers.rend(); ++it) {
        inputs.push_back(keyInput(*it, true));
    }
    SendInput(static_cast<UINT>(inputs.size()), inputs.data(), sizeof(INPUT));
}

void clickCentre(HWND target) {
    RECT rect{};
    GetWindowRect(target, &rect);
    SetCursorPos((rect.left + rect.right) / 2, (rect.top + rect.bottom) / 2);
    INPUT inputs[2]{};
    inputs[0].type = INPUT_MOUSE;
    inputs[0].mi.dwFlags = MOUSEEVENTF_LEFTDOWN;
    inputs[1].type = INPUT_MOUSE;
    inputs[1].mi.dwFlags = MOUSEEVENTF_LEFTUP;
    SendInput(2, inputs, sizeof(INPUT));
}

std::wstring windowText(HWND window) {
    std::wstring text(static_cast<std::size_t>(GetWindowTextLengthW(window)) + 1, L'\0');
    text.resize(static_cast<std::size_t>(
        GetWindowTextW(window, text.data(), static_cast<int>(text.size()))));
    return text;
}

RECT rectInClient(HWND parent, HWND child) {
    RECT rect{};
    GetWindowRect(child, &rect);
    MapWindowPoints(HWND_DESKTOP, parent, reinterpret_cast<POINT*>(&rect), 2);
    return rect;
}

ScriptedForm1::ScriptedForm1() : Form1(GetModuleHandleW(nullptr)) {
    show(SW_SHOWNORMAL);
    SetForegroundWindow(handle());
    // Activation reaches the window through the display server; the tests check it arrived.
    (void)pumpUntil(*this, [this] { return GetForegroundWindow() == handle(); });
}

std::optional<std::string> ScriptedForm1::runSaveDialog(const SaveDialogSettings& settings) {
    dialogs.push_back(settings);
    if (!savePath) {
        return std::nullopt;
    }
    return utf8Path(*savePath);
}

void ScriptedForm1::showError(std::string_view text, std::string_view title) {
    errors.emplace_back(std::string(text), std::string(title));
}

}  // namespace tilewright::test
