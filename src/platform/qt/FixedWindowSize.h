#pragma once

class QWidget;

namespace platform::qt {

// Keeps a window of a fixed size (a message box) at that size in points on every screen it is
// moved to: Qt hands a window moved onto a screen of another scale over with its size in device
// pixels kept, and its size hints in the old screen's pixels.
void keepFixedSizeOnEachScreen(QWidget& window);

}  // namespace platform::qt
