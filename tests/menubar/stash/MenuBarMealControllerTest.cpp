#include <gtest/gtest.h>

#include <optional>
#include <tuple>

#include "menubar/stash/MenuBarMealController.h"
#include "menubar/stash/NativeMenuBarMealEngine.h"
#include "platform/sim/SimPlatform.h"

using namespace menubar::stash;

TEST(MenuBarMealController, startsFromTheStoredSettings) {
    // Stored enabled and wish; then isEnabled and requestedCollapsed.
    using Stored = std::optional<platform::PlistValue>;
    const std::tuple<Stored, Stored, bool, bool> rows[] = {{std::nullopt, std::nullopt, false, false},
                                                           {true, std::nullopt, true, true},
                                                           {true, "yes", true, true},
                                                           {false, true, false, false},
                                                           {"on", true, false, false}};
    for (const auto& [enabled, desired, isEnabled, requestedCollapsed] : rows) {
        platform::sim::SimPlatform sim;
        if (enabled) sim.defaults.set(kMenuBarMealEnabledKey, *enabled);
        if (desired) sim.defaults.set(kMenuBarMealDesiredCollapsedKey, *desired);
        MenuBarMealController controller(sim.defaults, sim.statusBar);
        EXPECT_EQ(controller.engine().isEnabled().get(), isEnabled);
        EXPECT_EQ(controller.engine().requestedCollapsed().get(), requestedCollapsed);
    }
}

TEST(MenuBarMealController, choosesTheNativeEngineWhenItsInterfaceIsThereOrAsked) {
    // Interface available, forced choice; then the native engine is chosen.
    const std::tuple<bool, std::optional<bool>, bool> rows[] = {
        {false, std::nullopt, false}, {true, std::nullopt, true}, {true, false, false}, {false, true, true}};
    for (const auto& [available, useNative, native] : rows) {
        platform::sim::SimPlatform sim;
        sim.menuVisibility.available = available;
        MenuBarMealController controller(sim.defaults, sim.statusBar, useNative);
        EXPECT_EQ(controller.usesNativeVisibility(), native);
        EXPECT_EQ(dynamic_cast<NativeMenuBarMealEngine*>(&controller.engine()) != nullptr, native);
    }
}
