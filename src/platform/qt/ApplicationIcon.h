#pragma once

#include <QIcon>

#include "platform/ResourceBundle.h"

namespace platform::qt {

// The program's icon for its windows, at every size the bundle's copy of the hicolor theme
// holds ("icons/hicolor/<size>/apps/tuftle.png"), so the window manager, taskbar and window
// switcher each take a sharp one. A null icon when the bundle has none.
QIcon applicationIcon(const ResourceBundle& bundle);

}  // namespace platform::qt
