#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <set>
#include <string>
#include <vector>

#include "menubar/stash/MenuBarAccessibilityInventory.h"
#include "menubar/stash/MenuBarMealEngine.h"
#include "menubar/stash/visibility/MenuVisibilityBridge.h"
#include "platform/MainLoop.h"
#include "platform/Subscription.h"

namespace menubar::stash {

// The stash engine on the desktop's menu-visibility interface: to hide icons it holds an
// assertion under which every running program keeps its items except those whose items all
// sit left of the pet's own item (the control); to show them it ends the assertion. The
// interface cannot say whether it took effect, so each fold is confirmed by finding the pet's
// face still on the bar and still ours, and a watch keeps checking that while folded.
class NativeMenuBarMealEngine final : public MenuBarMealEngine {
public:
    // Without an inventory the engine makes its own.
    NativeMenuBarMealEngine(platform::Defaults& defaults,
                            std::shared_ptr<MenuBarAccessibilityInventory> inventory = nullptr);
    ~NativeMenuBarMealEngine() override;

    void prepareControlPosition() override {}
    void attachControl(platform::StatusItem& item) override;
    void start() override;
    void stop() override;
    void setEnabled(bool enabled) override;
    void toggle() override;
    // The settings card's retry: asks for the accessibility grant, or folds once it is there.
    void authorizeAndRetry();

private:
    void fold(bool animated);
    void unfold(bool animated);
    void giveUp(const char* text);
    void cancelRequests();
    void measure(uint64_t op, bool animated);
    void foldWithSnapshot(uint64_t op, bool animated, const platform::Rect& measured,
                          const MenuBarInventorySnapshot& snapshot);
    void activate(uint64_t op, std::function<void()> completion);
    void confirmApplied(uint64_t op, bool animated, int remaining);

    bool recoveryVisible() const;
    void checkRecovery();
    void preserveNewApplication(const std::optional<std::string>& bundleIdentifier);
    void updateFace();
    void animate(bool spitting);

    platform::StatusItem* control() const;
    void setControlLength(bool on);
    // Runs `work` after `delay` seconds, or on the next turn, unless the engine is gone.
    void after(double delay, std::function<void()> work);
    uint64_t freshStamp() { return ++stamps_; }

    platform::Defaults& defaults_;
    std::shared_ptr<MenuBarAccessibilityInventory> inventory_;
    platform::StatusItem* control_ = nullptr;
    std::weak_ptr<const void> controlLifetime_;
    uint64_t token_ = 0;
    MenuVisibilityAssertionHandle assertion_;
    MenuVisibilityAssertionHandle pending_;
    std::set<std::string> allowed_;
    bool started_ = false;
    std::unique_ptr<platform::Timer> timer_;
    std::vector<platform::Subscription> observers_;
    platform::Subscription visibilityObservation_;
    int lostChecks_ = 0;
    // Stand for fresh UUIDs: a new stamp makes pending steps of the old one stale.
    uint64_t motionID_ = 0;
    uint64_t pendingID_ = 0;
    std::set<std::string> newApplications_;
    uint64_t stamps_ = 0;
    std::shared_ptr<char> alive_ = std::make_shared<char>();
};

}  // namespace menubar::stash
