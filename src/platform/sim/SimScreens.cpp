#include "platform/sim/SimScreens.h"

#include <string>

namespace platform::sim {

SimScreens::SimScreens(MainLoop& loop, NotificationCenter& center) : changes_(loop, center) {
    screens_.push_back(display(1, {0, 0, 1440, 900}, {.top = 32, .bottom = 48}, true));
}

std::optional<Screen> SimScreens::mainScreen() const {
    if (screens_.empty()) return std::nullopt;
    if (mainIndex_ && *mainIndex_ < screens_.size()) return screens_[*mainIndex_];
    return screens_.front();
}

void SimScreens::setScreens(std::vector<Screen> screens) {
    screens_ = std::move(screens);
    changes_.noteChange();
}

Screen SimScreens::display(uint32_t id, Rect frame, EdgeInsets panels, bool builtIn) {
    Screen s;
    s.frame = frame;
    s.visibleFrame = {frame.minX() + panels.left, frame.minY() + panels.bottom,
                      frame.width() - panels.left - panels.right, frame.height() - panels.top - panels.bottom};
    s.displayID = id;
    s.outputName = (builtIn ? "eDP-" : "HDMI-") + std::to_string(id);
    s.localizedName = builtIn ? "Built-in Display" : "Display " + std::to_string(id);
    s.isBuiltIn = builtIn;
    return s;
}

Screen SimScreens::withNotch(Screen screen, double notchWidth, double notchHeight) {
    const Rect& f = screen.frame;
    const double left = f.midX() - notchWidth / 2;
    const double right = f.midX() + notchWidth / 2;
    screen.safeAreaInsets.top = notchHeight;
    screen.auxiliaryTopLeftArea = Rect{f.minX(), f.maxY() - notchHeight, left - f.minX(), notchHeight};
    screen.auxiliaryTopRightArea = Rect{right, f.maxY() - notchHeight, f.maxX() - right, notchHeight};
    return screen;
}

}  // namespace platform::sim
