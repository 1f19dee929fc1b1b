#include "platform/sim/SimPlatform.h"

namespace platform::sim {

SimPlatform::SimPlatform(uint64_t seed) : random(seed), previous_(services()) {
    Services s;
    s.mainLoop = &loop;
    s.defaults = &defaults;
    s.notifications = &notifications;
    s.random = &random;
    s.uuids = &uuids;
    s.statusBar = &statusBar;
    s.application = &application;
    s.panels = &panels;
    s.keyTaps = &keyTaps;
    s.windows = &windows;
    s.windowList = &windowList;
    s.savePanels = &savePanels;
    s.alerts = &alerts;
    s.workspace = &workspace;
    s.screens = &screens;
    s.accessibility = &accessibility;
    s.pointer = &pointer;
    s.idleTime = &idleTime;
    s.menuBarApplications = &menuBarApplications;
    s.menuVisibility = &menuVisibility;
    s.http = &http;
    s.background = &background;
    installServices(s);
}

SimPlatform::~SimPlatform() { installServices(previous_); }

}  // namespace platform::sim
