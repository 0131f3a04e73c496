// The window as it opens: its controls' places at 96 and 144 dpi, its texts and colours, and
// the state a user finds at start.
#include <gtest/gtest.h>

#include <span>

#include "tests/support/window_pixels.h"
#include "tests/win32/window_test_support.h"
#include "text/wide_text.h"
#include "ui/layout.h"

namespace tilewright {
namespace {

using layout::ControlId;
using layout::ControlKind;
using test::ScriptedForm1;

// Each control's left, top, width and height in pixels at 144 dpi (at 96: tests/support).
constexpr test::PixelPlacement kPixelsAt144[] = {
    {ControlId::Label1, {35, 12, 230, 26}},     {ControlId::txtName, {35, 36, 230, 32}},
    {ControlId::Label2, {36, 102, 230, 20}},    {ControlId::chk0, {30, 162, 74, 29}},
    {ControlId::chk1, {30, 228, 74, 29}},       {ControlId::chk2, {30, 294, 74, 29}},
    {ControlId::chk3, {30, 360, 74, 29}},       {ControlId::chk4, {30, 426, 74, 29}},
    {ControlId::chk5, {30, 480, 74, 29}},       {ControlId::Image1, {108, 132, 155, 389}},
    {ControlId::cmdCreate, {41, 552, 218, 44}},
};

void expectLaidOutAt(const Form1& form, int dpi) {
    ASSERT_TRUE(dpi == 96 || dpi == 144);
    RECT client{};
    GetClientRect(form.handle(), &client);
    EXPECT_EQ(client.right, dpi == 96 ? test::kClientPixelsAt96.width : 300) << dpi;
    EXPECT_EQ(client.bottom, dpi == 96 ? test::kClientPixelsAt96.height : 609) << dpi;
    for (const auto& [id, expected] :
         dpi == 96 ? std::span(test::kPixelsAt96) : std::span(kPixelsAt144)) {
        const RECT actual = test::rectInClient(form.handle(), form.control(id));
        SCOPED_TRACE(::testing::Message() << layout::control(id).name << " at " << dpi);
        EXPECT_EQ(actual.left, expected.left);
        EXPECT_EQ(actual.top, expected.top);
        EXPECT_EQ(actual.right - actual.left, expected.width);
        EXPECT_EQ(actual.bottom - actual.top, expected.height);
    }
}

// Every text must show whole in its box with the window's font.
void expectTextsFit(const Form1& form) {
    const HDC dc = GetDC(form.handle());
    const HGDIOBJ previous = SelectObject(dc, form.font());
    TEXTMETRICW metrics{};
    GetTextMetricsW(dc, &metrics);
    const UINT dpi = static_cast<UINT>(form.dpi());
    for (const layout::Control& c : layout::kControls) {
        const std::wstring text = toWide(c.text);
        const layout::Rect box = layout::toPixels(c.twips, form.dpi());
        SIZE extent{};
        GetTextExtentPoint32W(dc, text.c_str(), static_cast<int>(text.size()), &extent);
        SCOPED_TRACE(::testing::Message() << c.text << " at " << dpi << " dpi");
        switch (c.kind) {
            case ControlKind::Label:
                EXPECT_LE(extent.cx, box.width);
                EXPECT_LE(metrics.tmHeight - metrics.tmInternalLeading, box.height);
                break;
            case ControlKind::OptionButton:
                EXPECT_LE(
                    extent.cx + static_cast<LONG>(GetSystemMetricsForDpi(SM_CXMENUCHECK, dpi)) + 4,
                    box.width);
                EXPECT_LE(metrics.tmHeight, box.height);
                break;
            case ControlKind::PushButton:
                EXPECT_LE(extent.cx + 8, box.width);
                EXPECT_LE(metrics.tmHeight + 4, box.height);
                break;
            case ControlKind::TextBox:
                EXPECT_LE(metrics.tmHeight + 4, box.height);
                break;
            case ControlKind::Picture:
                break;
        }
    }
    SelectObject(dc, previous);
    ReleaseDC(form.handle(), dc);
}

TEST(Form1Layout, PlacesEveryControlAt96Dpi) {
    ScriptedForm1 form;
    ASSERT_EQ(form.dpi(), 96) << "the test display runs at 96 dpi";
    expectLaidOutAt(form, 96);
    expectTextsFit(form);
}

TEST(Form1Layout, LaysOutAgainWhenTheDpiChanges) {
    ScriptedForm1 form;
    RECT window{};
    GetWindowRect(form.handle(), &window);
    RECT suggested{window.left, window.top, window.left + (window.right - window.left) * 3 / 2,
                   window.top + (window.bottom - window.top) * 3 / 2};
    SendMessageW(form.handle(), WM_DPICHANGED, MAKEWPARAM(144, 144),
                 reinterpret_cast<LPARAM>(&suggested));
    EXPECT_EQ(form.dpi(), 144);
    expectLaidOutAt(form, 144);
    expectTextsFit(form);
    for (const layout::Control& c : layout::kControls) {
        EXPECT_EQ(reinterpret_cast<HFONT>(SendMessageW(form.control(c.id), WM_GETFONT, 0, 0)),
                  form.font());
    }

    // And back, as when the window moves to the first monitor again.
    GetWindowRect(form.handle(), &suggested);
    SendMessageW(form.handle(), WM_DPICHANGED, MAKEWPARAM(96, 96),
                 reinterpret_cast<LPARAM>(&suggested));
    expectLaidOutAt(form, 96);
}

TEST(Form1Layout, IsAFixedSizeWindowWithTheTitleAndTexts) {
    ScriptedForm1 form;
    EXPECT_EQ(test::windowText(form.handle()), L"Tilewright");
    const auto style = static_cast<DWORD>(GetWindowLongPtrW(form.handle(), GWL_STYLE));
    EXPECT_EQ(style & WS_THICKFRAME, 0u);
    EXPECT_EQ(style & WS_MAXIMIZEBOX, 0u);
    EXPECT_NE(style & WS_CAPTION, 0u);
    EXPECT_EQ(test::windowText(form.control(ControlId::Label1)), L"Name: (Max. 19 Characters)");
    EXPECT_EQ(test::windowText(form.control(ControlId::Label2)), L"Select Icon:");
    EXPECT_EQ(test::windowText(form.control(ControlId::chk0)), L"None");
    EXPECT_EQ(test::windowText(form.control(ControlId::chk3)), L"");
    EXPECT_EQ(test::windowText(form.control(ControlId::cmdCreate)), L"Create Rom (27C64)");
}

TEST(Form1Layout, OpensEmptyWithNoneSelectedAndTheNameBoxFocused) {
    ScriptedForm1 form;
    EXPECT_EQ(form.nameText(), "");
    EXPECT_EQ(form.selectedIcon(), IconChoice::None);
    int checked = 0;
    for (const ControlId id : layout::kOptionButtons) {
        checked += SendMessageW(form.control(id), BM_GETCHECK, 0, 0) == BST_CHECKED ? 1 : 0;
    }
    EXPECT_EQ(checked, 1);
    EXPECT_EQ(GetFocus(), form.control(ControlId::txtName));
}

// The layout's green and white; under high contrast the user's window and text colours (here a
// yellow-on-navy scheme), for the labels, the option buttons and the client area alike.
TEST(Form1Colours, FollowHighContrastAndOtherwiseTheLayout) {
    const COLORREF navy = RGB(0, 0, 128);
    const COLORREF yellow = RGB(255, 255, 0);
    const INT elements[] = {COLOR_WINDOW, COLOR_WINDOWTEXT};
    const COLORREF saved[] = {GetSysColor(COLOR_WINDOW), GetSysColor(COLOR_WINDOWTEXT)};
    const COLORREF scheme[] = {navy, yellow};
    SetSysColors(2, elements, scheme);
    struct Case {
        bool highContrast;
        COLORREF background;
        COLORREF text;
    };
    const Case cases[] = {
        {false, RGB(0, 64, 0), RGB(255, 255, 255)},
        {true, navy, yellow},
    };
    ScriptedForm1 form;
    for (const Case& want : cases) {
        SCOPED_TRACE(want.highContrast ? "high contrast" : "the layout's colours");
        form.applyColours(want.highContrast);
        const HDC dc = CreateCompatibleDC(nullptr);
        for (const ControlId id :
             {ControlId::Label1, ControlId::Label2, ControlId::chk0, ControlId::chk5}) {
            SetTextColor(dc, RGB(1, 2, 3));
            SetBkColor(dc, RGB(1, 2, 3));
            SetBkMode(dc, OPAQUE);
            const auto brush = reinterpret_cast<HBRUSH>(
                SendMessageW(form.handle(), WM_CTLCOLORSTATIC, reinterpret_cast<WPARAM>(dc),
                             reinterpret_cast<LPARAM>(form.control(id))));
            LOGBRUSH logBrush{};
            EXPECT_NE(GetObjectW(brush, sizeof logBrush, &logBrush), 0);
            EXPECT_EQ(logBrush.lbColor, want.background);
            EXPECT_EQ(GetTextColor(dc), want.text);
            if (layout::control(id).kind == ControlKind::Label) {
                EXPECT_EQ(GetBkMode(dc), TRANSPARENT);
            } else {
                EXPECT_EQ(GetBkColor(dc), want.background);
            }
        }
        DeleteDC(dc);

        // The client area itself.
        const HDC memory = CreateCompatibleDC(nullptr);
        const HBITMAP target = CreateCompatibleBitmap(GetDC(nullptr), 4, 4);
        const HGDIOBJ previous = SelectObject(memory, target);
        SendMessageW(form.handle(), WM_ERASEBKGND, reinterpret_cast<WPARAM>(memory), 0);
        EXPECT_EQ(GetPixel(memory, 1, 1), want.background);
        SelectObject(memory, previous);
        DeleteObject(target);
        DeleteDC(memory);
    }
    SetSysColors(2, elements, saved);
}

}  // namespace
}  // namespace tilewright
