#include <gtest/gtest.h>

#include <optional>

#include "platform/desktop/TrayHostPoint.h"

using platform::Point;

// A click at X pixel (2846, 1766) of a 2880 x 1800 screen, told by hosts drawn at scales 1, 2 and 3.
TEST(TrayHostPoint, theHostsScaleIsTheOneThatPutsItsPointAtThePointer) {
    struct Case {
        Point reported;
        std::optional<Point> pointer;
        Point expected;
    };
    const std::vector<Case> cases{
        {{2846, 1766}, Point{2846, 1766}, {2846, 1766}},
        {{1423, 883}, Point{2846, 1766}, {2846, 1766}},
        {{1423, 883}, Point{2847, 1767}, {2846, 1766}},
        {{949, 589}, Point{2846, 1766}, {2847, 1767}},
        // The host tells the icon's corner; the pointer is elsewhere on a 64-pixel icon.
        {{1408, 868}, Point{2870, 1790}, {2816, 1736}},
        // Near the screen's origin every reading lies close: the nearest one wins.
        {{10, 12}, Point{21, 23}, {20, 24}},
        {{20, 24}, Point{21, 23}, {20, 24}},
        // Activated from the keyboard, the pointer far away, or no pointer at all: X pixels.
        {{1423, 883}, Point{200, 300}, {1423, 883}},
        {{1423, 883}, std::nullopt, {1423, 883}},
    };
    for (size_t i = 0; i < cases.size(); ++i) {
        const Point got = platform::trayHostPointInPixels(cases[i].reported, cases[i].pointer);
        EXPECT_EQ(got, cases[i].expected) << i << ": " << got.x << "," << got.y;
    }
}
