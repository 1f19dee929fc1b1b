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
// simulated menu bar it also has a length, an autosave name and a window.
class SimStatusItem final : public StatusItem {
public:
    SimStatusItem(std::weak_ptr<SimMenuBarLayout> layout, uint64_t order) : layout_(std::move(layout)), order_(order) {}
    ~SimStatusItem() override;

    void setToolTip(const std::string& text) override { toolTip = text; }
    void setMenu(std::vector<MenuAction> actions) override { menu = std::move(actions); }
    void setOnActivate(std::function<void()> handler) override { onActivate = std::move(handler); }
    bool isVisible() const override { return visible_; }
    double length() const override { return length_; }
    void setLength(double points) override;
    std::string autosaveName() const override { return name_; }
    void setAutosaveName(const std::string& name) override;
    std::optional<StatusItemWindow> window() const override { return window_; }

    // Runs the menu action with this title; false when there is none.
    bool trigger(const std::string& title) {
        for (auto& a : menu)
            if (a.title == title) {
                a.action();
                return true;
            }
        return false;
    }

    std::string toolTip;
    std::vector<MenuAction> menu;
    std::function<void()> onActivate;

private:
    friend struct SimMenuBarLayout;
    std::weak_ptr<SimMenuBarLayout> layout_;
    uint64_t order_;
    double length_ = 22;
    std::string name_;
    std::optional<int64_t> position_;
    bool visible_ = false;
    std::optional<StatusItemWindow> window_;
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
    bool supportsItemLayout() const override { return true; }

    SimStatusItem* lastItem = nullptr;
    int created = 0;

private:
    std::shared_ptr<SimMenuBarLayout> layout_;
    Subscription screenChanges_;
};

}  // namespace platform::sim
