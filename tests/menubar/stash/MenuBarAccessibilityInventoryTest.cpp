#include <gtest/gtest.h>

#include <algorithm>
#include <functional>

#include "menubar/stash/MenuBarAccessibilityInventory.h"
#include "platform/sim/SimPlatform.h"

using menubar::stash::MenuBarAccessibilityInventory;
using menubar::stash::MenuBarInventorySnapshot;
using platform::sim::SimMenuBarReading;
using Outcome = SimMenuBarReading::Outcome;
using Set = std::set<std::string>;

namespace {

struct Row {
    const char* name;
    std::function<void(platform::sim::SimMenuBarApplications&)> setUp;
    // When the snapshot arrives, and what it holds.
    double arrivesAt;
    std::vector<std::string> itemBundles;
    Set uncertain, running;
};

const Row rows[] = {
    {"one slow and one failing program: the scan stops handing out at 2.5 s and keeps what arrived",
     [](auto& apps) {
         const auto program = [&](const char* id, SimMenuBarReading reading, int items = 1, bool background = false) {
             apps.launch(id, std::vector<platform::sim::SimMenuBarApplications::Item>(items, {22, 100}), background)
                 .reading = reading;
         };
         program("bg", {}, 1, true);
         program("a", {Outcome::answers, 2.6});
         program("slow", {Outcome::answers, 3.0});
         program("fail", {Outcome::fails});
         program("b", {Outcome::answers, 2.6});
         program("c", {Outcome::answers, 2.6, {1}}, 2);
         apps.launch(std::nullopt, {{22, 100}});
     },
     3.0, {"a", "b", "c", "slow"}, {"fail", "c", "bg"}, {"a", "slow", "fail", "b", "c", "bg"}},
    {"a program that times out is uncertain and holds nothing up",
     [](auto& apps) {
         apps.launch("mute", {{22, 100}}).reading = {Outcome::timesOut, 60};
         apps.launch("ok", {{22, 100}});
     },
     0.1, {"ok"}, {"mute"}, {"mute", "ok"}},
    {"no program with an identifier: an empty snapshot on a later turn",
     [](auto& apps) { apps.launch(std::nullopt, {{22, 100}}); }, 0, {}, {}, {}},
};

TEST(MenuBarAccessibilityInventory, scansEveryCaseAsExpected) {
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        platform::sim::SimPlatform sim;
        MenuBarAccessibilityInventory inventory;
        row.setUp(sim.menuBarApplications);
        std::optional<MenuBarInventorySnapshot> got;
        inventory.snapshot([&](const MenuBarInventorySnapshot& s) { got = s; });
        EXPECT_FALSE(got) << "inside the call";
        sim.loop.advance(std::max(row.arrivesAt - 0.001, 0.0));
        EXPECT_EQ(got.has_value(), row.arrivesAt == 0) << "early";
        sim.loop.advance(0.002);
        ASSERT_TRUE(got);
        std::vector<std::string> bundles;
        for (const auto& item : got->items) bundles.push_back(item.bundle);
        EXPECT_EQ(bundles, row.itemBundles);
        EXPECT_EQ(got->uncertain, row.uncertain);
        EXPECT_EQ(got->running, row.running);
    }
}

}  // namespace
