#include "model/KeyboardCounter.h"

#include <utility>

#include "model/AppModel.h"
#include "platform/Services.h"

namespace model {
namespace {

constexpr double kPermissionPollInterval = 2.0;   // s
constexpr double kPermissionPollTolerance = 0.4;  // s

}  // namespace

std::shared_ptr<KeyboardCounter> KeyboardCounter::create(AppModel* model) {
    return std::shared_ptr<KeyboardCounter>(new KeyboardCounter(model));
}

KeyboardCounter::KeyboardCounter(AppModel* model) : model_(model) {}

KeyboardCounter::~KeyboardCounter() {
    stopPermissionPolling();
    stopEventTap();
}

void KeyboardCounter::keyboardEventTapCallback(uint64_t generation, const platform::KeyTapEvent& event) {
    switch (event.type) {
        case platform::KeyTapEventType::tapDisabledByTimeout:
        case platform::KeyTapEventType::tapDisabledByUserInput:
            // A tap stopped or replaced meanwhile needs nothing: re-enabling it would report a
            // failure although the state is already right (for instance key counting off).
            platform::mainLoop().post([self = shared_from_this(), generation] {
                if (self->eventTap_ && self->tapGeneration_ == generation) self->reenableEventTap();
            });
            return;
        case platform::KeyTapEventType::keyDown:
            break;
    }
    if (event.isAutoRepeat) return;
    // Stamped when pressed: the rhythm of the presses sets how lively the pets answer.
    queuedPresses_.push_back(platform::mainLoop().now().addingTimeInterval(-event.waited));
    if (std::exchange(recordQueued_, true)) return;
    platform::mainLoop().post([self = shared_from_this()] { self->recordQueuedPresses(); });
}

void KeyboardCounter::recordQueuedPresses(bool quietly) {
    recordQueued_ = false;
    const auto presses = std::exchange(queuedPresses_, {});
    // The setting is read now: presses queued just before key counting was switched off are dropped.
    if (!model_ || !model_->keyCountingEnabled.get() || presses.empty()) return;
    if (!quietly) {
        for (const platform::Date& at : presses) model_->recordKeystroke(at);
        return;
    }
    KeystrokeLedger ledger = model_->ledger.get();
    for (const platform::Date& at : presses) ledger.recordDay(platform::calendar::dayKey(at));
    model_->ledger.setSilently(std::move(ledger));
    model_->persistLedger();
}

void KeyboardCounter::countPendingPresses(bool quietly) {
    if (eventTap_) eventTap_->readPending();
    recordQueuedPresses(quietly);
}

void KeyboardCounter::refresh() {
    const bool granted = platform::keyEventTaps().preflightListenEventAccess();
    if (model_) model_->keyboardPermissionGranted = granted;

    if (model_ && model_->keyCountingEnabled.get()) {
        stopPermissionPolling();
        if (granted) {
            start();
        } else {
            stopEventTap();
            setState(KeyboardMonitorState::permissionRequired);
            beginPermissionPolling();
        }
        return;
    }
    stopPermissionPolling();
    stopEventTap();
    setState(KeyboardMonitorState::disabled);
}

void KeyboardCounter::start() {
    auto& taps = platform::keyEventTaps();
    if (!taps.preflightListenEventAccess()) {
        setState(KeyboardMonitorState::permissionRequired);
        return;
    }
    if (eventTap_ && eventTap_->isPortValid()) {
        eventTap_->setEnabled(true);
        setState(eventTap_->isEnabled() ? KeyboardMonitorState::listening : KeyboardMonitorState::failed);
        return;
    }
    stopEventTap();  // drops a tap whose port died

    // The tap is owned here and invalidated before the counter goes, so `this` in its callback
    // never dangles.
    const uint64_t generation = ++tapGeneration_;
    eventTap_ = taps.createKeyDownTap(
        [this, generation](const platform::KeyTapEvent& event) { keyboardEventTapCallback(generation, event); });
    if (!eventTap_) {
        setState(KeyboardMonitorState::failed);
        return;
    }
    eventTap_->setEnabled(true);
    if (eventTap_->isPortValid() && eventTap_->isEnabled()) {
        setState(KeyboardMonitorState::listening);
    } else {
        stopEventTap();
        setState(KeyboardMonitorState::failed);
    }
}

void KeyboardCounter::reenableEventTap() {
    if (eventTap_ && eventTap_->isPortValid()) {
        eventTap_->setEnabled(true);
        setState(eventTap_->isEnabled() ? KeyboardMonitorState::listening : KeyboardMonitorState::failed);
        return;
    }
    setState(KeyboardMonitorState::failed);
}

void KeyboardCounter::stopEventTap() {
    if (!eventTap_) return;
    eventTap_->invalidate();
    eventTap_.reset();
}

void KeyboardCounter::beginPermissionPolling() {
    if (permissionTimer_) return;
    std::weak_ptr<KeyboardCounter> weakSelf = weak_from_this();
    permissionTimer_ =
        platform::mainLoop().schedule(kPermissionPollInterval, kPermissionPollTolerance, true, [weakSelf] {
            platform::mainLoop().post([weakSelf] {
                if (auto self = weakSelf.lock()) self->refresh();
            });
        });
}

void KeyboardCounter::stopPermissionPolling() {
    if (!permissionTimer_) return;
    permissionTimer_->invalidate();
    permissionTimer_.reset();
}

void KeyboardCounter::setState(KeyboardMonitorState state) {
    if (model_) model_->setKeyboardMonitorState(state);
}

}  // namespace model
