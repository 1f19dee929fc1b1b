#pragma once

#include <memory>
#include <vector>

#include "platform/KeyEventTap.h"

namespace platform::sim {

class SimKeyEventTap;

// Key taps for tests: the test grants or revokes access, makes creation or enabling fail,
// presses keys and lets the system disable the taps. Events reach the live taps at once, as
// the real event source calls them on the main thread.
class SimKeyEventTapSystem final : public KeyEventTapSystem {
public:
    SimKeyEventTapSystem();
    ~SimKeyEventTapSystem() override;

    bool preflightListenEventAccess() override;
    bool requestListenEventAccess() override;
    std::unique_ptr<KeyEventTap> createKeyDownTap(std::function<void(const KeyTapEvent&)> callback) override;

    // A key went down on every live, enabled tap; a repeat when `autoRepeat`.
    // `waited`: how long ago the key went down, for presses handed over late.
    void pressKey(bool autoRepeat = false, double waited = 0);
    // The system stops every live tap and tells it so. With `portLost` the taps can never be
    // enabled again (their port is invalid); otherwise they can.
    void disableBySystem(KeyTapEventType reason = KeyTapEventType::tapDisabledByTimeout, bool portLost = false);

    // Taps made and not yet destroyed or invalidated.
    size_t liveTapCount() const;
    // The newest live tap, or nullptr.
    SimKeyEventTap* currentTap() const;

    bool accessGranted = false;
    // requestListenEventAccess() grants the access (as a user saying yes would).
    bool grantOnRequest = false;
    bool failCreation = false;
    // setEnabled(true) has no effect, as with a tap the system keeps disabled.
    bool enablingFails = false;
    // Presses wait in the taps until they are read (readPending()), as with a system that
    // hands them over late.
    bool holdPresses = false;

    int preflightCount = 0;
    int requestCount = 0;
    int createdCount = 0;

private:
    friend class SimKeyEventTap;
    struct Registry;
    std::shared_ptr<Registry> registry_;
};

class SimKeyEventTap final : public KeyEventTap {
public:
    ~SimKeyEventTap() override;
    bool isPortValid() const override { return portValid_; }
    void setEnabled(bool enabled) override;
    bool isEnabled() const override { return portValid_ && enabled_; }
    void invalidate() override;
    void readPending() override;

    int setEnabledCount = 0;

private:
    friend class SimKeyEventTapSystem;
    SimKeyEventTap(std::shared_ptr<SimKeyEventTapSystem::Registry> registry,
                   std::function<void(const KeyTapEvent&)> callback);
    void deliver(const KeyTapEvent& event);

    std::shared_ptr<SimKeyEventTapSystem::Registry> registry_;
    std::function<void(const KeyTapEvent&)> callback_;
    bool portValid_ = true;
    bool enabled_ = false;
    std::vector<KeyTapEvent> held_;
};

}  // namespace platform::sim
