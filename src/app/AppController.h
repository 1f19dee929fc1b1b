#pragma once

#include <memory>
#include <vector>

#include "model/RuntimeHealth.h"
#include "platform/Subscription.h"
#include "updates/UpdateDownloadController.h"

namespace app {

// The one application controller: owns the long-lived services and starts them in order.
class AppController final {
public:
    static AppController& shared();
    AppController();

    // The start-up sequence; called once after launching finished.
    void start();

    model::RuntimeHealth& runtimeHealth() { return runtimeHealth_; }
    updates::UpdateDownloadController& updateDownloader();

private:
    model::RuntimeHealth runtimeHealth_;
    std::unique_ptr<updates::UpdateDownloadController> updateDownloader_;
    std::vector<platform::Subscription> cancellables_;
};

}  // namespace app
