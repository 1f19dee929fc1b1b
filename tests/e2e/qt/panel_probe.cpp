// A pet panel window, and the tray's panel, on a real X display, looked at from a connection of
// its own:
//   panel_probe <case>...   runs the cases named (all of them without one), prints a line for
//                           each and ends with 1 when one failed.
// "no-window-manager" (the last) waits for the test to end the window manager.
#include <QAbstractEventDispatcher>
#include <QAbstractNativeEventFilter>
#include <QApplication>
#include <QDialog>
#include <QEventLoop>
#include <QThread>
#include <QTimer>
#include <QWindow>
#include <algorithm>
#include <cstdio>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "anim/ShapeLayer.h"
#include "anim/Transaction.h"
#include "platform/Services.h"
#include "platform/qt/PetPanelWindow.h"
#include "platform/qt/QtMainLoop.h"
#include "platform/qt/QtPointer.h"
#include "platform/qt/QtStatusBar.h"
#include "platform/qt/X11Display.h"

// Named before Xlib's macro of the same name hides it.
constexpr QEvent::Type kQtKeyPress = QEvent::KeyPress;

#include <X11/Xatom.h>
#include <X11/Xlib.h>
#include <X11/Xutil.h>
#include <X11/keysym.h>
#include <xcb/xcb.h>

namespace {

using platform::qt::PetPanelWindow;

Display* x = nullptr;  // the probe's own view of the server

struct Place {
    int x = 0, y = 0, width = 0, height = 0;
    bool operator==(const Place&) const = default;
};

std::string text(const Place& p) {
    return std::to_string(p.width) + "x" + std::to_string(p.height) + "+" + std::to_string(p.x) + "+" +
           std::to_string(p.y);
}

Place onServer(const QWidget& w) {
    Window root = 0, child = 0;
    int rx = 0, ry = 0, gx = 0, gy = 0;
    unsigned width = 0, height = 0, border = 0, depth = 0;
    XGetGeometry(x, Window(w.winId()), &root, &gx, &gy, &width, &height, &border, &depth);
    XTranslateCoordinates(x, Window(w.winId()), root, 0, 0, &rx, &ry, &child);
    return {rx, ry, int(width), int(height)};
}

// Turns of the event loop for `ms` milliseconds.
void turns(int ms) {
    QEventLoop loop;
    QTimer::singleShot(ms, &loop, &QEventLoop::quit);
    loop.exec();
}

// Turns of the event loop until the condition holds; false after ten seconds (times the
// harness's TUFTLE_E2E_TIMEOUT_SCALE).
bool waitFor(const std::function<bool()>& condition) {
    static const double scale = std::max(1.0, qEnvironmentVariable("TUFTLE_E2E_TIMEOUT_SCALE").toDouble());
    for (int i = 0; i < 500 * scale; ++i) {
        if (condition()) return true;
        turns(20);
    }
    return condition();
}

bool shown(PetPanelWindow& panel) {
    panel.orderFront();
    return waitFor([&] { return panel.windowHandle() && panel.windowHandle()->isExposed(); });
}

// The structure events of one window that reach Qt's connection.
class HeardByQt final : public QAbstractNativeEventFilter {
public:
    explicit HeardByQt(uint32_t window) : window_(window) { qApp->installNativeEventFilter(this); }
    ~HeardByQt() override { qApp->removeNativeEventFilter(this); }
    int configures = 0;
    bool unmapped = false;

