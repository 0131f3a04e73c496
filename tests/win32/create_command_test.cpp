// The Create command run from the real window: what it reads, what it writes, how it resets
// the window, and the name crossing between the window's UTF-16 and the core's UTF-8.
#include <gtest/gtest.h>

#include <array>
#include <vector>

#include "tests/support/files.h"
#include "tests/win32/window_test_support.h"
#include "ui/layout.h"

namespace tilewright {
namespace {

using layout::ControlId;
using test::pumpMessages;
using test::ScriptedForm1;

void typeIntoName(ScriptedForm1& form, std::wstring_view text) {
    for (const wchar_t c : text) {
        test::postChar(form.control(ControlId::txtName), c);
    }
    pumpMessages(form);
}

void pressCreate(ScriptedForm1& form) {
    SendMessageW(form.control(ControlId::cmdCreate), BM_CLICK, 0, 0);
    pumpMessages(form);
}

TEST(Form1Create, WritesTheImageAndResetsTheWindow) {
    test::ScratchFolder folder;
    ScriptedForm1 form;
    form.savePath = folder.path() / "SPACE RACE";
    typeIntoName(form, L"space race");
    SendMessageW(form.control(ControlId::chk3), BM_CLICK, 0, 0);
    pumpMessages(form);
    pressCreate(form);

    ASSERT_EQ(form.dialogs.size(), 1u);
    EXPECT_EQ(form.dialogs.front().fileName, "SPACE RACE");
    EXPECT_TRUE(form.errors.empty());

    std::vector<std::uint8_t> expected(8192, 0x00);
    const std::array<std::uint8_t, 2 + 19 + 4> record{
        0x50, 0x43,                                                  // "PC"
        0x1C, 0x19, 0x0A, 0x0C, 0x0E, 0x3F, 0x1B, 0x0A, 0x0C, 0x0E,  // SPACE RACE
        0x3F, 0x3E, 0x3E, 0x3E, 0x3E, 0x3E, 0x3E, 0x3E, 0x3E,        // end, pad
        0x3F, 0xFD, 0xFE, 0x3F};                                     // icon 3
    std::copy(record.begin(), record.end(), expected.begin() + 0x1000);
    EXPECT_EQ(test::readFile(folder.path() / "SPACE RACE"), expected);

    EXPECT_EQ(form.nameText(), "");
    EXPECT_EQ(form.selectedIcon(), IconChoice::None);
    EXPECT_EQ(SendMessageW(form.control(ControlId::chk0), BM_GETCHECK, 0, 0), BST_CHECKED);
    EXPECT_EQ(SendMessageW(form.control(ControlId::chk3), BM_GETCHECK, 0, 0), BST_UNCHECKED);
    // The reset option is the group's only tab stop, as after a pick by the user.
    EXPECT_NE(GetWindowLongPtrW(form.control(ControlId::chk0), GWL_STYLE) & WS_TABSTOP, 0);
    EXPECT_EQ(GetWindowLongPtrW(form.control(ControlId::chk3), GWL_STYLE) & WS_TABSTOP, 0);
}

TEST(Form1Create, RefusesTwentyCharactersAndKeepsNameIconAndFocus) {
    test::ScratchFolder folder;
    ScriptedForm1 form;
    form.savePath = folder.path() / "never";
    typeIntoName(form, L"abcdefghijklmnopqrst");
    form.selectIcon(IconChoice::Icon5);
    form.selectIcon(static_cast<IconChoice>(kIconCount));  // no option button: changes nothing
    test::postKey(form.control(ControlId::txtName), VK_RETURN);
    pumpMessages(form);

    ASSERT_EQ(form.errors.size(), 1u);
    EXPECT_EQ(form.errors.front().first, "Name must be 19 Characters or Less.");
    EXPECT_EQ(form.errors.front().second, "Error");
    EXPECT_TRUE(form.dialogs.empty());
    EXPECT_FALSE(std::filesystem::exists(folder.path() / "never"));
    EXPECT_EQ(form.nameText(), "ABCDEFGHIJKLMNOPQRST");
    EXPECT_EQ(form.selectedIcon(), IconChoice::Icon5);
    EXPECT_EQ(GetFocus(), form.control(ControlId::txtName));
}

TEST(Form1Create, CancelledDialogWritesNothing) {
    test::ScratchFolder folder;
    ScriptedForm1 form;
    typeIntoName(form, L"my game");
    pressCreate(form);
    ASSERT_EQ(form.dialogs.size(), 1u);
    EXPECT_TRUE(std::filesystem::is_empty(folder.path()));
    EXPECT_TRUE(form.errors.empty());
}

TEST(Form1Text, NameCrossesBetweenUtf16AndUtf8Intact) {
    ScriptedForm1 form;
    const HWND name = form.control(ControlId::txtName);
    // The box keeps only characters with a tile, which are ASCII; the conversions themselves
    // are tested with the core's (tests/core/wide_text_test.cpp).
    SetWindowTextW(name, L"MY \"GAME\", 2!");
    EXPECT_EQ(form.nameText(), "MY \"GAME\", 2!");
    form.setNameText("SPACE RACE");
    EXPECT_EQ(test::windowText(name), L"SPACE RACE");
    form.setNameText("");
    EXPECT_EQ(test::windowText(name), L"");

    // Names longer than the old 30000-character default of a text box are kept whole.
    const std::string longName(40000, 'A');
    form.setNameText(longName);
    EXPECT_EQ(form.nameText(), longName);
}

// The real message box, closed by a timer that reads it first.
struct SeenBox {
    HWND box = nullptr;
    HWND owner = nullptr;
    std::wstring title;
    std::vector<std::wstring> texts;
    bool hasIcon = false;
};
SeenBox seenBox;

BOOL CALLBACK collectChild(HWND child, LPARAM) {
    seenBox.texts.push_back(test::windowText(child));
    if ((GetWindowLongPtrW(child, GWL_STYLE) & SS_TYPEMASK) == SS_ICON) {
        seenBox.hasIcon = seenBox.hasIcon || SendMessageW(child, STM_GETICON, 0, 0) != 0;
    }
    return TRUE;
}

BOOL CALLBACK findBox(HWND window, LPARAM) {
    wchar_t className[16]{};
    GetClassNameW(window, className, 16);
    if (std::wstring_view(className) == L"#32770" && IsWindowVisible(window)) {
        seenBox.box = window;
        return FALSE;
    }
    return TRUE;
}

void CALLBACK closeBox(HWND, UINT, UINT_PTR timer, DWORD) {
    EnumThreadWindows(GetCurrentThreadId(), findBox, 0);
    if (seenBox.box == nullptr) {
        return;
    }
    KillTimer(nullptr, timer);
    seenBox.owner = GetWindow(seenBox.box, GW_OWNER);
    seenBox.title = test::windowText(seenBox.box);
    EnumChildWindows(seenBox.box, collectChild, 0);
    PostMessageW(seenBox.box, WM_COMMAND, IDOK, 0);
}

TEST(Form1Error, ShowsAModalBoxOwnedByTheWindowWithTitleTextAndErrorIcon) {
    Form1 form(GetModuleHandleW(nullptr));
    form.show(SW_SHOWNORMAL);
    seenBox = {};
    SetTimer(nullptr, 0, 100, closeBox);
    form.showError("Name must be 19 Characters or Less.", "Error");
    ASSERT_NE(seenBox.box, nullptr);
    EXPECT_EQ(seenBox.owner, form.handle());
    EXPECT_EQ(seenBox.title, L"Error");
    EXPECT_NE(std::find(seenBox.texts.begin(), seenBox.texts.end(),
                        L"Name must be 19 Characters or Less."),
              seenBox.texts.end());
    EXPECT_TRUE(seenBox.hasIcon);
    EXPECT_FALSE(IsWindow(seenBox.box));
}

}  // namespace
}  // namespace tilewright
