#pragma once

namespace platform::qt {

// A terminate signal is served on the main thread, which may be held inside a request to an
// X server that stopped answering (a logout meeting a hung server). Armed by the signal, the
// watchdog gives the main thread a moment to take the quit up; when it does not, the watchdog
// cuts every X connection of the process, so the request it waits in fails and the program
// leaves by the broken-connection path. It never touches anything else.
namespace x11QuitWatchdog {

// Starts the thread that sleeps until a signal arms it. Before this, a signal arms nothing.
void start();

// From a signal handler: async-signal-safe.
void arm();

// On the main thread, as it begins an orderly quit: from then on connections are left alone.
// False when they were cut already, and the quit must not wait for the X server.
bool takeQuitOver();

// Whether the connections were cut for a quit asked for by a signal.
bool cutForQuit();

// An X connection the watchdog may cut, for as long as this lives. Cutting works on a
// duplicate of the socket, so its number can be reused after the connection closes.
class CuttableConnection {
public:
    explicit CuttableConnection(int socket);
    ~CuttableConnection();
    CuttableConnection(const CuttableConnection&) = delete;
    CuttableConnection& operator=(const CuttableConnection&) = delete;

private:
    int duplicate_ = -1;
};

}  // namespace x11QuitWatchdog
}  // namespace platform::qt
