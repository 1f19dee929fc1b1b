#include "platform/InstanceLock.h"

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
    model::testing::EnvironmentOverride runtime{{"XDG_RUNTIME_DIR", (folder / "runtime").c_str()}};
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
    const fs::path settings = folder / "tuftle" / "defaults.plist";
    InstanceLock::acquire(settings).reset();
    const auto again = InstanceLock::acquire(settings);
    EXPECT_TRUE(again && again->held());
}

TEST(InstanceLock, whenNoLockCanBeTakenItSaysWhyAndHoldsNothing) {
    testfiles::TemporaryFolder folder;
    testfiles::writeFile(folder / "config", "a file where the folder belongs");
    const auto lock = InstanceLock::acquire(folder / "config" / "tuftle" / "defaults.plist");
    ASSERT_NE(lock, nullptr);
    EXPECT_FALSE(lock->held());
    EXPECT_NE(lock->problem().find((folder / "config").string()), std::string::npos) << lock->problem();
}

// Whatever the settings folder's mode, a second start finds the first holding the lock; only a
// folder around it that can be neither read nor written in leaves no lock to take, and says
// which two it tried. Root opens any folder: the check then runs in a child that is root no more.
TEST(InstanceLockDeathTest, theSettingsFoldersModeNeverLetsTwoStartsRun) {
    constexpr uid_t kNobody = 65534;
    const std::vector<std::tuple<std::string, mode_t, mode_t, int, std::string>> cases = {
        {"settings folder written, not read", 0700, 0300, 0, ""},
        {"settings folder only passed through", 0700, 0100, 0, ""},
        {"settings folder closed", 0700, 0000, 0, ""},
        {"the folder around it only passed through", 0100, 0700, 1,
         "lock .*/home \\(.+\\) nor .*/home/\\.tuftle\\.lock \\(.+\\)"},
    };
    const bool root = ::geteuid() == 0;
    for (const auto& [what, outerMode, mode, status, problem] : cases) {
        SCOPED_TRACE(what);
        testfiles::TemporaryFolder folder;
        const fs::path outer = folder / "home";
        const fs::path config = outer / "tuftle";
        fs::create_directories(config);
        ::chmod(folder.path().c_str(), 0711);
        if (root) {
            ASSERT_EQ(::chown(outer.c_str(), kNobody, kNobody), 0);
            ASSERT_EQ(::chown(config.c_str(), kNobody, kNobody), 0);
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
            ::testing::ExitedWithCode(status), problem);
        ::chmod(outer.c_str(), 0700);
        ::chmod(config.c_str(), 0700);
    }
}

}  // namespace
}  // namespace platform
