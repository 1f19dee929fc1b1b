#pragma once

#include <cstdint>
#include <memory>
#include <set>
#include <string>
#include <vector>

#include "platform/Defaults.h"
#include "platform/MainLoop.h"
#include "platform/MenuBarApplications.h"
#include "platform/MenuVisibility.h"
#include "platform/Screens.h"
#include "platform/StatusItem.h"

namespace platform::sim {

// How a program answers the accessibility interface.
struct SimMenuBarReading {
    enum class Outcome { answers, fails, timesOut };
    Outcome outcome = Outcome::answers;
    // Seconds until the program has answered every call.
    double delay = 0.05;
    // Items (by index) whose position or size cannot be read.
    std::set<size_t> unreadableItems{};
};

// Another program with items on the simulated menu bar.
struct SimMenuBarProgram {
    RunningApplication application;
    std::vector<std::unique_ptr<StatusItem>> items;
    std::vector<double> lengths;
    SimMenuBarReading reading;
    bool hidden = false;
};

// The other programs of the simulated desktop, their items on the sim status bar, and the
// accessibility interface over them. Elements of the bar not owned by one of these programs
// belong to this process.
class SimMenuBarApplications final : public MenuBarApplications {
public:
    SimMenuBarApplications(MainLoop& loop, Defaults& store, StatusBar& bar, const ScreenList& screens, long ownPid)
        : loop_(loop), store_(store), bar_(bar), screens_(screens), ownPid_(ownPid) {}

    struct Item {
        double length;
        int64_t position;
    };
    // Starts a program with these items (stored positions, as the bar places them) and
    // announces the launch. Programs get pids from 100 on.
    SimMenuBarProgram& launch(std::optional<std::string> bundleIdentifier, std::vector<Item> items = {},
                              bool backgroundOnly = false);
    SimMenuBarProgram* program(const std::string& bundleIdentifier);
    // Hides or shows every program's items as the visibility assertions in force say.
    void applyVisibility(const std::vector<std::set<std::string>>& allowedSets);

    std::vector<RunningApplication> runningApplications() const override;
    bool isTrusted() const override { return trusted; }
    void promptForTrust() override { ++trustPrompts; }
    void readMenuBarItems(const RunningApplication& application, double stepTimeout,
                          std::function<void(MenuBarItemsReading)> done) override;
    std::optional<long> processAt(Point axPoint, double timeout) const override;

    bool trusted = true;
    int trustPrompts = 0;
    int reads = 0;
    std::vector<std::unique_ptr<SimMenuBarProgram>> programs;

private:
    double primaryTop() const;

    MainLoop& loop_;
    Defaults& store_;
    StatusBar& bar_;
    const ScreenList& screens_;
    long ownPid_;
    long nextPid_ = 100;
    std::vector<std::set<std::string>> allowedSets_;
};

// The menu-visibility interface over the simulated programs: an assertion in force hides
// every program it does not allow. Programs without an identifier cannot be named in an
// assertion, so their items always stay visible.
class SimMenuVisibility final : public MenuVisibility {
public:
    SimMenuVisibility(MainLoop& loop, SimMenuBarApplications& programs) : loop_(loop), programs_(programs) {}

    bool isAvailable() const override { return available; }
    std::shared_ptr<MenuVisibilityAssertion> activate(const std::vector<int>& allowedSystemItems,
                                                      const std::vector<std::string>& allowedBundleIdentifiers,
                                                      std::function<void(std::optional<MenuVisibilityError>)> done) override;
    // Assertions that took effect and were not ended.
    size_t activeCount() const;

    // A desktop without the interface by default, like every real Linux desktop.
    bool available = false;
    // Seconds from an activation to the desktop's answer.
    double completionDelay = 0.05;
    // The desktop refuses the next activations with this error.
    std::optional<MenuVisibilityError> refusal;
    // The desktop fails inside the next activation.
    bool throwsOnActivate = false;
    int activations = 0;
    std::vector<int> lastSystemItems;

private:
    struct Assertion;
    void apply();

    MainLoop& loop_;
    SimMenuBarApplications& programs_;
    std::vector<std::shared_ptr<Assertion>> active_;
    std::shared_ptr<char> alive_ = std::make_shared<char>();
};

}  // namespace platform::sim
