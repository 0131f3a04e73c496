// Failures that only a POSIX system lets a test bring about for real: a full file-size
// limit in the middle of the write, a folder the user may not write to, pipes and devices.
#include <fcntl.h>
#include <pwd.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <csignal>
#include <functional>

#include "create/create_rom.h"
#include "create/save_file.h"
#include "rom/rom_image.h"
#include "tests/core/test_support.h"

namespace tilewright {
namespace {

using testing::FakeWindow;
using testing::readFile;
using testing::ScratchFolder;
using testing::writeFile;

const std::vector<std::uint8_t> kOldContents{'o', 'l', 'd', ' ', 'r', 'o', 'm'};

// Runs createRom in a child process after `prepare` has restricted that process, and returns
// the error texts the command showed there, one per line, then whether the inputs were kept.
std::string createRomInChild(FakeWindow window, const std::function<bool()>& prepare) {
    int pipeFds[2];
    if (::pipe(pipeFds) != 0) {
        ADD_FAILURE() << "pipe";
        return {};
    }
    const pid_t child = ::fork();
    if (child == 0) {
        ::close(pipeFds[0]);
        std::string report = "could not prepare";
        if (prepare()) {
            const std::string name = window.name;
            createRom(window);
            report.clear();
            for (const auto& [text, title] : window.errors) {
                report += title + ": " + text + "\n";
            }
            report += window.name == name ? "kept" : "reset";
        }
        [[maybe_unused]] const auto written = ::write(pipeFds[1], report.data(), report.size());
        ::_exit(0);
    }
    ::close(pipeFds[1]);
    std::string report;
    char buffer[512];
    for (ssize_t n; (n = ::read(pipeFds[0], buffer, sizeof buffer)) > 0;) {
        report.append(buffer, static_cast<std::size_t>(n));
    }
    ::close(pipeFds[0]);
    int status = 0;
    ::waitpid(child, &status, 0);
    EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << "child died: " << status;
    return report;
}

FakeWindow windowSaving(const std::filesystem::path& target) {
    FakeWindow window;
    window.name = "SPACE RACE";
    window.icon = IconChoice::Icon3;
    window.dialogAnswer = target;
    return window;
}

TEST(SaveFailure, WriteCutShortKeepsTheOldFileAndLeavesNoTemporary) {
    ScratchFolder folder;
    writeFile(folder / "GAME.BIN", std::string(kOldContents.begin(), kOldContents.end()));

    // The file-size limit stops the write after 4096 of the 8192 bytes.
    const std::string report = createRomInChild(windowSaving(folder / "GAME.BIN"), [] {
        std::signal(SIGXFSZ, SIG_IGN);
        const rlimit limit{4096, 4096};
        return ::setrlimit(RLIMIT_FSIZE, &limit) == 0;
    });

    EXPECT_NE(report.find("Error: Could not save \"" + (folder / "GAME.BIN").string() + "\"."),
              std::string::npos)
        << report;
    EXPECT_NE(report.find("File too large."), std::string::npos) << report;
    EXPECT_TRUE(report.ends_with("kept")) << report;
    EXPECT_EQ(readFile(folder / "GAME.BIN"), kOldContents);
    EXPECT_EQ(folder.entries(), std::set<std::string>{"GAME.BIN"});
}

TEST(SaveFailure, ReadOnlyFolderKeepsTheOldFile) {
    ScratchFolder folder;
    writeFile(folder / "GAME.BIN", std::string(kOldContents.begin(), kOldContents.end()));
    std::filesystem::permissions(
        folder.path(), std::filesystem::perms::owner_read | std::filesystem::perms::owner_exec |
                           std::filesystem::perms::group_read | std::filesystem::perms::group_exec |
                           std::filesystem::perms::others_read |
                           std::filesystem::perms::others_exec);

    // Root may write anywhere, so as root the command runs as the unprivileged "nobody".
    std::function<bool()> dropPrivileges = [] { return true; };
    if (::geteuid() == 0) {
        const passwd* nobody = ::getpwnam("nobody");
        if (nobody == nullptr) {
            GTEST_SKIP() << "running as root and there is no user 'nobody' to drop to";
        }
        dropPrivileges = [uid = nobody->pw_uid, gid = nobody->pw_gid] {
            return ::setgid(gid) == 0 && ::setuid(uid) == 0;
        };
    }
    const std::string report = createRomInChild(windowSaving(folder / "GAME.BIN"), dropPrivileges);

    EXPECT_NE(report.find("Permission denied."), std::string::npos) << report;
    EXPECT_TRUE(report.ends_with("kept")) << report;
    EXPECT_EQ(readFile(folder / "GAME.BIN"), kOldContents);
    EXPECT_EQ(folder.entries(), std::set<std::string>{"GAME.BIN"});
}

TEST(SaveFailure, RefusesPipesAndDevicesWithoutOpeningThem) {
    ScratchFolder folder;
    ASSERT_EQ(::mkfifo((folder / "pipe").c_str(), 0600), 0);
    // Opening a pipe with no reader would hang the window; it must be refused first.
    EXPECT_EQ(saveFileSafely(folder / "pipe", RomImage{}), SaveRefusal::NotARegularFile);
    EXPECT_TRUE(std::filesystem::is_fifo(folder / "pipe"));
    EXPECT_EQ(saveFileSafely("/dev/null", RomImage{}), SaveRefusal::NotARegularFile);
    EXPECT_TRUE(std::filesystem::is_character_file("/dev/null"));
    EXPECT_EQ(folder.entries(), std::set<std::string>{"pipe"});
}

TEST(SaveFile, ReplacingFollowsALinkAndKeepsIt) {
    ScratchFolder folder;
    std::filesystem::create_directory(folder / "real");
    writeFile(folder / "real" / "GAME.BIN", "old");
    std::filesystem::create_symlink("real/GAME.BIN", folder / "link.bin");
    std::filesystem::create_symlink("real/NEW.BIN", folder / "dangling.bin");

    const RomImage image = buildRomImage("LINKED", IconChoice::Icon1);
    ASSERT_FALSE(saveFileSafely(folder / "link.bin", image));
    ASSERT_FALSE(saveFileSafely(folder / "dangling.bin", image));

    const std::vector<std::uint8_t> expected(image.begin(), image.end());
    EXPECT_TRUE(std::filesystem::is_symlink(folder / "link.bin"));
    EXPECT_EQ(readFile(folder / "real" / "GAME.BIN"), expected);
    EXPECT_TRUE(std::filesystem::is_symlink(folder / "dangling.bin"));
    EXPECT_EQ(readFile(folder / "real" / "NEW.BIN"), expected);
    EXPECT_EQ(folder.entries(), (std::set<std::string>{"dangling.bin", "link.bin", "real"}));
}

TEST(SaveFile, KeepsThePermissionsOfTheFileItReplaces) {
    ScratchFolder folder;
    writeFile(folder / "GAME.BIN", "old");
    ASSERT_EQ(::chmod((folder / "GAME.BIN").c_str(), 0640), 0);
    ASSERT_FALSE(saveFileSafely(folder / "GAME.BIN", RomImage{}));
    struct stat info {};
    ASSERT_EQ(::stat((folder / "GAME.BIN").c_str(), &info), 0);
    EXPECT_EQ(info.st_mode & 07777, 0640u);

    // A new file gets what the user's umask allows, not the temporary file's private mode.
    const mode_t previous = ::umask(022);
    ASSERT_FALSE(saveFileSafely(folder / "NEW.BIN", RomImage{}));
    ::umask(previous);
    ASSERT_EQ(::stat((folder / "NEW.BIN").c_str(), &info), 0);
    EXPECT_EQ(info.st_mode & 07777, 0644u);
}

}  // namespace
}  // namespace tilewright
