#pragma once

#include <functional>
#include <optional>
#include <set>
#include <string>
#include <vector>

#include "platform/Geometry.h"

namespace menubar::stash {

// One menu-bar item of one program.
struct MenuBarGeometryItem {
    std::string bundle;
    // Accessibility coordinates: origin at the top-left of the primary screen, y down.
    platform::Rect frame;
};

// The result of one scan.
struct MenuBarInventorySnapshot {
    // Every item whose position and size could be read, grouped by program in the order in
    // which their scans finished.
    std::vector<MenuBarGeometryItem> items;
    // Programs whose items were not all read, including every one not yet asked at the deadline.
    std::set<std::string> uncertain;
    // Every program taken into the scan.
    std::set<std::string> running;
};

// Lists the running programs' menu-bar items with their frames, through the accessibility
// interface: up to four programs are asked at a time, background-only ones last, and no new
// one after 2.5 s, so one slow or silent program cannot hold the stash up.
class MenuBarAccessibilityInventory {
public:
    using Completion = std::function<void(const MenuBarInventorySnapshot&)>;

    // When set, snapshot() hands its completion here and asks no program.
    std::function<void(Completion)> snapshotOverride;

    // Returns at once; the completion runs exactly once, later, on the main loop.
    void snapshot(Completion completion);

    // Screen coordinates (y up) to accessibility coordinates (y down from the primary
    // screen's top), and back: the flip is its own inverse.
    static platform::Rect axFrame(const platform::Rect& rect);
    // Whether the element at the centre of `axRect` belongs to process `pid`; nothing when
    // no element is found there.
    static std::optional<bool> hitBelongsToProcess(const platform::Rect& axRect, long pid);
};

}  // namespace menubar::stash
