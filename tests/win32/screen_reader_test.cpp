// What a screen reader hears from the window: each control's name (and the picture's
// description) through Microsoft Active Accessibility, asked the way a screen reader asks.
#include <gtest/gtest.h>
#include <oleacc.h>

#include <string>

#include "tests/support/spoken_names.h"
#include "tests/win32/window_test_support.h"
#include "text/wide_text.h"

namespace tilewright {
namespace {

using layout::ControlId;

enum class Text { Name, Description };

std::string accessibleText(HWND control, Text which) {
    IAccessible* accessible = nullptr;
    if (FAILED(AccessibleObjectFromWindow(control, static_cast<DWORD>(OBJID_CLIENT),
                                          __uuidof(IAccessible),
                                          reinterpret_cast<void**>(&accessible)))) {
        ADD_FAILURE() << "no accessible object";
        return {};
    }
    VARIANT self{};
    self.vt = VT_I4;
    self.lVal = CHILDID_SELF;
    BSTR text = nullptr;
    const HRESULT result = which == Text::Name ? accessible->get_accName(self, &text)
                                               : accessible->get_accDescription(self, &text);
    accessible->Release();
    const std::string utf8 = SUCCEEDED(result) && text != nullptr ? toUtf8(text) : "";
    SysFreeString(text);
    return utf8;
}

TEST(Form1ScreenReader, EveryControlHasTheNameAScreenReaderSpeaks) {
    test::ScriptedForm1 form;
    for (const layout::Control& c : layout::kControls) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(accessibleText(form.control(c.id), Text::Name), test::spokenName(c.id));
    }
    EXPECT_EQ(accessibleText(form.control(ControlId::Image1), Text::Description),
              test::kPictureDescription);
}

}  // namespace
}  // namespace tilewright
