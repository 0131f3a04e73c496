// Typing and focus on the real message path: the key preview with filterKey, Tab order, the
// option group's arrow keys, and the focus going back to the name box after a pick.
#include <gtest/gtest.h>

#include <functional>

#include "tests/win32/window_test_support.h"
#include "ui/layout.h"

namespace tilewright {
namespace {

using layout::ControlId;
using test::postChar;
using test::postKey;
using test::pumpMessages;
using test::ScriptedForm1;

void postText(HWND target, std::wstring_view text) {
    for (const wchar_t c : text) {
        postChar(target, c);
    }
}

void putOnClipboard(HWND owner, std::wstring_view text) {
    ASSERT_TRUE(OpenClipboard(owner));
    EmptyClipboard();
    const HGLOBAL memory = GlobalAlloc(GMEM_MOVEABLE, (text.size() + 1) * sizeof(wchar_t));
    auto* data = static_cast<wchar_t*>(GlobalLock(memory));
    std::copy(text.begin(), text.end(), data);
    data[text.size()] = L'\0';
    GlobalUnlock(memory);
    SetClipboardData(CF_UNICODETEXT, memory);
    CloseClipboard();
}

class Form1Keys : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_EQ(GetForegroundWindow(), form.handle()) << "the window must be in front for input";
    }
    HWND name() const { return form.control(ControlId::txtName); }
    void pump() { pumpMessages(form); }
    // For input sent through the keyboard or mouse, which arrives when it arrives.
    bool pumpUntilName(std::string_view expected) {
        return test::pumpUntil(form, [&] { return form.nameText() == expected; });
    }

    ScriptedForm1 form;
};

TEST_F(Form1Keys, KeyboardTypingArrivesInCapitals) {
    // "space race" on the keyboard, without clicking the name box first.
    test::typeKeys({'S', 'P', 'A', 'C', 'E', VK_SPACE, 'R', 'A', 'C', 'E'});
    EXPECT_TRUE(pumpUntilName("SPACE RACE")) << form.nameText();
}

TEST_F(Form1Keys, TypedCharactersGoThroughTheFilter) {
    postText(name(), L"a-b.c'!\",9z");
    pump();
    EXPECT_EQ(form.nameText(), "A-B.C'!\",9Z");

    // No tile: swallowed, whatever control they were bound for.
    postText(name(), L"?_@\u00e9\u20ac");
    postChar(form.control(ControlId::cmdCreate), L'?');
    pump();
    EXPECT_EQ(form.nameText(), "A-B.C'!\",9Z");
}

TEST_F(Form1Keys, CtrlVIsSwallowedButKeysWithoutCharactersStillWork) {
    putOnClipboard(form.handle(), L"PASTED");
    postText(name(), L"abc");
    postChar(name(), 22);  // what Ctrl+V types
    pump();
    EXPECT_EQ(form.nameText(), "ABC");
    // The D typed after it shows when the keyboard's Ctrl+V has been handled.
    test::typeKeys({'V'}, {VK_CONTROL});
    test::typeKeys({'D'});
    EXPECT_TRUE(pumpUntilName("ABCD")) << form.nameText();

    postKey(name(), VK_BACK);
    pump();
    EXPECT_EQ(form.nameText(), "ABC");
    postKey(name(), VK_HOME);
    postKey(name(), VK_DELETE);
    pump();
    EXPECT_EQ(form.nameText(), "BC");
}

TEST_F(Form1Keys, TextEnteringWithoutATypedCharacterObeysTheKeyFilter) {
    // Each route inserts "bob", a tab, an escape, "!" and an accented letter between the A and
    // the B of "AB".
    constexpr std::wstring_view kInserted = L"bob\t\x1b!\u00e9";
    const std::pair<const char*, std::function<void()>> routes[] = {
        {"Shift+Insert", [] { test::typeKeys({VK_INSERT}, {VK_SHIFT}); }},
        {"Paste from the context menu", [&] { SendMessageW(name(), WM_PASTE, 0, 0); }},
        {"an input method or another program",
         [&] {
             SendMessageW(name(), EM_REPLACESEL, TRUE,
                          reinterpret_cast<LPARAM>(std::wstring(kInserted).c_str()));
         }},
    };
    for (const auto& [route, insert] : routes) {
        SCOPED_TRACE(route);
        form.setNameText("AB");
        SetFocus(name());
        SendMessageW(name(), EM_SETSEL, 1, 1);
        putOnClipboard(form.handle(), kInserted);
        insert();
        pump();
        EXPECT_EQ(form.nameText(), "ABOB!B");
        DWORD start = 0;
        DWORD end = 0;
        SendMessageW(name(), EM_GETSEL, reinterpret_cast<WPARAM>(&start),
                     reinterpret_cast<LPARAM>(&end));
        EXPECT_EQ(start, 5u);
        EXPECT_EQ(end, 5u);
    }
}

TEST_F(Form1Keys, TabAndShiftTabVisitNameCreateAndTheSelectedOption) {
    form.selectIcon(IconChoice::Icon3);
    const std::vector<HWND> forward{form.control(ControlId::cmdCreate),
                                    form.control(ControlId::chk3), name()};
    for (const HWND expected : forward) {
        postKey(GetFocus(), VK_TAB);
        pump();
        EXPECT_EQ(GetFocus(), expected);
    }
    const std::vector<HWND> backward{form.control(ControlId::chk3),
                                     form.control(ControlId::cmdCreate), name()};
    for (const HWND expected : backward) {
        test::typeKeys({VK_TAB}, {VK_SHIFT});
        EXPECT_TRUE(test::pumpUntil(form, [&] { return GetFocus() == expected; }));
    }
}

TEST_F(Form1Keys, ClickingAnOptionSelectsItAndTypingGoesOnInTheName) {
    postText(name(), L"star");
    pump();
    test::clickCentre(form.control(ControlId::chk3));
    EXPECT_TRUE(test::pumpUntil(
        form, [&] { return form.selectedIcon() == IconChoice::Icon3 && GetFocus() == name(); }));
    test::typeKeys({'S'});
    EXPECT_TRUE(pumpUntilName("STARS")) << form.nameText();
}

TEST_F(Form1Keys, ArrowKeysMoveThroughTheOptionsInScreenOrder) {
    form.selectIcon(IconChoice::Icon2);
    SetFocus(form.control(ControlId::chk2));
    postKey(form.control(ControlId::chk2), VK_DOWN);
    pump();
    EXPECT_EQ(form.selectedIcon(), IconChoice::Icon3);
    EXPECT_EQ(GetFocus(), name());

    // The picked option is the group's tab stop now, and Up goes back one.
    postKey(name(), VK_TAB);
    postKey(name(), VK_TAB);
    pump();
    ASSERT_EQ(GetFocus(), form.control(ControlId::chk3));
    postKey(GetFocus(), VK_UP);
    pump();
    EXPECT_EQ(form.selectedIcon(), IconChoice::Icon2);
    EXPECT_EQ(GetFocus(), name());
}

TEST_F(Form1Keys, EnterPressesCreateAndEscapeChangesNothing) {
    postText(name(), L"abc");
    postKey(name(), VK_ESCAPE);
    pump();
    EXPECT_TRUE(IsWindow(form.handle()));
    EXPECT_TRUE(form.dialogs.empty());
    EXPECT_EQ(form.nameText(), "ABC");

    postKey(name(), VK_RETURN);
    pump();
    ASSERT_EQ(form.dialogs.size(), 1u);
    EXPECT_EQ(form.dialogs.front().fileName, "ABC");
}

}  // namespace
}  // namespace tilewright
