// A session manager for the end-to-end tests, speaking XSMP as a desktop's session manager does.
// It listens on its local socket only and prints, one line each:
//   SESSION_MANAGER=<address>                   first, for the clients' environment
//   registered <client id> <previous id or ->   a client joined the session
//   saved <restart style hint> <restart command, words between spaces>
//                                               a client finished saving, with what it set
//   gone                                        a client left the session
// It reads commands on its standard input, one a line:
//   save   asks every client to save, as a checkpoint does: the session goes on
//   die    tells every client to end, as a logout does
// The restart style hints are XSMP's: 0 if running, 1 anyway, 2 immediately, 3 never.
// Runs until its standard input ends or SIGTERM, and then takes its socket away.
#include <X11/ICE/ICElib.h>
#include <X11/SM/SMlib.h>
#include <poll.h>
#include <unistd.h>
#include <csignal>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <map>
#include <string>
#include <vector>

extern "C" int _IceTransNoListen(const char* protocol);

namespace {

struct Client {
    std::string restartCommand;
    int restartHint = -1;
};

volatile std::sig_atomic_t stopping = 0;
std::map<SmsConn, Client> clients;
std::vector<IceConn> connections;

void say(const std::string& line) {
    std::printf("%s\n", line.c_str());
    std::fflush(stdout);
}

void saveYourself(SmsConn conn) {
    SmsSaveYourself(conn, SmSaveBoth, False, SmInteractStyleNone, False);
}

Status registerClient(SmsConn conn, SmPointer, char* previousId) {
    char* id = previousId ? previousId : SmsGenerateClientID(conn);
    if (!id) return 0;
    SmsRegisterClientReply(conn, id);
    say(std::string("registered ") + id + " " + (previousId ? previousId : "-"));
    std::free(id);
    // A client that joins for the first time is asked to save at once.
    if (!previousId) saveYourself(conn);
    return 1;
}

void setProperties(SmsConn conn, SmPointer, int count, SmProp** properties) {
    Client& client = clients[conn];
    for (int i = 0; i < count; ++i) {
        const SmProp& p = *properties[i];
        if (std::strcmp(p.name, SmRestartCommand) == 0) {
            client.restartCommand.clear();
            for (int v = 0; v < p.num_vals; ++v) {
                if (v) client.restartCommand += ' ';
                client.restartCommand.append(static_cast<const char*>(p.vals[v].value), p.vals[v].length);
            }
        } else if (std::strcmp(p.name, SmRestartStyleHint) == 0 && p.num_vals == 1 && p.vals[0].length >= 1) {
            client.restartHint = *static_cast<const unsigned char*>(p.vals[0].value);
        }
        SmFreeProperty(properties[i]);
    }
    std::free(properties);
}

void saveDone(SmsConn conn, SmPointer, Bool) {
    SmsSaveComplete(conn);
    const Client& client = clients[conn];
    say("saved " + std::to_string(client.restartHint) + " " + client.restartCommand);
}

void forget(SmsConn conn) {
    IceConn ice = SmsGetIceConnection(conn);
    SmsCleanUp(conn);
    IceSetShutdownNegotiation(ice, False);
    IceCloseConnection(ice);
    clients.erase(conn);
    say("gone");
}

void closeConnection(SmsConn conn, SmPointer, int count, char** reasons) {
    SmFreeReasons(count, reasons);
    forget(conn);
}

Status newClient(SmsConn conn, SmPointer, unsigned long* mask, SmsCallbacks* callbacks, char**) {
    clients[conn] = Client{};
    *callbacks = {};
    callbacks->register_client.callback = registerClient;
    callbacks->interact_request.callback = [](SmsConn c, SmPointer, int) { SmsInteract(c); };
    callbacks->interact_done.callback = [](SmsConn, SmPointer, Bool) {};
    callbacks->save_yourself_request.callback = [](SmsConn, SmPointer, int, Bool, int, Bool, Bool) {};
    callbacks->save_yourself_phase2_request.callback = [](SmsConn c, SmPointer) { SmsSaveYourselfPhase2(c); };
    callbacks->save_yourself_done.callback = saveDone;
    callbacks->close_connection.callback = closeConnection;
    callbacks->set_properties.callback = setProperties;
    callbacks->delete_properties.callback = [](SmsConn, SmPointer, int count, char** names) {
        for (int i = 0; i < count; ++i) std::free(names[i]);
        std::free(names);
    };
    callbacks->get_properties.callback = [](SmsConn c, SmPointer) { SmsReturnProperties(c, 0, nullptr); };
    *mask = SmsRegisterClientProcMask | SmsInteractRequestProcMask | SmsInteractDoneProcMask |
            SmsSaveYourselfRequestProcMask | SmsSaveYourselfP2RequestProcMask | SmsSaveYourselfDoneProcMask |
            SmsCloseConnectionProcMask | SmsSetPropertiesProcMask | SmsDeletePropertiesProcMask |
            SmsGetPropertiesProcMask;
    return 1;
}

void watchConnection(IceConn conn, IcePointer, Bool opening, IcePointer*) {
    if (opening)
        connections.push_back(conn);
    else
        std::erase(connections, conn);
}

}  // namespace

