#pragma once

#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "platform/Geometry.h"
#include "platform/Signal.h"

namespace platform {

// A running program as the desktop lists it.
struct RunningApplication {
    long pid = 0;
    // The program's stable identifier (a bundle or desktop-entry id), when it has one.
    std::optional<std::string> bundleIdentifier;
    // A program without any user interface of its own; asked last.
    bool backgroundOnly = false;
};

// What the accessibility interface could read of one program's menu-bar items.
struct MenuBarItemsReading {
    // Accessibility coordinates: origin at the top-left of the primary screen, y down.
    std::vector<Rect> frames;
    // False when the bar, or any item on it, could not be read in time.
    bool complete = true;
};

// Other programs and their menu-bar items, through the desktop's accessibility interface.
class MenuBarApplications {
public:
    virtual ~MenuBarApplications() = default;
    virtual std::vector<RunningApplication> runningApplications() const = 0;
    // This process may read other programs' interface elements.
    virtual bool isTrusted() const = 0;
    // Asks the user to allow it (the desktop shows its own prompt, where it has one).
    virtual void promptForTrust() = 0;
    // Reads one program's menu-bar items, each accessibility call bounded by `stepTimeout`
    // seconds. `done` runs exactly once, later, on the main loop.
    virtual void readMenuBarItems(const RunningApplication& application, double stepTimeout,
                                  std::function<void(MenuBarItemsReading)> done) = 0;
    // The process owning the element at `axPoint` (accessibility coordinates), waiting at most
    // `timeout` seconds; nothing when no element is found there.
    virtual std::optional<long> processAt(Point axPoint, double timeout) const = 0;

    // Emitted on the main loop when a program starts.
    Signal<RunningApplication> didLaunchApplication;
};

}  // namespace platform
