#include "platform/qt/X11Display.h"

#include <QAbstractEventDispatcher>
#include <QElapsedTimer>
#include <QGuiApplication>
#include <QThread>
#include <cstdlib>
#include <utility>

#include "platform/qt/X11QuitWatchdog.h"

#include <xcb/xcb.h>
#include <xcb/xcbext.h>

// Xlib last: its macros (None, Bool, Status...) would clash with Qt's headers.
#include <X11/Xlib.h>

namespace platform::qt {
namespace {

QNativeInterface::QX11Application* qtX11() {
    return qGuiApp ? qGuiApp->nativeInterface<QNativeInterface::QX11Application>() : nullptr;
}

}  // namespace

xcb_connection_t* qtXcbConnection() {
    auto* x11 = qtX11();
    return x11 ? x11->connection() : nullptr;
}

bool x11DisplayReachable() {
    Display* display = XOpenDisplay(nullptr);
    if (!display) return false;
    XCloseDisplay(display);
    return true;
}

bool x11DisplayStalls(double seconds) {
    xcb_connection_t* connection = qtXcbConnection();
    if (!connection || xcb_connection_has_error(connection)) return false;
    // Qt's event thread reads the socket; the answer is looked for now and then rather than
    // waited for, which could not be given up.
    const xcb_get_input_focus_cookie_t cookie = xcb_get_input_focus(connection);
    xcb_flush(connection);
    QElapsedTimer waited;
    waited.start();
    for (;;) {
        void* reply = nullptr;
        xcb_generic_error_t* error = nullptr;
        if (xcb_poll_for_reply(connection, cookie.sequence, &reply, &error) || xcb_connection_has_error(connection)) {
            std::free(reply);
            std::free(error);
            return false;
        }
        if (waited.elapsed() >= seconds * 1000) {
            xcb_discard_reply(connection, cookie.sequence);
            return true;
        }
        QThread::msleep(5);
    }
}

std::unique_ptr<OwnX11Connection> OwnX11Connection::open() {
    if (x11QuitWatchdog::cutForQuit()) return nullptr;
    Display* display = XOpenDisplay(nullptr);
    if (!display) return nullptr;
    return std::unique_ptr<OwnX11Connection>(new OwnX11Connection(display));
}

OwnX11Connection::OwnX11Connection(Display* display) : display_(display), cuttable_(ConnectionNumber(display)) {}

std::unique_ptr<OwnXcbConnection> OwnXcbConnection::open() {
    if (x11QuitWatchdog::cutForQuit()) return nullptr;
    xcb_connection_t* connection = xcb_connect(nullptr, nullptr);
    if (xcb_connection_has_error(connection)) {
        xcb_disconnect(connection);
        return nullptr;
    }
    return std::unique_ptr<OwnXcbConnection>(new OwnXcbConnection(connection));
}

OwnXcbConnection::OwnXcbConnection(xcb_connection_t* connection)
    : connection_(connection), cuttable_(xcb_get_file_descriptor(connection)) {}

OwnXcbConnection::~OwnXcbConnection() {
    xcb_disconnect(connection_);
}

OwnX11Connection::~OwnX11Connection() {
    XCloseDisplay(display_);
}

int qtX11Socket() {
    xcb_connection_t* connection = qtXcbConnection();
    return connection ? xcb_get_file_descriptor(connection) : -1;
}

Display* qtX11Display() {
    auto* x11 = qtX11();
    return x11 ? x11->display() : nullptr;
}

void flushBeforeSleep(Display* dpy) {
    static bool pending = false;
    static bool connected = false;
    if (!connected) {
        auto* dispatcher = QAbstractEventDispatcher::instance();
        if (!dispatcher) return void(XFlush(dpy));
        QObject::connect(dispatcher, &QAbstractEventDispatcher::aboutToBlock, [] {
            if (!std::exchange(pending, false)) return;
            if (Display* d = qtX11Display()) XFlush(d);
        });
        connected = true;
    }
    pending = true;
}

}  // namespace platform::qt
