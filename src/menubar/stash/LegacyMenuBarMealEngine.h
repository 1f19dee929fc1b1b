#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "menubar/stash/MenuBarMealEngine.h"
#include "platform/Screen.h"
#include "platform/Subscription.h"

namespace menubar::stash {

// The stash engine on a status bar that lays items out: an invisible spacer item directly
// left of the pet's own item (the control) is 4 points wide while the icons are shown and
// wider than any screen while they are hidden, pushing every item left of it off the bar.
// Its place is steered through the stored preferred positions of both items. Every failure
// ends with the icons shown and a message; the icons never stay hidden while the pet's face
// cannot be seen.
class LegacyMenuBarMealEngine final : public MenuBarMealEngine {
public:
    explicit LegacyMenuBarMealEngine(platform::Defaults& defaults);
    ~LegacyMenuBarMealEngine() override;

    void prepareControlPosition() override;
    void attachControl(platform::StatusItem& item) override;
    void start() override;
    void stop() override;
    void setEnabled(bool enabled) override;
    void toggle() override;

    // The spacer's base name for a control stored at `position`.
    static std::string spacerAutosaveName(int64_t afterControlPosition);
    // The spacer's width while the icons are hidden: twice the widest screen, within
    // 1200...10000 points.
    static double hiddenSpacerWidth(const std::vector<platform::Screen>& screens);

    const platform::StatusItem* spacer() const { return spacer_.get(); }
    const MenuBarMealTransaction& transaction() const { return transaction_; }

private:
    // Positions and items.
    void seedOwnPositions(bool force);
    void createSpacer();
    void removeSpacer();
    void observeSpacerWindow();
    void expandItems();
    void updateControl();
    bool controlIsVisible() const;
    bool spacerIsAdjacentToControl() const;
    void restoreControlPositionAfterFailedRepair();
    platform::StatusItem* control() const;

    // Operations.
    uint64_t beginOperation(bool collapsed);
    bool foldStillWanted(uint64_t token) const;
    void performFold(uint64_t token, bool animated);
    void foldTransition(uint64_t token, double chosenScreenWidth);
    void unfold(bool animated);
    void playMealMotion(bool spitting, std::function<void()> transition);
    void startStep(uint64_t token);
    void verifyInitialControlVisibility(uint64_t token);
    void verifyAfterScreenChange();
    void scheduleRecoveryCheck();
    void loseRecoveryFace();
    void repairSpacerNextToControl(uint64_t token, bool animateFold);
    void finishSpacerRepair(uint64_t token, int remaining, bool reanchored, bool animateFold);
    void reanchorOwnControl(uint64_t token, bool animateFold);

    // Runs `work` after `delay` seconds, or on the next turn, unless the engine is gone.
    void after(double delay, std::function<void()> work);
    void onNextTurn(std::function<void()> work);
    uint64_t freshStamp() { return ++stamps_; }

    platform::Defaults& defaults_;
    platform::StatusItem* control_ = nullptr;
    std::weak_ptr<const void> controlLifetime_;
    std::unique_ptr<platform::StatusItem> spacer_;
    bool started_ = false;
    platform::Subscription screenObserver_;
    std::vector<platform::Subscription> controlWindowObservers_;
    std::vector<platform::Subscription> spacerWindowObservers_;
    MenuBarMealTransaction transaction_;
    // Stand for fresh UUIDs: a new stamp makes pending steps of the old one stale.
    uint64_t motionGeneration_ = 0;
    uint64_t layoutGeneration_ = 0;
    std::optional<uint64_t> pendingRecoveryCheck_;
    bool attemptedOwnPositionRepair_ = false;
    bool spacerRepairPending_ = false;
    std::optional<std::string> spacerAutosaveNameInUse_;
    std::optional<int64_t> originalControlPositionDuringRepair_;
    platform::Subscription visibilityObservation_;
    uint64_t stamps_ = 0;
    std::shared_ptr<char> alive_ = std::make_shared<char>();
};

}  // namespace menubar::stash
