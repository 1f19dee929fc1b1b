#pragma once

#include <functional>
#include <optional>

#include "platform/Geometry.h"

namespace platform {
class StatusItem;
}

namespace menubar::stash {

// The pet's face in the tray as the stash engine wants it drawn.
struct MenuBarMealFaceState {
    int gaze = 0;  // below 0 looks left, 0 ahead, above 0 right
    double mouth = 0;  // 0 closed ... 1 wide open
    bool isCollapsed = false;  // other programs' icons are hidden
    double pelletProgress = 0;  // progress of the feeding or spitting motion, 0 ... 1
    bool isSpitting = false;
    bool showsPellets = false;
    friend bool operator==(const MenuBarMealFaceState&, const MenuBarMealFaceState&) = default;
};

// What both icon-stash engines offer the rest of the program.
class MenuBarMealEngine {
public:
    virtual ~MenuBarMealEngine() = default;
    // One-time start: observers, timers, the delayed restore of a stored fold.
    virtual void start() = 0;
    // Tear-down at quit: every hidden icon comes back; the stored wish to fold stays.
    virtual void stop() = 0;
    // Empties the engine's published message.
    virtual void clearMessageAfterLanguageChange() = 0;

    virtual bool isEnabled() const = 0;
    virtual bool isCollapsed() const = 0;
    // Writes missing position defaults before the pet's tray entry is created.
    virtual void prepareControlPosition() = 0;
    // The pet's tray entry, which the engine works beside; answers with the current face.
    virtual void attachControl(platform::StatusItem& item) = 0;
    // Shows hidden icons again or hides them; nothing while the stash is off.
    virtual void toggle() = 0;

    // Called on the main loop whenever the face or the pellets change.
    std::function<void(const MenuBarMealFaceState&)> onFaceChange;
    // Asks for the pet's entry to be rebuilt at its saved position.
    std::function<void()> onRecoveryPositionRepair;
    // The face's rectangle on screen, or nothing when it is not wholly visible.
    std::function<std::optional<platform::Rect>()> recoveryFaceFrame;
};

}  // namespace menubar::stash
