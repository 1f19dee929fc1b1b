#pragma once

#include "platform/Services.h"
#include "platform/sim/SimAccessibility.h"
#include "platform/sim/SimDialogs.h"
#include "platform/sim/SimHttp.h"
#include "platform/sim/SimIdleTime.h"
#include "platform/sim/SimKeyEventTaps.h"
#include "platform/sim/SimMainLoop.h"
#include "platform/sim/SimMenuBarApplications.h"
#include "platform/sim/SimPanel.h"
#include "platform/sim/SimPointer.h"
#include "platform/sim/SimScreens.h"
#include "platform/sim/SimStatusBar.h"
#include "platform/sim/SimWindow.h"
#include "platform/sim/SimWindowList.h"
#include "platform/sim/SimWorkspace.h"

namespace platform::sim {

class SimApplication final : public Application {
public:
    void terminate() override { ++terminateCount; if (onTerminate) onTerminate(); }
    bool isActive() const override { return active; }
    long processId() const override { return 4242; }

    int terminateCount = 0;
    bool active = false;
    std::function<void()> onTerminate;
};

// Every sim service in one object, installed as the process's services while it lives.
// Tests create one per test case.
class SimPlatform {
public:
    explicit SimPlatform(uint64_t seed = 7);
    ~SimPlatform();
    SimPlatform(const SimPlatform&) = delete;
    SimPlatform& operator=(const SimPlatform&) = delete;

    SimMainLoop loop;
    MemoryDefaults defaults;
    NotificationCenter notifications;
    SeededRandom random;
    SequentialUuidSource uuids;
    SimApplication application;
    SimPanelFactory panels;
    SimKeyEventTapSystem keyTaps;
    SimWindowFactory windows;
    SimWindowList windowList;
    SimSavePanelRunner savePanels;
    SimAlertRunner alerts;
    SimWorkspace workspace;
    SimScreens screens{loop, notifications};
    SimStatusBar statusBar{defaults, screens, notifications};
    SimAccessibility accessibility{notifications};
    SimPointer pointer;
    SimIdleTime idleTime;
    SimMenuBarApplications menuBarApplications{loop, defaults, statusBar, screens, application.processId()};
    SimMenuVisibility menuVisibility{loop, menuBarApplications};
    SimHttpClient http;
    SimBackgroundQueue background{loop};

private:
    Services previous_;
};

}  // namespace platform::sim
