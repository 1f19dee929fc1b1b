#pragma once

#include <vector>

#include "platform/Screen.h"

namespace model {

// Whether the application the user works in covers a whole screen, so the pets can step aside.
class FullScreenDetector final {
public:
    FullScreenDetector() = delete;

    // True when the front application is another program and one of its on-screen windows
    // either is in the normal layer with a width and a height each less than 2 points off
    // some screen's frame (sizes only, not positions), or is shown full screen by the window
    // manager. Reads the window list once. Anything unknown or missing answers false, so the
    // pets stay visible; so do no screens at all.
    static bool frontmostAppOccupiesFullScreen(const std::vector<platform::Screen>& screens);
};

}  // namespace model
