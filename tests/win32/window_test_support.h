#pragma once

#include <filesystem>
#include <functional>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "text/windows_api.h"
#include "ui/win32/form1.h"
#include "ui/win32/message_loop.h"

namespace tilewright::test {

// Handles every message already queued through the program's own message handling, with the
// messages that handling posts in turn. Posted input is handled in order, so afterwards all of
// it has taken effect.
void pumpMessages(Form1& form);

// Handles messages as they come until the condition holds, for input that arrives on its own
// time (SendInput, activation); false when it still does not hold after five seconds.
[[nodiscard]] bool pumpUntil(Form1& form, const std::function<bool()>& condition);

// Posts a typed character to a control, as TranslateMessage posts it after a key press.
void postChar(HWND target, wchar_t character);

// Posts the press and release of a key to a control.
void postKey(HWND target, UINT virtualKey);

// Presses and releases keys on the keyboard (SendInput), holding down the modifiers.
void typeKeys(const std::vector<WORD>& keys, const std::vector<WORD>& modifiers = {});

// Clicks the left mouse button at the centre of a window, through the real mouse input.
void clickCentre(HWND target);

[[nodiscard]] std::wstring windowText(HWND window);
[[nodiscard]] RECT rectInClient(HWND parent, HWND child);

// The real window, shown and in front, with the save dialog and the message box replaced by
// the answers the test sets, and a record of what they were asked.
class ScriptedForm1 : public Form1 {
public:
    ScriptedForm1();

    std::optional<std::filesystem::path> savePath;
    std::vector<SaveDialogSettings> dialogs;
    std::vector<std::pair<std::string, std::string>> errors;  // text, title

    std::optional<std::string> runSaveDialog(const SaveDialogSettings& settings) override;
    void showError(std::string_view text, std::string_view title) override;
};

}  // namespace tilewright::test
