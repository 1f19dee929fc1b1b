// What the full-screen and window-walk tests ask from outside the program:
//   fullscreen_probe window <title> [<w>x<h>]  shows a plain window and waits to be stopped;
//   fullscreen_probe ask    prints "fullscreen" or "not fullscreen", as the pets' full-screen
//                           check would see the desktop right now;
//   fullscreen_probe front  prints "<id> <x> <y> <w> <h>" of the window a pet would walk on
//                           (global y-up points), or "none".
#include <unistd.h>
#include <QApplication>
#include <QWidget>
#include <cstdio>
#include <cstring>

#include "model/FullScreenDetector.h"
#include "pets/coordination/WindowGeometryReader.h"
#include "platform/Services.h"
#include "platform/qt/QtScreens.h"
#include "platform/qt/X11Display.h"
#include "platform/qt/X11WindowList.h"

namespace {

// Only the process id is asked of the application here.
class ProbeApplication final : public platform::Application {
public:
    void terminate() override {}
    bool isActive() const override { return false; }
    long processId() const override { return static_cast<long>(::getpid()); }
};

class ProbeScreens final : public platform::ScreenList {
public:
    std::vector<platform::Screen> screens() const override { return platform::qt::currentScreens(); }
    std::optional<platform::Screen> mainScreen() const override { return std::nullopt; }
};

int showWindow(const char* title, const char* size) {
    int width = 640, height = 400;
    if (size && std::sscanf(size, "%dx%d", &width, &height) != 2) return 2;
    QWidget window;
    window.setWindowTitle(QString::fromUtf8(title));
    window.resize(width, height);
    window.show();
    std::printf("shown\n");
    std::fflush(stdout);
    return QApplication::exec();
}

int ask(bool walkedWindow) {
    platform::qt::X11WindowList windows;
    ProbeApplication application;
    ProbeScreens screenList;
    platform::Services services;
    services.windowList = &windows;
    services.application = &application;
    services.screens = &screenList;
    platform::installServices(services);
    if (walkedWindow) {
        const auto walked = pets::WindowGeometryReader::frontWindow();
        if (!walked) return std::printf("none\n"), 0;
        const auto& b = walked->bounds;
        std::printf("0x%x %g %g %g %g\n", walked->id, b.minX(), b.minY(), b.width(), b.height());
        return 0;
    }

    const auto screens = platform::qt::currentScreens();
    const auto front = windows.frontmostApplicationPid();
    const auto list = windows.onScreenWindows();
    std::fprintf(stderr, "screens %zu, front pid %d, windows %d\n", screens.size(), front ? int(*front) : -1,
                 list ? int(list->size()) : -1);
    if (list) {
        for (const auto& w : *list)
            std::fprintf(stderr, "  0x%x pid %d layer %d %gx%g at %g,%g%s\n", w.number,
                         w.ownerPid ? int(*w.ownerPid) : -1, w.layer, w.bounds.size.width, w.bounds.size.height,
                         w.bounds.origin.x, w.bounds.origin.y, w.isFullScreen ? " full screen" : "");
    }
    const bool full = model::FullScreenDetector::frontmostAppOccupiesFullScreen(screens);
    std::printf("%s\n", full ? "fullscreen" : "not fullscreen");
    return 0;
}

}  // namespace

int main(int argc, char** argv) {
    const bool asks = argc == 2 && (std::strcmp(argv[1], "ask") == 0 || std::strcmp(argv[1], "front") == 0);
    if (!asks && !(argc >= 3 && argc <= 4 && std::strcmp(argv[1], "window") == 0)) {
        std::fprintf(stderr, "usage: %s ask | front | window <title> [<w>x<h>]\n", argv[0]);
        return 2;
    }
    setenv("QT_QPA_PLATFORM", "xcb", 1);
    if (!platform::qt::x11DisplayReachable()) {
        std::fprintf(stderr, "fullscreen_probe: no X display\n");
        return 2;
    }
    QApplication app(argc, argv);
    return asks ? ask(std::strcmp(argv[1], "front") == 0) : showWindow(argv[2], argc == 4 ? argv[3] : nullptr);
}
