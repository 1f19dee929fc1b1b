#include "platform/instance/InstanceHandover.h"

#include <fcntl.h>
#include <poll.h>
#include <sys/epoll.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/timerfd.h>
#include <sys/un.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <cstdint>
#include <cstring>
#include <ctime>
#include <fstream>
#include <sstream>
#include <thread>
#include <vector>

#include "platform/instance/InstanceLock.h"
#include "platform/instance/RuntimeFolder.h"

namespace platform {
namespace {

namespace fs = std::filesystem;
using Clock = std::chrono::steady_clock;

constexpr char kOpenPanel = 'p';
constexpr char kOnlyAnswer = 'a';
constexpr char kAnswer = 'k';
constexpr char kOutOfDescriptors = 'f';
// Calls taken before their request came. Their callers send it right after connecting, so only
// a start that has lost the processor waits; past these, the oldest gives way.
constexpr size_t kWaitingCalls = 8;
// Calls taken in one turn: a flood of them does not hold the program up, and the rest are taken
// in the next turns.
constexpr int kCallsATurn = 64;
// Descriptors the program must have free to open its panel (windows, the toolkit's wake-ups).
constexpr int kPanelDescriptors = 16;
// Between two tries of a caller whose instance does not listen yet.
constexpr auto kRetryPause = std::chrono::milliseconds(50);

Reason nameTooLong(const fs::path& socket) {
    return Reason("the name {0} is too long for a socket", {socket});
}

Reason cannotMakeASocket(int error) {
    return Reason::failed(Reason("cannot make a socket"), error);
}

bool addressOf(const fs::path& socket, sockaddr_un& address) {
    address = {};
    address.sun_family = AF_UNIX;
    if (socket.native().size() >= sizeof address.sun_path) return false;
    std::memcpy(address.sun_path, socket.c_str(), socket.native().size());
    return true;
}

bool hasPanelDescriptors(int fd) {
    std::vector<int> taken;
    for (int i = 0; i < kPanelDescriptors; ++i) {
        const int copy = ::fcntl(fd, F_DUPFD_CLOEXEC, 0);
        if (copy < 0) break;
        taken.push_back(copy);
    }
    for (const int copy : taken) ::close(copy);
    return taken.size() == kPanelDescriptors;
}

int openSpare() {
    return ::open("/dev/null", O_RDONLY | O_CLOEXEC);
}

// False when the caller has hung up.
bool sendAnswer(int call, char answer) {
    return ::send(call, &answer, 1, MSG_NOSIGNAL | MSG_DONTWAIT) == 1;
}

std::chrono::nanoseconds monotonicNow() {
    timespec now{};
    ::clock_gettime(CLOCK_MONOTONIC, &now);
    return std::chrono::seconds(now.tv_sec) + std::chrono::nanoseconds(now.tv_nsec);
}

}  // namespace

std::string handoverSocketName(const fs::path& settingsFile) {
    return InstanceLock::runtimeName(settingsFile) + ".socket";
}

std::optional<fs::path> handoverSocketPath(const fs::path& settingsFile, Reason& problem) {
    const auto runtime = privateRuntimeFolder(problem);
    if (!runtime) return std::nullopt;
    return *runtime / handoverSocketName(settingsFile);
}

std::unique_ptr<HandoverListener> HandoverListener::listen(const fs::path& socket, Reason& problem,
                                                           std::chrono::nanoseconds requestWait,
                                                           std::chrono::nanoseconds silentPanelPause) {
    sockaddr_un address;
    if (!addressOf(socket, address)) {
        problem = nameTooLong(socket);
        return nullptr;
    }
    int ready = -1, deadline = -1, fd = -1;
    const auto closeAll = [&] {
        for (const int open : {fd, deadline, ready})
            if (open >= 0) ::close(open);
    };
    ready = ::epoll_create1(EPOLL_CLOEXEC);
    if (ready >= 0) deadline = ::timerfd_create(CLOCK_MONOTONIC, TFD_NONBLOCK | TFD_CLOEXEC);
    epoll_event ring{EPOLLIN, {.fd = deadline}};
    if (deadline < 0 || ::epoll_ctl(ready, EPOLL_CTL_ADD, deadline, &ring) != 0) {
        problem = Reason::failed(Reason("cannot wait for calls"), errno);
        closeAll();
        return nullptr;
    }
    fd = ::socket(AF_UNIX, SOCK_STREAM | SOCK_NONBLOCK | SOCK_CLOEXEC, 0);
    if (fd < 0) {
        problem = cannotMakeASocket(errno);
        closeAll();
        return nullptr;
    }
    // Only the lock's holder gets here: a socket of this user's found is a killed instance's.
    struct stat st {};
    if (::lstat(socket.c_str(), &st) == 0 && S_ISSOCK(st.st_mode) && st.st_uid == ::geteuid()) ::unlink(socket.c_str());
    const mode_t mask = ::umask(0077);
    const bool bound = ::bind(fd, reinterpret_cast<const sockaddr*>(&address), sizeof address) == 0;
    const int error = errno;
    ::umask(mask);
    epoll_event watch{EPOLLIN, {.fd = fd}};
    if (!bound || ::listen(fd, SOMAXCONN) != 0 || ::epoll_ctl(ready, EPOLL_CTL_ADD, fd, &watch) != 0) {
        problem = Reason::failed(Reason("cannot listen at {0}", {socket}), bound ? errno : error);
        if (bound) ::unlink(socket.c_str());
        closeAll();
        return nullptr;
    }
    std::unique_ptr<HandoverListener> listener(
        new HandoverListener(fd, ready, deadline, socket, requestWait, silentPanelPause));
    listener->spare_ = openSpare();
    return listener;
}

HandoverListener::~HandoverListener() {
    for (const auto& waiting : waiting_) ::close(waiting.call);
    ::close(listening_);
    ::close(deadline_);
    ::close(ready_);
    if (spare_ >= 0) ::close(spare_);
    ::unlink(socket_.c_str());
}

bool HandoverListener::serve(int call, bool waitOver, bool& panelAsked) {
    char request = 0;
    bool silent = false;
    ssize_t got;
    do {
        got = ::recv(call, &request, 1, MSG_DONTWAIT);
    } while (got < 0 && errno == EINTR);
    if (got < 0 && (errno == EAGAIN || errno == EWOULDBLOCK)) {
        if (!waitOver) return false;
        // A version from before the request byte sends none and waits for its answer.
        request = kOpenPanel;
        got = 1;
        silent = true;
    }
    if (got == 1 && request == kOnlyAnswer) {
        sendAnswer(call, kAnswer);
    } else if (got == 1 && request == kOpenPanel) {
        const bool room = hasPanelDescriptors(listening_);
        // A caller that hung up has given up and said so: a panel opened for it would come unasked.
        const bool told = sendAnswer(call, room ? kAnswer : kOutOfDescriptors);
        bool opens = room && told;
        if (opens && silent) {
            // Answered all the same: only the panel waits out the pause.
            const auto now = monotonicNow();
            opens = !silentPanelOpened_ || now - *silentPanelOpened_ >= silentPanelPause_;
            if (opens) silentPanelOpened_ = now;
        }
        panelAsked = panelAsked || opens;
    }
    // Anything else, or a caller that left, goes unanswered.
    ::close(call);
    return true;
}

void HandoverListener::keep(int call) {
    if (waiting_.size() == kWaitingCalls) {
        // The oldest gives way, never the newest: callers that stay silent keep no start out.
        ::close(waiting_.front().call);
        waiting_.erase(waiting_.begin());
    }
    epoll_event watch{EPOLLIN, {.fd = call}};
    if (::epoll_ctl(ready_, EPOLL_CTL_ADD, call, &watch) == 0)
        waiting_.push_back({call, monotonicNow() + requestWait_});
    else
        ::close(call);
}

void HandoverListener::armDeadline() {
    // Zero disarms it: nothing wakes the program while no call waits.
    itimerspec when{};
    if (!waiting_.empty()) {
        const auto until = waiting_.front().until;
        const auto seconds = std::chrono::duration_cast<std::chrono::seconds>(until);
        when.it_value = {static_cast<time_t>(seconds.count()), static_cast<long>((until - seconds).count())};
    }
    ::timerfd_settime(deadline_, TFD_TIMER_ABSTIME, &when, nullptr);
}

bool HandoverListener::answer() {
    bool panelAsked = false;
    if (spare_ < 0) spare_ = openSpare();
    std::uint64_t expired = 0;
    [[maybe_unused]] const auto drained = ::read(deadline_, &expired, sizeof expired);
    const auto now = monotonicNow();
    // A call served is closed, which takes it out of the epoll set too.
    std::erase_if(waiting_,
                  [&](const Waiting& waiting) { return serve(waiting.call, waiting.until <= now, panelAsked); });
    for (int taken = 0; taken < kCallsATurn; ++taken) {
        int call = ::accept4(listening_, nullptr, nullptr, SOCK_NONBLOCK | SOCK_CLOEXEC);
        bool crowded = false;
        if (call < 0 && (errno == EMFILE || errno == ENFILE) && spare_ >= 0) {
            // Out of descriptors: the spare makes room to take the call and turn it away, or it
            // would stay waiting and keep the descriptor readable.
            ::close(spare_);
            call = ::accept4(listening_, nullptr, nullptr, SOCK_NONBLOCK | SOCK_CLOEXEC);
            crowded = true;
        }
        if (call < 0) {
            const int error = errno;
            if (crowded) spare_ = openSpare();
            if (error == EINTR || error == ECONNABORTED) continue;
            break;
        }
        ucred peer{};
        socklen_t length = sizeof peer;
        const bool ours = ::getsockopt(call, SOL_SOCKET, SO_PEERCRED, &peer, &length) == 0 && peer.uid == ::geteuid();
        if (!ours || crowded) {
            // Another user's call goes unanswered; one taken with the spare is turned away at once,
            // so that the spare is back for the next.
            if (ours) sendAnswer(call, kOutOfDescriptors);
            ::close(call);
        } else if (!serve(call, false, panelAsked)) {
            keep(call);
        }
        if (crowded) spare_ = openSpare();
    }
    armDeadline();
    return panelAsked;
}

HandoverCall askRunningInstance(const fs::path& socket, double timeout, HandoverRequest request) {
    using Outcome = HandoverCall::Outcome;
    sockaddr_un address;
    if (!addressOf(socket, address)) return {Outcome::failed, nameTooLong(socket)};
    const auto deadline =
        Clock::now() + std::chrono::duration_cast<Clock::duration>(std::chrono::duration<double>(timeout));
    const auto remaining = [&] { return std::max<Clock::duration>(Clock::duration::zero(), deadline - Clock::now()); };
    while (true) {
        // Believed only where no other user could have put it.
        struct stat st {};
        if (::lstat(socket.c_str(), &st) == 0 || errno != ENOENT) {
            if (auto problem = ownFileProblem(socket, S_IFSOCK); !problem.empty())
                return {Outcome::notThisUsers, problem};
        }
        const int fd = ::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
        if (fd < 0) return {Outcome::failed, cannotMakeASocket(errno)};
        // A connect to a listener whose queue is full blocks until there is room, or this long.
        // At least a moment: a zero timeout would wait for ever.
        const auto left =
            std::max<long long>(1000, std::chrono::duration_cast<std::chrono::microseconds>(remaining()).count());
        const timeval wait{static_cast<time_t>(left / 1000000), static_cast<suseconds_t>(left % 1000000)};
        ::setsockopt(fd, SOL_SOCKET, SO_SNDTIMEO, &wait, sizeof wait);
        if (::connect(fd, reinterpret_cast<const sockaddr*>(&address), sizeof address) != 0) {
            const int error = errno;
            ::close(fd);
            // Not listening yet (it is still starting), or busy: tried again until the time is up.
            const bool worthRetrying =
                error == ENOENT || error == ECONNREFUSED || error == EAGAIN || error == EINTR || error == EINPROGRESS;
            if (!worthRetrying || remaining() <= kRetryPause)
                return {Outcome::failed, Reason::failed(Reason("it does not listen at {0}", {socket}), error)};
            std::this_thread::sleep_for(kRetryPause);
            continue;
        }
        ucred peer{};
        socklen_t length = sizeof peer;
        if (::getsockopt(fd, SOL_SOCKET, SO_PEERCRED, &peer, &length) != 0 || peer.uid != ::geteuid()) {
            ::close(fd);
            return {Outcome::notThisUsers, Reason("the program listening at {0} is not this user's", {socket})};
        }
        const char asked = request == HandoverRequest::openPanel ? kOpenPanel : kOnlyAnswer;
        // One that fails leaves the call unanswered, which says enough.
        [[maybe_unused]] const auto sent = ::send(fd, &asked, 1, MSG_NOSIGNAL);
        pollfd ring{fd, POLLIN, 0};
        int ready;
        do {
            const auto ms = std::chrono::duration_cast<std::chrono::milliseconds>(remaining()).count();
            ready = ::poll(&ring, 1, static_cast<int>(ms));
        } while (ready < 0 && errno == EINTR);
        char answer = 0;
        HandoverCall call;
        const HandoverCall hungUp{Outcome::failed, Reason("it hung up without an answer")};
        if (ready == 0)
            call = {Outcome::unanswered, Reason("it did not answer")};
        else if (ready < 0 || ::recv(fd, &answer, 1, 0) != 1)
            call = hungUp;
        // Short of descriptors it runs all the same, which is all a start that only asks to be
        // answered wants to know.
        else if (answer == kOutOfDescriptors && request == HandoverRequest::openPanel)
            call = {Outcome::failed, Reason("it has run out of file descriptors")};
        else if (answer != kAnswer && answer != kOutOfDescriptors)
            call = hungUp;
        ::close(fd);
        return call;
    }
}

std::vector<fs::path> listeningSockets(const std::string& fileName) {
    // "Num RefCount Protocol Flags Type St Inode Path", one socket a line; a listening one has
    // the accepting flag (__SO_ACCEPTCON) among its flags.
    constexpr unsigned long kAccepting = 0x10000;
    std::vector<fs::path> sockets;
    std::ifstream table("/proc/net/unix");
    std::string line;
    std::getline(table, line);
    while (std::getline(table, line)) {
        std::istringstream fields(line);
        std::string number, references, protocol, type, state, inode;
        unsigned long flags = 0;
        fields >> number >> references >> protocol >> std::hex >> flags >> type >> state >> inode;
        std::string path;
        std::getline(fields >> std::ws, path);
        if (!fields.fail() && (flags & kAccepting) != 0 && !path.empty() && path.front() == '/' &&
            fs::path(path).filename() == fileName && std::find(sockets.begin(), sockets.end(), path) == sockets.end())
            sockets.emplace_back(path);
    }
    return sockets;
}

}  // namespace platform
