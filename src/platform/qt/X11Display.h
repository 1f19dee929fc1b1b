#pragma once

#include <memory>

#include "platform/qt/X11QuitWatchdog.h"

struct _XDisplay;  // Xlib's Display, kept out of Qt's headers
struct xcb_connection_t;

namespace platform::qt {

// Whether the X display named by $DISPLAY accepts a connection. Qt aborts inside QApplication
// when it cannot reach the display, so main asks first.
bool x11DisplayReachable();

// Whether Qt's X server leaves a request unanswered for `seconds`: it is stopped or hung, and
// every window call that waits for an answer would wait for ever. False off X11 and on a
// broken connection, where calls fail at once.
bool x11DisplayStalls(double seconds);

// A connection of the caller's own to the display named by $DISPLAY, which the quit watchdog
// may cut while it lives; closed when it goes.
class OwnX11Connection {
public:
    // Null when the display cannot be reached, and once the connections were cut for a quit:
    // the server may not answer, and an open waits for ever.
    static std::unique_ptr<OwnX11Connection> open();
    ~OwnX11Connection();
    OwnX11Connection(const OwnX11Connection&) = delete;
    OwnX11Connection& operator=(const OwnX11Connection&) = delete;

    _XDisplay* display() const { return display_; }

private:
    explicit OwnX11Connection(_XDisplay* display);

    _XDisplay* display_;
    x11QuitWatchdog::CuttableConnection cuttable_;
};

// The same through xcb, for readers that send many requests before they wait for the answers.
class OwnXcbConnection {
public:
    // Null when the display cannot be reached, or the connections were cut for a quit.
    static std::unique_ptr<OwnXcbConnection> open();
    ~OwnXcbConnection();
    OwnXcbConnection(const OwnXcbConnection&) = delete;
    OwnXcbConnection& operator=(const OwnXcbConnection&) = delete;

    xcb_connection_t* connection() const { return connection_; }

private:
    explicit OwnXcbConnection(xcb_connection_t* connection);

    xcb_connection_t* connection_;
    x11QuitWatchdog::CuttableConnection cuttable_;
};

// The socket of Qt's connection to the X server; -1 off X11.
int qtX11Socket();

// Qt's own connection to the X server; null off X11.
_XDisplay* qtX11Display();
xcb_connection_t* qtXcbConnection();

// Sends what was queued for X once the loop is about to sleep: the frames of both pets painted
// in one wake-up reach the server (and the compositor) together.
void flushBeforeSleep(_XDisplay* dpy);

}  // namespace platform::qt
