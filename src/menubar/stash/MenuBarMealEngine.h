#pragma once

#include <cstdint>
#include <functional>
#include <optional>
#include <string>

#include "platform/Defaults.h"
#include "platform/Geometry.h"
#include "platform/Published.h"
#include "platform/Signal.h"
#include "platform/StatusItem.h"

namespace menubar::stash {

// The pet's face in the menu bar, as the stash engines send it.
struct MenuBarMealFaceState {
    // Negative looks left, 0 ahead, positive right; the engines send -1 or 0.
    int gaze = 0;
    // 0 closed to 1 wide open.
    double mouth = 0;
    bool isCollapsed = false;
    // How far the three-bean divider has run its feed or spit sequence, 0 to 1.
    double pelletProgress = 0;
    bool isSpitting = false;
    bool showsPellets = false;
    friend bool operator==(const MenuBarMealFaceState&, const MenuBarMealFaceState&) = default;
};

// The operation in force. Delayed steps carry the generation they started with and do
// nothing once it has moved on.
struct MenuBarMealTransaction {
    uint64_t generation = 0;
    bool wantsCollapsed = false;
    // One automatic repair of the spacer's place is still allowed within this operation.
    bool repairAvailable = true;
};

inline constexpr const char* kMenuBarMealEnabledKey = "menuBarMealEnabled";
inline constexpr const char* kMenuBarMealDesiredCollapsedKey = "menuBarMealDesiredCollapsed";

// The stored wish to have the icons hidden: only while the stash is on, and any value that
// is not a Bool counts as wanting them hidden.
bool storedWantsCollapsed(const platform::Defaults& defaults);

// What both icon-stash engines offer the rest of the program. Main thread only.
class MenuBarMealEngine {
public:
    virtual ~MenuBarMealEngine() = default;
    MenuBarMealEngine(const MenuBarMealEngine&) = delete;
    MenuBarMealEngine& operator=(const MenuBarMealEngine&) = delete;

    // Fires before any published value below changes.
    platform::Signal<>& objectWillChange() { return objectWillChange_; }
    // The stash is switched on.
    const platform::Published<bool>& isEnabled() const { return isEnabled_; }
    // The icons are hidden now.
    const platform::Published<bool>& isCollapsed() const { return isCollapsed_; }
    // The stash can be switched on at all; false where the tray places every icon itself.
    virtual bool canSwitchOn() const { return true; }
    // The user's wish to have them hidden.
    const platform::Published<bool>& requestedCollapsed() const { return requestedCollapsed_; }
    // The last status message, already localised; "" when there is none.
    const platform::Published<std::string>& message() const { return message_; }

    // Set by the owner of the pet's status item; never read back by callers.
    std::function<void(const MenuBarMealFaceState&)> onFaceChange;
    // Rebuild the pet's status item so the bar places it at its stored position.
    std::function<void()> onRecoveryPositionRepair;
    // The pet face's frame on screen (global points), or nothing when it cannot be found.
    std::function<std::optional<platform::Rect>()> recoveryFaceFrame;

    virtual void clearMessageAfterLanguageChange() { message_ = std::string(); }
    // Called before the pet's status item is created.
    virtual void prepareControlPosition() = 0;
    // Adopts the pet's status item as the control beside which icons are stashed. The item
    // may be removed at any time; the engine then treats the control as gone.
    virtual void attachControl(platform::StatusItem& item) = 0;
    // One-time start after launch.
    virtual void start() = 0;
    // Tear-down at quit: hidden icons come back; the stored wish stays.
    virtual void stop() = 0;
    virtual void setEnabled(bool enabled) = 0;
    // Feeds or spits, as the right click on the pet asks.
    virtual void toggle() = 0;

protected:
    MenuBarMealEngine() {
        auto willChange = [this] { objectWillChange_.emit(); };
        isEnabled_.setWillChange(willChange);
        isCollapsed_.setWillChange(willChange);
        requestedCollapsed_.setWillChange(willChange);
        message_.setWillChange(willChange);
    }

    platform::Published<bool> isEnabled_{false};
    platform::Published<bool> isCollapsed_{false};
    platform::Published<bool> requestedCollapsed_{false};
    platform::Published<std::string> message_{};

private:
    platform::Signal<> objectWillChange_;
};

}  // namespace menubar::stash
