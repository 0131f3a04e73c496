#include "create/create_rom.h"

#include <gtest/gtest.h>

#include <new>
#include <stdexcept>

#include "create/save_file.h"
#include "rom/rom_image.h"
#include "tests/core/test_support.h"
#include "tests/support/image_check.h"

#ifdef _WIN32
#include <windows.h>
#endif

namespace tilewright {
namespace {

using test::FakeWindow;
using test::readFile;
using test::ScratchFolder;
using test::utf8Path;
using test::writeFile;

// The image the file must hold, worked out without the core's builder.
std::vector<std::uint8_t> imageBytes(std::string_view name, IconChoice icon) {
    const RomImage image = expectedRomImage(name, icon);
    return {image.begin(), image.end()};
}

#ifdef _WIN32
// The system's own description of an error, without its closing full stop and line break.
std::string systemMessage(DWORD error) {
    char text[512] = {};
    FormatMessageA(FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS, nullptr, error, 0,
                   text, sizeof text, nullptr);
    std::string message(text);
    return message.substr(0, message.find_last_not_of(".\r\n ") + 1);
}
#endif

class CreateRom : public ::testing::Test {
protected:
    ScratchFolder folder;
    FakeWindow window;

    // Checks that the command refused to write: an "Error" box naming the file with the given
    // reason, the inputs kept, and only the given entries left in the folder.
    void expectRefused(const std::string& reason, const std::set<std::string>& entriesLeft) {
        ASSERT_EQ(window.errors.size(), 1u);
        EXPECT_EQ(window.errors[0].second, "Error");
        EXPECT_NE(window.errors[0].first.find(utf8Path(*window.dialogAnswer)), std::string::npos)
            << window.errors[0].first;
        EXPECT_NE(window.errors[0].first.find(reason), std::string::npos) << window.errors[0].first;
        EXPECT_EQ(window.name, "SPACE RACE");
        EXPECT_EQ(window.icon, IconChoice::Icon3);
        EXPECT_EQ(folder.entries(), entriesLeft);
    }
};

TEST_F(CreateRom, WritesTheImageAndClearsTheWindow) {
    window.name = "SPACE RACE";
    window.icon = IconChoice::Icon3;
    window.dialogAnswer = folder / "SPACE RACE";
    createRom(window);

    ASSERT_EQ(window.dialogs.size(), 1u);
    const SaveDialogSettings& dialog = window.dialogs[0];
    EXPECT_EQ(dialog.title, "Select a folder to save file in.");
    EXPECT_EQ(dialog.fileName, "SPACE RACE");
    EXPECT_EQ(dialog.filterDescription, "Binary Files (*.BIN)");
    EXPECT_EQ(dialog.filterPattern, "*.BIN");

    EXPECT_EQ(readFile(folder / "SPACE RACE"), imageBytes("SPACE RACE", IconChoice::Icon3));
    EXPECT_EQ(folder.entries(), std::set<std::string>{"SPACE RACE"}) << "no extension added";
    EXPECT_TRUE(window.errors.empty());
    EXPECT_EQ(window.name, "");
    EXPECT_EQ(window.icon, IconChoice::None);
}

TEST_F(CreateRom, ReplacesAnExistingFileWithExactlyTheImage) {
    writeFile(folder / "GAME.BIN", std::string(20000, 'x'));
    window.name = "   ";
    window.icon = IconChoice::Icon5;
    window.dialogAnswer = folder / "GAME.BIN";
    createRom(window);

    EXPECT_EQ(readFile(folder / "GAME.BIN"), imageBytes("   ", IconChoice::Icon5))
        << "a name of spaces is a name";
    EXPECT_EQ(folder.entries(), std::set<std::string>{"GAME.BIN"});
    EXPECT_TRUE(window.errors.empty());
}

TEST_F(CreateRom, RefusesAnEmptyNameSilently) {
    window.icon = IconChoice::Icon2;
    window.dialogAnswer = folder / "X";
    createRom(window);
    EXPECT_TRUE(window.dialogs.empty());
    EXPECT_TRUE(window.errors.empty());
    EXPECT_EQ(window.icon, IconChoice::Icon2);
    EXPECT_TRUE(folder.entries().empty());
}

TEST_F(CreateRom, AcceptsNineteenCharactersAndRefusesTwenty) {
    window.dialogAnswer = folder / "ROM";
    window.name = std::string(20, 'A');
    window.icon = IconChoice::Icon4;
    createRom(window);
    ASSERT_EQ(window.errors.size(), 1u);
    EXPECT_EQ(window.errors[0].first, "Name must be 19 Characters or Less.");
    EXPECT_EQ(window.errors[0].second, "Error");
    EXPECT_TRUE(window.dialogs.empty());
    EXPECT_EQ(window.name, std::string(20, 'A')) << "the user can shorten it";
    EXPECT_EQ(window.icon, IconChoice::Icon4);
    EXPECT_TRUE(folder.entries().empty());

    window.name.pop_back();
    createRom(window);
    EXPECT_EQ(window.errors.size(), 1u);
    EXPECT_EQ(readFile(folder / "ROM"), imageBytes(std::string(19, 'A'), IconChoice::Icon4));
}

TEST_F(CreateRom, CountsTheLimitInCharactersNotBytes) {
    std::string accents;
    for (int i = 0; i < 19; ++i) {
        accents += "\u00C9";  // two bytes in UTF-8
    }
    window.name = accents;
    window.dialogAnswer = folder / "ROM";
    createRom(window);
    EXPECT_TRUE(window.errors.empty());
    EXPECT_EQ(readFile(folder / "ROM").size(), 8192u);
}

TEST_F(CreateRom, CancelledDialogChangesNothing) {
    window.name = "SPACE RACE";
    window.icon = IconChoice::Icon3;
    createRom(window);
    EXPECT_EQ(window.dialogs.size(), 1u);
    EXPECT_TRUE(window.errors.empty());
    EXPECT_EQ(window.name, "SPACE RACE");
    EXPECT_EQ(window.icon, IconChoice::Icon3);
    EXPECT_TRUE(folder.entries().empty());
}

TEST_F(CreateRom, OffersAFileNameThePlatformCanHoldButStoresTheNameAsTyped) {
    window.name = "A/B";
    window.dialogAnswer = folder / "AB";
    createRom(window);
    ASSERT_EQ(window.dialogs.size(), 1u);
    EXPECT_EQ(window.dialogs[0].fileName, "A_B");
    EXPECT_EQ(readFile(folder / "AB"), imageBytes("A/B", IconChoice::None));
}

TEST_F(CreateRom, ReportsAMissingFolderAndWritesNothing) {
    window.name = "SPACE RACE";
    window.icon = IconChoice::Icon3;
    window.dialogAnswer = folder / "gone" / "ROM.BIN";
    createRom(window);
#ifdef _WIN32
    expectRefused(systemMessage(ERROR_PATH_NOT_FOUND), {});
#else
    expectRefused("No such file or directory", {});
#endif
}

TEST_F(CreateRom, RefusesAFolderAndLeavesItAlone) {
    std::filesystem::create_directory(folder / "ROMS");
    writeFile(folder / "ROMS" / "OLD.BIN", "old");
    window.name = "SPACE RACE";
    window.icon = IconChoice::Icon3;
    window.dialogAnswer = folder / "ROMS";
    createRom(window);
    expectRefused("It is a folder", {"ROMS"});
    EXPECT_EQ(readFile(folder / "ROMS" / "OLD.BIN"), (std::vector<std::uint8_t>{'o', 'l', 'd'}));
}

TEST(CreateRomFailure, ShowsWhatWentWrongInsteadOfThrowing) {
    const std::pair<std::exception_ptr, std::string> cases[] = {
        {std::make_exception_ptr(std::bad_alloc()), "There is not enough memory to do this."},
        {std::make_exception_ptr(std::length_error("text too long to convert")),
         "text too long to convert"},
    };
    for (const auto& [failure, shown] : cases) {
        FakeWindow window;
        window.name = "SPACE RACE";
        window.dialogFailure = failure;
        createRom(window);
        ASSERT_EQ(window.errors.size(), 1u) << shown;
        EXPECT_EQ(window.errors[0].first, shown);
        EXPECT_EQ(window.errors[0].second, "Error");
    }
}

TEST_F(CreateRom, ShowsTheCoresRefusalAndWritesNothing) {
    window.name = "SPACE RACE";
    window.icon = static_cast<IconChoice>(9);  // no such icon: the builder throws
    window.dialogAnswer = folder / "ROM";
    createRom(window);
    ASSERT_EQ(window.errors.size(), 1u);
    EXPECT_EQ(window.errors[0].first, "unknown icon");
    EXPECT_EQ(window.errors[0].second, "Error");
    EXPECT_EQ(window.name, "SPACE RACE");
    EXPECT_TRUE(folder.entries().empty());
}

#ifdef _WIN32
TEST_F(CreateRom, RefusesANameWindowsKeepsForADevice) {
    window.name = "SPACE RACE";
    window.icon = IconChoice::Icon3;
    window.dialogAnswer = folder / "nul.bin";
    createRom(window);
    expectRefused("Windows keeps this name for a device", {});
}
#endif

// A refusal that writing the file in place would not meet names the save's own step.
TEST(SaveFailureText, NamesTheStepThatFailedWhereTheReasonAloneWouldMislead) {
    const std::error_code denied = std::make_error_code(std::errc::permission_denied);
    const std::string why = ": " + systemReason(denied);
    const std::tuple<std::string, SaveDetails, std::string> cases[] = {
        {"roms/GAME.BIN",
         {SaveStep::CreatingTemporary, 1},
         "cannot create a temporary file in \"roms\" to replace \"GAME.BIN\" safely" + why},
        {"GAME.BIN",
         {SaveStep::Replacing, 2},
         "cannot replace \"GAME.BIN\" in the current folder with the new file" + why},
        {"/NEW.BIN",
         {SaveStep::Replacing, 0},
         "cannot move the new file to \"NEW.BIN\" in \"/\"" + why},
        // Where writing in place would fail the same way, the reason is enough.
        {"roms/NEW.BIN", {SaveStep::CreatingTemporary, 0}, why.substr(2)},
    };
    for (const auto& [target, details, expected] : cases) {
        EXPECT_EQ(saveFailureReason(target, denied, details), expected);
    }
}

}  // namespace
}  // namespace tilewright
