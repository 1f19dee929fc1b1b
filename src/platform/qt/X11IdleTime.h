#pragma once

#include "platform/IdleTime.h"

namespace platform::qt {

// The X server's own idle time (XScreenSaver extension): every key press and pointer move of
// any client resets it. Asked over Qt's connection; nullopt off X11 or without the extension.
class X11IdleTime final : public IdleTime {
public:
    std::optional<double> secondsSinceLastInput() override;

private:
    // Asked once: a server does not gain or lose the extension while we run.
    std::optional<bool> available_;
};

}  // namespace platform::qt
