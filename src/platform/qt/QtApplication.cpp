#include "platform/qt/QtApplication.h"

#include <QApplication>
#include <QGuiApplication>
#include <QSessionManager>
#include <QSocketNotifier>
#include <cerrno>
#include <csignal>
#include <fcntl.h>
#include <sys/socket.h>
#include <unistd.h>

#include "platform/qt/X11QuitWatchdog.h"

namespace platform::qt {
namespace {

int signalPipe[2] = {-1, -1};

void onSignal(int) {
    const int savedErrno = errno;
    const char byte = 1;
    // Only async-signal-safe work here: the main loop reads the byte and terminates.
    [[maybe_unused]] auto n = ::write(signalPipe[0], &byte, 1);
    // The main loop may be held inside a request to an X server that stopped.
    x11QuitWatchdog::arm();
    errno = savedErrno;
}

}  // namespace

QtApplication::QtApplication(std::function<void()> willTerminate) : willTerminate_(std::move(willTerminate)) {}

QtApplication::~QtApplication() { delete signalNotifier_; }

void QtApplication::terminate() {
    if (terminated_) return;
    terminated_ = true;
    if (willTerminate_) willTerminate_();
    QCoreApplication::exit(0);
}

bool QtApplication::isActive() const { return QGuiApplication::applicationState() == Qt::ApplicationActive; }

long QtApplication::processId() const { return static_cast<long>(::getpid()); }

void QtApplication::routeTerminationSignals() {
    if (::socketpair(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC | SOCK_NONBLOCK, 0, signalPipe) != 0) return;
    signalNotifier_ = new QSocketNotifier(signalPipe[1], QSocketNotifier::Read);
    QObject::connect(signalNotifier_, &QSocketNotifier::activated, [this] {
        char buf[16];
        while (::read(signalPipe[1], buf, sizeof buf) > 0) {
        }
        terminate();
    });
    struct sigaction sa {};
    sa.sa_handler = onSignal;
    sigemptyset(&sa.sa_mask);
    sa.sa_flags = SA_RESTART;
    for (int sig : {SIGTERM, SIGINT, SIGHUP}) ::sigaction(sig, &sa, nullptr);
    // A write to an X server that has gone must fail, not end the program before it saves.
    ::signal(SIGPIPE, SIG_IGN);

    // The session manager ends the session by telling the program to die, which quits the Qt
    // loop. Its request to save comes at every checkpoint too, and a logout may still be
    // cancelled after it: the program goes on running then.
    QObject::connect(QCoreApplication::instance(), &QCoreApplication::aboutToQuit, [this] { terminate(); });
}

void QtApplication::tellSessionHowToComeBack(std::function<bool()> startsAtLogin) {
    auto* app = qobject_cast<QGuiApplication*>(QCoreApplication::instance());
    // Asked at each save, so a change of "launch at login" since the start counts.
    const auto tell = [startsAtLogin = std::move(startsAtLogin)](QSessionManager& manager) {
        manager.setRestartHint(startsAtLogin() ? QSessionManager::RestartNever : QSessionManager::RestartIfRunning);
    };
    // A save that only commits data never asks for the state, and the other way round.
    QObject::connect(app, &QGuiApplication::commitDataRequest, tell);
    QObject::connect(app, &QGuiApplication::saveStateRequest, tell);
}

}  // namespace platform::qt
