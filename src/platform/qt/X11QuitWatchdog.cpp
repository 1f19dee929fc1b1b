#include "platform/qt/X11QuitWatchdog.h"

#include <atomic>
#include <cerrno>
#include <chrono>
#include <condition_variable>
#include <cstdio>
#include <mutex>
#include <set>
#include <thread>

#include <fcntl.h>
#include <sys/socket.h>
#include <unistd.h>

namespace platform::qt::x11QuitWatchdog {
namespace {

// How long the main thread has to take a signalled quit up before the connections are cut.
constexpr auto kTakeUpWithin = std::chrono::seconds(1);

enum class Quit { notTaken, taken, cut };

struct Watch {
    std::mutex mutex;
    std::condition_variable taken;
    Quit quit = Quit::notTaken;
    std::set<int> sockets;  // duplicates of the connections' sockets
};

// Never destroyed: the thread may still look at it while the process exits.
Watch& watch() {
    static auto* shared = new Watch;
    return *shared;
}

// The end of the pipe the signal handler writes to; -1 until the thread waits on the other end.
std::atomic<int> armEnd{-1};
static_assert(std::atomic<int>::is_always_lock_free);

void waitForSignal(int readEnd) {
    char byte = 0;
    ssize_t n;
    while ((n = ::read(readEnd, &byte, 1)) < 0 && errno == EINTR) {
    }
    if (n != 1) return;
    auto& w = watch();
    std::unique_lock lock(w.mutex);
    if (w.taken.wait_for(lock, kTakeUpWithin, [&w] { return w.quit != Quit::notTaken; })) return;
    w.quit = Quit::cut;
    std::fprintf(stderr, "tuftle: the quit was not taken up within %lld s; cutting the X connections\n",
                 static_cast<long long>(kTakeUpWithin.count()));
    for (int socket : w.sockets) ::shutdown(socket, SHUT_RDWR);
}

}  // namespace

void start() {
    static const bool started = [] {
        int ends[2];
        if (::pipe2(ends, O_CLOEXEC) != 0) return false;
        ::fcntl(ends[1], F_SETFL, O_NONBLOCK);
        std::thread(waitForSignal, ends[0]).detach();
        armEnd.store(ends[1]);
        return true;
    }();
    (void)started;
}

void arm() {
    const int end = armEnd.load();
    if (end < 0) return;
    const int savedErrno = errno;
    const char byte = 1;
    [[maybe_unused]] auto n = ::write(end, &byte, 1);
    errno = savedErrno;
}

bool takeQuitOver() {
    auto& w = watch();
    std::lock_guard lock(w.mutex);
    if (w.quit == Quit::notTaken) {
        w.quit = Quit::taken;
        w.taken.notify_all();
    }
    return w.quit == Quit::taken;
}

bool cutForQuit() {
    auto& w = watch();
    std::lock_guard lock(w.mutex);
    return w.quit == Quit::cut;
}

CuttableConnection::CuttableConnection(int socket) {
    if (socket < 0) return;
    duplicate_ = ::fcntl(socket, F_DUPFD_CLOEXEC, 0);
    if (duplicate_ < 0) return;
    auto& w = watch();
    std::lock_guard lock(w.mutex);
    w.sockets.insert(duplicate_);
    if (w.quit == Quit::cut) ::shutdown(duplicate_, SHUT_RDWR);
}

CuttableConnection::~CuttableConnection() {
    if (duplicate_ < 0) return;
    {
        auto& w = watch();
        std::lock_guard lock(w.mutex);
        w.sockets.erase(duplicate_);
    }
    ::close(duplicate_);
}

}  // namespace platform::qt::x11QuitWatchdog
