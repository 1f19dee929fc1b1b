#include "platform/instance/InstanceLock.h"

#include <gtest/gtest.h>

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <functional>

#include "TestFiles.h"
#include "model/L10nTestSupport.h"
#include "platform/instance/InstanceTestSupport.h"

namespace platform {
namespace {

namespace fs = std::filesystem;

// Two starts of different environments that would write the same settings file.
TEST(InstanceLock, twoStartsOfOneSettingsFileNeverBothHoldTheLock) {
    testfiles::TemporaryFolder folder;
    const fs::path config = folder / "config" / "tuftle";
    const fs::path settings = config / "defaults.plist";
    fs::create_directories(folder / "runtime");
    fs::create_directories(folder / "dotfiles");
    fs::create_symlink(folder / "dotfiles", folder / "linked");
    const std::vector<std::tuple<std::string, std::function<void()>, fs::path>> seconds = {
        {"without XDG_RUNTIME_DIR", [] { ::unsetenv("XDG_RUNTIME_DIR"); }, settings},
        {"with a relative XDG_RUNTIME_DIR", [] { ::setenv("XDG_RUNTIME_DIR", "runtime", 1); }, settings},
        {"through a link to the settings", [&] { fs::create_symlink(settings, folder / "settings-link"); },
         folder / "settings-link"},
    };
    ::chmod((folder / "runtime").c_str(), 0700);
    model::testing::EnvironmentOverride runtime{{"XDG_RUNTIME_DIR", (folder / "runtime").c_str()},
                                                {"TMPDIR", folder.path().c_str()}};
    const auto first = InstanceLock::acquire(settings).lock;
    ASSERT_TRUE(first);
    EXPECT_TRUE(fs::is_directory(config)) << "the folder is made when missing";
    for (const auto& [what, change, path] : seconds) {
        change();
        EXPECT_EQ(InstanceLock::acquire(path).lock, nullptr) << what;
    }
    EXPECT_NE(InstanceLock::acquire(folder / "other" / "defaults.plist").lock, nullptr) << "another settings file";
}

// Earlier builds locked the settings folder itself: one still running keeps this build from
// starting beside it, and one started later finds this build running.
TEST(InstanceLock, anEarlierBuildOfTheProgramIsFoundAndFindsThisOne) {
    const testing::InstanceFolders folders;
    const fs::path config = folders.settings.parent_path();
    const auto earlierBuildLocks = [&] {
        const int fd = ::open(config.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
        if (::flock(fd, LOCK_EX | LOCK_NB) == 0) return fd;
        ::close(fd);
        return -1;
    };
    const int earlier = earlierBuildLocks();
    ASSERT_GE(earlier, 0);
    EXPECT_EQ(InstanceLock::acquire(config / "defaults.plist").holder,
              InstanceLock::Attempt::Holder::instanceElsewhere);
    ::close(earlier);
    const auto lock = InstanceLock::acquire(config / "defaults.plist").lock;
    ASSERT_TRUE(lock);
    EXPECT_EQ(earlierBuildLocks(), -1);
}

TEST(InstanceLock, isFreeAgainOnceReleased) {
    const testing::InstanceFolders folders;
    InstanceLock::acquire(folders.settings).lock.reset();
    EXPECT_TRUE(InstanceLock::acquire(folders.settings).lock);
}

TEST(InstanceLock, whenNoLockCanBeTakenItSaysWhyAndHoldsNothing) {
    const testing::InstanceFolders folders;
    testfiles::writeFile(folders.folder / "config", "a file where the folder belongs");
    model::testing::EnvironmentOverride runtime{{"XDG_RUNTIME_DIR", nullptr},
                                                {"TMPDIR", (folders.folder / "config").c_str()}};
    const auto attempt = InstanceLock::acquire(folders.folder / "config" / "tuftle" / "defaults.plist");
    EXPECT_EQ(attempt.lock, nullptr);
    EXPECT_EQ(attempt.holder, InstanceLock::Attempt::Holder::none);
    EXPECT_NE(attempt.problem.english().find((folders.folder / "config").string()), std::string::npos)
        << attempt.problem;
}

// Whatever the modes of the settings folder and of the folder around it, and whatever other
// programs lock there, a second start finds the first holding the lock. Root opens any
// folder: the check then runs in a child that is root no more.
TEST(InstanceLockDeathTest, theSettingsFoldersModeNeverLetsTwoStartsRun) {
    constexpr uid_t kNobody = 65534;
    const std::vector<std::tuple<std::string, mode_t, mode_t, bool>> cases = {
        {"settings folder written, not read", 0700, 0300, false},
        {"settings folder only passed through", 0700, 0100, false},
        {"settings folder closed", 0700, 0000, false},
        {"the folder around it only passed through", 0100, 0700, false},
        {"the folder around it closed", 0000, 0700, false},
        {"the folder around it locked by another program", 0700, 0700, true},
    };
    const bool root = ::geteuid() == 0;
    for (const auto& [what, outerMode, mode, foreignLock] : cases) {
        SCOPED_TRACE(what);
        testfiles::TemporaryFolder folder;
        const fs::path outer = folder / "home";
        const fs::path config = outer / "tuftle";
        const fs::path runtime = folder / "runtime";
        fs::create_directories(config);
        fs::create_directories(runtime);
        ::chmod(folder.path().c_str(), 0711);
        ::chmod(runtime.c_str(), 0700);
        if (root) {
            for (const auto& owned : {outer, config, runtime}) ASSERT_EQ(::chown(owned.c_str(), kNobody, kNobody), 0);
        }
        model::testing::EnvironmentOverride environment{{"XDG_RUNTIME_DIR", runtime.c_str()},
                                                        {"TMPDIR", runtime.c_str()}};
        const int foreign = foreignLock ? ::open(outer.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC) : -1;
        if (foreignLock) {
            ASSERT_EQ(::flock(foreign, LOCK_EX | LOCK_NB), 0);
        }
        ::chmod(config.c_str(), mode);
        ::chmod(outer.c_str(), outerMode);
        EXPECT_EXIT(
            {
                if (root && (::setgid(kNobody) != 0 || ::setuid(kNobody) != 0)) std::_Exit(2);
                const auto first = InstanceLock::acquire(config / "defaults.plist");
                if (!first.lock) std::fprintf(stderr, "%s\n", first.problem.english().c_str());
                std::_Exit(!first.lock ? 3 : InstanceLock::acquire(config / "defaults.plist").lock ? 4 : 0);
            },
            ::testing::ExitedWithCode(0), "");
        if (foreign >= 0) ::close(foreign);
        ::chmod(outer.c_str(), 0700);
        ::chmod(config.c_str(), 0700);
    }
}

// Only this program takes the lock file; the settings folder may be locked by anything. Held
// there by another program, the lock says so rather than pass it for a running instance.
TEST(InstanceLock, aSettingsFolderLockedByAnotherProgramIsNotARunningInstance) {
    using Holder = InstanceLock::Attempt::Holder;
    const testing::InstanceFolders folders;
    const fs::path config = folders.settings.parent_path();
    testing::OtherProgramLock other(config);
    ASSERT_TRUE(other.locked()) << "the other program took no lock";
    const auto attempt = InstanceLock::acquire(folders.settings);
    const pid_t otherPid = other.pid();
    other.end();
    EXPECT_EQ(attempt.lock, nullptr);
    EXPECT_EQ(attempt.holder, Holder::anotherProgram);
    EXPECT_EQ(attempt.problem.english(), "another program, other-program (process " + std::to_string(otherPid) +
                                             "), holds a lock on " + config.string());

    const auto first = InstanceLock::acquire(folders.settings).lock;
    ASSERT_TRUE(first);
    EXPECT_EQ(InstanceLock::acquire(folders.settings).holder, Holder::instanceHere) << "a running instance";
    model::testing::EnvironmentOverride elsewhere{{"XDG_RUNTIME_DIR", nullptr}};
    EXPECT_EQ(InstanceLock::acquire(folders.settings).holder, Holder::instanceElsewhere)
        << "a running instance with another runtime folder";
}

}  // namespace
}  // namespace platform
