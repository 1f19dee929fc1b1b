#include "platform/qt/X11DockAreas.h"

#include "platform/qt/X11DockWatcher.h"

namespace platform::qt {

std::vector<Rect> readShownDocks() {
    return X11DockWatcher::shared().shownDocks();
}

}  // namespace platform::qt
