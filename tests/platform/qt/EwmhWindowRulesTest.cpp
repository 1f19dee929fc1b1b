#include <gtest/gtest.h>

#include "platform/WindowList.h"
#include "platform/qt/EwmhWindowRules.h"

using namespace platform::qt::ewmh;
namespace layer = platform::windowLayer;

namespace {

TEST(EwmhWindowRules, onlyOrdinaryAndDialogWindowsNotKeptAboveOrBelow_areInTheNormalLayer) {
    EXPECT_EQ(listedLayer(WindowType::normal, {}), layer::normal);
    EXPECT_EQ(listedLayer(WindowType::dialog, {}), layer::normal);
    EXPECT_EQ(listedLayer(WindowType::normal, {.fullScreen = true}), layer::normal);
    EXPECT_EQ(listedLayer(WindowType::normal, {.above = true}), layer::floating);
    EXPECT_EQ(listedLayer(WindowType::dialog, {.below = true}), layer::below);
    EXPECT_EQ(listedLayer(WindowType::normal, {.above = true, .below = true}), layer::floating);
    EXPECT_EQ(listedLayer(WindowType::utility, {}), layer::floating);
    EXPECT_EQ(listedLayer(WindowType::dock, {}), layer::dock);
    EXPECT_EQ(listedLayer(WindowType::notification, {}), layer::popUp);
    EXPECT_EQ(listedLayer(WindowType::tooltip, {.below = true}), layer::popUp);
}

TEST(EwmhWindowRules, desktopAndHiddenWindows_areLeftOut) {
    EXPECT_EQ(listedLayer(WindowType::desktop, {}), std::nullopt);
    EXPECT_EQ(listedLayer(WindowType::normal, {.hidden = true}), std::nullopt);
}

TEST(EwmhWindowRules, frameBounds_addTheExtentsAroundTheClientInPoints) {
    // A client at (10, 40) of 800 x 600 with a 1-pixel border and a 24-pixel title bar.
    EXPECT_EQ(frameBounds(10, 40, 800, 600, {1, 1, 24, 1}, 1.0), (platform::Rect{9, 16, 802, 625}));
    EXPECT_EQ(frameBounds(10, 40, 800, 600, {1, 1, 24, 1}, 2.0), (platform::Rect{4.5, 8, 401, 312.5}));
    EXPECT_EQ(frameBounds(0, 0, 1280, 800, {}, 1.0), (platform::Rect{0, 0, 1280, 800}));
}

TEST(EwmhWindowRules, brokenExtents_areIgnored) {
    EXPECT_EQ(frameBounds(10, 40, 800, 600, {-1, 1, 24, 1}, 1.0), (platform::Rect{10, 40, 800, 600}));
    EXPECT_EQ(frameBounds(10, 40, 800, 600, {1, 1, 1L << 40, 1}, 1.0), (platform::Rect{10, 40, 800, 600}));
    EXPECT_EQ(frameBounds(10, 40, 800, 600, {}, 0.0), (platform::Rect{10, 40, 800, 600})) << "no ratio: pixels";
}

}  // namespace
