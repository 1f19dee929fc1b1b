#pragma once

#include <memory>
#include <string>

#include "platform/Services.h"
#include "platform/StatusItem.h"

namespace platform::sim {

class SimStatusBar;

// A tray entry that remembers what it was given; tests click it and read it back.
class SimStatusItem final : public StatusItem {
public:
    explicit SimStatusItem(SimStatusBar& bar) : bar_(bar) {}
    // Like the system's status bar, removing an item forgets its stored position.
    ~SimStatusItem() override;

    void setToolTip(const std::string& text) override { toolTip_ = text; }
    std::string toolTip() const override { return toolTip_; }
    void setAccessibilityLabel(const std::string& label) override { accessibilityLabel = label; }
    void setOnClick(std::function<void(const StatusItemClick&)> handler) override { onClick_ = std::move(handler); }
    double length() const override { return length_; }
    void setLength(double length) override { length_ = length; }
    std::string autosaveName() const override { return name_; }
    void setAutosaveName(const std::string& name) override { name_ = name; }
    std::optional<Rect> geometry() const override { return frame; }
    bool isVisible() const override { return true; }

    void click(StatusItemClick::Button button, bool commandHeld = false, std::optional<Point> at = std::nullopt) {
        if (onClick_) onClick_({button, commandHeld, at});
    }

    std::string accessibilityLabel;
    std::optional<Rect> frame;

private:
    SimStatusBar& bar_;
    std::string toolTip_;
    std::string name_;
    double length_ = 22;
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

class SimStatusBar final : public StatusBar {
public:
    std::unique_ptr<StatusItem> createStatusItem() override {
        auto item = std::make_unique<SimStatusItem>(*this);
        lastItem = item.get();
        ++created;
        return item;
    }
    std::unique_ptr<Popover> createPopover() override {
        auto popover = std::make_unique<SimPopover>();
        lastPopover = popover.get();
        return popover;
    }

    SimStatusItem* lastItem = nullptr;
    SimPopover* lastPopover = nullptr;
    int created = 0;
};

inline SimStatusItem::~SimStatusItem() {
    if (bar_.lastItem == this) bar_.lastItem = nullptr;
    if (auto* d = services().defaults; d && !name_.empty()) d->remove(statusItemPositionKey(name_));
}

}  // namespace platform::sim
