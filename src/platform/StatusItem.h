#pragma once

#include <functional>
#include <memory>
#include <optional>
#include <string>

#include "platform/Geometry.h"

namespace platform {

// One click on the tray entry, as the tray reported it.
struct StatusItemClick {
    enum class Button { primary, secondary, middle };
    Button button = Button::primary;
    // The command modifier (Control on Linux) was down at the moment of the click.
    bool commandHeld = false;
    // Where the click happened (global, y up), when the tray says so.
    std::optional<Point> location;
};

// The program's entry in the desktop's tray.
class StatusItem {
public:
    virtual ~StatusItem() = default;
    virtual void setToolTip(const std::string& text) = 0;
    virtual std::string toolTip() const = 0;
    virtual void setAccessibilityLabel(const std::string& label) = 0;
    virtual void setOnClick(std::function<void(const StatusItemClick&)> handler) = 0;
    // Points; trays that place square icons themselves ignore it.
    virtual double length() const = 0;
    virtual void setLength(double length) = 0;
    // The entry's rectangle on screen (global, y up), when the tray reports one.
    virtual std::optional<Rect> geometry() const = 0;
    virtual bool isVisible() const = 0;
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
    // Nothing when the desktop cannot show one. Destroying the item removes it from the tray.
    virtual std::unique_ptr<StatusItem> createStatusItem(const std::string& autosaveName, double length) = 0;
    virtual std::unique_ptr<Popover> createPopover() = 0;
};

}  // namespace platform
