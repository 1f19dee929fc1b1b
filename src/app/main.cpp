// Entry point: checks the display and the resource bundle, brings up the Qt backend, and
// hands over to the application delegate.
#include <QApplication>
#include <QSocketNotifier>
#include <cstdio>
#include <cstdlib>
#include <optional>
#include <string>
#include <string_view>

#include "app/AppController.h"
#include "app/AppDelegate.h"
#include "app/CommandLine.h"
#include "app/FileDescriptors.h"
#include "app/LaunchAtLoginManager.h"
#include "app/ProgramExit.h"
#include "app/SettingsWindowActions.h"
#include "modules/HttpClient.h"
#include "modules/Windows.h"
#include "menubar/MenuBarEntryController.h"
#include "menubar/qt/MenuBarContentView.h"
#include "menubar/qt/QtStatusPicture.h"
#include "model/L10n.h"
#include "model/LocalizedAlert.h"
#include "platform/program/ResourceBundle.h"
#include "model/AppModel.h"
#include "platform/instance/RuntimeFolder.h"
#include "platform/instance/SingleInstance.h"
#include "platform/storage/AppendJournal.h"
#include "platform/storage/PlistFileDefaults.h"
#include "platform/storage/UserFolders.h"
#include "platform/Services.h"
#include "platform/qt/ApplicationIcon.h"
#include "platform/qt/PetPanelFactory.h"
#include "platform/qt/QtAccessibility.h"
#include "platform/qt/QtApplication.h"
#include "platform/qt/QtDialogs.h"
#include "platform/qt/QtBackgroundQueue.h"
#include "platform/qt/QtMainLoop.h"
#include "platform/qt/QtMenuBarApplications.h"
#include "platform/qt/QtPointer.h"
#include "platform/qt/QtScreens.h"
#include "platform/qt/QtStatusBar.h"
#include "platform/qt/QtSystemEvents.h"
#include "platform/qt/QtToolkitTranslation.h"
#include "platform/qt/QtWindow.h"
#include "platform/qt/QtWorkspace.h"
#include "platform/qt/X11DesktopSwitchWatcher.h"
#include "platform/qt/X11IdleTime.h"
#include "platform/qt/X11Display.h"
#include "platform/qt/X11KeyEventTaps.h"
#include "platform/qt/X11QuitWatchdog.h"
#include "platform/qt/X11WindowList.h"

namespace {

// How long a second start waits for the running instance to take its call.
constexpr double kHandoverWait = 5;

// Descriptors a run opens: some 40 with the settings window on every page (X connections,
// D-Bus, inotify, GLib and Qt wake-ups, modules, the lock, the socket, the journal), more while
// an update downloads or a file dialog is open, and those held for the quit; with room to spare.
constexpr uint64_t kDescriptorsARunNeeds = 96;
// A quit opens one file at a time to save, and a thread's wake-up may need one more.
constexpr int kDescriptorsHeldForTheQuit = 8;

// A start that cannot go on says why on its standard error and, where there is a display, in
// a window: one started from a menu has no terminal.
void showStartFailure(int argc, char** argv, const platform::Reason& why) {
    std::fprintf(stderr, "tuftle: %s\n", why.english().c_str());
    const char* qpa = std::getenv("QT_QPA_PLATFORM");
    if (qpa && *qpa && std::string_view(qpa).rfind("xcb", 0) != 0) return;
    if (!platform::qt::x11DisplayReachable()) return;
    setenv("QT_QPA_PLATFORM", "xcb", 1);
    QApplication application(argc, argv);
    // Also a start at login or by the session manager, while the user types elsewhere.
    platform::qt::QtAlertRunner().runModal(model::startFailureAlert(why), platform::AlertCause::program);
}

// Without XDG_RUNTIME_DIR the toolkit makes a runtime-<user> folder of its own in TMPDIR as it
// starts, and leaves it there: it is lent the private folder this start already uses instead,
// only while it starts, so programs opened later find the environment as the user left it.
class RuntimeFolderLentToTheToolkit {
public:
    RuntimeFolderLentToTheToolkit() {
        const char* set = std::getenv("XDG_RUNTIME_DIR");
        if (set && *set) return;
        wasEmpty_ = set != nullptr;
        platform::Reason unused;
        if (const auto folder = platform::privateRuntimeFolder(unused))
            lent_ = setenv("XDG_RUNTIME_DIR", folder->c_str(), 1) == 0;
    }
    RuntimeFolderLentToTheToolkit(const RuntimeFolderLentToTheToolkit&) = delete;
    RuntimeFolderLentToTheToolkit& operator=(const RuntimeFolderLentToTheToolkit&) = delete;
    ~RuntimeFolderLentToTheToolkit() {
        if (lent_ && wasEmpty_)
            setenv("XDG_RUNTIME_DIR", "", 1);
        else if (lent_)
            unsetenv("XDG_RUNTIME_DIR");
    }

private:
    bool wasEmpty_ = false;
    bool lent_ = false;
};

}  // namespace

