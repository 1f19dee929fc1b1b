#pragma once

struct _XDisplay;  // Xlib's Display, kept out of Qt's headers

namespace platform::qt {

// Whether the X display named by $DISPLAY accepts a connection. Qt aborts inside QApplication
// when it cannot reach the display, so main asks first.
bool x11DisplayReachable();

// Whether Qt's X server leaves a request unanswered for `seconds`: it is stopped or hung, and
// every window call that waits for an answer would wait for ever. False off X11 and on a
// broken connection, where calls fail at once.
bool x11DisplayStalls(double seconds);

// A connection of the caller's own to the display named by $DISPLAY, or null. Also null once
// the connections were cut for a quit: the server may not answer, and an open waits for ever.
_XDisplay* openOwnX11Display();

// The socket of Qt's connection to the X server; -1 off X11.
int qtX11Socket();

// Qt's own connection to the X server; null off X11.
_XDisplay* qtX11Display();

// Sends what was queued for X once the loop is about to sleep: the frames of both pets painted
// in one wake-up reach the server (and the compositor) together.
void flushBeforeSleep(_XDisplay* dpy);

}  // namespace platform::qt
