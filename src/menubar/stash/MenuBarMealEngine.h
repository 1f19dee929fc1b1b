#pragma once

namespace menubar::stash {

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
};

}  // namespace menubar::stash