int main(int argc, char** argv) {
    const auto command = app::readCommandLine(argc, argv, [] {
        return platform::ResourceBundle::module().infoString("CFBundleShortVersionString").value_or("");
    });
    if (!command.startsProgram) {
        std::fputs(command.standardOutput.c_str(), stdout);
        std::fputs(command.standardError.c_str(), stderr);
        return command.exitStatus;
    }
    if (const auto shortage = app::raiseDescriptorLimit(kDescriptorsARunNeeds); !shortage.empty()) {
        std::fprintf(stderr, "tuftle: %s\n", shortage.c_str());
        return EXIT_FAILURE;
    }
    // Taken before anything else opens, so they hold the lowest numbers: the ones a limit
    // lowered while the program runs still allows.
    app::DescriptorReserve quitReserve(kDescriptorsHeldForTheQuit);
    platform::ResourceBundle::module();  // ends the program with a clear line when missing

    // Two instances would show two sets of pets and overwrite each other's settings file: a
    // second start asks the running one to open its panel instead, the way into the program on
    // a desktop without a tray, and never opens the settings. One the user did not ask for (a
    // login restores the session and runs the autostart entry too) only makes sure it runs.
    const auto defaultsPath = platform::PlistFileDefaults::standardPath();
    // The instance lock makes the settings folder.
    const platform::FolderMadeForStart settingsFolder(defaultsPath.parent_path());
    auto begun = platform::SingleInstance::begin(
        defaultsPath, kHandoverWait,
        command.opensRunningPanel ? platform::HandoverRequest::openPanel : platform::HandoverRequest::onlyAnswer);
    if (!begun.instance) {
        // The user did not ask for a start that finds it running: a window about that would come
        // at every login.
        if (!begun.failure.empty() && begun.foundRunning && !command.opensRunningPanel)
            std::fprintf(stderr, "tuftle: %s\n", begun.failure.english().c_str());
        else if (!begun.failure.empty())
            showStartFailure(argc, argv, begun.failure);
        return begun.exitStatus;
    }
    auto& instance = *begun.instance;
    if (!instance.reachable()) {
        std::fprintf(stderr, "tuftle: %s; starting it again cannot open its panel\n",
                     instance.listenProblem().english().c_str());
    }

    // Global key presses and window positions need X11, also inside a Wayland session.
    const char* qpa = std::getenv("QT_QPA_PLATFORM");
    if (!qpa || !*qpa) setenv("QT_QPA_PLATFORM", "xcb", 1);
    const std::string platformName = std::getenv("QT_QPA_PLATFORM");
    if (platformName.rfind("xcb", 0) == 0 && !platform::qt::x11DisplayReachable()) {
        const char* name = std::getenv("DISPLAY");
        std::fprintf(stderr, "tuftle: cannot open display '%s'; start it inside an X11 desktop session\n",
                     name ? name : "");
        // Taken away while the lock still holds it: no start can have begun to use it.
        settingsFolder.takeAway();
        return 2;
    }

    std::optional<RuntimeFolderLentToTheToolkit> runtimeFolderLent(std::in_place);
    QApplication application(argc, argv);
    runtimeFolderLent.reset();
    const platform::qt::x11QuitWatchdog::CuttableConnection qtConnection(platform::qt::qtX11Socket());
    QApplication::setApplicationName("tuftle");
    QApplication::setDesktopFileName("tuftle");
    QApplication::setWindowIcon(platform::qt::applicationIcon(platform::ResourceBundle::module()));

    app::TuftleAppDelegate delegate;
    QApplication::setQuitOnLastWindowClosed(delegate.applicationShouldTerminateAfterLastWindowClosed());

    platform::qt::QtMainLoop loop;
    app::ProgramExit programExit(delegate,
                                 {platform::qt::x11QuitWatchdog::takeQuitOver, platform::qt::x11DisplayStalls,
                                  platform::qt::x11QuitWatchdog::cutForQuit},
                                 [](int status) { std::_Exit(status); });
    // Routed before anything is loaded: a SIGTERM during a long load still ends in order.
    platform::qt::QtApplication app([&] { programExit.willTerminate(); });
    app.routeTerminationSignals();
    app.tellSessionHowToComeBack([] { return app::LaunchAtLoginManager::status() == app::LoginItemStatus::enabled; });

    platform::PlistFileDefaults defaults(defaultsPath, loop, platform::PlistFileDefaults::Access::readWrite);
    platform::FileJournal keyCountJournal(defaults.path().parent_path() / "keystrokes.journal");
    platform::NotificationCenter notifications;
    platform::SystemRandom random;
    platform::RandomUuidSource uuids;
    platform::qt::QtStatusBar statusBar;
    platform::qt::X11KeyEventTapSystem keyTaps;
    platform::qt::QtWindowFactory windows;
    platform::qt::PetPanelFactory petPanels;
    platform::qt::X11WindowList windowList;
    platform::qt::QtSavePanelRunner savePanels;
    platform::qt::QtAlertRunner alerts;
    platform::qt::QtWorkspace workspace;
    platform::qt::QtScreenList screens(loop, notifications);
    platform::qt::QtAccessibility accessibility(notifications);
    platform::qt::QtPointer pointer;
    platform::qt::X11IdleTime idleTime;
    platform::qt::QtMenuBarApplications menuBarApplications(loop, windowList);
    platform::qt::QtMenuVisibility menuVisibility;
    app::modules::OnDemandHttpClient http;
    platform::qt::QtBackgroundQueue background;

    platform::Services services;
    services.mainLoop = &loop;
    services.defaults = &defaults;
    services.notifications = &notifications;
    services.random = &random;
    services.uuids = &uuids;
    services.statusBar = &statusBar;
    services.application = &app;
    services.keyTaps = &keyTaps;
    // A settings file left alone this run could never take the journal in: it stays for later.
    services.keyCountJournal = defaults.savesChanges() ? &keyCountJournal : nullptr;
    services.windows = &windows;
    services.panels = &petPanels;
    services.windowList = &windowList;
    services.savePanels = &savePanels;
    services.alerts = &alerts;
    services.workspace = &workspace;
    services.screens = &screens;
    services.accessibility = &accessibility;
    services.pointer = &pointer;
    services.idleTime = &idleTime;
    services.menuBarApplications = &menuBarApplications;
    services.menuVisibility = &menuVisibility;
    services.http = &http;
    services.background = &background;
    platform::installServices(services);
    // Reads the stored language choice, so it comes after the settings.
    platform::qt::QtToolkitTranslation toolkitTranslation(notifications, model::L10n::tuftleLanguageDidChange,
                                                          [] { return model::L10n::language() == "zh-Hans"; });
    menubar::qt::installStatusPictureRenderer();
    menubar::qt::installMenuPanel();
    // Wake and activation reach the controller as notifications.
    platform::qt::QtSystemEvents systemEvents(loop, notifications);
    platform::qt::X11DesktopSwitchWatcher desktopSwitches(notifications);

    // Armed from here on: a signal during the load is served once the load is done.
    platform::qt::x11QuitWatchdog::start();
    // The controllers must exist before the handler is registered: statics made later are
    // destroyed before it runs.
    auto& controller = app::AppController::shared();
    menubar::MenuBarEntryController::shared();
    controller.setSettingsWindowFactory([&controller, defaultsFile = defaults.path().string()] {
        return app::modules::makeSettingsWindow(controller.model(), app::settingsWindowActions(controller, defaultsFile));
    });
    controller.setOnboardingWindowFactory([&controller](const std::string& title, std::function<void()> onComplete) {
        return app::modules::makeOnboardingWindow(controller.model(), title, std::move(onComplete));
    });
    programExit.running(controller, defaults, [&app] { return app.hasTerminated(); });
    programExit.holdForQuit(quitReserve);

    const auto reportNotSaved = [&] {
        if (const std::string why = defaults.problem(); !why.empty()) controller.reportSettingsNotSaved(why);
    };
    defaults.onProblem = [&] { loop.post(reportNotSaved); };
    menubar::MenuBarEntryController::shared().setSecondStartOpensPanel(instance.reachable());
    std::unique_ptr<QSocketNotifier> doorbell;
    loop.post([&] {
        delegate.applicationDidFinishLaunching();
        reportNotSaved();
        if (!instance.reachable()) return;
        doorbell = std::make_unique<QSocketNotifier>(instance.callDescriptor(), QSocketNotifier::Read);
        QObject::connect(doorbell.get(), &QSocketNotifier::activated, [&] {
            if (instance.answerCalls()) delegate.applicationShouldHandleReopen();
        });
    });
    const int status = programExit.finished(QApplication::exec());
    defaults.onProblem = nullptr;
    return status;
}
