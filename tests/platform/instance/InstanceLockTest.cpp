#include "platform/instance/InstanceLock.h"

#include <gtest/gtest.h>

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <functional>

#include "TestFiles.h"
#include "model/L10nTestSupport.h"

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
    const auto first = InstanceLock::acquire(settings);
    ASSERT_TRUE(first && first->held());
    EXPECT_TRUE(fs::is_directory(config)) << "the folder is made when missing";
    for (const auto& [what, change, path] : seconds) {
        change();
        EXPECT_EQ(InstanceLock::acquire(path), nullptr) << what;
    }
    EXPECT_NE(InstanceLock::acquire(folder / "other" / "defaults.plist"), nullptr) << "another settings file";
}

// Earlier builds locked the settings folder itself: one still running keeps this build from
// starting beside it, and one started later finds this build running.
TEST(InstanceLock, anEarlierBuildOfTheProgramIsFoundAndFindsThisOne) {
    testfiles::TemporaryFolder folder;
    const fs::path config = folder / "tuftle";
    fs::create_directories(config);
    model::testing::EnvironmentOverride runtime{{"XDG_RUNTIME_DIR", folder.path().c_str()}};
    const auto earlierBuildLocks = [&] {
        const int fd = ::open(config.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
        if (::flock(fd, LOCK_EX | LOCK_NB) == 0) return fd;
        ::close(fd);
        return -1;
    };
    const int earlier = earlierBuildLocks();
    ASSERT_GE(earlier, 0);
    EXPECT_EQ(InstanceLock::acquire(config / "defaults.plist"), nullptr);
    ::close(earlier);
    const auto lock = InstanceLock::acquire(config / "defaults.plist");
    ASSERT_TRUE(lock && lock->held());
    EXPECT_EQ(earlierBuildLocks(), -1);
}

TEST(InstanceLock, isFreeAgainOnceReleased) {
    testfiles::TemporaryFolder folder;
    model::testing::EnvironmentOverride runtime{{"XDG_RUNTIME_DIR", folder.path().c_str()}};
    const fs::path settings = folder / "tuftle" / "defaults.plist";
    InstanceLock::acquire(settings).reset();
    const auto again = InstanceLock::acquire(settings);
    EXPECT_TRUE(again && again->held());
}

TEST(InstanceLock, whenNoLockCanBeTakenItSaysWhyAndHoldsNothing) {
    testfiles::TemporaryFolder folder;
    testfiles::writeFile(folder / "config", "a file where the folder belongs");
    model::testing::EnvironmentOverride runtime{{"XDG_RUNTIME_DIR", nullptr}, {"TMPDIR", (folder / "config").c_str()}};
    const auto lock = InstanceLock::acquire(folder / "config" / "tuftle" / "defaults.plist");
    ASSERT_NE(lock, nullptr);
    EXPECT_FALSE(lock->held());
    EXPECT_NE(lock->problem().find((folder / "config").string()), std::string::npos) << lock->problem();
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
        model::testing::EnvironmentOverride environment{{"XDG_RUNTIME_DIR", runtime.c_str()}};
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
                if (!first) std::_Exit(3);
                std::fprintf(stderr, "%s\n", first->problem().c_str());
                std::_Exit(!first->held() ? 1 : InstanceLock::acquire(config / "defaults.plist") ? 4 : 0);
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
    testfiles::TemporaryFolder folder;
    const fs::path config = folder / "tuftle";
    fs::create_directories(config);
    model::testing::EnvironmentOverride runtime{{"XDG_RUNTIME_DIR", folder.path().c_str()}};
    const int foreign = ::open(config.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    ASSERT_EQ(::flock(foreign, LOCK_EX | LOCK_NB), 0);
    std::string heldElsewhere;
    EXPECT_EQ(InstanceLock::acquire(config / "defaults.plist", &heldElsewhere), nullptr);
    EXPECT_NE(heldElsewhere.find(config.string()), std::string::npos) << heldElsewhere;
    ::close(foreign);
    const auto first = InstanceLock::acquire(config / "defaults.plist");
    ASSERT_TRUE(first && first->held());
    heldElsewhere.clear();
    EXPECT_EQ(InstanceLock::acquire(config / "defaults.plist", &heldElsewhere), nullptr);
    EXPECT_EQ(heldElsewhere, "") << "a running instance";
}

}  // namespace
}  // namespace platform
