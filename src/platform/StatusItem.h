#pragma once

#include <functional>
#include <memory>
#include <optional>
#include <string>

#include "platform/Geometry.h"
#include "platform/Screen.h"
#include "platform/Signal.h"

namespace platform {

// Where a status item is drawn, on a status bar that lays its items out (see
// StatusBar::supportsItemLayout).
struct StatusItemWindow {
    // Global y-up points.
    Rect frame;
    bool isVisible = false;
    // The screen the item is shown on; nothing when the bar cannot tell.
    std::optional<Screen> screen;
};

// One click on the tray entry, as the tray reported it.
struct StatusItemClick {
    enum class Button { primary, secondary, middle };
    Button button = Button::primary;
    // The command modifier (Control on Linux) was down at the moment of the click.
    bool commandHeld = false;
    // Where the click happened (global, y up), when the tray says so.
    std::optional<Point> location;
    // The tray's panel around `location` (global, y up), when the screen's visible frame takes
    // it in (a panel that hides): a popup keeps off it, as off a panel that reserves its room.
    std::optional<Rect> hidingPanel;
};

// The program's entry in the desktop's tray.
class StatusItem {
public:
    virtual ~StatusItem() = default;
    virtual void setToolTip(const std::string& text) = 0;
    virtual std::string toolTip() const = 0;
    virtual void setAccessibilityLabel(const std::string& label) = 0;
    virtual void setOnClick(std::function<void(const StatusItemClick&)> handler) = 0;
    // The title of the one menu entry that stands for the secondary click on trays that show
    // a menu of their own for a right click instead of passing it on.
    virtual void setSecondaryActionTitle(const std::string&) {}
    // The entry's rectangle on screen (global, y up), when the tray reports one.
    virtual std::optional<Rect> geometry() const = 0;
    virtual bool isVisible() const = 0;
    // A tray on the desktop holds the entry now; false when none would show it.
    virtual bool isDocked() const { return isVisible(); }

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

// A borderless popup that closes by itself on a click outside it or on Escape.
class Popover {
public:
    virtual ~Popover() = default;
    virtual void setContentSize(Size size) = 0;
    virtual Size contentSize() const = 0;
    // Shows it at `frame` (global, y up) and gives it the keyboard.
    virtual void show(const Rect& frame) = 0;
    virtual void close() = 0;
    virtual bool isShown() const = 0;
};

class StatusBar {
public:
    virtual ~StatusBar() = default;
    // Destroying an item removes it; a bar that lays items out also forgets its stored
    // position, so an owner that rebuilds an item in place writes the position back first.
    // Nothing when the desktop cannot show one.
    virtual std::unique_ptr<StatusItem> createStatusItem() = 0;
    virtual std::unique_ptr<Popover> createPopover() = 0;
    // Items can have a length of their own and keep a stored position beside other programs'
    // items. False where the tray places square icons itself.
    virtual bool supportsItemLayout() const { return false; }
    // The height of the bar, in points; 0 where the tray does not say.
    virtual double thickness() const { return 0; }
};

// The standard defaults key of an item's stored position.
inline std::string statusItemPositionKey(const std::string& autosaveName) {
    return "NSStatusItem Preferred Position " + autosaveName;
}

}  // namespace platform
