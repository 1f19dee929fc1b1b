#pragma once

struct _XDisplay;  // Xlib's Display, kept out of Qt's headers

namespace platform::qt {

// Whether a compositing manager owns _NET_WM_CM_S<screen>. Asked at most every five seconds:
// it is a round trip, and compositors come and go rarely.
bool compositorRunning(_XDisplay* dpy);

}  // namespace platform::qt
