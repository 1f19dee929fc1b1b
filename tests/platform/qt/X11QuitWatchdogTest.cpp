#include "platform/qt/X11QuitWatchdog.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>

#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

namespace {

using namespace platform::qt;

// Whether `socket` reads as ended, waiting for it to become readable at most `ms`.
bool ended(int socket, int ms) {
    pollfd ready{socket, POLLIN, 0};
    char byte = 0;
    return ::poll(&ready, 1, ms) == 1 && ::recv(socket, &byte, 1, MSG_DONTWAIT) == 0;
}

// How many threads this process runs.
size_t threads() {
    size_t n = 0;
    for ([[maybe_unused]] const auto& task : std::filesystem::directory_iterator("/proc/self/task")) ++n;
    return n;
}

// Whether the threads come back down to `count` within 10 s.
bool threadsBackTo(size_t count) {
    for (int i = 0; i < 1000; ++i, ::usleep(10'000))
        if (threads() == count) return true;
    return false;
}

// One signalled quit in a process of its own (the watchdog is one per process). Exits 0 when
// the connection was cut exactly when the main thread did not take the quit up.
[[noreturn]] void signalledQuit(bool takenUp) {
    int server[2];
    if (::socketpair(AF_UNIX, SOCK_STREAM, 0, server) != 0) std::_Exit(2);
    x11QuitWatchdog::CuttableConnection connection(server[0]);
    const size_t before = threads();
    x11QuitWatchdog::start();
    x11QuitWatchdog::arm();
    if (takenUp) {
        if (!x11QuitWatchdog::takeQuitOver()) std::_Exit(3);
        // The server's answer still arrives once the watchdog's thread has ended, when nothing
        // is left that could cut.
        if (!threadsBackTo(before)) std::_Exit(9);
        if (::write(server[1], "a", 1) != 1 || ended(server[0], 10'000)) std::_Exit(4);
        std::_Exit(x11QuitWatchdog::cutForQuit() ? 5 : 0);
    }
    if (!ended(server[0], 10'000)) std::_Exit(6);
    if (!x11QuitWatchdog::cutForQuit() || x11QuitWatchdog::takeQuitOver()) std::_Exit(7);
    // A connection made after the cut is cut at once.
    int later[2];
    if (::socketpair(AF_UNIX, SOCK_STREAM, 0, later) != 0) std::_Exit(2);
    x11QuitWatchdog::CuttableConnection laterConnection(later[0]);
    std::_Exit(ended(later[0], 0) ? 0 : 8);
}

TEST(X11QuitWatchdog, cutsTheConnectionsOnlyWhenTheSignalledQuitIsNotTakenUp) {
    for (const bool takenUp : {true, false}) {
        SCOPED_TRACE(takenUp ? "taken up" : "not taken up");
        EXPECT_EXIT(signalledQuit(takenUp), ::testing::ExitedWithCode(0), "");
    }
}

}  // namespace
