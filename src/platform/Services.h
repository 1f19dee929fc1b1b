#pragma once

#include "platform/Accessibility.h"
#include "platform/Alert.h"
#include "platform/storage/AppendJournal.h"
#include "platform/Application.h"
#include "platform/Defaults.h"
#include "platform/Http.h"
#include "platform/IdleTime.h"
#include "platform/KeyEventTap.h"
#include "platform/MainLoop.h"
#include "platform/MenuBarApplications.h"
#include "platform/MenuVisibility.h"
#include "platform/NotificationCenter.h"
#include "platform/Panel.h"
#include "platform/Pointer.h"
#include "platform/Random.h"
#include "platform/SavePanel.h"
#include "platform/Screens.h"
#include "platform/StatusItem.h"
#include "platform/Window.h"
#include "platform/WindowList.h"
#include "platform/Workspace.h"

namespace platform {

// The platform services of this process. A backend installs them once at start-up (the Qt
// backend in main, the sim backend in tests); the behaviour code reads them here.
struct Services {
    MainLoop* mainLoop = nullptr;
    Defaults* defaults = nullptr;
    NotificationCenter* notifications = nullptr;
    RandomSource* random = nullptr;
    UuidSource* uuids = nullptr;
    StatusBar* statusBar = nullptr;
    Application* application = nullptr;
    KeyEventTapSystem* keyTaps = nullptr;
    PanelFactory* panels = nullptr;
    WindowFactory* windows = nullptr;
    WindowList* windowList = nullptr;
    SavePanelRunner* savePanels = nullptr;
    AlertRunner* alerts = nullptr;
    Workspace* workspace = nullptr;
    ScreenList* screens = nullptr;
    Accessibility* accessibility = nullptr;
    Pointer* pointer = nullptr;
    // Optional: without it the pets never take the user for away.
    IdleTime* idleTime = nullptr;
    MenuBarApplications* menuBarApplications = nullptr;
    MenuVisibility* menuVisibility = nullptr;
    HttpClient* http = nullptr;
    BackgroundQueue* background = nullptr;
    // Where key counts wait for the settings file; none: they go to the settings file each time.
    AppendJournal* keyCountJournal = nullptr;
};

// The installed services. Reaching for one that no backend installed is a programming error.
Services& services();
void installServices(const Services& s);

MainLoop& mainLoop();
Defaults& defaults();
NotificationCenter& notificationCenter();
RandomSource& random();
UuidSource& uuids();
StatusBar& statusBar();
Application& application();
PanelFactory& panelFactory();
KeyEventTapSystem& keyEventTaps();
WindowFactory& windowFactory();
WindowList& windowList();
SavePanelRunner& savePanels();
AlertRunner& alerts();
Workspace& workspace();
ScreenList& screenList();
Accessibility& accessibility();
Pointer& pointer();
MenuBarApplications& menuBarApplications();
MenuVisibility& menuVisibility();
HttpClient& httpClient();
BackgroundQueue& backgroundQueue();

}  // namespace platform
