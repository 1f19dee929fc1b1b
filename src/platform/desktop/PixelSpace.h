#pragma once

#include <cstddef>
#include <utility>
#include <vector>

#include "platform/Geometry.h"

namespace platform {

// One monitor as the X server and the toolkit each place it. Both count from the top-left,
// y growing downward, but the toolkit keeps a monitor's top-left corner at the X pixel where it
// lies and draws the rest of it at `ratio` pixels a point: monitors away from the origin or at
// other scales do not line up as one picture scaled.
struct PixelMonitor {
    Rect pixels;  // on the X screen
    Rect points;  // in the toolkit's global space
    double ratio = 1;
    friend bool operator==(const PixelMonitor&, const PixelMonitor&) = default;
};

// The one way between X pixels and the program's points: the toolkit's global space (top-left,
// y down), or the global one the rest of the program works in (y up from the primary monitor's
// bottom-left corner).
// Each position maps by the monitor that holds it; one on no monitor (off the desktop, or in
// the room the toolkit leaves between monitors of different scales) by the nearest one, the
// primary on a tie, as if that monitor reached out to it. A plain value, built from the
// monitors as they are and copied to where it is needed.
class PixelSpace {
public:
    // No monitors: a pixel is a point.
    PixelSpace() = default;
    // The primary monitor first.
    explicit PixelSpace(std::vector<PixelMonitor> monitors) : monitors_(std::move(monitors)) {}
    // From monitors as the toolkit gives them, in points at a scale each, the primary first. It
    // keeps each top-left corner at its X pixel but rounds the scaled size to whole points, so
    // scaled back the size may miss the monitor's last pixel by up to half a point (2560 pixels
    // at 1.5 come back as 2561): an edge that near a neighbour's first pixel is that neighbour's
    // edge, as the X server tiles monitors.
    static PixelSpace fromPoints(const std::vector<std::pair<Rect, double>>& monitors);

    const std::vector<PixelMonitor>& monitors() const { return monitors_; }

    // By the monitor holding the position, or else the nearest.
    Point toPoints(Point pixel) const;
    Point toPixels(Point point) const;
    // As toPixels, but a position on no monitor lands on the nearest one's edge, as a toolkit's
    // reading in the room between monitors means.
    Point toPixelsOnMonitor(Point point) const;
    // By the monitor holding the rectangle's centre, or else the nearest, as the toolkit places
    // a window: its size at that monitor's scale.
    Rect toPoints(const Rect& pixels) const;
    // By `monitor`, wherever the position lies.
    Point toPoints(Point pixel, size_t monitor) const;
    Point toPixels(Point point, size_t monitor) const;
    Rect toPoints(const Rect& pixels, size_t monitor) const;

    // In the global y-up space.
    Point toGlobal(Point pixel) const;
    Rect toGlobal(const Rect& pixels) const;
    // The primary monitor's top-left corner among the points: where the window list counts from.
    Point primaryCorner() const;

    // The monitor a window at `points` stands on: the one holding its middle pixel; `current`
    // while that lies on none (off the desktop, or in the room between monitors), as the
    // toolkit keeps a window's screen.
    size_t windowMonitor(const Rect& points, size_t current) const;
    // Where a window at `points`, drawn at the scale of `monitor`, lies on the X screen. While
    // its middle pixel is in the room between that monitor and a neighbour at another scale (a
    // pet walking across), which no monitor shows, it waits with its middle at its own
    // monitor's edge.
    Point windowPixels(const Rect& points, size_t monitor) const;

    friend bool operator==(const PixelSpace&, const PixelSpace&) = default;

private:
    // The monitor holding the position, else the nearest one; 0 without monitors.
    size_t monitorAtPixel(Point pixel) const;
    size_t monitorAtPoint(Point point) const;

    std::vector<PixelMonitor> monitors_;
};

// A rectangle of the toolkit's global space (top-left, y down) in the program's global y-up
// points, given the primary monitor's rectangle there, and back.
Rect globalFromToolkit(const Rect& points, const Rect& primary);
Rect toolkitFromGlobal(const Rect& global, const Rect& primary);

}  // namespace platform
