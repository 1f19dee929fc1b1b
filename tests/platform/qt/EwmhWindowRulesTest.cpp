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

TEST(EwmhWindowRules, frameBounds_areWhatShowsOfTheWindow) {
    // A client at (10, 40) of 800 x 600; a frame of a 1-pixel border and a 24-pixel title bar;
    // the invisible shadow margins of a window that draws its own decorations.
    const FrameExtents frame{1, 1, 24, 1}, shadow{20, 20, 12, 28};
    const struct {
        const char* what;
        FrameExtents extents, margins;
        platform::Rect shown;
    } cases[] = {
        {"framed", frame, {}, {9, 16, 802, 625}},
        {"bare", {}, {}, {10, 40, 800, 600}},
        {"own decorations", {}, shadow, {30, 52, 760, 560}},
        {"framed anyway: the frame shows", frame, shadow, {9, 16, 802, 625}},
        {"negative extent", {-1, 1, 24, 1}, {}, {10, 40, 800, 600}},
        {"absurd extent", {1, 1, 1L << 40, 1}, {}, {10, 40, 800, 600}},
        {"broken frame, margins still left out", {-1, 1, 24, 1}, shadow, {30, 52, 760, 560}},
        {"negative margin", {}, {20, 20, -12, 28}, {10, 40, 800, 600}},
        {"margins leave no width", {}, {400, 400, 0, 0}, {10, 40, 800, 600}},
        {"margins leave no height", {}, {0, 0, 300, 300}, {10, 40, 800, 600}},
    };
    for (const auto& c : cases) EXPECT_EQ(frameBounds(10, 40, 800, 600, c.extents, c.margins), c.shown) << c.what;
}

}  // namespace
