#include <gtest/gtest.h>

#include <optional>
#include <vector>

#include "platform/desktop/TrayHostPoint.h"

using platform::Point;

// A click at X pixel (2846, 1766) of a 2880 x 1800 screen, told by hosts drawn at scales 1, 2 and 3,
// and clicks told by hosts drawn at fractional scales.
TEST(TrayHostPoint, theHostsScaleIsTheOneThatPutsItsPointAtThePointer) {
    struct Case {
        Point reported;
        std::optional<Point> pointer;
        Point expected;
        double within = 0.5;
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
        // Hosts at 1.5 and 1.25, clicked at X pixel (1860, 1065) of a 1920 x 1080 screen.
        {{1240, 710}, Point{1860, 1065}, {1860, 1065}},
        {{1488, 852}, Point{1860, 1065}, {1860, 1065}},
        // At 1.25 near the left edge of a top panel, where the reading itself lies near the pointer.
        {{300, 10}, Point{375, 12}, {375, 12.5}},
        // At 1.08, close to scale 1 but far enough out that 1 would put the click 156 pixels off.
        {{1700, 960}, Point{1836, 1036.8}, {1836, 1036.8}},
        // At 1.5 the host tells the corner of a 36-pixel icon the pointer is on.
        {{1240, 700}, Point{1880, 1070}, {1860, 1050}, 36},
        // Activated from the keyboard, the pointer far away, or no pointer at all: X pixels.
        {{1423, 883}, Point{200, 300}, {1423, 883}},
        {{1240, 710}, Point{1000, 1500}, {1240, 710}},
        {{1423, 883}, std::nullopt, {1423, 883}},
    };
    for (size_t i = 0; i < cases.size(); ++i) {
        const Point got = platform::trayHostPointInPixels(cases[i].reported, cases[i].pointer);
        EXPECT_NEAR(got.x, cases[i].expected.x, cases[i].within) << i << ": " << got.x << "," << got.y;
        EXPECT_NEAR(got.y, cases[i].expected.y, cases[i].within) << i << ": " << got.x << "," << got.y;
    }
}

// A 1280 x 800 screen (y up) with panels along some of its edges; the pointer is read as the
// host's menu opens, on the icon or, read late, on the menu beside the panel.
TEST(TrayHostPoint, aPointerReadOnTheHostsMenuIsTakenBackOntoItsPanel) {
    const platform::Rect whole{0, 0, 1280, 800};
    const auto screen = [&](platform::Rect visible) { return platform::Screen{whole, visible}; };
    struct Case {
        const char* name;
        std::vector<platform::Screen> screens;
        Point pointer;
        Point expected;
    };
    const std::vector<Case> cases{
        {"on the icon in a bottom panel", {screen({0, 32, 1280, 768})}, {1264, 16}, {1264, 16}},
        {"on the menu above a bottom panel", {screen({0, 32, 1280, 768})}, {1200, 50}, {1200, 31}},
        {"on the menu below a top panel", {screen({0, 0, 1280, 772})}, {100, 740}, {100, 772}},
        {"beside a left panel", {screen({48, 0, 1232, 800})}, {120, 400}, {47, 400}},
        {"beside a right panel", {screen({0, 0, 1232, 800})}, {1100, 400}, {1232, 400}},
        {"nearer the bottom of two panels", {screen({0, 32, 1280, 740})}, {600, 100}, {600, 31}},
        {"nearer the top of two panels", {screen({0, 32, 1280, 740})}, {600, 700}, {600, 772}},
        {"no panel to go to", {screen(whole)}, {600, 100}, {600, 100}},
        {"off every screen", {screen({0, 32, 1280, 768})}, {1500, 50}, {1500, 50}},
        {"no screens", {}, {600, 100}, {600, 100}},
        {"on the menu of a host at scale 2 above a bottom panel", {screen({0, 32, 1280, 768})}, {1200, 170}, {1200, 31}},
        {"on the icon in a top panel that hides, with a bottom panel",
         {platform::Screen{{0, 0, 1920, 1080}, {0, 28, 1920, 1052}}},
         {1850, 1070},
         {1850, 1070}},
        {"on a bottom panel that hides, with a top panel", {screen({0, 0, 1280, 772})}, {100, 10}, {100, 10}},
        {"farther from every panel than a menu reaches", {screen({48, 32, 1232, 768})}, {640, 400}, {640, 400}},
        {"on the second monitor, whose panel it is",
         {screen(whole), platform::Screen{{1280, 0, 1280, 800}, {1280, 32, 1280, 768}}},
         {2500, 60},
         {2500, 31}},
    };
    for (const auto& c : cases) {
        const Point got = platform::trayIconPointFromMenuPointer(c.pointer, c.screens);
        EXPECT_EQ(got, c.expected) << c.name << ": " << got.x << "," << got.y;
    }
}
