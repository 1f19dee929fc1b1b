#pragma once

#include <QAbstractNativeEventFilter>
#include <cstdint>

#include "platform/NotificationCenter.h"

namespace platform::qt {

// Posts activeSpaceDidChange when the window manager switches to another virtual desktop
// (_NET_CURRENT_DESKTOP on the root window changes). Does nothing without an X11 display.
class X11DesktopSwitchWatcher final : public QAbstractNativeEventFilter {
public:
    explicit X11DesktopSwitchWatcher(NotificationCenter& center);
    ~X11DesktopSwitchWatcher() override;
    X11DesktopSwitchWatcher(const X11DesktopSwitchWatcher&) = delete;
    X11DesktopSwitchWatcher& operator=(const X11DesktopSwitchWatcher&) = delete;

    bool nativeEventFilter(const QByteArray& type, void* message, qintptr* result) override;

private:
    NotificationCenter& center_;
    uint32_t root_ = 0;
    uint32_t currentDesktopAtom_ = 0;
};

}  // namespace platform::qt
