#pragma once

namespace platform::qt {

// Whether the X display named by $DISPLAY accepts a connection. Qt aborts inside QApplication
// when it cannot reach the display, so main asks first.
bool x11DisplayReachable();

}  // namespace platform::qt
