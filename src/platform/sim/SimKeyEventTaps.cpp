#include "platform/sim/SimKeyEventTaps.h"

#include <algorithm>

namespace platform::sim {

// Shared by the system and its taps, so either may go first.
struct SimKeyEventTapSystem::Registry {
    SimKeyEventTapSystem* system = nullptr;
    std::vector<SimKeyEventTap*> taps;  // live ones, oldest first

    void remove(SimKeyEventTap* tap) { taps.erase(std::remove(taps.begin(), taps.end(), tap), taps.end()); }
    bool contains(SimKeyEventTap* tap) const { return std::find(taps.begin(), taps.end(), tap) != taps.end(); }
};

SimKeyEventTapSystem::SimKeyEventTapSystem() : registry_(std::make_shared<Registry>()) {
    registry_->system = this;
}

SimKeyEventTapSystem::~SimKeyEventTapSystem() {
    registry_->system = nullptr;
}

bool SimKeyEventTapSystem::preflightListenEventAccess() {
    ++preflightCount;
    return accessGranted;
}

bool SimKeyEventTapSystem::requestListenEventAccess() {
    ++requestCount;
    if (grantOnRequest) accessGranted = true;
    return accessGranted;
}

std::unique_ptr<KeyEventTap> SimKeyEventTapSystem::createKeyDownTap(std::function<void(const KeyTapEvent&)> callback) {
    if (failCreation || !accessGranted) return nullptr;
    ++createdCount;
    std::unique_ptr<SimKeyEventTap> tap(new SimKeyEventTap(registry_, std::move(callback)));
    tap->enabled_ = !enablingFails;
    registry_->taps.push_back(tap.get());
    return tap;
}

void SimKeyEventTapSystem::pressKey(bool autoRepeat, double waited) {
    // A callback may destroy taps; deliver only to those still alive.
    const auto taps = registry_->taps;
    for (auto* tap : taps) {
        if (!registry_->contains(tap) || !tap->isEnabled()) continue;
        const KeyTapEvent event{KeyTapEventType::keyDown, autoRepeat, waited};
        if (holdPresses)
            tap->held_.push_back(event);
        else
            tap->deliver(event);
    }
}

void SimKeyEventTapSystem::disableBySystem(KeyTapEventType reason, bool portLost) {
    const auto taps = registry_->taps;
    for (auto* tap : taps) {
        if (!registry_->contains(tap)) continue;
        tap->enabled_ = false;
        if (portLost) tap->portValid_ = false;
        tap->deliver({reason, false});
    }
}

size_t SimKeyEventTapSystem::liveTapCount() const {
    return registry_->taps.size();
}

SimKeyEventTap* SimKeyEventTapSystem::currentTap() const {
    return registry_->taps.empty() ? nullptr : registry_->taps.back();
}

SimKeyEventTap::SimKeyEventTap(std::shared_ptr<SimKeyEventTapSystem::Registry> registry,
                               std::function<void(const KeyTapEvent&)> callback)
    : registry_(std::move(registry)), callback_(std::move(callback)) {}

SimKeyEventTap::~SimKeyEventTap() {
    registry_->remove(this);
}

void SimKeyEventTap::setEnabled(bool enabled) {
    ++setEnabledCount;
    if (!portValid_) return;
    if (enabled && registry_->system && registry_->system->enablingFails) return;
    enabled_ = enabled;
}

void SimKeyEventTap::invalidate() {
    held_.clear();
    portValid_ = false;
    enabled_ = false;
    registry_->remove(this);
}

void SimKeyEventTap::readPending() {
    // Delivered one at a time: a callback may invalidate or destroy the tap.
    const auto registry = registry_;
    while (registry->contains(this) && !held_.empty()) {
        const KeyTapEvent event = held_.front();
        held_.erase(held_.begin());
        deliver(event);
    }
}

void SimKeyEventTap::deliver(const KeyTapEvent& event) {
    if (callback_) callback_(event);
}

}  // namespace platform::sim
