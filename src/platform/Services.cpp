#include "platform/Services.h"

#include <cstdio>
#include <cstdlib>

namespace platform {
namespace {

template <typename T>
T& require(T* p, const char* what) {
    if (!p) {
        std::fprintf(stderr, "tuftle: platform service '%s' is not installed\n", what);
        std::abort();
    }
    return *p;
}

}  // namespace

Services& services() {
    static Services s;
    return s;
}

void installServices(const Services& s) { services() = s; }

MainLoop& mainLoop() { return require(services().mainLoop, "mainLoop"); }
Defaults& defaults() { return require(services().defaults, "defaults"); }
NotificationCenter& notificationCenter() { return require(services().notifications, "notifications"); }
RandomSource& random() { return require(services().random, "random"); }
UuidSource& uuids() { return require(services().uuids, "uuids"); }
StatusBar& statusBar() { return require(services().statusBar, "statusBar"); }
Application& application() { return require(services().application, "application"); }
PanelFactory& panelFactory() { return require(services().panels, "panels"); }
KeyEventTapSystem& keyEventTaps() { return require(services().keyTaps, "keyTaps"); }
WindowFactory& windowFactory() { return require(services().windows, "windows"); }
WindowList& windowList() { return require(services().windowList, "windowList"); }
SavePanelRunner& savePanels() { return require(services().savePanels, "savePanels"); }
AlertRunner& alerts() { return require(services().alerts, "alerts"); }
Workspace& workspace() { return require(services().workspace, "workspace"); }
ScreenList& screenList() { return require(services().screens, "screens"); }
Accessibility& accessibility() { return require(services().accessibility, "accessibility"); }
Pointer& pointer() { return require(services().pointer, "pointer"); }
MenuBarApplications& menuBarApplications() {
    return require(services().menuBarApplications, "menuBarApplications");
}
MenuVisibility& menuVisibility() { return require(services().menuVisibility, "menuVisibility"); }
HttpClient& httpClient() { return require(services().http, "http"); }
BackgroundQueue& backgroundQueue() { return require(services().background, "background"); }

}  // namespace platform
