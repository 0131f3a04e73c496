// Failures that only a POSIX system lets a test bring about for real: a full file-size
// limit in the middle of the write, a folder the user may not write to, pipes and devices,
// the kernel's protections of links and shared folders, system calls that fail.
#include <fcntl.h>
#include <grp.h>
#include <linux/filter.h>
#include <linux/seccomp.h>
#include <pwd.h>
#include <sched.h>
#include <sys/mount.h>
#include <sys/prctl.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/syscall.h>
#include <sys/wait.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <csignal>
#include <fstream>
#include <functional>

#include "create/create_rom.h"
#include "create/save_file.h"
#include "rom/rom_image.h"
#include "tests/core/test_support.h"

namespace tilewright {
namespace {

using test::FakeWindow;
using test::readFile;
using test::ScratchFolder;
using test::writeFile;

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

// What a child process does to run as the unprivileged "nobody" when the tests run as root
// (root may write anywhere); nullopt when there is no such user.
std::optional<std::function<bool()>> unprivileged() {
    if (::geteuid() != 0) {
        return std::function<bool()>([] { return true; });
    }
    const passwd* nobody = ::getpwnam("nobody");
    if (nobody == nullptr) {
        return std::nullopt;
    }
    return std::function<bool()>([uid = nobody->pw_uid, gid = nobody->pw_gid] {
        return ::setgroups(0, nullptr) == 0 && ::setgid(gid) == 0 && ::setuid(uid) == 0;
    });
}

// Makes the listed system calls fail with EPERM in this process from now on, as a file system
// or a sandbox that refuses them would.
bool failSystemCalls(std::initializer_list<int> calls) {
    std::vector<sock_filter> filter{BPF_STMT(BPF_LD | BPF_W | BPF_ABS, offsetof(seccomp_data, nr))};
    for (const int call : calls) {
        filter.push_back(BPF_JUMP(BPF_JMP | BPF_JEQ | BPF_K, static_cast<__u32>(call), 0, 1));
        filter.push_back(BPF_STMT(BPF_RET | BPF_K, SECCOMP_RET_ERRNO | EPERM));
    }
    filter.push_back(BPF_STMT(BPF_RET | BPF_K, SECCOMP_RET_ALLOW));
    const sock_fprog program{static_cast<unsigned short>(filter.size()), filter.data()};
    return ::prctl(PR_SET_NO_NEW_PRIVS, 1, 0, 0, 0) == 0 &&
           ::prctl(PR_SET_SECCOMP, SECCOMP_MODE_FILTER, &program) == 0;
}

// Sets a kernel setting under /proc/sys for the length of a test and puts the old value back.
class KernelSetting {
public:
    KernelSetting(std::string path, const std::string& value) : path_(std::move(path)) {
        std::getline(std::ifstream(path_), old_);
        set_ = !old_.empty() && (std::ofstream(path_) << value << '\n').good();
        std::string now;
        set_ = set_ && std::getline(std::ifstream(path_), now) && now == value;
    }
    KernelSetting(const KernelSetting&) = delete;
    KernelSetting& operator=(const KernelSetting&) = delete;
    ~KernelSetting() {
        if (!old_.empty()) {
            std::ofstream(path_) << old_ << '\n';
        }
    }
    [[nodiscard]] bool set() const { return set_; }

private:
    std::string path_;
    std::string old_;
    bool set_ = false;
};

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

    const auto dropPrivileges = unprivileged();
    if (!dropPrivileges) {
        GTEST_SKIP() << "running as root and there is no user 'nobody' to drop to";
    }
    const std::string report = createRomInChild(windowSaving(folder / "GAME.BIN"), *dropPrivileges);

