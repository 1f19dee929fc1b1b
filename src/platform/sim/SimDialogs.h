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
    void runModal(const Alert& alert) override { shown.push_back(alert); }
    void show(const Alert& alert) override { shown.push_back(alert); }

    std::vector<Alert> shown;
};

}  // namespace platform::sim
