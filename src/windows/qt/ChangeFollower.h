#pragma once

#include <QObject>
#include <functional>

#include "platform/Signal.h"
#include "platform/Subscription.h"

namespace windows::qt {

// Calls `refresh` once after each burst of changes that `willChange` announces (it sends
// before a value changes, so the call waits for the next turn of the event loop). Stops with
// `owner`, which also owns the follower.
class ChangeFollower final : public QObject {
public:
    ChangeFollower(QObject* owner, platform::Signal<>& willChange, std::function<void()> refresh);

private:
    std::function<void()> refresh_;
    platform::Subscription subscription_;
    bool pending_ = false;
};

}  // namespace windows::qt
