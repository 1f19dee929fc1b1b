#include <gtest/gtest.h>

#include <algorithm>
#include <optional>
#include <vector>

#include "platform/desktop/TrayHostPoint.h"

using platform::Point;

// A click at X pixel (2846, 1766) of a 2880 x 1800 screen, told by hosts drawn at scales 1, 2 and 3,
// and clicks told by hosts drawn at fractional scales; then on a 1920 x 1200 monitor right of
// that screen, told by a host that counts in a toolkit's points (each monitor at its X pixel
// corner, its size scaled alone).
TEST(TrayHostPoint, theHostsScaleIsTheOneThatPutsItsPointAtThePointer) {
    using platform::PixelSpace;
    const PixelSpace large({{{0, 0, 2880, 1800}, {0, 0, 2880, 1800}, 1}});
    const PixelSpace small({{{0, 0, 1920, 1080}, {0, 0, 1920, 1080}, 1}});
    const PixelSpace twoMonitors(
        {{{0, 0, 2880, 1800}, {0, 0, 2880, 1800}, 1}, {{2880, 0, 1920, 1200}, {2880, 0, 1920, 1200}, 1}});
    struct Case {
        const PixelSpace& space;
        Point reported;
        std::optional<Point> pointer;
        Point expected;
        double within = 0.5;
    };
    const std::vector<Case> cases{
        {large, {2846, 1766}, Point{2846, 1766}, {2846, 1766}},
        {large, {1423, 883}, Point{2846, 1766}, {2846, 1766}},
        {large, {1423, 883}, Point{2847, 1767}, {2846, 1766}},
        {large, {949, 589}, Point{2846, 1766}, {2847, 1767}},
        // The host tells the icon's corner; the pointer is elsewhere on a 64-pixel icon.
        {large, {1408, 868}, Point{2870, 1790}, {2816, 1736}},
        // Near the screen's origin every reading lies close: the nearest one wins.
        {large, {10, 12}, Point{21, 23}, {20, 24}},
        {large, {20, 24}, Point{21, 23}, {20, 24}},
        // Hosts at 1.5 and 1.25, clicked at X pixel (1860, 1065) of a 1920 x 1080 screen.
        {small, {1240, 710}, Point{1860, 1065}, {1860, 1065}},
        {small, {1488, 852}, Point{1860, 1065}, {1860, 1065}},
        // At 1.25 near the left edge of a top panel, where the reading itself lies near the pointer.
        {small, {300, 10}, Point{375, 12}, {375, 12.5}},
        // At 1.08, close to scale 1 but far enough out that 1 would put the click 156 pixels off.
        {small, {1700, 960}, Point{1836, 1036.8}, {1836, 1036.8}},
        // At 1.5 the host tells the corner of a 36-pixel icon the pointer is on.
        {small, {1240, 700}, Point{1880, 1070}, {1860, 1050}, 36},
        // Activated from the keyboard, the pointer far away, or no pointer at all: X pixels.
        {large, {1423, 883}, Point{200, 300}, {1423, 883}},
        {small, {1240, 710}, Point{1000, 1500}, {1240, 710}},
        {large, {1423, 883}, std::nullopt, {1423, 883}},
        // A toolkit at 2 and at 1.5 counts X pixel (4280, 890) of the right monitor from its corner.
        {twoMonitors, {3580, 445}, Point{4280, 890}, {4280, 890}},
        {twoMonitors, {3570, 435}, Point{4300, 910}, {4260, 870}},
        {twoMonitors, {3813, 593}, Point{4280, 890}, {4280, 890}, 1},
        {twoMonitors, {3580, 445}, Point{100, 1700}, {3580, 445}},
        // A toolkit at 2 leaves room between the monitors, 1440 to 2880: a reading there is on
        // the nearer monitor's edge, not scaled by it onto the other one.
        {twoMonitors, {2000, 445}, Point{2875, 890}, {2879, 890}},
    };
    for (size_t i = 0; i < cases.size(); ++i) {
        const Point got = platform::trayHostPointInPixels(cases[i].reported, cases[i].pointer, cases[i].space);
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
        {"on the menu of a host at scale 2 above a bottom panel",
         {screen({0, 32, 1280, 768})},
         {1200, 170},
         {1200, 31}},
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

// A click on a panel that hides: the area left for windows takes the panel in, and only the
// dock windows shown say where its edge is. Beside it lies what a panel that stays would leave.
TEST(TrayHostPoint, aClickOnAPanelThatHidesFindsItsEdge) {
    using platform::Rect;
    const Rect whole{0, 0, 1280, 800};
    const std::vector<platform::Screen> bare{{whole, whole}};
    struct Case {
        const char* name;
        std::vector<platform::Screen> screens;
        std::vector<Rect> docks;
        Point at;
        std::optional<Rect> panel;
        Rect beside{};
    };
    const Rect bottom{0, 0, 1280, 33}, top{0, 767, 1280, 33}, left{0, 0, 48, 800}, right{1232, 200, 48, 400};
    const std::vector<Case> cases{
        {"the icon at the right end of a bottom panel", bare, {bottom}, {1264, 16}, bottom, {0, 33, 1280, 767}},
        {"the icon at the right end of a top panel", bare, {top}, {1264, 784}, top, {0, 0, 1280, 767}},
        {"a left panel", bare, {left}, {24, 780}, left, {48, 0, 1232, 800}},
        {"a right panel of half the screen's height", bare, {right}, {1256, 210}, right, {0, 0, 1232, 800}},
        // 33 pixels at scale 2, on a 2880 x 1800 screen.
        {"a bottom panel of a host at scale 2",
         {{{0, 0, 1440, 900}, {0, 0, 1440, 900}}},
         {{0, 0, 1440, 16.5}},
         {1432, 8},
         Rect{0, 0, 1440, 16.5},
         {0, 16.5, 1440, 883.5}},
        // At 1.25 a screen of 768 pixels is 614.4 points, which Qt gives as a whole number.
        {"a panel of a host at scale 1.25, short of the rounded edge",
         {{{0, 0, 1093, 615}, {0, 0, 1093, 615}}},
         {{0, 0.6, 1093, 26.4}},
         {1080, 10},
         Rect{0, 0.6, 1093, 26.4},
         {0, 27, 1093, 588}},
        {"a panel still sliding out past the edge",
         bare,
         {{0, -12, 1280, 33}},
         {1264, 8},
         Rect{0, -12, 1280, 33},
         {0, 21, 1280, 779}},
        {"a pointer read on the host's menu above it", bare, {bottom}, {1200, 150}, bottom, {0, 33, 1280, 767}},
        {"the nearer of two panels", bare, {bottom, top}, {640, 750}, top, {0, 0, 1280, 767}},
        {"on a panel that reserves its room", {{whole, {0, 33, 1280, 767}}}, {bottom}, {1264, 16}, std::nullopt},
        {"on a panel that stays, beside one that hides",
         {{whole, {0, 0, 1280, 767}}},
         {bottom, top},
         {1264, 784},
         std::nullopt},
        {"farther from every panel than a menu reaches", bare, {bottom, left}, {640, 400}, std::nullopt},
        {"a pointer on the menu beside a left panel, a hidden one nearer off the screen",
         bare,
         {{0, -40, 1280, 33}, left},
         {200, 20},
         left,
         {48, 0, 1232, 800}},
        {"a dock that lies along no edge", bare, {{600, 300, 100, 100}}, {650, 350}, std::nullopt},
        {"a panel hidden off the screen", bare, {{0, -40, 1280, 33}}, {1264, 1}, std::nullopt},
        {"no docks", bare, {}, {1264, 16}, std::nullopt},
        {"off every screen", bare, {bottom}, {1500, 16}, std::nullopt},
        {"on the second monitor, whose panel it is",
         {{whole, whole}, {{1280, 0, 1280, 800}, {1280, 0, 1280, 800}}},
         {bottom, {1280, 0, 1280, 33}},
         {2500, 16},
         Rect{1280, 0, 1280, 33},
         {1280, 33, 1280, 767}},
    };
    for (const auto& c : cases) {
        const auto got = platform::hidingTrayPanel(c.at, c.screens, c.docks);
        EXPECT_EQ(got, c.panel) << c.name;
        if (!got || !c.panel) continue;
        const auto screen = std::find_if(c.screens.begin(), c.screens.end(),
                                         [&](const platform::Screen& s) { return s.frame.contains(c.at); });
        const Rect beside = platform::areaBesidePanel(*screen, *got);
        EXPECT_EQ(beside, c.beside) << c.name << ": " << beside.minX() << "," << beside.minY() << " " << beside.width()
                                    << "x" << beside.height();
    }
}
