#pragma once

#include <filesystem>
#include <optional>
#include <vector>

#include "platform/Alert.h"
#include "platform/SavePanel.h"

namespace platform::sim {

// A save panel that answers at once with the test's choice, and keeps what it was asked.
class SimSavePanelRunner final : public SavePanelRunner {
public:
    std::optional<std::filesystem::path> runModal(const SavePanelRequest& request) override {
        requests.push_back(request);
        return answer;
    }

    // nullopt stands for the user cancelling.
    std::optional<std::filesystem::path> answer;
    std::vector<SavePanelRequest> requests;
};

// Alerts are only recorded; each is dismissed at once.
class SimAlertRunner final : public AlertRunner {
public:
    void runModal(const Alert& alert, AlertCause cause) override { record(alert, cause); }
    void show(const Alert& alert, AlertCause cause) override { record(alert, cause); }

    void clear() {
        shown.clear();
        causes.clear();
    }

    std::vector<Alert> shown;
    // Why each alert in `shown` came up, in the same order.
    std::vector<AlertCause> causes;

private:
    void record(const Alert& alert, AlertCause cause) {
        shown.push_back(alert);
        causes.push_back(cause);
    }
};

}  // namespace platform::sim
