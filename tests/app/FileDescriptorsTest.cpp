#include "app/FileDescriptors.h"

#include <gtest/gtest.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <functional>
#include <limits>

namespace {

constexpr uint64_t kUnlimited = std::numeric_limits<uint64_t>::max();

// Runs `body` in a child process, so a limit it sets never reaches the test program; its
// answer is the child's exit status (-1 when it did not exit).
int inChild(const std::function<int()>& body) {
    const pid_t pid = ::fork();
    if (pid == 0) ::_exit(body());
    int status = 0;
    if (pid < 0 || ::waitpid(pid, &status, 0) != pid || !WIFEXITED(status)) return -1;
    return WEXITSTATUS(status);
}

int softLimit() {
    rlimit limit{};
    ::getrlimit(RLIMIT_NOFILE, &limit);
    return static_cast<int>(limit.rlim_cur);
}

bool setLimit(rlim_t soft, rlim_t hard) {
    const rlimit limit{soft, hard};
    return ::setrlimit(RLIMIT_NOFILE, &limit) == 0;
}

}  // namespace

TEST(FileDescriptorsTest, softLimitIsRaisedAsFarAsTheHardOneAndTheKernelAllow) {
    const struct {
        const char* situation;
        app::DescriptorLimit limit;
        uint64_t expected;
    } cases[] = {
        {"a low soft limit under a higher hard one", {24, 1024}, 1024},
        {"an unlimited hard limit stops at the kernel's ceiling", {1024, kUnlimited}, 1 << 20},
        {"both at the hard limit already", {4096, 4096}, 4096},
        {"a hard limit above the kernel's ceiling", {1024, uint64_t{1} << 30}, 1 << 20},
    };
    for (const auto& c : cases) EXPECT_EQ(app::raisedSoftLimit(c.limit, 1 << 20), c.expected) << c.situation;
}

TEST(FileDescriptorsTest, onlyDescriptorsBelowTheLimitTakeRoomUnderIt) {
    const struct {
        const char* situation;
        uint64_t soft;
        std::vector<int> open;
        uint64_t left;
    } cases[] = {
        {"the standard three", 24, {0, 1, 2}, 21},
        {"one inherited far above the limit", 24, {0, 1, 2, 251}, 21},
        {"one inherited with a gap below it", 24, {0, 1, 2, 9}, 20},
        {"more open than the limit allows now", 3, {0, 1, 2, 3, 4}, 0},
    };
    for (const auto& c : cases) EXPECT_EQ(app::descriptorsLeft(c.soft, c.open), c.left) << c.situation;
}

TEST(FileDescriptorsTest, theProcessRaisesItsLimitAndItsChildrenGetTheFormerOneBack) {
    constexpr int kStarted = 64, kHard = 200;
    EXPECT_EQ(inChild([] {
                  if (!setLimit(kStarted, kHard) || !app::raiseDescriptorLimit(16).empty()) return 1;
                  if (softLimit() != kHard) return 2;
                  return inChild([] { return softLimit() == kStarted ? 0 : 3; });
              }),
              0)
        << "1: could not start; 2: not raised; 3: a child kept the raised limit";
}
