#pragma once

#include <cstdint>
#include <functional>

struct _XDisplay;  // Xlib's Display, kept out of Qt's headers

namespace platform::qt {

// Whether a compositing manager owns _NET_WM_CM_S<screen>. The owner is followed through XFixes
// selection events, so a compositor that quits or starts is seen at once; a server without
// XFixes is asked at most every five seconds.
bool compositorRunning(_XDisplay* dpy);

// `changed` runs whenever a compositor starts or quits, until the returned id is removed.
uint64_t onCompositorChange(std::function<void()> changed);
void removeCompositorChange(uint64_t id);

}  // namespace platform::qt
