#pragma once

#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace platform {

struct MenuVisibilityError {
    std::string domain;
    long code = 0;
    friend bool operator==(const MenuVisibilityError&, const MenuVisibilityError&) = default;
};

// One request to the desktop that only chosen programs' menu-bar items stay visible.
class MenuVisibilityAssertion {
public:
    virtual ~MenuVisibilityAssertion() = default;
    // Ends it: the items it hid come back. Ending it again does nothing more.
    virtual void invalidate() = 0;
};

// The desktop's interface for hiding other programs' menu-bar items.
class MenuVisibility {
public:
    virtual ~MenuVisibility() = default;
    virtual bool isAvailable() const = 0;
    // Starts an assertion under which the listed system items and the allowed programs' items
    // stay visible and all others are hidden. `done` receives the desktop's error, or nothing
    // when it took effect; it may run on any thread. May throw when the desktop fails inside.
    virtual std::shared_ptr<MenuVisibilityAssertion> activate(
        const std::vector<int>& allowedSystemItems, const std::vector<std::string>& allowedBundleIdentifiers,
        std::function<void(std::optional<MenuVisibilityError>)> done) = 0;
};

}  // namespace platform
