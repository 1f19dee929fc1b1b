#pragma once

#include <QIcon>

#include "platform/program/ResourceBundle.h"

namespace platform::qt {

// The program's icon for its windows, at every size up to 64 px the bundle's copy of the hicolor
// theme holds ("icons/hicolor/<N>x<N>/apps/tuftle.png"), so the window manager and taskbar each
// take a sharp one. A null icon when the bundle has none.
QIcon applicationIcon(const ResourceBundle& bundle);

}  // namespace platform::qt
