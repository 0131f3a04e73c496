#include "create/file_name.h"

#include <gtest/gtest.h>

#include <string>

namespace tilewright {
namespace {

constexpr auto kPosix = FileNameRules::Posix;
constexpr auto kWindows = FileNameRules::Windows;

TEST(FileName, ReplacesWhatFileNamesCannotHold) {
    const struct {
        std::string name;
        FileNameRules rules;
        std::string offered;
    } cases[] = {
        {"AB/CD", kPosix, "AB_CD"},
        {std::string("A\0B", 3), kPosix, "A_B"},
        {"A\nB\x1B\r\t\x7F", kPosix, "A_B____"},  // line breaks, escape, tab, delete
        {"SAY \"HI\", BOB!", kPosix, "SAY \"HI\", BOB!"},
        {".", kPosix, "_"},  // names of folders, never offered
        {"..", kPosix, "__"},
        {"...", kPosix, "..."},
        {"<>:\"/\\|?*", kWindows, "_________"},
        {"A\tB\x1F", kWindows, "A_B_"},
        {"IT'S A-OK", kWindows, "IT'S A-OK"},
        {"\u00C9T\u00C9", kWindows, "\u00C9T\u00C9"},  // beyond ASCII: kept whole
    };
    for (const auto& c : cases) {
        EXPECT_EQ(sanitizeFileName(c.name, c.rules), c.offered) << c.name;
    }
}

TEST(FileName, OffersOnWindowsOnlyNamesWindowsKeepsAsTheyAre) {
    const std::pair<std::string_view, std::string_view> cases[] = {
        // Trailing dots and spaces, which Windows strips.
        {"HI.", "HI_"},
        {"HI . .", "HI____"},
        {"   ", "___"},
        {"A.B", "A.B"},
        // Device names get a "_" at the end of the stem.
        {"CON", "CON_"},
        {"NUL.BIN", "NUL_.BIN"},
        {"AUX .BIN", "AUX _.BIN"},
        {"PRN", "PRN_"},
        {"COM0", "COM0_"},
        {"LPT9.TXT.BIN", "LPT9_.TXT.BIN"},
        {"COM\u00B9", "COM\u00B9_"},
        {"CON:", "CON_"},  // the colon goes first: no device name is left
        {"CON.", "CON_"},
        {"CONSOLE", "CONSOLE"},
        {"COM10", "COM10"},
    };
    for (const auto& [name, offered] : cases) {
        EXPECT_EQ(sanitizeFileName(name, kWindows), offered) << name;
        EXPECT_FALSE(isReservedDeviceName(sanitizeFileName(name, kWindows))) << name;
    }
    // Elsewhere these are ordinary names.
    EXPECT_EQ(sanitizeFileName("CON", kPosix), "CON");
    EXPECT_EQ(sanitizeFileName("HI.", kPosix), "HI.");
}

TEST(FileName, KnowsTheNamesWindowsKeepsForDevices) {
    for (const char* name : {"CON",
                             "con",
                             "Prn",
                             "AUX",
                             "NUL",
                             "COM0",
                             "COM1",
                             "com9",
                             "LPT0",
                             "LPT1",
                             "LPT9",
                             "NUL.BIN",
                             "con.txt",
                             "CON .BIN",
                             "COM1.tar.gz",
                             "CON:",
                             "NUL:.bin",
                             "nul :",
                             "COM\u00B9",
                             "com\u00B2.bin",
                             "LPT\u00B3",
                             "roms/AUX.BIN",
                             "C:\\roms\\com1.bin",
                             "C:\\roms\\CON:"}) {
        EXPECT_TRUE(isReservedDeviceName(name)) << name;
    }
    for (const char* name :
         {"CONSOLE", "COM10", "LPT", "MYCON", "NULL.BIN", "", "XCOM1", "SPACE RACE",
          "CON\\GAME.BIN", "COM\u00B4", "COM\u2074", "CON_", "COM", "COM1_"}) {
        EXPECT_FALSE(isReservedDeviceName(name)) << name;
    }
}

}  // namespace
}  // namespace tilewright
