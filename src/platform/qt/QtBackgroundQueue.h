#pragma once

#include "platform/Http.h"

namespace platform::qt {

// Qt's global thread pool; completions come back through the application's event queue.
class QtBackgroundQueue final : public BackgroundQueue {
public:
    void run(std::function<void()> work, std::function<void()> done) override;
};

}  // namespace platform::qt
