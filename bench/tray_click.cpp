// Clicks on the program's tray entry for bench/tray-click: calls Activate(x, y) on its
// StatusNotifierItem, as a tray host does for a left click, and waits for the panel popup (a
// window of 382x426 straight on the root) to map; calls it again to close the panel and waits
// for the popup to go. One click first, not counted, builds the panel. Prints one line a click:
// the milliseconds from the call to the map, and the program's wake-ups (voluntary context
// switches over all its threads) in that time.
// Usage: tray_click <program's pid> <x> <y> <clicks>
#include <QCoreApplication>
#include <QDBusConnection>
#include <QDBusMessage>
#include <QDir>
#include <QFile>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <thread>

#include <poll.h>

// Xlib last: its macros clash with Qt's headers.
#include <X11/Xlib.h>

namespace {

long wakeUps(const QString& pid) {
    long sum = 0;
    const QString tasks = "/proc/" + pid + "/task";
    for (const QString& task : QDir(tasks).entryList(QDir::Dirs | QDir::NoDotAndDotDot)) {
        QFile status(tasks + "/" + task + "/status");
        if (!status.open(QIODevice::ReadOnly)) continue;
        for (const QByteArray& line : status.readAll().split('\n'))
            if (line.startsWith("voluntary_ctxt_switches:")) sum += line.mid(24).trimmed().toLong();
    }
    return sum;
}

bool isPopup(Display* dpy, Window w) {
    Window root;
    int x, y;
    unsigned width, height, border, depth;
    return XGetGeometry(dpy, w, &root, &x, &y, &width, &height, &border, &depth) && width == 382 && height == 426;
}

// Waits for the popup to map (or unmap); its window, or 0 after `seconds`.
Window await(Display* dpy, int type, Window popup, double seconds) {
    const auto end = std::chrono::steady_clock::now() + std::chrono::duration<double>(seconds);
    for (;;) {
        while (XPending(dpy)) {
            XEvent e;
            XNextEvent(dpy, &e);
            if (e.type != type) continue;
            const Window w = type == MapNotify ? e.xmap.window : e.xunmap.window;
            if (popup ? w == popup : isPopup(dpy, w)) return w;
        }
        const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(end - std::chrono::steady_clock::now());
        if (left.count() <= 0) return 0;
        pollfd connection{ConnectionNumber(dpy), POLLIN, 0};
        poll(&connection, 1, int(left.count()) + 1);
    }
}

}  // namespace

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    Display* dpy = XOpenDisplay(nullptr);
    if (argc != 5 || !dpy) {
        std::fprintf(stderr, "usage: tray_click <pid> <x> <y> <clicks> (with a reachable X display)\n");
        return 2;
    }
    const QString pid = argv[1];
    const int x = std::atoi(argv[2]), y = std::atoi(argv[3]), clicks = std::atoi(argv[4]);
    XSelectInput(dpy, DefaultRootWindow(dpy), SubstructureNotifyMask);
    XSync(dpy, False);
    QDBusMessage activate = QDBusMessage::createMethodCall(
        "org.kde.StatusNotifierItem-" + pid + "-1", "/StatusNotifierItem", "org.kde.StatusNotifierItem", "Activate");
    activate << x << y;
    QDBusConnection bus = QDBusConnection::sessionBus();
    for (int i = 0; i <= clicks; ++i) {
        std::this_thread::sleep_for(std::chrono::milliseconds(400));  // the program idle again
        const long before = wakeUps(pid);
        const auto sent = std::chrono::steady_clock::now();
        bus.send(activate);
        const Window popup = await(dpy, MapNotify, 0, 5);
        const std::chrono::duration<double, std::milli> took = std::chrono::steady_clock::now() - sent;
        const long woke = wakeUps(pid) - before;
        if (!popup) {
            std::fprintf(stderr, "tray_click: no panel within 5 s of a click\n");
            return 1;
        }
        if (i > 0) std::printf("%.2f %ld\n", took.count(), woke);
        std::fflush(stdout);
        bus.send(activate);
        if (!await(dpy, UnmapNotify, popup, 5)) {
            std::fprintf(stderr, "tray_click: the panel did not close on a second click\n");
            return 1;
        }
    }
    return 0;
}
