#pragma once

#include "platform/MainLoop.h"
#include "platform/MenuBarApplications.h"
#include "platform/MenuVisibility.h"
#include "platform/WindowList.h"

namespace platform::qt {

// Linux trays expose no other program's icons to an accessibility interface: the running
// programs are the owners of the listed windows, each named by its process name, with no
// menu-bar items, and no element of the bar belongs to any process. Nothing needs a grant.
class QtMenuBarApplications final : public MenuBarApplications {
public:
    QtMenuBarApplications(MainLoop& loop, WindowList& windows) : loop_(loop), windows_(windows) {}

    std::vector<RunningApplication> runningApplications() const override;
    bool isTrusted() const override { return true; }
    void promptForTrust() override {}
    void readMenuBarItems(const RunningApplication&, double, std::function<void(MenuBarItemsReading)> done) override {
        loop_.post([done = std::move(done)] { done({}); });
    }
    std::optional<long> processAt(Point, double) const override { return std::nullopt; }

private:
    MainLoop& loop_;
    WindowList& windows_;
};

// No Linux tray lets one program hide another's icons.
class QtMenuVisibility final : public MenuVisibility {
public:
    bool isAvailable() const override { return false; }
    std::shared_ptr<MenuVisibilityAssertion> activate(const std::vector<int>&, const std::vector<std::string>&,
                                                      std::function<void(std::optional<MenuVisibilityError>)> done) override;
};

}  // namespace platform::qt
