#include "create/file_name.h"

#include <gtest/gtest.h>

#include <string>

namespace tilewright {
namespace {

TEST(FileName, ReplacesWhatFileNamesCannotHold) {
    EXPECT_EQ(sanitizeFileName("AB/CD", FileNameRules::Posix), "AB_CD");
    EXPECT_EQ(sanitizeFileName(std::string("A\0B", 3), FileNameRules::Posix), "A_B");
    EXPECT_EQ(sanitizeFileName("SAY \"HI\", BOB!", FileNameRules::Posix), "SAY \"HI\", BOB!");
    EXPECT_EQ(sanitizeFileName("<>:\"/\\|?*", FileNameRules::Windows), "_________");
    EXPECT_EQ(sanitizeFileName("A\tB\x1F", FileNameRules::Windows), "A_B_");
    EXPECT_EQ(sanitizeFileName("IT'S A-OK.", FileNameRules::Windows), "IT'S A-OK.");
    EXPECT_EQ(sanitizeFileName("\u00C9T\u00C9", FileNameRules::Windows), "\u00C9T\u00C9")
        << "characters beyond ASCII are kept whole";
}

TEST(FileName, KnowsTheNamesWindowsKeepsForDevices) {
    for (const char* name : {"CON", "con", "Prn", "AUX", "NUL", "COM1", "com9", "LPT1", "LPT9",
                             "NUL.BIN", "con.txt", "CON .BIN", "COM1.tar.gz"}) {
        EXPECT_TRUE(isReservedDeviceName(name)) << name;
    }
    EXPECT_TRUE(isReservedDeviceName("roms/AUX.BIN"));
    EXPECT_TRUE(isReservedDeviceName("C:\\roms\\com1.bin"));
    for (const char* name : {"CONSOLE", "COM0", "COM10", "LPT", "MYCON", "NULL.BIN", "", "XCOM1",
                             "SPACE RACE", "CON\\GAME.BIN"}) {
        EXPECT_FALSE(isReservedDeviceName(name)) << name;
    }
}

}  // namespace
}  // namespace tilewright
