#include <gtest/gtest.h>

#include "model/FullScreenDetector.h"
#include "platform/sim/SimPlatform.h"

using model::FullScreenDetector;
using platform::Rect;
using platform::Screen;
using platform::WindowInfo;

namespace {

constexpr int32_t kOtherApp = 777;

struct FullScreenDetectorTest : ::testing::Test {
    platform::sim::SimPlatform sim;
    // A laptop screen and a taller secondary screen to its right.
    std::vector<Screen> screens{{Rect{0, 0, 1440, 900}, Rect{0, 0, 1440, 875}, 1},
                                {Rect{1440, -200, 1080, 1920}, Rect{1440, -200, 1080, 1920}, 2}};

    void SetUp() override { sim.windowList.frontmostPid = kOtherApp; }

    WindowInfo& addWindow(Rect bounds, int32_t pid = kOtherApp, int layer = platform::windowLayer::normal) {
        WindowInfo w;
        w.number = static_cast<uint32_t>(sim.windowList.windows.size() + 100);
        w.ownerPid = pid;
        w.layer = layer;
        w.bounds = bounds;
        sim.windowList.windows.push_back(w);
        return sim.windowList.windows.back();
    }
    bool detect() const { return FullScreenDetector::frontmostAppOccupiesFullScreen(screens); }
};

TEST_F(FullScreenDetectorTest, screenSizedWindowOfTheFrontApp_countsOnAnyScreenWhereverItStands) {
    addWindow({300, 300, 800, 600});
    EXPECT_FALSE(detect());
    // The size of the secondary screen, though placed on the first: only sizes are compared.
    addWindow({0, 0, 1080, 1920});
    EXPECT_TRUE(detect());
    EXPECT_EQ(sim.windowList.copyCount, 2) << "one window-list copy per question";
}

TEST_F(FullScreenDetectorTest, sizeTolerance_isBelowTwoPointsInEachDimension) {
    auto& w = addWindow({0, 0, 1440 - 1.9, 900 + 1.9});
    EXPECT_TRUE(detect());
    w.bounds = {0, 0, 1440 - 2.0, 900};
    EXPECT_FALSE(detect());
    w.bounds = {0, 0, 1440, 900 + 2.0};
    EXPECT_FALSE(detect());
}

TEST_F(FullScreenDetectorTest, windowsThatAreNotOrdinaryWindowsOfTheFrontApp_neverCount) {
    addWindow({0, 0, 1440, 900}, kOtherApp, platform::windowLayer::floating);  // an overlay or shield
    addWindow({0, 0, 1440, 900}, kOtherApp, platform::windowLayer::dock);
    addWindow({0, 0, 1440, 900}, 555);  // a full-size window of a program behind the front one
    sim.windowList.windows.push_back({9, std::nullopt, 0, Rect{0, 0, 1440, 900}, false});  // owner unknown
    EXPECT_FALSE(detect());
}

TEST_F(FullScreenDetectorTest, windowShownFullScreenByTheWindowManager_countsWhateverItsSize) {
    auto& w = addWindow({0, 0, 1280, 720});
    w.isFullScreen = true;
    EXPECT_TRUE(detect());
    w.ownerPid = 555;
    EXPECT_FALSE(detect()) << "only the front application's windows count";
}

TEST_F(FullScreenDetectorTest, ourOwnProgramInFront_neverCounts) {
    sim.windowList.frontmostPid = static_cast<int32_t>(sim.application.processId());
    auto& w = addWindow({0, 0, 1440, 900}, sim.windowList.frontmostPid.value());
    EXPECT_FALSE(detect());
    w.isFullScreen = true;
    EXPECT_FALSE(detect());
}

TEST_F(FullScreenDetectorTest, missingInformation_answersNotFullScreen) {
    auto& w = addWindow({0, 0, 1440, 900});
    w.isFullScreen = true;
    ASSERT_TRUE(detect());

    screens.clear();
    EXPECT_FALSE(detect()) << "no screens";
    screens = {{Rect{0, 0, 1440, 900}, Rect{0, 0, 1440, 900}, 1}};

    sim.windowList.available = false;
    EXPECT_FALSE(detect()) << "no window list";
    sim.windowList.available = true;

    sim.windowList.frontmostPid.reset();
    EXPECT_FALSE(detect()) << "no front application";

    sim.windowList.frontmostPid = kOtherApp;
    auto previous = platform::services();
    auto without = previous;
    without.windowList = nullptr;
    platform::installServices(without);
    EXPECT_FALSE(detect()) << "no window list service at all";
    platform::installServices(previous);
}

}  // namespace
