#include "platform/instance/InstanceHandover.h"

#include <fcntl.h>
#include <poll.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <cstring>
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

constexpr char kAnswer = 'k';
constexpr char kOutOfDescriptors = 'f';
// Descriptors the program must have free to open its panel (windows, the toolkit's wake-ups).
constexpr int kPanelDescriptors = 16;
// Between two tries of a caller whose instance does not listen yet.
constexpr auto kRetryPause = std::chrono::milliseconds(50);

std::string failed(const std::string& what, int error) {
    return what + " (" + std::strerror(error) + ")";
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

void sendAnswer(int call, char answer) {
    [[maybe_unused]] const auto sent = ::send(call, &answer, 1, MSG_NOSIGNAL | MSG_DONTWAIT);
}

}  // namespace

std::optional<fs::path> handoverSocketPath(const fs::path& settingsFile, std::string& problem) {
    const auto runtime = privateRuntimeFolder(problem);
    if (!runtime) return std::nullopt;
    return *runtime / (InstanceLock::runtimeName(settingsFile) + ".socket");
}

std::unique_ptr<HandoverListener> HandoverListener::listen(const fs::path& socket, std::string& problem) {
    sockaddr_un address;
    if (!addressOf(socket, address)) {
        problem = "the name " + socket.string() + " is too long for a socket";
        return nullptr;
    }
    const int fd = ::socket(AF_UNIX, SOCK_STREAM | SOCK_NONBLOCK | SOCK_CLOEXEC, 0);
    if (fd < 0) {
        problem = failed("cannot make a socket", errno);
        return nullptr;
    }
    // Only the lock's holder gets here: a socket of this user's found is a killed instance's.
    struct stat st {};
    if (::lstat(socket.c_str(), &st) == 0 && S_ISSOCK(st.st_mode) && st.st_uid == ::geteuid()) ::unlink(socket.c_str());
    const mode_t mask = ::umask(0077);
    const bool bound = ::bind(fd, reinterpret_cast<const sockaddr*>(&address), sizeof address) == 0;
    const int error = errno;
    ::umask(mask);
    if (!bound || ::listen(fd, SOMAXCONN) != 0) {
        problem = failed("cannot listen at " + socket.string(), bound ? errno : error);
        ::close(fd);
        return nullptr;
    }
    std::unique_ptr<HandoverListener> listener(new HandoverListener(fd, socket));
    listener->spare_ = openSpare();
    return listener;
}

HandoverListener::~HandoverListener() {
    ::close(fd_);
    if (spare_ >= 0) ::close(spare_);
    ::unlink(socket_.c_str());
}

bool HandoverListener::answer() {
    bool ours = false;
    if (spare_ < 0) spare_ = openSpare();
    while (true) {
        int call = ::accept4(fd_, nullptr, nullptr, SOCK_NONBLOCK | SOCK_CLOEXEC);
        bool crowded = false;
        if (call < 0 && (errno == EMFILE || errno == ENFILE) && spare_ >= 0) {
            // Out of descriptors: the spare makes room to take the call and turn it away, or it
            // would stay waiting and keep the descriptor readable.
            ::close(spare_);
            call = ::accept4(fd_, nullptr, nullptr, SOCK_NONBLOCK | SOCK_CLOEXEC);
            crowded = true;
        }
        if (call < 0) {
            const int error = errno;
            if (crowded) spare_ = openSpare();
            if (error == EINTR || error == ECONNABORTED) continue;
            return ours;
        }
        ucred peer{};
        socklen_t length = sizeof peer;
        if (::getsockopt(call, SOL_SOCKET, SO_PEERCRED, &peer, &length) == 0 && peer.uid == ::geteuid()) {
            if (!crowded && hasPanelDescriptors(fd_)) {
                ours = true;
                sendAnswer(call, kAnswer);
            } else {
                sendAnswer(call, kOutOfDescriptors);
            }
        }
        ::close(call);
        if (crowded) spare_ = openSpare();
    }
}

std::string askRunningInstance(const fs::path& socket, double timeout) {
    sockaddr_un address;
    if (!addressOf(socket, address)) return "the name " + socket.string() + " is too long for a socket";
    const auto deadline =
        Clock::now() + std::chrono::duration_cast<Clock::duration>(std::chrono::duration<double>(timeout));
    const auto remaining = [&] { return std::max<Clock::duration>(Clock::duration::zero(), deadline - Clock::now()); };
    std::string why;
    while (true) {
        // Believed only where no other user could have put it.
        struct stat st {};
        if (::lstat(socket.c_str(), &st) == 0 || errno != ENOENT) {
            if (auto problem = ownFileProblem(socket, S_IFSOCK); !problem.empty()) return problem;
        }
        const int fd = ::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
        if (fd < 0) return failed("cannot make a socket", errno);
        // A connect to a listener whose queue is full blocks until there is room, or this long.
        // At least a moment: a zero timeout would wait for ever.
        const auto left =
            std::max<long long>(1000, std::chrono::duration_cast<std::chrono::microseconds>(remaining()).count());
        const timeval wait{static_cast<time_t>(left / 1000000), static_cast<suseconds_t>(left % 1000000)};
        ::setsockopt(fd, SOL_SOCKET, SO_SNDTIMEO, &wait, sizeof wait);
        if (::connect(fd, reinterpret_cast<const sockaddr*>(&address), sizeof address) != 0) {
            const int error = errno;
            ::close(fd);
            why = failed("it does not listen at " + socket.string(), error);
            // Not listening yet (it is still starting), or busy: tried again until the time is up.
            const bool worthRetrying =
                error == ENOENT || error == ECONNREFUSED || error == EAGAIN || error == EINTR || error == EINPROGRESS;
            if (!worthRetrying || remaining() <= kRetryPause) return why;
            std::this_thread::sleep_for(kRetryPause);
            continue;
        }
        ucred peer{};
        socklen_t length = sizeof peer;
        if (::getsockopt(fd, SOL_SOCKET, SO_PEERCRED, &peer, &length) != 0 || peer.uid != ::geteuid()) {
            ::close(fd);
            return "the program listening at " + socket.string() + " is not this user's";
        }
        pollfd ring{fd, POLLIN, 0};
        int ready;
        do {
            const auto ms = std::chrono::duration_cast<std::chrono::milliseconds>(remaining()).count();
            ready = ::poll(&ring, 1, static_cast<int>(ms));
        } while (ready < 0 && errno == EINTR);
        char answer = 0;
        if (ready == 0)
            why = "it did not answer within " + std::to_string(static_cast<int>(timeout)) + " s";
        else if (ready < 0 || ::recv(fd, &answer, 1, 0) != 1)
            why = "it hung up without an answer";
        else if (answer == kOutOfDescriptors)
            why = "it has run out of file descriptors";
        else if (answer != kAnswer)
            why = "it hung up without an answer";
        else
            why.clear();
        ::close(fd);
        return why;
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
