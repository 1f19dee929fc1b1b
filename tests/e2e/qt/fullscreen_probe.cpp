// What the full-screen and window-walk tests ask from outside the program:
//   fullscreen_probe window <title> [<w>x<h>]  shows a plain window and waits to be stopped;
//   fullscreen_probe ask             prints "fullscreen" or "not fullscreen", as the pets'
//                                    full-screen check would see the desktop right now.
#include <unistd.h>
#include <QApplication>
#include <QWidget>
#include <cstdio>
#include <cstring>

#include "model/FullScreenDetector.h"
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

int ask() {
    platform::qt::X11WindowList windows;
    ProbeApplication application;
    platform::Services services;
    services.windowList = &windows;
    services.application = &application;
    platform::installServices(services);

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
    if (argc < 2 ||
        (std::strcmp(argv[1], "ask") != 0 && !(std::strcmp(argv[1], "window") == 0 && (argc == 3 || argc == 4)))) {
        std::fprintf(stderr, "usage: %s ask | window <title> [<w>x<h>]\n", argv[0]);
        return 2;
    }
    setenv("QT_QPA_PLATFORM", "xcb", 1);
    if (!platform::qt::x11DisplayReachable()) {
        std::fprintf(stderr, "fullscreen_probe: no X display\n");
        return 2;
    }
    QApplication app(argc, argv);
    return std::strcmp(argv[1], "ask") == 0 ? ask() : showWindow(argv[2], argc == 4 ? argv[3] : nullptr);
}
