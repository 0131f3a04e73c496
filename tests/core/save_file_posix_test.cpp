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
#include <sys/xattr.h>
#include <ucontext.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <csignal>
#include <cstring>
#include <fstream>
#include <functional>

#include "create/save_file.h"
#include "rom/rom_image.h"
#include "tests/support/files.h"

namespace tilewright {
namespace {

using test::folderEntries;
using test::readFile;
using test::ScratchFolder;
using test::writeFile;

const std::vector<std::uint8_t> kOldContents{'o', 'l', 'd', ' ', 'r', 'o', 'm'};

// Whether `run` returns true in a child process.
bool succeedsInChild(const std::function<bool()>& run) {
    const pid_t child = ::fork();
    if (child == 0) {
        ::_exit(run() ? 0 : 1);
    }
    int status = 0;
    ::waitpid(child, &status, 0);
    return WIFEXITED(status) && WEXITSTATUS(status) == 0;
}

// What saveFileSafely returned in a child process, or the signal that ended it.
struct ChildSave {
    std::error_code error;
    SaveStep step = SaveStep::CheckingTarget;
    int signal = 0;
};

// Saves the SPACE RACE image in a child process after `prepare` has restricted that process.
ChildSave saveInChild(const std::filesystem::path& target, const std::function<bool()>& prepare,
                      ExistingFile existing = ExistingFile::Replace) {
    int pipeFds[2];
    if (::pipe(pipeFds) != 0) {
        ADD_FAILURE() << "pipe";
        return {};
    }
    const pid_t child = ::fork();
    if (child == 0) {
        ::close(pipeFds[0]);
        ::alarm(20);  // a save that never ends fails the test instead of hanging it
        int report[3] = {-1, 0, 0};
        if (prepare()) {
            SaveDetails details;
            const std::error_code error = saveFileSafely(
                target, buildRomImage("SPACE RACE", IconChoice::Icon3), existing, &details);
            report[0] = error.value();
            report[1] = error.category() == saveRefusalCategory();
            report[2] = static_cast<int>(details.step);
        }
        [[maybe_unused]] const auto written = ::write(pipeFds[1], report, sizeof report);
        ::_exit(0);
    }
    ::close(pipeFds[1]);
    int report[3] = {};
    const bool reported = ::read(pipeFds[0], report, sizeof report) == sizeof report;
    ::close(pipeFds[0]);
    int status = 0;
    ::waitpid(child, &status, 0);
    ChildSave result;
    if (WIFSIGNALED(status)) {
        result.signal = WTERMSIG(status);
        return result;
    }
    EXPECT_TRUE(reported && report[0] >= 0) << "the child could not prepare";
    result.error = report[1] != 0 ? make_error_code(static_cast<SaveRefusal>(report[0]))
                                  : std::error_code(report[0], std::system_category());
    result.step = static_cast<SaveStep>(report[2]);
    return result;
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

// A system call that fails in the process from now on, as a file system or a sandbox that
// refuses it would: with `error` (0 makes it return 0 without doing anything), only where its
// argument `flagsArgument` has all of `flags` set when that is given; or it raises SIGSYS.
struct Refusal {
    int call;
    int error = EPERM;
    int flagsArgument = -1;
    std::uint32_t flags = 0;
    bool trap = false;
};

bool refuseSystemCalls(std::initializer_list<Refusal> refusals) {
    std::vector<sock_filter> filter;
    for (const Refusal& refusal : refusals) {
        const bool checksFlags = refusal.flagsArgument >= 0;
        const std::uint32_t action =
            refusal.trap ? SECCOMP_RET_TRAP
                         : SECCOMP_RET_ERRNO | static_cast<std::uint32_t>(refusal.error);
        filter.push_back(BPF_STMT(BPF_LD | BPF_W | BPF_ABS, offsetof(seccomp_data, nr)));
        filter.push_back(BPF_JUMP(BPF_JMP | BPF_JEQ | BPF_K, static_cast<__u32>(refusal.call), 0,
                                  static_cast<__u8>(checksFlags ? 4 : 1)));
        if (checksFlags) {  // the low 32 bits of the argument, on a little-endian machine
            const auto argument = static_cast<__u32>(
                offsetof(seccomp_data, args) + 8 * static_cast<unsigned>(refusal.flagsArgument));
            filter.push_back(BPF_STMT(BPF_LD | BPF_W | BPF_ABS, argument));
            filter.push_back(BPF_STMT(BPF_ALU | BPF_AND | BPF_K, refusal.flags));
            filter.push_back(BPF_JUMP(BPF_JMP | BPF_JEQ | BPF_K, refusal.flags, 0, 1));
        }
        filter.push_back(BPF_STMT(BPF_RET | BPF_K, action));
    }
    filter.push_back(BPF_STMT(BPF_RET | BPF_K, SECCOMP_RET_ALLOW));
    const sock_fprog program{static_cast<unsigned short>(filter.size()), filter.data()};
    return ::prctl(PR_SET_NO_NEW_PRIVS, 1, 0, 0, 0) == 0 &&
           ::prctl(PR_SET_SECCOMP, SECCOMP_MODE_FILTER, &program) == 0;
}

// The file system has no unnamed files (O_TMPFILE), as FAT and NFS have none.
constexpr Refusal kNoUnnamedFiles{SYS_openat, EOPNOTSUPP, 2, __O_TMPFILE};

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

TEST(SaveFailure, WriteCutShortKeepsTheOldFileAndLeavesNoTemporary) {
    ScratchFolder folder;
    writeFile(folder / "GAME.BIN", std::string(kOldContents.begin(), kOldContents.end()));

    // The file-size limit stops the write after 4096 of the 8192 bytes.
    const ChildSave saved = saveInChild(folder / "GAME.BIN", [] {
        std::signal(SIGXFSZ, SIG_IGN);
        const rlimit limit{4096, 4096};
        return ::setrlimit(RLIMIT_FSIZE, &limit) == 0;
    });

    EXPECT_EQ(saved.error, std::errc::file_too_large);
    EXPECT_EQ(saved.step, SaveStep::Writing);
    EXPECT_EQ(readFile(folder / "GAME.BIN"), kOldContents);
    EXPECT_EQ(folder.entries(), std::set<std::string>{"GAME.BIN"});
}

TEST(SaveFailure, ReadOnlyFolderKeepsTheOldFile) {
    ScratchFolder folder;
    writeFile(folder / "GAME.BIN", std::string(kOldContents.begin(), kOldContents.end()));
    ASSERT_EQ(::chmod((folder / "GAME.BIN").c_str(), 0666), 0);  // the file itself is writable
    std::filesystem::permissions(
        folder.path(), std::filesystem::perms::owner_read | std::filesystem::perms::owner_exec |
                           std::filesystem::perms::group_read | std::filesystem::perms::group_exec |
                           std::filesystem::perms::others_read |
                           std::filesystem::perms::others_exec);

    const auto dropPrivileges = unprivileged();
    if (!dropPrivileges) {
        GTEST_SKIP() << "running as root and there is no user 'nobody' to drop to";
    }
    const ChildSave saved = saveInChild(folder / "GAME.BIN", *dropPrivileges);

    EXPECT_EQ(saved.error, std::errc::permission_denied);
    EXPECT_EQ(saved.step, SaveStep::CreatingTemporary);
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
        const ChildSave saved =
            saveInChild(folder / "GAME.BIN", c.asNobody ? *dropPrivileges : asIs);
        EXPECT_EQ(saved.error, std::errc::permission_denied);
        EXPECT_EQ(saved.step, SaveStep::CheckingTarget);
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
    if (!succeedsInChild(withoutProc)) {
        GTEST_SKIP() << "cannot unmount /proc in a mount namespace of its own here";
    }
    for (const auto& [saved, written] : cases) {
        SCOPED_TRACE(saved);
        const ChildSave result = saveInChild(folder / saved, withoutProc);
        EXPECT_FALSE(result.error) << result.error.message();
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

std::string attribute(const std::filesystem::path& path, const char* name) {
    std::string value(256, '\0');
    const ssize_t size = ::getxattr(path.c_str(), name, value.data(), value.size());
    value.resize(size > 0 ? static_cast<std::size_t>(size) : 0);
    return value;
}

TEST(SaveFile, AMemberOfTheFilesGroupKeepsTheGroupExtendedAttributesAndAcl) {
    const passwd* nobody = ::getpwnam("nobody");
    if (::geteuid() != 0 || nobody == nullptr) {
        GTEST_SKIP() << "only root can plant another user's file";
    }
    ScratchFolder folder;
    std::filesystem::permissions(folder.path(), std::filesystem::perms::all);
    const auto target = folder / "GAME.BIN";
    writeFile(target, "old");
    const gid_t team = 4321;
    ASSERT_EQ(::chown(target.c_str(), 1, team), 0);
    // system.posix_acl_access: version 2; owner rw, user 1000 rw, group rw, mask rw, others r.
    const std::string acl(
        "\2\0\0\0\1\0\6\0\xff\xff\xff\xff\2\0\6\0\xe8\3\0\0\4\0\6\0\xff\xff\xff\xff"
        "\x10\0\6\0\xff\xff\xff\xff\x20\0\4\0\xff\xff\xff\xff",
        44);
    ASSERT_EQ(::setxattr(target.c_str(), "system.posix_acl_access", acl.data(), acl.size(), 0), 0);
    ASSERT_EQ(::setxattr(target.c_str(), "user.note", "chip 7", 6, 0), 0);

    EXPECT_FALSE(saveInChild(target, [&] {
                     return ::setgroups(1, &team) == 0 && ::setgid(nobody->pw_gid) == 0 &&
                            ::setuid(nobody->pw_uid) == 0;
                 }).error);
    struct stat after {};
    ASSERT_EQ(::stat(target.c_str(), &after), 0);
    EXPECT_EQ(after.st_size, 8192);
    EXPECT_EQ(after.st_mode & 07777, 0664u);
    EXPECT_EQ(after.st_gid, team);
    EXPECT_EQ(attribute(target, "user.note"), "chip 7");
    EXPECT_EQ(attribute(target, "system.posix_acl_access"), acl);
}

TEST(SaveFile, ModeAndOwnerAreBestEffortAndTheUmaskIsLeftAlone) {
    ScratchFolder folder;
    writeFile(folder / "GAME.BIN", "old");
    ASSERT_EQ(::chmod((folder / "GAME.BIN").c_str(), 0600), 0);
    // As on a FAT stick, where changing the mode or the owner fails; and the umask may not be
    // read by changing it, which would race with the GTK program's other threads.
    const auto refuseModeOwnerAndUmask = [] {
        ::umask(027);
        return refuseSystemCalls(
            {{SYS_fchmod}, {SYS_fchmodat}, {SYS_fchown}, {SYS_fchownat}, {SYS_umask}});
    };
    const RomImage image = buildRomImage("SPACE RACE", IconChoice::Icon3);
    for (const char* name : {"GAME.BIN", "NEW.BIN"}) {
        SCOPED_TRACE(name);
        EXPECT_FALSE(saveInChild(folder / name, refuseModeOwnerAndUmask).error);
        EXPECT_EQ(readFile(folder / name), std::vector<std::uint8_t>(image.begin(), image.end()));
    }
    // The new file has what the kernel gave it under that process's umask.
    struct stat info {};
    ASSERT_EQ(::stat((folder / "NEW.BIN").c_str(), &info), 0);
    EXPECT_EQ(info.st_mode & 07777, 0640u);
    EXPECT_EQ(folder.entries(), (std::set<std::string>{"GAME.BIN", "NEW.BIN"}));
}

TEST(SaveFailure, SystemCallsThatTakeNothingOrCannotRefuseReplacingFailClearly) {
    struct Case {
        const char* what;
        std::initializer_list<Refusal> refusals;
        std::error_code error;
        SaveStep step;
    };
    const Case cases[] = {
        // Only writes of 8192 bytes (bit 13 of the count): the sanitizers' small ones work.
        {"a write that takes nothing and reports nothing",
         {{SYS_write, 0, 2, 8192}},
         std::error_code(EIO, std::system_category()),
         SaveStep::Writing},
        // Some FUSE file systems: --force (Replace) works there.
        {"neither RENAME_NOREPLACE nor hard links",
         {kNoUnnamedFiles, {SYS_renameat2, EINVAL}, {SYS_linkat, EPERM}},
         SaveRefusal::CannotRefuseReplacing,
         SaveStep::Replacing},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        ScratchFolder folder;
        const ChildSave saved = saveInChild(
            folder / "NEW.BIN", [&] { return refuseSystemCalls(c.refusals); }, ExistingFile::Keep);
        EXPECT_EQ(saved.error, c.error) << saved.error.message();
        EXPECT_EQ(saved.step, c.step);
        EXPECT_TRUE(folder.entries().empty());
    }
}

#ifdef __x86_64__
// Stands in for the first fsync, as if it took long, and sends the process SIGTERM meanwhile.
void terminateDuringFsync(int, siginfo_t*, void* context) {
    static_cast<ucontext_t*>(context)->uc_mcontext.gregs[REG_RAX] = 0;
    static bool sent = false;
    if (!std::exchange(sent, true)) {
        ::kill(::getpid(), SIGTERM);
    }
}

TEST(SaveFile, EndingTheProgramDuringASaveLeavesNothingBehind) {
    for (const bool unnamed : {true, false}) {
        SCOPED_TRACE(unnamed ? "unnamed temporary file" : "named temporary file");
        ScratchFolder folder;
        writeFile(folder / "GAME.BIN", "old");
        const ChildSave saved = saveInChild(folder / "GAME.BIN", [unnamed] {
            struct sigaction action {};
            action.sa_sigaction = terminateDuringFsync;
            action.sa_flags = SA_SIGINFO;
            const Refusal trapFsync{.call = SYS_fsync, .trap = true};
            return ::sigaction(SIGSYS, &action, nullptr) == 0 &&
                   (unnamed ? refuseSystemCalls({trapFsync})
                            : refuseSystemCalls({kNoUnnamedFiles, trapFsync}));
        });
        EXPECT_EQ(saved.signal, SIGTERM);
        EXPECT_EQ(folder.entries(), std::set<std::string>{"GAME.BIN"});
    }
}
#endif

TEST(SaveFile, TwoProgramsSavingToOneFileInTurnBothSucceed) {
    ScratchFolder folder;
    // Without fsync (which returns at once here), each saves often enough to meet the other.
    const auto saveOften = [target = folder / "GAME.BIN"] {
        bool saved = refuseSystemCalls({{SYS_fsync, 0}});
        for (int i = 0; i < 1500 && saved; ++i) {
            saved = !saveFileSafely(target, RomImage{});
        }
        return saved;
    };
    const pid_t other = ::fork();
    if (other == 0) {
        ::_exit(saveOften() ? 0 : 1);
    }
    EXPECT_TRUE(succeedsInChild(saveOften));
    int status = 0;
    ::waitpid(other, &status, 0);
    EXPECT_EQ(status, 0);
    EXPECT_EQ(folder.entries(), std::set<std::string>{"GAME.BIN"});
}

TEST(SaveFile, ReplacesAFileUnderAReadLeaseWithoutBreakingIt) {
    ScratchFolder folder;
    writeFile(folder / "GAME.BIN", "old");
    // As Samba's oplocks take it; breaking it would signal this process (SIGIO).
    const int holder = ::open((folder / "GAME.BIN").c_str(), O_RDONLY);
    std::signal(SIGIO, SIG_IGN);
    ASSERT_EQ(::fcntl(holder, F_SETLEASE, F_RDLCK), 0) << std::strerror(errno);
    EXPECT_FALSE(saveInChild(folder / "GAME.BIN", [] { return true; }).error);
    EXPECT_EQ(::fcntl(holder, F_GETLEASE), F_RDLCK);
    ::close(holder);
    std::signal(SIGIO, SIG_DFL);
}

TEST(SaveFile, ReplacesAFileWhosePathIsLongerThanTheSystemTakes) {
    ScratchFolder folder;
    const int start = ::open(".", O_PATH | O_DIRECTORY);
    ASSERT_EQ(::chdir(folder.path().c_str()), 0);
    const std::string step(200, 'd');  // 21 of them make more than PATH_MAX (4096)
    for (int depth = 0; depth < 21; ++depth) {
        ASSERT_EQ(::mkdir(step.c_str(), 0700) | ::chdir(step.c_str()), 0);
    }
    writeFile("GAME.BIN", "old");
    EXPECT_EQ(saveFileSafely("GAME.BIN", RomImage{}, ExistingFile::Keep),
              SaveRefusal::AlreadyExists);
    EXPECT_FALSE(saveFileSafely("GAME.BIN", RomImage{}));
    EXPECT_EQ(folderEntries("."), std::set<std::string>{"GAME.BIN"});
    // Removed from the inside, where every path is short.
    ::unlink("GAME.BIN");
    for (int depth = 0; depth < 21; ++depth) {
        ASSERT_EQ(::chdir("..") | ::rmdir(step.c_str()), 0);
    }
    ASSERT_EQ(::fchdir(start), 0);
    ::close(start);
}

// Where writing the file in place would work, the save says which of its own steps failed.
TEST(SaveFailure, ReplacingRefusedWhereWritingInPlaceWouldWorkNamesTheStep) {
    const passwd* nobody = ::getpwnam("nobody");
    if (::geteuid() != 0 || nobody == nullptr) {
        GTEST_SKIP() << "only root can mount and plant another user's file";
    }
    const KernelSetting unprotected("/proc/sys/fs/protected_regular", "0");
    ScratchFolder folder;
    writeFile(folder / "OTHER.BIN", "other");
    writeFile(folder / "GAME.BIN", "old rom");
    ASSERT_EQ(::chmod((folder / "GAME.BIN").c_str(), 0666), 0);
    std::filesystem::permissions(folder.path(),
                                 std::filesystem::perms::all | std::filesystem::perms::sticky_bit);
    const std::pair<std::function<bool()>, std::errc> cases[] = {
        // Another user's 0666 file in a shared sticky folder.
        {[nobody] { return ::setgid(nobody->pw_gid) == 0 && ::setuid(nobody->pw_uid) == 0; },
         std::errc::operation_not_permitted},
        // A file mounted over.
        {[&] {
             return ::unshare(CLONE_NEWNS) == 0 &&
                    ::mount(nullptr, "/", nullptr, MS_REC | MS_PRIVATE, nullptr) == 0 &&
                    ::mount((folder / "OTHER.BIN").c_str(), (folder / "GAME.BIN").c_str(), nullptr,
                            MS_BIND, nullptr) == 0;
         },
         std::errc::device_or_resource_busy},
    };
    for (const auto& [saver, error] : cases) {
        const ChildSave saved = saveInChild(folder / "GAME.BIN", saver);
        EXPECT_EQ(saved.error, error) << saved.error.message();
        EXPECT_EQ(saved.step, SaveStep::Replacing);
        EXPECT_EQ(readFile(folder / "GAME.BIN"), kOldContents);
        EXPECT_EQ(folder.entries(), (std::set<std::string>{"GAME.BIN", "OTHER.BIN"}));
    }
}

}  // namespace
}  // namespace tilewright
