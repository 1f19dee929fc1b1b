#include "platform/desktop/PanelPress.h"

namespace platform {

bool panelTakesPress(Point location, bool ignoresMouse, const std::optional<Rect>& clip,
                     const std::function<bool(Point)>& hitTest) {
    return !ignoresMouse && (!clip || clip->contains(location)) && (!hitTest || hitTest(location));
}

}  // namespace platform
