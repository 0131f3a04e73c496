// Which character code a key press types before the key filter sees it.
#include <gtest/gtest.h>

#include "ui/gtk/key_preview.h"

namespace tilewright {
namespace {

constexpr auto kNone = GdkModifierType(0);

TEST(TypedCharacter, PrintableKeysTypeTheirCharacterCode) {
    EXPECT_EQ(typedCharacter(GDK_KEY_a, kNone), 'a');
    EXPECT_EQ(typedCharacter(GDK_KEY_A, GDK_SHIFT_MASK), 'A');
    EXPECT_EQ(typedCharacter(GDK_KEY_question, GDK_SHIFT_MASK), '?');
    EXPECT_EQ(typedCharacter(GDK_KEY_space, kNone), ' ');
    EXPECT_EQ(typedCharacter(GDK_KEY_KP_5, GDK_MOD2_MASK), '5');  // keypad with Num Lock
    EXPECT_EQ(typedCharacter(GDK_KEY_BackSpace, kNone), 8);
    EXPECT_EQ(typedCharacter(GDK_KEY_Escape, kNone), 27);
}

TEST(TypedCharacter, CtrlLetterTypesItsControlCodeInEitherCase) {
    EXPECT_EQ(typedCharacter(GDK_KEY_v, GDK_CONTROL_MASK), 22);
    EXPECT_EQ(typedCharacter(GDK_KEY_V, GdkModifierType(GDK_CONTROL_MASK | GDK_SHIFT_MASK)), 22);
    EXPECT_EQ(typedCharacter(GDK_KEY_a, GDK_CONTROL_MASK), 1);
    EXPECT_EQ(typedCharacter(GDK_KEY_z, GDK_CONTROL_MASK), 26);
    EXPECT_EQ(typedCharacter(GDK_KEY_h, GDK_CONTROL_MASK), 8);  // backspace
    EXPECT_EQ(typedCharacter(GDK_KEY_BackSpace, GDK_CONTROL_MASK), 127);
}

TEST(TypedCharacter, EditingNavigationAndAltKeysTypeNothing) {
    for (const guint keyval :
         {GDK_KEY_Tab, GDK_KEY_ISO_Left_Tab, GDK_KEY_Return, GDK_KEY_KP_Enter, GDK_KEY_Delete,
          GDK_KEY_KP_Delete, GDK_KEY_Left, GDK_KEY_Right, GDK_KEY_Up, GDK_KEY_Down, GDK_KEY_Home,
          GDK_KEY_End, GDK_KEY_F4, GDK_KEY_Insert, GDK_KEY_Shift_L}) {
        EXPECT_EQ(typedCharacter(keyval, kNone), std::nullopt) << gdk_keyval_name(keyval);
    }
    EXPECT_EQ(typedCharacter(GDK_KEY_a, GDK_MOD1_MASK), std::nullopt);
    EXPECT_EQ(typedCharacter(GDK_KEY_Left, GDK_CONTROL_MASK), std::nullopt);
}

// Such keys must never come out as a code the filter hands on (or as a negative number).
TEST(TypedCharacter, ComposingAndWideCharactersGiveACodeAboveTheTable) {
    for (const guint keyval : std::initializer_list<guint>{
             GDK_KEY_dead_acute, GDK_KEY_dead_grave, GDK_KEY_dead_diaeresis, GDK_KEY_Multi_key,
             GDK_KEY_EuroSign, GDK_KEY_eacute, gdk_unicode_to_keyval(0x1F600)}) {
        const std::optional<std::int16_t> code = typedCharacter(keyval, kNone);
        ASSERT_TRUE(code.has_value()) << gdk_keyval_name(keyval);
        EXPECT_GT(*code, 122) << gdk_keyval_name(keyval);
    }
}

}  // namespace
}  // namespace tilewright
