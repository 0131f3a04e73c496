// The core's file output on the Windows code path, as the Windows program uses it: replacing
// a file, refusing the names Windows keeps for devices, wide-character paths.
#include <gtest/gtest.h>

#include <cstdlib>
#include <memory>
#include <set>
#include <span>
#include <string>
#include <vector>

#include "create/save_file.h"
#include "tests/support/files.h"
#include "text/windows_api.h"

namespace tilewright {
namespace {

using test::folderEntries;
using test::readFile;
using test::ScratchFolder;

void writeFile(const std::filesystem::path& path, std::size_t size, std::uint8_t value) {
    test::writeFile(path, std::string(size, static_cast<char>(value)));
}

std::vector<std::uint8_t> image() {
    std::vector<std::uint8_t> bytes(8192);
    for (std::size_t i = 0; i < bytes.size(); ++i) {
        bytes[i] = static_cast<std::uint8_t>(i * 7);
    }
    return bytes;
}

// Saves as the program does: the path arrives in UTF-8, as the save dialog hands it on.
std::error_code saveAt(const std::filesystem::path& target, std::span<const std::uint8_t> bytes) {
    return saveFileSafely(test::utf8Path(target), bytes);
}

TEST(WindowsSaveFile, ReplacesALongerFileWithExactlyTheImage) {
    ScratchFolder folder;
    const auto target = folder.path() / "GAME.BIN";
    writeFile(target, 20000, 0xAA);
    const auto bytes = image();
    ASSERT_FALSE(saveAt(target, bytes));
    EXPECT_EQ(readFile(target), bytes);
    EXPECT_EQ(folder.entries(), std::set<std::string>{"GAME.BIN"});
}

TEST(WindowsSaveFile, WritesToWideCharacterPathsWithoutAnExtension) {
    ScratchFolder folder;
    const auto subfolder = folder.path() / L"\u00c4rger \u20ac";
    std::filesystem::create_directory(subfolder);
    const auto target = subfolder / L"MY GAME";
    const auto bytes = image();
    ASSERT_FALSE(saveAt(target, bytes));
    EXPECT_EQ(readFile(target), bytes);
    EXPECT_EQ(folderEntries(subfolder), std::set<std::string>{"MY GAME"});
}

TEST(WindowsSaveFile, RefusesDeviceNamesAndFoldersWithoutWriting) {
    ScratchFolder folder;
    for (const wchar_t* name : {L"CON", L"nul.bin", L"Com1", L"LPT9.txt", L"aux", L"CON:",
                                L"NUL:.bin", L"COM0", L"LPT\u00B9", L"PRN .BIN"}) {
        EXPECT_EQ(saveAt(folder.path() / name, image()), SaveRefusal::ReservedDeviceName) << name;
    }
    std::filesystem::create_directory(folder.path() / "ROMS");
    EXPECT_TRUE(saveAt(folder.path() / "ROMS", image()));
    EXPECT_EQ(folder.entries(), std::set<std::string>{"ROMS"});
    EXPECT_TRUE(std::filesystem::is_empty(folder.path() / "ROMS"));
}

TEST(WindowsSaveFile, MissingFolderFailsAndCreatesNothing) {
    ScratchFolder folder;
    EXPECT_TRUE(saveAt(folder.path() / "missing" / "GAME", image()));
    EXPECT_TRUE(std::filesystem::is_empty(folder.path()));
}

TEST(WindowsSaveFile, ReadOnlyFileIsRefusedAndKept) {
    ScratchFolder folder;
    const auto target = folder.path() / "LOCKED";
    writeFile(target, 100, 0x55);
    SetFileAttributesW(target.c_str(), FILE_ATTRIBUTE_READONLY);
    const std::error_code error = saveAt(target, image());
    EXPECT_EQ(error.value(), ERROR_ACCESS_DENIED) << error.message();
    EXPECT_EQ(readFile(target), std::vector<std::uint8_t>(100, 0x55));
    EXPECT_EQ(folder.entries(), std::set<std::string>{"LOCKED"});
    SetFileAttributesW(target.c_str(), FILE_ATTRIBUTE_NORMAL);
}

TEST(WindowsSaveFile, ReplacingThroughALinkReplacesTheLinkedFile) {
    // Wine shows the Unix symbolic link that the build made (TILEWRIGHT_LINK_FOLDER) as a plain
    // file, and Wine 8 makes no Windows links; on Windows, make one if allowed.
    std::filesystem::path folder;
    std::unique_ptr<ScratchFolder> own;
    if (const char* unix = std::getenv("TILEWRIGHT_LINK_FOLDER"); unix != nullptr && *unix == '/') {
        folder = std::filesystem::path(L"Z:\\") / std::filesystem::path(unix).relative_path();
    } else {
        own = std::make_unique<ScratchFolder>();
        folder = own->path();
        if (!CreateSymbolicLinkW((folder / "link.bin").c_str(), L"real.bin",
                                 SYMBOLIC_LINK_FLAG_ALLOW_UNPRIVILEGED_CREATE) ||
            GetFileAttributesW((folder / "link.bin").c_str()) == INVALID_FILE_ATTRIBUTES) {
            GTEST_SKIP() << "this system makes no symbolic links here";
        }
    }
    writeFile(folder / "real.bin", 100, 0x55);
    const auto bytes = image();
    ASSERT_FALSE(saveAt(folder / "link.bin", bytes));
    EXPECT_EQ(readFile(folder / "real.bin"), bytes);
    // Still a link: opened, it leads to the real file.
    const HANDLE link = CreateFileW((folder / "link.bin").c_str(), 0, FILE_SHARE_READ, nullptr,
                                    OPEN_EXISTING, 0, nullptr);
    ASSERT_NE(link, INVALID_HANDLE_VALUE);
    wchar_t final[1024] = {};
    GetFinalPathNameByHandleW(link, final, 1024, 0);
    CloseHandle(link);
    EXPECT_TRUE(std::wstring_view(final).ends_with(L"\\real.bin")) << final;
}

// Real Windows also keeps the file's creation time, security and alternate data streams; Wine
// shows only the attributes.
TEST(WindowsSaveFile, TheReplacedFileKeepsItsAttributesAndCreationTime) {
    ScratchFolder folder;
    const auto target = folder.path() / "GAME.BIN";
    writeFile(target, 100, 0x55);
    ASSERT_TRUE(SetFileAttributesW(target.c_str(), FILE_ATTRIBUTE_HIDDEN));
    FILETIME created{};
    SYSTEMTIME year2001{2001, 2, 0, 3, 4, 5, 6, 0};
    ASSERT_TRUE(SystemTimeToFileTime(&year2001, &created));
    const HANDLE file = CreateFileW(target.c_str(), FILE_WRITE_ATTRIBUTES, 0, nullptr,
                                    OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    ASSERT_NE(file, INVALID_HANDLE_VALUE);
    ASSERT_TRUE(SetFileTime(file, &created, nullptr, nullptr));
    CloseHandle(file);
    WIN32_FILE_ATTRIBUTE_DATA before{};
    ASSERT_TRUE(GetFileAttributesExW(target.c_str(), GetFileExInfoStandard, &before));
    // Wine cannot set a creation time on a Unix file system; there the check is left out.
    const bool timeSet = CompareFileTime(&before.ftCreationTime, &created) == 0;

    const auto bytes = image();
    ASSERT_FALSE(saveAt(target, bytes));
    EXPECT_EQ(readFile(target), bytes);
    WIN32_FILE_ATTRIBUTE_DATA after{};
    ASSERT_TRUE(GetFileAttributesExW(target.c_str(), GetFileExInfoStandard, &after));
    EXPECT_TRUE(after.dwFileAttributes & FILE_ATTRIBUTE_HIDDEN);
    if (timeSet) {
        EXPECT_EQ(CompareFileTime(&after.ftCreationTime, &created), 0);
    }
    EXPECT_EQ(folder.entries(), std::set<std::string>{"GAME.BIN"});
}

TEST(WindowsSaveFile, TheProgramMayUseLongPaths) {
    // The exe's manifest, which this test program embeds too, lets Windows lift the 260
    // character limit where LongPathsEnabled is set.
    const HRSRC found = FindResourceW(nullptr, MAKEINTRESOURCEW(1), MAKEINTRESOURCEW(24));
    ASSERT_NE(found, nullptr);
    const auto* text = static_cast<const char*>(LockResource(LoadResource(nullptr, found)));
    const std::string manifest(text, SizeofResource(nullptr, found));
    EXPECT_NE(manifest.find("<longPathAware xmlns=\"http://schemas.microsoft.com/SMI/2016/"
                            "WindowsSettings\">true</longPathAware>"),
              std::string::npos);
}

}  // namespace
}  // namespace tilewright
