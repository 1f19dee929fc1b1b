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
#include <optional>
#include <thread>
#include <utility>
#include <vector>

#include "TestFiles.h"
#include "model/L10nTestSupport.h"
#include "platform/instance/InstanceLock.h"

namespace platform {
namespace {

namespace fs = std::filesystem;

// Answers calls until `call` has ended; true when one asked for the panel.
bool answerUntilEnded(HandoverListener& listener, std::future<HandoverCall>& call) {
    pollfd ring{listener.fd(), POLLIN, 0};
    bool panelAsked = false;
    while (call.wait_for(std::chrono::seconds(0)) != std::future_status::ready)
        if (::poll(&ring, 1, 50) == 1) panelAsked = listener.answer() || panelAsked;
    return panelAsked;
}

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
    EXPECT_TRUE(answerUntilEnded(*listener, call));
    EXPECT_EQ(call.get().why.english(), "");

    const auto unanswered = askRunningInstance(socket, 0.2, HandoverRequest::openPanel);
    EXPECT_EQ(unanswered.outcome, HandoverCall::Outcome::unanswered) << "a listener that does not answer";
    EXPECT_FALSE(listener->answer()) << "the late call of a caller that left opens the panel";
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

// The byte `caller` was answered with; 0 for none yet, or for a hang-up.
char answerTo(int caller) {
    char answer = 0;
    return ::recv(caller, &answer, 1, MSG_DONTWAIT) == 1 ? answer : 0;
}

// A listener at a socket in a folder of the test's own, whose callers have `requestWait` to ask.
struct Listening {
    explicit Listening(std::chrono::nanoseconds requestWait)
        : listener(HandoverListener::listen(socket, problem, requestWait)) {}
    testfiles::TemporaryFolder folder;
    fs::path socket = folder / "tuftle.socket";
    Reason problem;
    std::unique_ptr<HandoverListener> listener;
};

// Only a call that asks for the panel opens it; one that only asks for an answer gets one all the
// same. A call taken before its request came waits for it without waking the program meanwhile;
// one that leaves without a request is let go.
TEST(InstanceHandover, onlyACallThatAsksForThePanelOpensIt) {
    testfiles::TemporaryFolder folder;
    const fs::path socket = folder / "tuftle.socket";
    Reason problem;
    const auto listener = HandoverListener::listen(socket, problem, std::chrono::minutes(1));
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
        bool panelAsked = answerUntilEnded(*listener, call);
        EXPECT_EQ(call.get().why.english(), "");
        EXPECT_EQ(panelAsked, row.panel);

        // Eight callers that connected and have not asked yet.
        std::vector<int> callers;
        for (int i = 0; i < 8; ++i) callers.push_back(connectTo(socket, ""));
        ASSERT_EQ(std::count(callers.begin(), callers.end(), -1), 0);
        EXPECT_FALSE(listener->answer()) << "nothing was asked yet";
        EXPECT_FALSE(readable(listener->fd())) << "woken again before a request came";
        const std::string request = row.request == HandoverRequest::openPanel ? "p" : "a";
        for (const int caller : callers) ASSERT_EQ(::send(caller, request.data(), 1, MSG_NOSIGNAL), 1);
        panelAsked = false;
        pollfd ring{listener->fd(), POLLIN, 0};
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

// Callers that connect and say nothing, however many and however long they stay, keep no start
// out: the call of a start beside them is answered within the start's own wait.
TEST(InstanceHandover, silentCallersKeepNoStartOut) {
    const struct {
        const char* what;
        int silent;
        HandoverRequest request;
    } rows[] = {{"eight silent callers, then a plain start", 8, HandoverRequest::openPanel},
                {"fifty silent callers, then a plain start", 50, HandoverRequest::openPanel},
                {"fifty silent callers, then a start at login", 50, HandoverRequest::onlyAnswer},
                {"five hundred silent callers, then a plain start", 500, HandoverRequest::openPanel}};
    for (const auto& row : rows) {
        SCOPED_TRACE(row.what);
        // Their wait is never over here, so only the start's call may open the panel.
        Listening at(std::chrono::minutes(1));
        ASSERT_TRUE(at.listener) << at.problem;
        auto& listener = at.listener;
        const auto& socket = at.socket;
        std::vector<int> silent;
        for (int i = 0; i < row.silent; ++i) {
            silent.push_back(connectTo(socket, ""));
            // Taken a few at a time, as the program's loop gets to them.
            if (i % 16 == 15) {
                EXPECT_FALSE(listener->answer());
            }
        }
        EXPECT_EQ(std::count(silent.begin(), silent.end(), -1), 0);
        EXPECT_FALSE(listener->answer());
        auto call = std::async(std::launch::async, [&] { return askRunningInstance(socket, 5, row.request); });
        const bool panelAsked = answerUntilEnded(*listener, call);
        EXPECT_EQ(call.get().why.english(), "");
        EXPECT_EQ(panelAsked, row.request == HandoverRequest::openPanel);
        for (const int caller : silent) ::close(caller);
    }
}

// With every place for a silent caller taken, the oldest gives way to the newest, which may be a
// start that lost the processor between connecting and asking.
TEST(InstanceHandover, theOldestSilentCallerGivesWayToTheNewest) {
    Listening at(std::chrono::minutes(1));
    ASSERT_TRUE(at.listener) << at.problem;
    std::vector<int> callers;
    for (int i = 0; i < 16; ++i) {
        callers.push_back(connectTo(at.socket, ""));
        ASSERT_GE(callers.back(), 0);
        EXPECT_FALSE(at.listener->answer());
    }
    const auto hungUp = [](int caller) {
        char answer = 0;
        return ::recv(caller, &answer, 1, MSG_DONTWAIT) == 0;
    };
    for (size_t i = 0; i < callers.size(); ++i) EXPECT_EQ(hungUp(callers[i]), i < 8) << "caller " << i;
    const std::vector<int> newest(callers.begin() + 8, callers.end());
    for (const int caller : newest) ASSERT_EQ(::send(caller, "a", 1, MSG_NOSIGNAL), 1);
    pollfd ring{at.listener->fd(), POLLIN, 0};
    while (!std::all_of(newest.begin(), newest.end(), readable)) {
        ASSERT_EQ(::poll(&ring, 1, 10000), 1) << "the newest callers' requests did not wake the program";
        EXPECT_FALSE(at.listener->answer());
    }
    for (const int caller : newest) EXPECT_EQ(answerTo(caller), 'k');
    for (const int caller : callers) ::close(caller);
}

// A flood of calls is taken over several turns of the program's loop, so that it does not hold
// the program up; the listener stays readable for the rest, and every caller is answered.
TEST(InstanceHandover, aFloodOfCallsIsTakenOverSeveralTurns) {
    Listening at(std::chrono::minutes(1));
    ASSERT_TRUE(at.listener) << at.problem;
    std::vector<int> callers;
    for (int i = 0; i < 100; ++i) {
        callers.push_back(connectTo(at.socket, "a"));
        ASSERT_GE(callers.back(), 0);
    }
    const auto answered = [&] { return size_t(std::count_if(callers.begin(), callers.end(), readable)); };
    EXPECT_FALSE(at.listener->answer());
    EXPECT_LT(answered(), callers.size()) << "the whole flood was taken in one turn";
    EXPECT_TRUE(readable(at.listener->fd())) << "nothing wakes the program for the rest";
    for (int turns = 1; turns < 50 && answered() < callers.size(); ++turns) EXPECT_FALSE(at.listener->answer());
    EXPECT_EQ(answered(), callers.size());
    for (const int caller : callers) {
        EXPECT_EQ(answerTo(caller), 'k');
        ::close(caller);
    }
}

// Calls `listener` with `request` ("" for none) and answers calls until this one is answered;
// whether the panel was asked for, with the answer, or nothing when no answer came.
std::optional<std::pair<bool, char>> callAndServe(HandoverListener& listener, const fs::path& socket,
                                                  std::string_view request) {
    const int caller = connectTo(socket, request);
    if (caller < 0) return std::nullopt;
    bool panelAsked = false;
    pollfd ring{listener.fd(), POLLIN, 0};
    for (int turns = 0; turns < 100 && !readable(caller) && ::poll(&ring, 1, 1000) == 1; ++turns)
        panelAsked = listener.answer() || panelAsked;
    const char answer = answerTo(caller);
    ::close(caller);
    if (answer == 0) return std::nullopt;
    return std::pair{panelAsked, answer};
}

// Calls that say nothing open the panel at most once a pause, so that a program that keeps
// calling cannot keep it open against the user; each is answered all the same, and a start that
// asks for the panel is never held back.
TEST(InstanceHandover, silentCallsOpenThePanelAtMostOnceAPause) {
    using namespace std::chrono_literals;
    const struct {
        const char* what;
        std::chrono::nanoseconds pause;
        std::string_view second;  // after a silent call; "" for another silent one
        std::chrono::milliseconds between;
        bool secondOpens;
    } rows[] = {{"a silent call again at once", 1min, "", 0ms, false},
                {"a silent call again once the pause is over", 50ms, "", 100ms, true},
                {"a plain start right after a silent call", 1min, "p", 0ms, true}};
    for (const auto& row : rows) {
        SCOPED_TRACE(row.what);
        testfiles::TemporaryFolder folder;
        const fs::path socket = folder / "tuftle.socket";
        Reason problem;
        const auto listener = HandoverListener::listen(socket, problem, 20ms, row.pause);
        ASSERT_TRUE(listener) << problem;
        const auto first = callAndServe(*listener, socket, "");
        ASSERT_TRUE(first) << "the first silent call was not answered";
        EXPECT_EQ(*first, std::pair(true, 'k'));
        std::this_thread::sleep_for(row.between);
        const auto second = callAndServe(*listener, socket, row.second);
        ASSERT_TRUE(second) << "the second call was not answered";
        EXPECT_EQ(*second, std::pair(row.secondOpens, 'k'));
    }
}

// A caller that says nothing until its wait is over is an older version, which asks for the panel
// by calling and waits for the answer. A start that asked and hung up before it was served gave
// up and told the user so: no panel opens for it.
TEST(InstanceHandover, aSilentCallerIsServedAsAnOlderVersionAndOneThatLeftIsNot) {
    Listening at(std::chrono::milliseconds(20));
    ASSERT_TRUE(at.listener) << at.problem;
    auto& listener = at.listener;
    const struct {
        const char* what;
        std::string_view request;
        bool keptFirst;  // taken before it asks
        bool hangsUp;
        bool panel;
    } rows[] = {{"an older version, which asks nothing and waits", "", false, false, true},
                {"a start that asked for the panel and gave up before it was taken", "p", false, true, false},
                {"a start that asked for the panel and gave up while it was kept", "p", true, true, false}};
    for (const auto& row : rows) {
        SCOPED_TRACE(row.what);
        const int caller = connectTo(at.socket, row.keptFirst ? "" : row.request);
        ASSERT_GE(caller, 0);
        bool panelAsked = false;
        if (row.keptFirst) {
            panelAsked = listener->answer();
            ASSERT_EQ(::send(caller, row.request.data(), row.request.size(), MSG_NOSIGNAL), 1);
        }
        if (row.hangsUp) ::close(caller);
        // Until it is served; then nothing wakes the program.
        pollfd ring{listener->fd(), POLLIN, 0};
        for (int turns = 0; turns < 10 && ::poll(&ring, 1, 200) == 1; ++turns)
            panelAsked = listener->answer() || panelAsked;
        EXPECT_FALSE(readable(listener->fd())) << "woken again and again";
        EXPECT_EQ(panelAsked, row.panel);
        if (row.hangsUp) continue;
        EXPECT_EQ(answerTo(caller), 'k');
        ::close(caller);
    }
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
    } rows[] = {{"every descriptor in use", 0, false},
                {"every descriptor in use again, after the spare was used", 0, false},
                {"two left", 2, false},
                {"plenty left", -1, true}};
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