int main() {
    char error[256] = "";
    // A client that breaks its connection must not end the session manager, as ICE would.
    IceSetIOErrorHandler([](IceConn) {});
    std::signal(SIGTERM, [](int) { stopping = 1; });
    // Nothing on the network: the clients of a test are on this machine.
    _IceTransNoListen("tcp");
    // Any local client may join, as with a desktop's session manager.
    if (!SmsInitialize(
            "tuftle-tests", "1.0", newClient, nullptr, [](char*) -> Bool { return True; }, sizeof error, error)) {
        std::fprintf(stderr, "session_manager: %s\n", error);
        return 1;
    }
    int count = 0;
    IceListenObj* listeners = nullptr;
    if (!IceListenForConnections(&count, &listeners, sizeof error, error) || count == 0) {
        std::fprintf(stderr, "session_manager: cannot listen: %s\n", error);
        return 1;
    }
    for (int i = 0; i < count; ++i) IceSetHostBasedAuthProc(listeners[i], [](char*) -> Bool { return True; });
    IceAddConnectionWatch(watchConnection, nullptr);
    char* address = IceComposeNetworkIdList(count, listeners);
    say(std::string("SESSION_MANAGER=") + address);
    std::free(address);

    std::string input;
    while (!stopping) {
        std::vector<pollfd> fds{{STDIN_FILENO, POLLIN, 0}};
        for (int i = 0; i < count; ++i) fds.push_back({IceGetListenConnectionNumber(listeners[i]), POLLIN, 0});
        const std::vector<IceConn> watched = connections;
        for (IceConn c : watched) fds.push_back({IceConnectionNumber(c), POLLIN, 0});
        if (::poll(fds.data(), fds.size(), -1) < 0) continue;
        if (fds[0].revents) {
            char buffer[256];
            const ssize_t n = ::read(STDIN_FILENO, buffer, sizeof buffer);
            if (n <= 0) break;
            input.append(buffer, size_t(n));
            for (size_t end; (end = input.find('\n')) != std::string::npos; input.erase(0, end + 1)) {
                const std::string command = input.substr(0, end);
                for (auto& [conn, client] : clients) {
                    if (command == "save") saveYourself(conn);
                    if (command == "die") SmsDie(conn);
                }
            }
        }
        for (int i = 0; i < count; ++i) {
            if (!fds[1 + i].revents) continue;
            IceAcceptStatus status;
            IceAcceptConnection(listeners[i], &status);
        }
        for (size_t i = 0; i < watched.size(); ++i) {
            if (!fds[1 + count + i].revents) continue;
            if (IceProcessMessages(watched[i], nullptr, nullptr) != IceProcessMessagesIOError) continue;
            // A client that ended without a word, or a connection that never became one.
            SmsConn gone = nullptr;
            for (const auto& entry : clients)
                if (SmsGetIceConnection(entry.first) == watched[i]) gone = entry.first;
            if (gone) {
                forget(gone);
            } else {
                IceSetShutdownNegotiation(watched[i], False);
                IceCloseConnection(watched[i]);
            }
        }
    }
    IceFreeListenObjs(count, listeners);
    return 0;
}
