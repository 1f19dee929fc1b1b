#include <gtest/gtest.h>

#include "platform/sim/SimPlatform.h"

using platform::PanelMouseEvent;
using Type = platform::PanelMouseEvent::Type;

TEST(SimPanel, onlyATakenPressBringsItsDragsAndRelease) {
    platform::sim::SimPlatform sim;
    auto owned = platform::panelFactory().createPanel({100, 50, 52, 52});
    auto* panel = sim.panels.panel(0);
    ASSERT_EQ(panel, owned.get());
    std::vector<PanelMouseEvent> events;
    panel->setMouseHandlers([](platform::Point p) { return p.x < 26; },
                            [&](const PanelMouseEvent& e) { events.push_back(e); });

    EXPECT_FALSE(panel->sendMouse(Type::down, {10, 10})) << "a hidden panel takes nothing";
    panel->orderFront();
    EXPECT_FALSE(panel->sendMouse(Type::down, {40, 10})) << "refused by the hit test";
    EXPECT_FALSE(panel->sendMouse(Type::dragged, {12, 10}));
    panel->setClipRect(platform::Rect{0, 20, 52, 32});
    EXPECT_FALSE(panel->sendMouse(Type::down, {10, 10})) << "outside the clip";
    panel->setClipRect(std::nullopt);

    EXPECT_TRUE(panel->sendMouse(Type::down, {10, 10}, 1.0));
    EXPECT_TRUE(panel->sendMouse(Type::dragged, {60, 10}, 1.1)) << "a drag may leave the panel";
    EXPECT_TRUE(panel->sendMouse(Type::up, {60, 10}, 1.2));
    EXPECT_FALSE(panel->sendMouse(Type::up, {60, 10}));
    ASSERT_EQ(events.size(), 3u);
    EXPECT_EQ(events[1].screenLocation, (platform::Point{160, 60}));

    panel->setIgnoresMouseEvents(true);
    EXPECT_FALSE(panel->sendMouse(Type::down, {10, 10}));
    owned.reset();
    EXPECT_EQ(sim.panels.panel(0), nullptr);
}
