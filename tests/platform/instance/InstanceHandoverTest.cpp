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
    Reason problem;
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
    Reason problem;
    {
        const auto killed = HandoverListener::listen(socket, problem);
        ASSERT_TRUE(killed) << problem;
        ASSERT_EQ(::link(socket.c_str(), (folder / "left").c_str()), 0);
    }
    fs::rename(folder / "left", socket);
    EXPECT_FALSE(askRunningInstance(socket, 1, HandoverRequest::openPanel).answered()) << "a killed instance's socket";

    const auto listener = HandoverListener::listen(socket, problem);
    ASSERT_TRUE(listener) << problem;
    EXPECT_FALSE(listener->answer()) << "no call yet";
    auto call =
        std::async(std::launch::async, [&] { return askRunningInstance(socket, 10, HandoverRequest::openPanel); });
    pollfd ring{listener->fd(), POLLIN, 0};
    bool panelAsked = false;
    while (call.wait_for(std::chrono::seconds(0)) != std::future_status::ready)
        if (::poll(&ring, 1, 50) == 1) panelAsked = listener->answer() || panelAsked;
    EXPECT_TRUE(panelAsked);
    EXPECT_EQ(call.get().why.english(), "");

    const auto unanswered = askRunningInstance(socket, 0.2, HandoverRequest::openPanel);
    EXPECT_EQ(unanswered.outcome, HandoverCall::Outcome::unanswered) << "a listener that does not answer";
    EXPECT_TRUE(listener->answer()) << "the late call is answered, to a caller that left";
    EXPECT_FALSE(fs::exists(folder / "missing.socket"));
    EXPECT_FALSE(askRunningInstance(folder / "missing.socket", 0.3, HandoverRequest::openPanel).answered());
}

// Many second starts at once all reach the listener: none is turned away by a full queue.
TEST(InstanceHandover, twentyStartsAtOnceAreAllAnswered) {
    testfiles::TemporaryFolder folder;
    const fs::path socket = folder / "tuftle.socket";
    Reason problem;
    const auto listener = HandoverListener::listen(socket, problem);
    ASSERT_TRUE(listener) << problem;
    std::atomic<int> ended = 0;
    std::vector<std::future<std::string>> calls;
    for (int i = 0; i < 20; ++i) {
        calls.push_back(std::async(std::launch::async, [&, i] {
            auto why = askRunningInstance(socket, 20, i % 2 ? HandoverRequest::openPanel : HandoverRequest::onlyAnswer)
                           .why.english();
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

// A caller that connected, and sent `request` unless it is empty: the byte that asks for the
// panel ('p') or only for an answer ('a').
int connectTo(const fs::path& socket, std::string_view request) {
    const int fd = ::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
    sockaddr_un address{};
    address.sun_family = AF_UNIX;
    std::strcpy(address.sun_path, socket.c_str());
    if (::connect(fd, reinterpret_cast<const sockaddr*>(&address), sizeof address) != 0 ||
        ::send(fd, request.data(), request.size(), MSG_NOSIGNAL) != static_cast<ssize_t>(request.size())) {
        ::close(fd);
        return -1;
    }
    return fd;
}

bool readable(int fd) {
    pollfd ring{fd, POLLIN, 0};
    return ::poll(&ring, 1, 0) == 1;
}

// Only a call that asks for the panel opens it; one that only asks for an answer gets one all the
// same. A call taken before its request came waits for it without waking the program meanwhile,
// as do callers beyond those it keeps waiting; one that leaves without a request is let go.
TEST(InstanceHandover, onlyACallThatAsksForThePanelOpensIt) {
    testfiles::TemporaryFolder folder;
    const fs::path socket = folder / "tuftle.socket";
    Reason problem;
    const auto listener = HandoverListener::listen(socket, problem);
    ASSERT_TRUE(listener) << problem;
    const struct {
        const char* what;
        HandoverRequest request;
        bool panel;
    } rows[] = {{"a plain start", HandoverRequest::openPanel, true},
                {"a start the user did not ask for", HandoverRequest::onlyAnswer, false}};
    for (const auto& row : rows) {
        SCOPED_TRACE(row.what);
        auto call = std::async(std::launch::async, [&] { return askRunningInstance(socket, 10, row.request); });
        pollfd ring{listener->fd(), POLLIN, 0};
        bool panelAsked = false;
        while (call.wait_for(std::chrono::seconds(0)) != std::future_status::ready)
            if (::poll(&ring, 1, 50) == 1) panelAsked = listener->answer() || panelAsked;
        EXPECT_EQ(call.get().why.english(), "");
        EXPECT_EQ(panelAsked, row.panel);

        // Twelve callers that connected and have not asked yet.
        std::vector<int> callers;
        for (int i = 0; i < 12; ++i) callers.push_back(connectTo(socket, ""));
        ASSERT_EQ(std::count(callers.begin(), callers.end(), -1), 0);
        EXPECT_FALSE(listener->answer()) << "nothing was asked yet";
        EXPECT_FALSE(readable(listener->fd())) << "woken again before a request came";
        const std::string request = row.request == HandoverRequest::openPanel ? "p" : "a";
        for (const int caller : callers) ASSERT_EQ(::send(caller, request.data(), 1, MSG_NOSIGNAL), 1);
        panelAsked = false;
        for (size_t answered = 0; answered < callers.size();) {
            ASSERT_EQ(::poll(&ring, 1, 10000), 1) << answered << " answered, then nothing woke the program";
            panelAsked = listener->answer() || panelAsked;
            answered = std::count_if(callers.begin(), callers.end(), [](int caller) { return readable(caller); });
        }
        EXPECT_EQ(panelAsked, row.panel);
        for (const int caller : callers) {
            char answer = 0;
            EXPECT_EQ(::recv(caller, &answer, 1, MSG_DONTWAIT), 1);
            ::close(caller);
        }
    }
    const int leaving = connectTo(socket, "");
    EXPECT_FALSE(listener->answer());
    ::close(leaving);
    pollfd ring{listener->fd(), POLLIN, 0};
    ASSERT_EQ(::poll(&ring, 1, 10000), 1);
    EXPECT_FALSE(listener->answer());
    EXPECT_FALSE(readable(listener->fd())) << "a caller that left keeps waking the program";
}

// Short of descriptors the program turns a call away, with an answer, without asking for its
// panel and without leaving the call waiting (which would wake it again and again).
TEST(InstanceHandover, aProgramShortOfDescriptorsTurnsACallAwayAndIsNotWokenAgain) {
    testfiles::TemporaryFolder folder;
    const fs::path socket = folder / "tuftle.socket";
    Reason problem;
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
        const int caller = connectTo(socket, "p");
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
    EXPECT_FALSE(askRunningInstance(socket, 0.2, HandoverRequest::openPanel).answered())
        << "a listener that does not answer";
}

}  // namespace
}  // namespace platform
