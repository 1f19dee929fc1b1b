#pragma once

#include <optional>
#include <vector>

#include "platform/Screens.h"

namespace platform::sim {

// Displays of any shape, set by the test. Starts with one built-in 1440 × 900 display whose
// bottom 48 points are a taskbar and top 32 points a top bar.
class SimScreens final : public ScreenList {
public:
    SimScreens(MainLoop& loop, NotificationCenter& center);

    std::vector<Screen> screens() const override { return screens_; }
    std::optional<Screen> mainScreen() const override;

    // Replaces the displays (the first is the primary one) and announces the change, once
    // per loop turn however many changes come in a burst.
    void setScreens(std::vector<Screen> screens);
    // Which display holds the focused window; nothing means the primary one.
    void setMainScreenIndex(std::optional<size_t> index) { mainIndex_ = index; }

    // A display with its frame and the room that panels take at each side of it.
    static Screen display(uint32_t id, Rect frame, EdgeInsets panels = {}, bool builtIn = false);
    // The same display with a camera housing of the given size at the middle of its top edge.
    static Screen withNotch(Screen screen, double notchWidth = 180, double notchHeight = 32);

private:
    std::vector<Screen> screens_;
    std::optional<size_t> mainIndex_;
    ScreenChangeCoalescer changes_;
};

}  // namespace platform::sim
