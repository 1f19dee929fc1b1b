#pragma once

#include <optional>
#include <vector>

#include "model/PetEnums.h"
#include "pets/coordination/DisplayGeometry.h"
#include "pets/PetHome.h"
#include "platform/Screen.h"

namespace pets {

// Computes the pets' homes from the connected screens: hanging from the top (out of the notch of
// a built-in display, else from the top of the primary screen's work area), or half hidden
// behind the edge of the Dock (on Linux: the panel or taskbar that takes the most room at the
// bottom or a side).
class ScreenHomeResolver final {
public:
    ScreenHomeResolver() = delete;

    // One geometry per screen, in the given order; a screen without a display number is
    // left out.
    static std::vector<DisplayGeometry> geometries(const std::vector<platform::Screen>& screens);

    // The homes of the first `petCount` pets in pet order; none without displays. A missing
    // preference counts as automatic.
    static std::vector<PetHome> homes(int petCount, const std::vector<DisplayGeometry>& displays,
                                      platform::Size petSize, const std::vector<model::PetHomePreference>& preferences);

    // Whether a pet that asks for the top gets it; otherwise it stays by the taskbar.
    static bool topHasRoom(const std::vector<DisplayGeometry>& displays, platform::Size petSize);

private:
    static const DisplayGeometry* topDisplay(const std::vector<DisplayGeometry>& displays, platform::Size petSize);
    static std::optional<platform::Rect> notchFrame(const platform::Screen& screen);
    static PetHome dockHome(const DisplayGeometry& display, platform::Size petSize, double horizontalOffset);
    static PetHome notchHome(const DisplayGeometry& display, platform::Size petSize, double horizontalOffset);
};

}  // namespace pets
