#pragma once

#include <vector>

#include "platform/Screen.h"

namespace platform::qt {

// Qt's screens in global y-up points, the primary screen first; empty without a display.
std::vector<Screen> currentScreens();

}  // namespace platform::qt
