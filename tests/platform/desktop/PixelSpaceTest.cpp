#include <gtest/gtest.h>

#include <optional>
#include <utility>
#include <vector>

#include "platform/desktop/PixelSpace.h"

using platform::PixelSpace;
using platform::Point;
using platform::Rect;

namespace {

// A 1920 x 1200 laptop panel at scale 2, primary, at the X screen's origin, and a 1920 x 1200
// monitor right of it at scale 1: the toolkit leaves 960 points of room between them.
const PixelSpace mixed({{{0, 0, 1920, 1200}, {0, 0, 960, 600}, 2}, {{1920, 0, 1920, 1200}, {1920, 0, 1920, 1200}, 1}});
// The same two at scale 2.
const PixelSpace doubled({{{0, 0, 1920, 1200}, {0, 0, 960, 600}, 2}, {{1920, 0, 1920, 1200}, {1920, 0, 960, 600}, 2}});
// A primary 2560 x 1440 at scale 1 away from the origin, a 1920 x 1200 at 1.25 left of it, and a
// 1920 x 1080 at scale 2 above it.
const PixelSpace around({{{1920, 1080, 2560, 1440}, {1920, 1080, 2560, 1440}, 1},
                         {{0, 1080, 1920, 1200}, {0, 1080, 1536, 960}, 1.25},
                         {{1920, 0, 1920, 1080}, {1920, 0, 960, 540}, 2}});

void expectNear(Point actual, Point expected, const char* what) {
    EXPECT_NEAR(actual.x, expected.x, 1e-9) << what;
    EXPECT_NEAR(actual.y, expected.y, 1e-9) << what;
}

// Each way and back again, at the monitor's own scale about its own corner.
TEST(PixelSpace, aPositionOnAMonitorMapsByThatMonitorBothWays) {
    const struct {
        const char* what;
        const PixelSpace& space;
        Point pixel, point;
    } cases[] = {
        {"the scaled laptop at the origin", mixed, {1000, 600}, {500, 300}},
        {"the 1x monitor right of it, where its corner is", mixed, {3800, 1190}, {3800, 1190}},
        {"the right of two at scale 2", doubled, {3800, 1190}, {2860, 595}},
        {"its first pixel", doubled, {1920, 0}, {1920, 0}},
        {"the primary away from the origin", around, {2000, 1100}, {2000, 1100}},
        {"left of the primary at 1.25", around, {1000, 2000}, {800, 1816}},
        {"above the primary at 2", around, {3000, 500}, {2460, 250}},
        {"the last pixel at 1.25", around, {1919, 2279}, {1535.2, 2039.2}},
        {"no monitors: pixels are points", PixelSpace(), {12, 34}, {12, 34}},
    };
    for (const auto& c : cases) {
        expectNear(c.space.toPoints(c.pixel), c.point, c.what);
        expectNear(c.space.toPixels(c.point), c.pixel, c.what);
    }
}

// Off every monitor, or in the room between monitors of different scales: by the nearest monitor,
// the primary on a tie, as though it reached that far.
TEST(PixelSpace, aPositionOnNoMonitorMapsByTheNearest) {
    const struct {
        const char* what;
        const PixelSpace& space;
        std::optional<Point> pixel, point;
        Point mapped;
    } cases[] = {
        {"left of the desktop", mixed, Point{-100, 100}, {}, {-50, 50}},
        {"above the 1.25 monitor, nearer it than the others", around, Point{500, 200}, {}, {400, 376}},
        {"below both, as near the one as the other", mixed, Point{1920, 1300}, {}, {960, 650}},
        {"in the room, nearer the 1x monitor", mixed, {}, Point{1500, 300}, {1500, 300}},
        {"in the room, nearer the laptop", mixed, {}, Point{1100, 300}, {2200, 600}},
    };
    for (const auto& c : cases) {
        if (c.pixel) expectNear(c.space.toPoints(*c.pixel), c.mapped, c.what);
        if (c.point) expectNear(c.space.toPixels(*c.point), c.mapped, c.what);
    }
}

// A window, a panel or a taskbar maps whole by the monitor of its centre, its size at that scale.
TEST(PixelSpace, aRectangleMapsByTheMonitorOfItsCentre) {
    const struct {
        const char* what;
        const PixelSpace& space;
        Rect pixels, points, global;
    } cases[] = {
        {"a window on the 1x monitor", mixed, {2100, 300, 1000, 600}, {2100, 300, 1000, 600}, {2100, -300, 1000, 600}},
        {"a window right, at 2", doubled, {2100, 300, 1000, 600}, {2010, 150, 500, 300}, {2010, 150, 500, 300}},
        {"across both, mostly right", doubled, {1800, 100, 400, 200}, {1860, 50, 200, 100}, {1860, 450, 200, 100}},
        {"a taskbar right, at 2", doubled, {1920, 1160, 1920, 40}, {1920, 580, 960, 20}, {1920, 0, 960, 20}},
        {"left of the primary", around, {100, 1180, 1000, 500}, {80, 1160, 800, 400}, {-1840, 960, 800, 400}},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(c.space.toPoints(c.pixels), c.points) << c.what;
        EXPECT_EQ(c.space.toGlobal(c.pixels), c.global) << c.what;
    }
}

// The design's space: y up from the primary's bottom-left corner.
TEST(PixelSpace, globalPointsCountUpFromThePrimarysBottomLeft) {
    const struct {
        const char* what;
        const PixelSpace& space;
        Point pixel, global;
    } cases[] = {
        {"the laptop's top-left pixel", mixed, {0, 0}, {0, 600}},
        {"the 1x monitor's bottom right", mixed, {3800, 1190}, {3800, -590}},
        {"the right of two at scale 2", doubled, {3800, 1190}, {2860, 5}},
        {"left of a primary away from the origin", around, {1000, 2000}, {-1120, 704}},
        {"no monitors", PixelSpace(), {12, 34}, {12, -34}},
    };
    for (const auto& c : cases) expectNear(c.space.toGlobal(c.pixel), c.global, c.what);
}

// Windows are placed in the toolkit's space from the program's global rectangles: the flip must
// come back to where it started, a rectangle's far edge and not its corner taken across.
TEST(PixelSpace, aToolkitRectangleFlipsToGlobalPointsAndBack) {
    const struct {
        const char* what;
        Rect primary, toolkit, global;
    } cases[] = {
        {"a primary at the origin", {0, 0, 960, 600}, {10, 20, 100, 50}, {10, 530, 100, 50}},
        {"a window left of and below a primary away from the origin", {1920, 1080, 2560, 1440},
         {100, 2600, 50, 40}, {-1820, -120, 50, 40}},
    };
    for (const auto& c : cases) {
        const Rect global = platform::globalFromToolkit(c.toolkit, c.primary);
        EXPECT_EQ(global, c.global) << c.what;
        EXPECT_EQ(platform::toolkitFromGlobal(global, c.primary), c.toolkit) << c.what;
    }
}

// A pet crossing from one monitor to another at another scale passes through room among the
// points that no monitor shows: its window waits at its own monitor's edge meanwhile.
TEST(PixelSpace, aWindowBetweenMonitorsWaitsAtItsOwnMonitorsEdge) {
    const struct {
        const char* what;
        Rect points;
        size_t monitor;
        Point pixels;
    } cases[] = {
        {"on the laptop", {100, 100, 100, 100}, 0, {200, 200}},
        {"its middle in the room, drawn at the laptop's scale", {1000, 100, 100, 100}, 0, {1820, 200}},
        {"its middle in the room, drawn at the 1x monitor's", {1000, 100, 100, 100}, 1, {1871, 100}},
        {"past the room, on the 1x monitor", {2000, 100, 100, 100}, 1, {2000, 100}},
        {"off the desktop, in no room between", {-300, 100, 100, 100}, 0, {-600, 200}},
        {"a monitor no longer there", {40, 50, 100, 100}, 7, {40, 50}},
    };
    for (const auto& c : cases) expectNear(mixed.windowPixels(c.points, c.monitor), c.pixels, c.what);
}

// A pet window of 100 points walks one point at a time from one monitor to the other and back,
// its monitor chosen and its X pixels placed as a panel's are, over monitors given as the toolkit
// gives them (in points, at a scale each). At every step the window lies on the X screen and its
// middle pixel on the monitor chosen for it, waiting at that monitor's edge while it crosses room
// no monitor shows.
TEST(PixelSpace, aWindowWalkingAcrossMonitorsStaysOnTheOneItIsGiven) {
    const struct {
        const char* what;
        std::vector<std::pair<Rect, double>> points;
        std::vector<Rect> pixels;  // where the monitors are on the X screen
        Point from, to;
    } cases[] = {
        {"a 2x primary, a 1x monitor right of it",
         {{{0, 0, 1440, 900}, 2}, {{2880, 0, 1920, 1080}, 1}},
         {{0, 0, 2880, 1800}, {2880, 0, 1920, 1080}},
         {1200, 300},
         {3000, 300}},
        {"a 1.5 primary of 2560 pixels, 1707 points, a 1x monitor right of it",
         {{{0, 0, 1707, 960}, 1.5}, {{2560, 0, 1920, 1080}, 1}},
         {{0, 0, 2560, 1440}, {2560, 0, 1920, 1080}},
         {1500, 300},
         {2800, 300}},
        {"a 1x monitor left of a 2x primary",
         {{{1920, 0, 1440, 900}, 2}, {{0, 0, 1920, 1080}, 1}},
         {{1920, 0, 2880, 1800}, {0, 0, 1920, 1080}},
         {2100, 300},
         {1600, 300}},
        {"a 1x monitor above a 2x primary",
         {{{0, 1080, 1440, 900}, 2}, {{0, 0, 1920, 1080}, 1}},
         {{0, 1080, 2880, 1800}, {0, 0, 1920, 1080}},
         {300, 1200},
         {300, 900}},
    };
    for (const auto& c : cases) {
        const PixelSpace space = PixelSpace::fromPoints(c.points);
        Rect screen;
        for (const Rect& r : c.pixels) screen = screen.unionWith(r);
        const Rect start{c.from, {100, 100}};
        size_t monitor = space.windowMonitor(start, 0);
        const auto walk = [&](Point from, Point to) {
            const double steps = std::max(std::abs(to.x - from.x), std::abs(to.y - from.y));
            for (double i = 0; i <= steps; ++i) {
                const Rect window{{from.x + (to.x - from.x) * i / steps, from.y + (to.y - from.y) * i / steps},
                                  {100, 100}};
                monitor = space.windowMonitor(window, monitor);
                const double side = 100 * c.points[monitor].second;
                const Point at = space.windowPixels(window, monitor);
                const Rect pixels{{std::round(at.x), std::round(at.y)}, {side, side}};
                const Point middle{std::floor(pixels.minX() + (side - 1) / 2),
                                   std::floor(pixels.minY() + (side - 1) / 2)};
                ASSERT_TRUE(screen.intersection(pixels) == pixels && c.pixels[monitor].contains(middle))
                    << c.what << ": the window at " << window.minX() << "," << window.minY() << " on monitor "
                    << monitor << " is at pixel " << pixels.minX() << "," << pixels.minY();
            }
        };
        walk(c.from, c.to);
        walk(c.to, c.from);
    }
}

}  // namespace
