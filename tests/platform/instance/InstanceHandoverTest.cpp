#include "platform/instance/InstanceHandover.h"

#include <gtest/gtest.h>
#include <poll.h>

#include <sys/resource.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <cstring>
#include <future>
#include <vector>

#include "TestFiles.h"
#include "model/L10nTestSupport.h"
#include "platform/instance/InstanceLock.h"

namespace platform {
namespace {

namespace fs = std::filesystem;

// Every start that would take the same lock finds the same socket, where the runtime folder is
// the same, also once the settings folder was replaced; without a usable runtime folder the
// socket is in a private one of this user's.
TEST(InstanceHandover, startsOfOneSettingsFolderMeetAtOneSocket) {
    testfiles::TemporaryFolder folder;
    const fs::path settings = folder / "config" / "tuftle" / "defaults.plist";
    ::chmod(folder.path().c_str(), 0700);
    model::testing::EnvironmentOverride runtime{{"XDG_RUNTIME_DIR", folder.path().c_str()},
                                                {"TMPDIR", (folder / "tmp").c_str()}};
    const auto lock = InstanceLock::acquire(settings).lock;
    fs::create_symlink(settings, folder / "settings-link");
    std::string problem;
    const auto socket = handoverSocketPath(settings, problem);
    ASSERT_TRUE(socket) << problem;
    EXPECT_EQ(socket->parent_path(), folder.path());
    EXPECT_EQ(handoverSocketPath(folder / "settings-link", problem), socket);
    fs::create_directories(folder / "other" / "tuftle");
    EXPECT_NE(handoverSocketPath(folder / "other" / "tuftle" / "defaults.plist", problem), socket);
    fs::rename(folder / "config" / "tuftle", folder / "config" / "restored-from-backup");
    fs::create_directories(folder / "config" / "tuftle");
    EXPECT_EQ(handoverSocketPath(settings, problem), socket) << "a replaced settings folder";

    fs::create_directories(folder / "tmp");
    fs::create_directories(folder / "shared");
    ::chmod((folder / "shared").c_str(), 0755);
    const fs::path fallback = folder / "tmp" / ("tuftle-" + std::to_string(::geteuid()));
    const std::string tooLong = (folder / std::string(120, 'r')).string();
    for (const auto& unusable : {std::string("relative"), std::string(), (folder / "shared").string(), tooLong}) {
        SCOPED_TRACE(unusable);
        model::testing::EnvironmentOverride none{{"XDG_RUNTIME_DIR", unusable.c_str()}};
        const auto fallen = handoverSocketPath(settings, problem);
        ASSERT_TRUE(fallen) << problem;
        EXPECT_EQ(fallen->parent_path(), fallback);
        struct stat st {};
        ASSERT_EQ(::lstat(fallback.c_str(), &st), 0);
        EXPECT_EQ(st.st_mode & 0777, 0700u);
        EXPECT_EQ(st.st_uid, ::geteuid());
        ::chmod(fallback.c_str(), 0755);
    }
}

// A call reaches the listener, which answers it without blocking; a socket left by a killed
// instance is replaced, and is no one to call; a listener that never answers is given up on.
TEST(InstanceHandover, aSecondStartIsAnsweredByTheListenerOnly) {
    testfiles::TemporaryFolder folder;
    const fs::path socket = folder / "tuftle.socket";
    std::string problem;
    {
        const auto killed = HandoverListener::listen(socket, problem);
        ASSERT_TRUE(killed) << problem;
        ASSERT_EQ(::link(socket.c_str(), (folder / "left").c_str()), 0);
    }
    fs::rename(folder / "left", socket);
    EXPECT_NE(askRunningInstance(socket, 1), "") << "a killed instance's socket";

    const auto listener = HandoverListener::listen(socket, problem);
    ASSERT_TRUE(listener) << problem;
    EXPECT_FALSE(listener->answer()) << "no call yet";
    auto call = std::async(std::launch::async, [&] { return askRunningInstance(socket, 10); });
    pollfd ring{listener->fd(), POLLIN, 0};
    ASSERT_EQ(::poll(&ring, 1, 10000), 1);
    EXPECT_TRUE(listener->answer());
    EXPECT_EQ(call.get(), "");

    EXPECT_NE(askRunningInstance(socket, 0.2), "") << "a listener that does not answer";
    EXPECT_TRUE(listener->answer()) << "the late call is answered, to a caller that left";
    EXPECT_FALSE(fs::exists(folder / "missing.socket"));
    EXPECT_NE(askRunningInstance(folder / "missing.socket", 0.3), "");
}

// Many second starts at once all reach the listener: none is turned away by a full queue.
TEST(InstanceHandover, twentyStartsAtOnceAreAllAnswered) {
    testfiles::TemporaryFolder folder;
    const fs::path socket = folder / "tuftle.socket";
    std::string problem;
    const auto listener = HandoverListener::listen(socket, problem);
    ASSERT_TRUE(listener) << problem;
    std::atomic<int> ended = 0;
    std::vector<std::future<std::string>> calls;
    for (int i = 0; i < 20; ++i) {
        calls.push_back(std::async(std::launch::async, [&] {
            auto why = askRunningInstance(socket, 20);
            ++ended;
            return why;
        }));
    }
    auto answering = std::async(std::launch::async, [&] {
        pollfd ring{listener->fd(), POLLIN, 0};
        while (ended < 20 && ::poll(&ring, 1, 100) >= 0) listener->answer();
    });
    for (auto& call : calls) EXPECT_EQ(call.get(), "");
    answering.get();
}

// A caller that connected, before the program ran short of descriptors.
int connectTo(const fs::path& socket) {
    const int fd = ::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
    sockaddr_un address{};
    address.sun_family = AF_UNIX;
    std::strcpy(address.sun_path, socket.c_str());
    return ::connect(fd, reinterpret_cast<const sockaddr*>(&address), sizeof address) == 0 ? fd : -1;
}

// Short of descriptors the program turns a call away, with an answer, without asking for its
// panel and without leaving the call waiting (which would wake it again and again).
TEST(InstanceHandover, aProgramShortOfDescriptorsTurnsACallAwayAndIsNotWokenAgain) {
    testfiles::TemporaryFolder folder;
    const fs::path socket = folder / "tuftle.socket";
    std::string problem;
    const auto listener = HandoverListener::listen(socket, problem);
    ASSERT_TRUE(listener) << problem;
    rlimit saved{};
    ASSERT_EQ(::getrlimit(RLIMIT_NOFILE, &saved), 0);
    const struct {
        const char* what;
        int leftFree;  // after filling every descriptor the limit allows
        bool answered;
    } rows[] = {{"every descriptor in use", 0, false}, {"two left", 2, false}, {"plenty left", -1, true}};
    for (const auto& row : rows) {
        SCOPED_TRACE(row.what);
        const int caller = connectTo(socket);
        ASSERT_GE(caller, 0);
        std::vector<int> filler;
        if (row.leftFree >= 0) {
            rlimit low = saved;
            low.rlim_cur = 256;
            ASSERT_EQ(::setrlimit(RLIMIT_NOFILE, &low), 0);
            for (int fd; (fd = ::dup(caller)) >= 0;) filler.push_back(fd);
            for (int i = 0; i < row.leftFree; ++i) {
                ::close(filler.back());
                filler.pop_back();
            }
        }
        const bool answered = listener->answer();
        pollfd ring{listener->fd(), POLLIN, 0};
        const int stillWaiting = ::poll(&ring, 1, 0);
        for (const int fd : filler) ::close(fd);
        ::setrlimit(RLIMIT_NOFILE, &saved);
        EXPECT_EQ(answered, row.answered);
        EXPECT_EQ(stillWaiting, 0) << "the call is left waiting";
        char answer = 0;
        EXPECT_EQ(::recv(caller, &answer, 1, MSG_DONTWAIT), 1) << "the caller gets no answer";
        ::close(caller);
    }
    EXPECT_NE(askRunningInstance(socket, 0.2), "") << "a listener that does not answer";
}

}  // namespace
}  // namespace platform
