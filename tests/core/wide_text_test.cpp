#include "text/wide_text.h"

#include <gtest/gtest.h>

namespace tilewright {
namespace {

TEST(WideText, ConvertsBothWaysAndReplacesBrokenText) {
    EXPECT_EQ(toWide(""), L"");
    EXPECT_EQ(toUtf8(L""), "");
    EXPECT_EQ(toWide("A\xC3\xA9"), L"A\u00e9");
    EXPECT_EQ(toUtf8(L"A\u00e9\U0001F600"), "A\xC3\xA9\xF0\x9F\x98\x80");
    EXPECT_EQ(toWide("A\xFF"), L"A\uFFFD");
    EXPECT_EQ(toUtf8(std::wstring(1, static_cast<wchar_t>(0xD800))), "\xEF\xBF\xBD");
}

}  // namespace
}  // namespace tilewright
