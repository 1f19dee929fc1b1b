// A key tap on a real X display that reads nothing until told, as when the program is held
// inside a request to a stopped server while keys come:
//   key_tap_probe   makes a tap and prints "listening"; on SIGUSR1 it has the quit watchdog cut
//                   the process's X connections, reads the tap out and prints "<n> presses".
#include <QCoreApplication>
#include <QElapsedTimer>
#include <QThread>
#include <cstdio>

#include <signal.h>

#include "platform/qt/X11KeyEventTaps.h"
#include "platform/qt/X11QuitWatchdog.h"

namespace watchdog = platform::qt::x11QuitWatchdog;

int main(int argc, char** argv) {
    sigset_t go;
    sigemptyset(&go);
    sigaddset(&go, SIGUSR1);
    pthread_sigmask(SIG_BLOCK, &go, nullptr);

    QCoreApplication app(argc, argv);
    platform::qt::X11KeyEventTapSystem taps;
    int presses = 0;
    auto tap = taps.createKeyDownTap([&presses](const platform::KeyTapEvent& e) {
        if (e.type == platform::KeyTapEventType::keyDown && !e.isAutoRepeat) ++presses;
    });
    if (!tap) {
        std::fprintf(stderr, "key_tap_probe: no key tap on this display\n");
        return 2;
    }
    std::printf("listening\n");
    std::fflush(stdout);

    int signal = 0;
    sigwait(&go, &signal);
    watchdog::start();
    watchdog::arm();
    QElapsedTimer waited;
    waited.start();
    while (!watchdog::cutForQuit()) {
        if (waited.elapsed() > 10'000) {
            std::fprintf(stderr, "key_tap_probe: the watchdog did not cut the connections\n");
            return 2;
        }
        QThread::msleep(10);
    }
    tap->readPending();
    std::printf("%d presses\n", presses);
    return 0;
}
