#pragma once

#include <cstdint>
#include <memory>
#include <optional>
#include <vector>

#include "platform/Defaults.h"
#include "platform/NotificationCenter.h"
#include "platform/Screens.h"
#include "platform/StatusItem.h"

namespace platform::sim {

struct SimMenuBarLayout;

// A tray entry that remembers what it was given; tests click it and read it back. On the
// simulated menu bar it also has a length, an autosave name and a window, which is where it
// says it is.
class SimStatusItem final : public StatusItem {
public:
    SimStatusItem(std::weak_ptr<SimMenuBarLayout> layout, uint64_t order) : layout_(std::move(layout)), order_(order) {}
    ~SimStatusItem() override;

    void setToolTip(const std::string& text) override { toolTip_ = text; }
    std::string toolTip() const override { return toolTip_; }
    void setAccessibilityLabel(const std::string& label) override { accessibilityLabel = label; }
    void setOnClick(std::function<void(const StatusItemClick&)> handler) override { onClick_ = std::move(handler); }
    void setSecondaryActionTitle(const std::string& title) override { secondaryActionTitle = title; }
    std::optional<Rect> geometry() const override { return window_ ? std::optional(window_->frame) : std::nullopt; }
    bool isVisible() const override { return visible_; }
    bool isDocked() const override { return docked; }
    double length() const override { return length_; }
    void setLength(double points) override;
    std::string autosaveName() const override { return name_; }
    void setAutosaveName(const std::string& name) override;
    std::optional<StatusItemWindow> window() const override { return window_; }

    void click(StatusItemClick::Button button, bool commandHeld = false, std::optional<Point> at = std::nullopt) {
        if (onClick_) onClick_({button, commandHeld, at, std::nullopt});
    }

    std::string accessibilityLabel;
    std::string secondaryActionTitle;
    // False stands for a desktop without a tray.
    bool docked = true;

private:
    friend struct SimMenuBarLayout;
    std::weak_ptr<SimMenuBarLayout> layout_;
    uint64_t order_;
    double length_ = 22;
    std::string name_;
    std::optional<int64_t> position_;
    bool visible_ = false;
    std::optional<StatusItemWindow> window_;
    std::string toolTip_;
    std::function<void(const StatusItemClick&)> onClick_;
};

class SimPopover final : public Popover {
public:
    void setContentSize(Size size) override { size_ = size; }
    Size contentSize() const override { return size_; }
    void show(const Rect& frame) override {
        shownFrame = frame;
        shown = true;
    }
    void close() override { shown = false; }
    bool isShown() const override { return shown; }

    bool shown = false;
    std::optional<Rect> shownFrame;

private:
    Size size_;
};

// The simulated menu bar: the top 24 points of the first screen. Items stand side by side
// leftwards from the screen's right edge: first those with a stored position, smallest
// first (of equal positions, the one named later stands further left), then those without,
// oldest first. An item's stored position is read when it gets its autosave name and
// forgotten when the item is removed. An item is visible only while its frame lies wholly on
// the screen: a wide item pushes everything left of it off the usable edge.
class SimStatusBar final : public StatusBar {
public:
    SimStatusBar(Defaults& store, const ScreenList& screens, NotificationCenter& center);
    std::unique_ptr<StatusItem> createStatusItem() override;
    std::unique_ptr<Popover> createPopover() override {
        auto popover = std::make_unique<SimPopover>();
        lastPopover = popover.get();
        return popover;
    }
    bool supportsItemLayout() const override { return true; }
    double thickness() const override { return 24; }

    SimStatusItem* lastItem = nullptr;
    SimPopover* lastPopover = nullptr;
    int created = 0;

private:
    std::shared_ptr<SimMenuBarLayout> layout_;
    Subscription screenChanges_;
};

}  // namespace platform::sim