    EXPECT_NE(report.find("Permission denied."), std::string::npos) << report;
    EXPECT_TRUE(report.ends_with("kept")) << report;
    EXPECT_EQ(readFile(folder / "GAME.BIN"), kOldContents);
    EXPECT_EQ(folder.entries(), std::set<std::string>{"GAME.BIN"});
}

TEST(SaveFailure, RefusesPipesDevicesAndKernelSettingsWithoutOpeningThem) {
    ScratchFolder folder;
    ASSERT_EQ(::mkfifo((folder / "pipe").c_str(), 0600), 0);
    // Opening a pipe with no reader would hang the window; a kernel setting shows as a regular
    // file but is none, and the folder it is in takes no new files.
    const std::pair<std::filesystem::path, std::filesystem::file_type> targets[] = {
        {folder / "pipe", std::filesystem::file_type::fifo},
        {"/dev/null", std::filesystem::file_type::character},
        {"/proc/sys/vm/drop_caches", std::filesystem::file_type::regular},
    };
    for (const auto& [target, type] : targets) {
        EXPECT_EQ(saveFileSafely(target, RomImage{}), SaveRefusal::NotARegularFile) << target;
        EXPECT_EQ(std::filesystem::status(target).type(), type) << target;
    }
    EXPECT_EQ(folder.entries(), std::set<std::string>{"pipe"});
}

TEST(SaveFailure, WritesOnlyWhereOpeningThePathForWritingIsAllowed) {
    const auto dropPrivileges = unprivileged();
    const passwd* nobody = ::getpwnam("nobody");
    if (!dropPrivileges || nobody == nullptr) {
        GTEST_SKIP() << "there is no user 'nobody'";
    }
    struct Case {
        const char* what;
        const char* setting;  // a file under /proc/sys/fs set to 1 for the case, or nullptr
        std::function<void(const ScratchFolder&)> plant;  // puts GAME.BIN in the folder
        bool asNobody;
    };
    ScratchFolder elsewhere;
    const std::filesystem::path victim = elsewhere / "SYSTEM.BIN";
    const auto toNobody = [nobody](const std::filesystem::path& path) {
        return ::lchown(path.c_str(), nobody->pw_uid, nobody->pw_gid) == 0;
    };
    const Case cases[] = {
        {"a read-only file", nullptr,
         [&](const ScratchFolder& folder) {
             writeFile(folder / "GAME.BIN", "old rom");
             ASSERT_EQ(::chmod((folder / "GAME.BIN").c_str(), 0444), 0);
             if (::geteuid() == 0) {
                 ASSERT_TRUE(toNobody(folder / "GAME.BIN"));
             }
         },
         true},
        {"a stranger's link in a shared sticky folder", "/proc/sys/fs/protected_symlinks",
         [&](const ScratchFolder& folder) {
             std::filesystem::create_symlink(victim, folder / "GAME.BIN");
             ASSERT_TRUE(toNobody(folder / "GAME.BIN"));
         },
         false},
        {"a stranger's file in a shared sticky folder", "/proc/sys/fs/protected_regular",
         [&](const ScratchFolder& folder) {
             writeFile(folder / "GAME.BIN", "old rom");
             ASSERT_TRUE(toNobody(folder / "GAME.BIN"));
         },
         false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        writeFile(victim, "old rom");
        ScratchFolder folder;
        std::optional<KernelSetting> setting;
        if (c.setting != nullptr) {
            if (::geteuid() != 0) {
                std::cout << "[  SKIPPED ] " << c.what << ": only root can plant another user's "
                          << "file and set " << c.setting << "\n";
                continue;
            }
            setting.emplace(c.setting, "1");
            if (!setting->set()) {
                std::cout << "[  SKIPPED ] " << c.what << ": cannot set " << c.setting << "\n";
                continue;
            }
            // World-writable and sticky, as /tmp is.
            std::filesystem::permissions(
                folder.path(), std::filesystem::perms::all | std::filesystem::perms::sticky_bit);
        } else {
            std::filesystem::permissions(folder.path(), std::filesystem::perms::all);
        }
        c.plant(folder);
        const std::function<bool()> asIs = [] { return true; };
        const std::string report = createRomInChild(windowSaving(folder / "GAME.BIN"),
                                                    c.asNobody ? *dropPrivileges : asIs);
        EXPECT_NE(report.find("Permission denied."), std::string::npos) << report;
        EXPECT_TRUE(report.ends_with("kept")) << report;
        EXPECT_EQ(readFile(victim), std::vector<std::uint8_t>(kOldContents));
        if (std::filesystem::is_regular_file(
                std::filesystem::symlink_status(folder / "GAME.BIN"))) {
            EXPECT_EQ(readFile(folder / "GAME.BIN"), std::vector<std::uint8_t>(kOldContents));
        }
        EXPECT_EQ(folder.entries(), std::set<std::string>{"GAME.BIN"});
    }
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

TEST(SaveFile, SavesThroughLinksWhereThereIsNoProc) {
    ScratchFolder folder;
    writeFile(folder / "GAME.BIN", "old");
    writeFile(folder / "REAL.BIN", "old");
    std::filesystem::create_symlink("REAL.BIN", folder / "link.bin");
    std::filesystem::create_symlink("NEW.BIN", folder / "dangling.bin");
    // As in a chroot without /proc: a mount namespace of the child's own, /proc taken away.
    const auto withoutProc = [] {
        return ::unshare(CLONE_NEWNS) == 0 &&
               ::mount(nullptr, "/", nullptr, MS_REC | MS_PRIVATE, nullptr) == 0 &&
               ::umount2("/proc", MNT_DETACH) == 0 && ::access("/proc/self", F_OK) != 0;
    };
    const std::pair<const char*, const char*> cases[] = {
        {"GAME.BIN", "GAME.BIN"},  // the saved name, the file that gets the image
        {"link.bin", "REAL.BIN"},
        {"dangling.bin", "NEW.BIN"},
    };
    for (const auto& [saved, written] : cases) {
        SCOPED_TRACE(saved);
        const std::string report = createRomInChild(windowSaving(folder / saved), withoutProc);
        if (report.starts_with("could not prepare")) {
            GTEST_SKIP() << "cannot unmount /proc in a mount namespace of its own here";
        }
        EXPECT_EQ(report, "reset");
        EXPECT_EQ(std::filesystem::file_size(folder / written), 8192u);
    }
    EXPECT_TRUE(std::filesystem::is_symlink(folder / "link.bin"));
    EXPECT_TRUE(std::filesystem::is_symlink(folder / "dangling.bin"));
    EXPECT_EQ(folder.entries(), (std::set<std::string>{"GAME.BIN", "REAL.BIN", "NEW.BIN",
                                                       "link.bin", "dangling.bin"}));
}

TEST(SaveFile, KeepsTheOwnerGroupAndModeOfTheFileItReplaces) {
    ScratchFolder folder;
    writeFile(folder / "GAME.BIN", "old");
    ASSERT_EQ(::chmod((folder / "GAME.BIN").c_str(), 0640), 0);
    // As root, the file belongs to someone else, whom it must keep.
    const passwd* nobody = ::geteuid() == 0 ? ::getpwnam("nobody") : nullptr;
    if (nobody != nullptr) {
        ASSERT_EQ(::chown((folder / "GAME.BIN").c_str(), nobody->pw_uid, nobody->pw_gid), 0);
    }
    struct stat before {};
    ASSERT_EQ(::stat((folder / "GAME.BIN").c_str(), &before), 0);
    ASSERT_FALSE(saveFileSafely(folder / "GAME.BIN", RomImage{}));
    struct stat after {};
    ASSERT_EQ(::stat((folder / "GAME.BIN").c_str(), &after), 0);
    EXPECT_EQ(after.st_mode & 07777, 0640u);
    EXPECT_EQ(after.st_uid, nobody != nullptr ? nobody->pw_uid : ::geteuid());
    EXPECT_EQ(after.st_gid, before.st_gid);
    EXPECT_EQ(after.st_size, 8192);
}

TEST(SaveFile, ModeAndOwnerAreBestEffortAndTheUmaskIsLeftAlone) {
    ScratchFolder folder;
    writeFile(folder / "GAME.BIN", "old");
    ASSERT_EQ(::chmod((folder / "GAME.BIN").c_str(), 0600), 0);
    // As on a FAT stick, where changing the mode or the owner fails; and the umask may not be
    // read by changing it, which would race with the GTK program's other threads.
    const auto refuseModeOwnerAndUmask = [] {
        ::umask(027);
        return failSystemCalls({SYS_fchmod, SYS_fchmodat, SYS_fchown, SYS_fchownat, SYS_umask});
    };
    const RomImage image = buildRomImage("SPACE RACE", IconChoice::Icon3);
    for (const char* name : {"GAME.BIN", "NEW.BIN"}) {
        SCOPED_TRACE(name);
        const std::string report =
            createRomInChild(windowSaving(folder / name), refuseModeOwnerAndUmask);
        EXPECT_EQ(report, "reset");
        EXPECT_EQ(readFile(folder / name), std::vector<std::uint8_t>(image.begin(), image.end()));
    }
    // The new file has what the kernel gave it under that process's umask.
    struct stat info {};
    ASSERT_EQ(::stat((folder / "NEW.BIN").c_str(), &info), 0);
    EXPECT_EQ(info.st_mode & 07777, 0640u);
    EXPECT_EQ(folder.entries(), (std::set<std::string>{"GAME.BIN", "NEW.BIN"}));
}

}  // namespace
}  // namespace tilewright
