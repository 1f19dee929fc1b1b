#pragma once

#include <memory>
#include <vector>

#include "platform/StatusItem.h"

namespace platform::sim {

// A tray entry that remembers what it was given; tests click it and read it back.
class SimStatusItem final : public StatusItem {
public:
    void setToolTip(const std::string& text) override { toolTip = text; }
    void setMenu(std::vector<MenuAction> actions) override { menu = std::move(actions); }
    void setOnActivate(std::function<void()> handler) override { onActivate = std::move(handler); }
    bool isVisible() const override { return true; }

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
};

class SimStatusBar final : public StatusBar {
public:
    std::unique_ptr<StatusItem> createStatusItem() override {
        auto item = std::make_unique<SimStatusItem>();
        lastItem = item.get();
        ++created;
        return item;
    }
    SimStatusItem* lastItem = nullptr;
    int created = 0;
};

}  // namespace platform::sim