    bool nativeEventFilter(const QByteArray&, void* message, qintptr*) override {
        auto* e = static_cast<xcb_generic_event_t*>(message);
        const int type = e->response_type & 0x7f;
        if (type == XCB_CONFIGURE_NOTIFY && reinterpret_cast<xcb_configure_notify_event_t*>(e)->window == window_)
            ++configures;
        if (type == XCB_UNMAP_NOTIFY && reinterpret_cast<xcb_unmap_notify_event_t*>(e)->window == window_)
            unmapped = true;
        return false;
    }

private:
    uint32_t window_;
};

// Each returns what went wrong, empty when nothing did.
std::string movesStayOffQtsConnection() {
    PetPanelWindow panel({100, 100, 52, 52});
    if (!shown(panel)) return "the panel never showed";
    const Place start = onServer(panel);
    HeardByQt heard(uint32_t(panel.winId()));
    for (int i = 1; i <= 5; ++i) {
        panel.setFrameOrigin({100.0 + 10 * i, 100.0 + 3 * i});
    }
    const int k = int(panel.devicePixelRatioF());
    const Place end{start.x + 50 * k, start.y - 15 * k, start.width, start.height};
    if (!waitFor([&] { return onServer(panel) == end; }))
        return "the window is at " + text(onServer(panel)) + ", not " + text(end);
    // Qt hears the unmap, which comes after every move.
    panel.orderOut();
    if (!waitFor([&] { return heard.unmapped; })) return "Qt never heard the panel go";
    if (heard.configures) return std::to_string(heard.configures) + " of the moves reached Qt";
    return {};
}

std::string putAwayAndBackWherePlaced() {
    PetPanelWindow panel({200, 200, 52, 52});
    if (!shown(panel)) return "the panel never showed";
    const Place first = onServer(panel);
    panel.setFrameOrigin({260, 240});
    if (!waitFor([&] { return onServer(panel) != first; })) return "the move never reached the server";
    panel.orderOut();
    panel.setFrameOrigin({200, 200});
    if (!shown(panel)) return "the panel never showed again";
    if (!waitFor([&] { return onServer(panel) == first; }))
        return "shown again at " + text(onServer(panel)) + ", not " + text(first);
    return {};
}

std::string resizedAfterMovesWhereAFreshPanelIs() {
    PetPanelWindow panel({300, 300, 52, 52});
    if (!shown(panel)) return "the panel never showed";
    panel.setFrameOrigin({340, 330});
    panel.setFrameOrigin({360, 320});
    panel.setFrame({{360, 320}, {80, 60}});
    PetPanelWindow fresh({{360, 320}, {80, 60}});
    if (!shown(fresh)) return "the fresh panel never showed";
    const Place want = onServer(fresh);
    if (!waitFor([&] { return onServer(panel) == want; }))
        return "resized to " + text(onServer(panel)) + ", a fresh panel is at " + text(want);
    if (!waitFor([&] { return panel.geometry() == fresh.geometry(); }))
        return "Qt thinks it is at " + text({panel.x(), panel.y(), panel.width(), panel.height()});
    return {};
}

// The centre of what the server holds of the window in strong red, on the screen.
std::optional<QPoint> redOnScreen(const QWidget& w) {
    const Place place = onServer(w);
    XImage* image =
        XGetImage(x, Window(w.winId()), 0, 0, unsigned(place.width), unsigned(place.height), AllPlanes, ZPixmap);
    if (!image) return std::nullopt;
    int left = place.width, right = -1, top = place.height, bottom = -1;
    for (int py = 0; py < place.height; ++py)
        for (int px = 0; px < place.width; ++px) {
            const unsigned long pixel = XGetPixel(image, px, py);
            if (((pixel >> 16) & 0xff) < 200 || ((pixel >> 8) & 0xff) > 60) continue;
            left = std::min(left, px), right = std::max(right, px);
            top = std::min(top, py), bottom = std::max(bottom, py);
        }
    XDestroyImage(image);
    if (right < 0) return std::nullopt;
    return QPoint(place.x + (left + right) / 2, place.y + (top + bottom) / 2);
}

// A panel's tree: one red shape in a 52-point square.
std::shared_ptr<anim::Layer> redShape(anim::Path path) {
    auto root = anim::Layer::make();
    anim::Transaction::withoutActions([&] {
        root->setFrame({0, 0, 52, 52});
        auto shape = anim::ShapeLayer::make();
        shape->setPath(std::move(path));
        shape->setFillColor(anim::Color::rgb(1, 0, 0));
        root->addSublayer(shape);
    });
    return root;
}

std::string hopsShiftTheDrawingInsideTheWindow() {
    PetPanelWindow panel({500, 300, 52, 52});
    panel.setRootLayer(redShape(anim::Path::ellipse({16, 16, 20, 20})));
    if (!shown(panel)) return "the panel never showed";
    std::optional<QPoint> home;
    if (!waitFor([&] { return (home = redOnScreen(panel)).has_value(); })) return "the dot was never drawn";
    const Place start = onServer(panel);
    const int k = int(panel.devicePixelRatioF());
    struct Step {
        const char* what;
        platform::Point origin;
        bool windowStays;
    };
    const Step steps[] = {
        {"a hop up", {500, 308}, true},
        {"back home", {500, 300}, true},
        {"a hop to the side", {494, 300}, true},
        {"a walk away", {560, 300}, false},
    };
    for (const Step& step : steps) {
        panel.setFrameOrigin(step.origin);
        const QPoint want = *home + QPoint(int(step.origin.x - 500) * k, int(300 - step.origin.y) * k);
        if (!waitFor([&] { return redOnScreen(panel) == want; })) {
            const auto at = redOnScreen(panel);
            return std::string(step.what) + ": the dot is at " +
                   (at ? std::to_string(at->x()) + "," + std::to_string(at->y()) : "nowhere") + ", not " +
                   std::to_string(want.x()) + "," + std::to_string(want.y());
        }
        if ((onServer(panel) == start) != step.windowStays)
            return std::string(step.what) + (step.windowStays ? ": the window moved" : ": the window stayed");
    }
    return {};
}

// A pet at a taskbar's edge leaves out what lies below it. At every flush the event loop makes,
// with the window's move and the frame drawn for it sent or not yet, nothing of the drawing may
// show below the edge: not after a walk into the clip, nor when a hop's shift settles.
std::string nothingShowsBeyondTheClipAtAnyFlush() {
    constexpr double edge = 300;  // global y, up
    PetPanelWindow panel({200, edge + 30, 52, 52});
    panel.setRootLayer(redShape(anim::Path::rect({4, 0, 44, 48})));
    if (!shown(panel)) return "the panel never showed";
    if (!waitFor([&] { return redOnScreen(panel).has_value(); })) return "the body was never drawn";
    const Place start = onServer(panel);
    const int k = int(panel.devicePixelRatioF());
    const int edgeRow = start.y + start.height + (30 - int(PetPanelWindow::drawingMargin)) * k;
    // How far below the edge the lowest red row on the screen lies (0: on or above it).
    auto redBelowEdge = [&] {
        const int top = edgeRow - 4 * k, rows = 24 * k;
        XImage* image =
            XGetImage(x, DefaultRootWindow(x), start.x, top, unsigned(start.width), unsigned(rows), AllPlanes, ZPixmap);
        if (!image) return -1;
        int lowest = -1;
        for (int py = 0; py < rows; ++py)
            for (int px = 0; px < start.width; ++px) {
                const unsigned long pixel = XGetPixel(image, px, py);
                if (((pixel >> 16) & 0xff) >= 200 && ((pixel >> 8) & 0xff) <= 60) lowest = top + py;
            }
        XDestroyImage(image);
        return lowest < 0 ? -1 : lowest - edgeRow + 1;
    };
    int worst = 0, looks = 0;
    const auto watch =
        QObject::connect(QAbstractEventDispatcher::instance(), &QAbstractEventDispatcher::aboutToBlock, [&] {
            XSync(platform::qt::qtX11Display(), False);
            worst = std::max(worst, redBelowEdge());
            ++looks;
        });
    const struct {
        const char* what;
        double y;
    } steps[] = {
        {"a walk down into its home", edge - 10},
        {"a hop up, left to settle", edge - 2},
        {"back down, left to settle", edge - 10},
    };
    std::string fault;
    for (const auto& step : steps) {
        panel.setFrameOrigin({200, step.y});
        const double cut = edge - step.y;
        panel.setClipRect(platform::Rect{-24, cut, 100, 100 - cut});
        // Settled: the window around the frame and the body drawn down to the edge.
        const Place want{start.x, start.y + int(edge + 30 - step.y) * k, start.width, start.height};
        if (!waitFor([&] { return onServer(panel) == want && redBelowEdge() == 0; }))
            fault = std::string(step.what) + ": the window is at " + text(onServer(panel)) + ", not " + text(want) +
                    ", the body's lowest row " + std::to_string(redBelowEdge()) + " below the edge";
        else if (worst > 0)
            fault = std::string(step.what) + ": " + std::to_string(worst) + " rows of the body showed below the edge";
        if (!fault.empty()) break;
    }
    QObject::disconnect(watch);
    if (fault.empty() && looks < 3) fault = "the loop never went to sleep";
    return fault;
}

// Whether the panel lies above the root's child that holds the other window.
bool above(const QWidget& panel, const QWidget& other) {
    Window root = 0, parent = 0, *children = nullptr;
    unsigned count = 0;
    Window top = Window(other.winId());
    for (;;) {
        if (!XQueryTree(x, top, &root, &parent, &children, &count)) return false;
        if (children) XFree(children);
        if (parent == root) break;
        top = parent;
    }
    if (!XQueryTree(x, root, &root, &parent, &children, &count)) return false;
    int panelAt = -1, otherAt = -1;
    for (unsigned i = 0; i < count; ++i) {
        if (children[i] == Window(panel.winId())) panelAt = int(i);
        if (children[i] == top) otherAt = int(i);
    }
    if (children) XFree(children);
    return panelAt > otherAt && otherAt >= 0;
}

std::string raisedOverANewWindow() {
    PetPanelWindow panel({400, 400, 52, 52});
    if (!shown(panel)) return "the panel never showed";
    QWidget window;
    window.resize(300, 200);
    window.show();
    if (!waitFor([&] { return window.windowHandle()->isExposed(); })) return "the window never showed";
    if (!waitFor([&] { return above(panel, window); })) return "the panel stays under the new window";
    return {};
}

// Our dialog in front stays over the pets: the look at the stack its coming up makes leaves
// the panels under it.
std::string keptUnderOurDialogInFront() {
    PetPanelWindow panel({400, 400, 52, 52});
    if (!shown(panel)) return "the panel never showed";
    QDialog dialog;
    dialog.resize(300, 200);
    dialog.show();
    dialog.activateWindow();
    if (!waitFor([&] { return dialog.isActiveWindow() && dialog.windowHandle()->isExposed(); }))
        return "the dialog never took the focus";
    turns(1000);
    if (above(panel, dialog)) return "the panel covers our dialog";
    return {};
}

// The pointer as the pets read it: where the X server has it, in y-up points.
std::string pointerReadWhereTheServerHasIt() {
    platform::qt::QtPointer pointer;
    const int height = DisplayHeight(x, DefaultScreen(x));
    for (const auto& [px, py] : {std::pair{123, 456}, std::pair{700, 80}}) {
        XWarpPointer(x, 0, DefaultRootWindow(x), 0, 0, 0, 0, px, py);
        XSync(x, False);
        QThread::msleep(20);  // past the asks that share one look
        const platform::Point at = pointer.location();
        if (at.x != px || at.y != height - py)
            return "the pointer at pixel " + std::to_string(px) + "," + std::to_string(py) + " read as " +
                   std::to_string(at.x) + "," + std::to_string(at.y);
    }
    return {};
}

// The tray's panel, opened while Qt has yet to learn that the program lost the focus: one of
// its windows just went away, and the program is too busy to give the panel the focus at once.
// Which of the two Qt hears first varies, so the case is tried a few times.
std::string trayPanelStaysOpenAsTheProgramLosesTheFocus() {
    platform::qt::QtStatusBar bar;
    for (int round = 1; round <= 4; ++round) {
        QWidget window;
        window.resize(300, 200);
        window.show();
        window.activateWindow();
        if (!waitFor([&] { return window.isActiveWindow(); })) return "the window never took the focus";
        window.hide();
        turns(100);
        // The keyboard held elsewhere, the panel takes the focus only once it is drawn.
        XGrabKeyboard(x, DefaultRootWindow(x), False, GrabModeAsync, GrabModeAsync, CurrentTime);
        XSync(x, False);
        auto panel = bar.createPopover();
        panel->setContentSize({200, 150});
        panel->show({{500, 300}, {200, 150}});
        QThread::msleep(600);  // busy past Qt's 400 ms wait
        turns(600);
        XUngrabKeyboard(x, CurrentTime);
        XSync(x, False);
        if (!panel->isShown()) return "the panel shut as it opened (try " + std::to_string(round) + ")";
        panel->close();
    }
    return {};
}

// Counts the presses and keys the widget it watches is handed.
struct InputCount final : QObject {
    int count = 0;
    bool eventFilter(QObject*, QEvent* event) override {
        // A press soon after the last one comes as a double click.
        const auto type = event->type();
        count += type == QEvent::MouseButtonPress || type == QEvent::MouseButtonDblClick || type == kQtKeyPress;
        return false;
    }
};

// The X server's time now, read off its notice of an empty change to a window of the probe's.
Time serverTime() {
    static Window own = 0;
    if (!own) {
        own = XCreateSimpleWindow(x, DefaultRootWindow(x), 0, 0, 1, 1, 0, 0, 0);
        XSelectInput(x, own, PropertyChangeMask);
    }
    XChangeProperty(x, own, XA_INTEGER, XA_INTEGER, 32, PropModeAppend, nullptr, 0);
    XEvent event;
    XWindowEvent(x, own, PropertyChangeMask, &event);
    return event.xproperty.time;
}

// A press and release of the first button at (50, 50) in `window`, made now.
void click(const QWidget& window) {
    const Place at = onServer(window);
    const Time now = serverTime();
    for (const int type : {ButtonPress, ButtonRelease}) {
        XEvent event{};
        XButtonEvent& b = event.xbutton;
        b.type = type;
        b.window = Window(window.winId());
        b.root = DefaultRootWindow(x);
        b.time = now;
        b.x = 50, b.y = 50, b.x_root = at.x + 50, b.y_root = at.y + 50;
        b.state = type == ButtonPress ? 0 : Button1Mask;
        b.button = Button1;
        b.same_screen = True;
        XSendEvent(x, b.window, False, NoEventMask, &event);
    }
    XSync(x, False);
}

// Escape pressed and let go in `window`, now.
void escape(const QWidget& window) {
    const Time now = serverTime();
    for (const int type : {KeyPress, KeyRelease}) {
        XEvent event{};
        XKeyEvent& k = event.xkey;
        k.type = type;
        k.window = Window(window.winId());
        k.root = DefaultRootWindow(x);
        k.time = now;
        k.keycode = XKeysymToKeycode(x, XK_Escape);
        k.same_screen = True;
        XSendEvent(x, k.window, False, NoEventMask, &event);
    }
    XSync(x, False);
}

// The tray's panel opened on a call from outside while the program was too busy to handle the
// press or key just made on one of its windows: Qt hands it on to the panel once that is open,
// as a press outside or an Escape. Only input made after the panel opened closes it.
std::string trayPanelOutlivesInputMadeBeforeItOpened() {
    platform::qt::QtStatusBar bar;
    QWidget window;
    window.setGeometry(100, 100, 300, 200);
    window.show();
    if (!waitFor([&] { return window.windowHandle()->isExposed(); })) return "the window never showed";
    auto panel = bar.createPopover();
    panel->setContentSize({200, 150});
    QWidget* popup = platform::qt::popoverWidget(*panel);
    InputCount handed;
    popup->installEventFilter(&handed);
    const std::pair<const char*, void (*)(const QWidget&)> inputs[] = {{"a press", click}, {"Escape", escape}};
    for (const auto& [name, make] : inputs) {
        handed.count = 0;
        make(window);
        panel->show({{500, 300}, {200, 150}});
        if (!waitFor([&] { return handed.count == 1; })) return std::string(name) + " never reached the panel";
        if (!panel->isShown()) return std::string(name) + " made before the panel opened closed it";
        make(window);
        if (!waitFor([&] { return !panel->isShown(); }))
            return std::string(name) + " made after the panel opened left it open";
    }
    return {};
}

// The root's property outlives the window manager; its check window does not.
bool windowManagerRuns() {
    Atom check = XInternAtom(x, "_NET_SUPPORTING_WM_CHECK", False);
    Atom type = 0;
    int format = 0;
    unsigned long count = 0, after = 0;
    unsigned char* data = nullptr;
    XGetWindowProperty(x, DefaultRootWindow(x), check, 0, 1, False, XA_WINDOW, &type, &format, &count, &after, &data);
    const Window named = data && count == 1 ? *reinterpret_cast<Window*>(data) : 0;
    if (data) XFree(data);
    Window root = 0, parent = 0, *children = nullptr;
    unsigned n = 0;
    bool alive = false;
    if (named && XQueryTree(x, DefaultRootWindow(x), &root, &parent, &children, &n))
        alive = std::find(children, children + n, named) != children + n;
    if (children) XFree(children);
    return alive;
}

std::string raisedWithoutAWindowManager() {
    PetPanelWindow panel({450, 400, 52, 52});
    if (!shown(panel)) return "the panel never showed";
    // The test ends the window manager at this word, unannounced, as a crash would.
    std::printf("waiting for the window manager to end\n");
    std::fflush(stdout);
    if (!waitFor([] { return !windowManagerRuns(); })) return "the window manager never ended";
    return raisedOverANewWindow();
}

}  // namespace

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    x = XOpenDisplay(nullptr);
    if (!x) return 2;
    platform::qt::QtMainLoop loop;
    platform::Services services;
    services.mainLoop = &loop;
    platform::installServices(services);

    const std::vector<std::pair<std::string, std::function<std::string()>>> cases = {
        {"moves", movesStayOffQtsConnection},
        {"put-away", putAwayAndBackWherePlaced},
        {"resize", resizedAfterMovesWhereAFreshPanelIs},
        {"hops", hopsShiftTheDrawingInsideTheWindow},
        {"edge", nothingShowsBeyondTheClipAtAnyFlush},
        {"stacking", raisedOverANewWindow},
        {"own-dialog", keptUnderOurDialogInFront},
        {"pointer", pointerReadWhereTheServerHasIt},
        {"tray-panel", trayPanelStaysOpenAsTheProgramLosesTheFocus},
        {"input-before-panel", trayPanelOutlivesInputMadeBeforeItOpened},
        {"no-window-manager", raisedWithoutAWindowManager},
    };
    std::vector<std::string> asked(argv + 1, argv + argc);
    int failed = 0;
    for (const auto& [name, run] : cases) {
        if (!asked.empty() && std::find(asked.begin(), asked.end(), name) == asked.end()) continue;
        const std::string fault = run();
        std::printf("%s %s%s%s\n", fault.empty() ? "ok" : "FAIL", name.c_str(), fault.empty() ? "" : ": ",
                    fault.c_str());
        std::fflush(stdout);
        failed += !fault.empty();
    }
    return failed ? 1 : 0;
}
