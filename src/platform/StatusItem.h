#pragma once

#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "platform/Geometry.h"
#include "platform/Screen.h"
#include "platform/Signal.h"

namespace platform {

struct MenuAction {
    std::string title;
    std::function<void()> action;
};

// Where a status item is drawn, on a status bar that lays its items out (see
// StatusBar::supportsItemLayout).
struct StatusItemWindow {
    // Global y-up points.
    Rect frame;
    bool isVisible = false;
    // The screen the item is shown on; nothing when the bar cannot tell.
    std::optional<Screen> screen;
};

// The program's entry in the desktop's tray.
class StatusItem {
public:
    virtual ~StatusItem() = default;
    virtual void setToolTip(const std::string& text) = 0;
    // The menu shown by a secondary click.
    virtual void setMenu(std::vector<MenuAction> actions) = 0;
    // Called on a primary click.
    virtual void setOnActivate(std::function<void()> handler) = 0;
    virtual bool isVisible() const = 0;

    // Length, autosave name and window exist only where the status bar supports item
    // layout; elsewhere the tray sizes and places every item itself and these do nothing.
    virtual double length() const { return 0; }
    virtual void setLength(double) {}
    virtual std::string autosaveName() const { return {}; }
    // The name under which the item's position is stored ("NSStatusItem Preferred Position "
    // followed by the name, in the standard defaults store); read when the name is set.
    virtual void setAutosaveName(const std::string&) {}
    virtual std::optional<StatusItemWindow> window() const { return std::nullopt; }

    // Emitted by a layout-capable bar after the item's window moved or changed size.
    Signal<> windowDidChange;
    // Emitted by a layout-capable bar after isVisible() changed.
    Signal<> visibilityDidChange;

    // Expires when the item is removed, so a holder of a plain pointer can tell.
    std::weak_ptr<const void> lifetime() const { return lifetime_; }

private:
    std::shared_ptr<const void> lifetime_ = std::make_shared<char>();
};

class StatusBar {
public:
    virtual ~StatusBar() = default;
    // Destroying an item removes it; a bar that lays items out also forgets its stored
    // position, so an owner that rebuilds an item in place writes the position back first.
    virtual std::unique_ptr<StatusItem> createStatusItem() = 0;
    // Items can have a length of their own and keep a stored position beside other programs'
    // items. False where the tray places square icons itself.
    virtual bool supportsItemLayout() const { return false; }
};

// The standard defaults key of an item's stored position.
inline std::string statusItemPositionKey(const std::string& autosaveName) {
    return "NSStatusItem Preferred Position " + autosaveName;
}

}  // namespace platform
