#include <gtest/gtest.h>

#include "platform/Screens.h"
#include "platform/sim/SimPlatform.h"

namespace {

struct ScreenChangesTest : ::testing::Test {
    platform::sim::SimPlatform sim;
    int announced = 0;
    platform::Subscription observer =
        sim.notifications.addObserver(platform::notifications::screenParametersChanged, [this] { ++announced; });
};

TEST_F(ScreenChangesTest, burstOfDisplayChanges_isAnnouncedOncePerLoopTurn) {
    auto laptop = platform::sim::SimScreens::display(1, {0, 0, 1440, 900}, {}, true);
    sim.screens.setScreens({laptop});
    sim.screens.setScreens({laptop, platform::sim::SimScreens::display(2, {1440, 0, 1920, 1080})});
    EXPECT_EQ(announced, 0) << "not while the burst is still coming in";
    sim.loop.runPending();
    EXPECT_EQ(announced, 1);
    EXPECT_EQ(platform::screenList().screens().size(), 2u);

    sim.screens.setScreens({laptop});
    sim.loop.runPending();
    EXPECT_EQ(announced, 2) << "a later change is announced again";
}

TEST_F(ScreenChangesTest, coalescerGoneBeforeTheLoopTurn_announcesNothing) {
    {
        platform::ScreenChangeCoalescer changes(sim.loop, sim.notifications);
        changes.noteChange();
    }
    sim.loop.runPending();
    EXPECT_EQ(announced, 0);
}

}  // namespace
