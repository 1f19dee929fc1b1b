#include <gtest/gtest.h>

#include <optional>

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
        {"its centre in the room, drawn at the laptop's scale", {1000, 100, 100, 100}, 0, {1819, 200}},
        {"its centre in the room, drawn at the 1x monitor's", {1000, 100, 100, 100}, 1, {1870, 100}},
        {"past the room, on the 1x monitor", {2000, 100, 100, 100}, 1, {2000, 100}},
        {"off the desktop, in no room between", {-300, 100, 100, 100}, 0, {-600, 200}},
        {"a monitor no longer there", {40, 50, 100, 100}, 7, {40, 50}},
    };
    for (const auto& c : cases) expectNear(mixed.windowPixels(c.points, c.monitor), c.pixels, c.what);
}

}  // namespace
