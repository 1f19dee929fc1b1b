#include "windows/qt/ChangeFollower.h"

namespace windows::qt {

ChangeFollower::ChangeFollower(QObject* owner, platform::Signal<>& willChange, std::function<void()> refresh)
    : QObject(owner), refresh_(std::move(refresh)) {
    subscription_ = willChange.subscribe([this] {
        if (pending_) return;
        pending_ = true;
        // Queued on this object: dropped if the owner goes first.
        QMetaObject::invokeMethod(
            this,
            [this] {
                pending_ = false;
                refresh_();
            },
            Qt::QueuedConnection);
    });
}

}  // namespace windows::qt
