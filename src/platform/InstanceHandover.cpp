#include "platform/InstanceHandover.h"

#include <poll.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <cstring>

#include "platform/InstanceLock.h"

namespace platform {
namespace {

namespace fs = std::filesystem;

constexpr char kAnswer = 'k';

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

}  // namespace

std::optional<fs::path> handoverSocketPath(const fs::path& settingsFile) {
    const char* runtime = std::getenv("XDG_RUNTIME_DIR");
    if (!runtime || !fs::path(runtime).is_absolute()) return std::nullopt;
    const auto identity = InstanceLock::folderIdentity(settingsFile);
    if (!identity) return std::nullopt;
    fs::path socket = fs::path(runtime) / ("tuftle-" + *identity + ".socket");
    sockaddr_un address;
    if (!addressOf(socket, address)) return std::nullopt;
    return socket;
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
    // Only the lock's holder gets here: a socket found is a killed instance's.
    struct stat st {};
    if (::lstat(socket.c_str(), &st) == 0 && S_ISSOCK(st.st_mode)) ::unlink(socket.c_str());
    const mode_t mask = ::umask(0077);
    const bool bound = ::bind(fd, reinterpret_cast<const sockaddr*>(&address), sizeof address) == 0;
    const int error = errno;
    ::umask(mask);
    if (!bound || ::listen(fd, 8) != 0) {
        problem = failed("cannot listen at " + socket.string(), bound ? errno : error);
        ::close(fd);
        return nullptr;
    }
    return std::unique_ptr<HandoverListener>(new HandoverListener(fd, socket));
}

HandoverListener::~HandoverListener() {
    ::close(fd_);
    ::unlink(socket_.c_str());
}

bool HandoverListener::answer() {
    bool ours = false;
    while (true) {
        const int call = ::accept4(fd_, nullptr, nullptr, SOCK_NONBLOCK | SOCK_CLOEXEC);
        if (call < 0) {
            if (errno == EINTR || errno == ECONNABORTED) continue;
            return ours;
        }
        ucred peer{};
        socklen_t length = sizeof peer;
        if (::getsockopt(call, SOL_SOCKET, SO_PEERCRED, &peer, &length) == 0 && peer.uid == ::geteuid()) {
            ours = true;
            [[maybe_unused]] const auto sent = ::send(call, &kAnswer, 1, MSG_NOSIGNAL);
        }
        ::close(call);
    }
}

std::string askRunningInstance(const fs::path& socket, double timeout) {
    sockaddr_un address;
    if (!addressOf(socket, address)) return "the name " + socket.string() + " is too long for a socket";
    const int fd = ::socket(AF_UNIX, SOCK_STREAM | SOCK_NONBLOCK | SOCK_CLOEXEC, 0);
    if (fd < 0) return failed("cannot make a socket", errno);
    std::string why;
    if (::connect(fd, reinterpret_cast<const sockaddr*>(&address), sizeof address) != 0) {
        why = failed("it does not listen at " + socket.string(), errno);
    } else {
        pollfd wait{fd, POLLIN, 0};
        int ready;
        do {
            ready = ::poll(&wait, 1, static_cast<int>(timeout * 1000));
        } while (ready < 0 && errno == EINTR);
        char answer = 0;
        if (ready == 0)
            why = "it did not answer within " + std::to_string(static_cast<int>(timeout)) + " s";
        else if (ready < 0 || ::recv(fd, &answer, 1, 0) != 1 || answer != kAnswer)
            why = "it hung up without an answer";
    }
    ::close(fd);
    return why;
}

}  // namespace platform
