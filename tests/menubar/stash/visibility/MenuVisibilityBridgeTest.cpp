#include <gtest/gtest.h>

#include <functional>

#include "menubar/stash/visibility/MenuVisibilityBridge.h"
#include "platform/sim/SimPlatform.h"

using namespace menubar::stash;
using platform::MenuVisibilityError;

namespace {

struct Row {
    const char* name;
    std::function<void(platform::sim::SimMenuVisibility&)> setUp;
    bool returnsAssertion;
    std::optional<MenuVisibilityError> reported;
};

const Row rows[] = {
    {"accepted", [](auto&) {}, true, std::nullopt},
    {"no interface on this desktop", [](auto& v) { v.available = false; }, false,
     MenuVisibilityError{"Fernmote.MenuVisibility", 1}},
    {"the desktop fails inside", [](auto& v) { v.throwsOnActivate = true; }, false,
     MenuVisibilityError{"Fernmote.MenuVisibility", 2}},
    {"the desktop's own refusal passes unchanged",
     [](auto& v) { v.refusal = MenuVisibilityError{"desktop", 9}; }, true, MenuVisibilityError{"desktop", 9}},
};

TEST(MenuVisibilityBridge, reportsEachOutcomeOnALaterTurn) {
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        platform::sim::SimPlatform sim;
        sim.menuVisibility.available = true;
        sim.menuVisibility.completionDelay = 0;
        row.setUp(sim.menuVisibility);
        int reports = 0;
        std::optional<MenuVisibilityError> reported;
        const auto assertion = QBMenuVisibilityActivate({}, [&](auto error) {
            ++reports;
            reported = error;
        });
        EXPECT_EQ(reports, 0);
        sim.loop.advance(0.01);
        EXPECT_EQ(reports, 1);
        EXPECT_EQ(reported, row.reported);
        EXPECT_EQ(assertion != nullptr, row.returnsAssertion);
        EXPECT_EQ(sim.menuVisibility.lastSystemItems.size(), sim.menuVisibility.available ? 64u : 0u);
    }
}

}  // namespace
