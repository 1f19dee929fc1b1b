#pragma once

#include "platform/Alert.h"

namespace platform {

// What an alert runner with real windows offers beside showing: the program may close an alert
// it showed without waiting, once what it warned of has gone away.
class ClosableAlerts {
public:
    virtual ~ClosableAlerts() = default;
    // Whether an alert equal to `alert` that show() showed is still open.
    virtual bool isShown(const Alert& alert) const = 0;
    // Closes the alerts equal to `alert` that show() showed and the user has not dismissed.
    virtual void close(const Alert& alert) = 0;
};

}  // namespace platform
