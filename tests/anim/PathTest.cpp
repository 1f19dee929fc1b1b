#include <gtest/gtest.h>

#include <cmath>

#include "anim/Path.h"

using namespace anim;

namespace {

// A point of a cubic segment at parameter s.
Point bezier(Point a, Point b, Point c, Point d, double s) {
    double u = 1 - s;
    return {u * u * u * a.x + 3 * u * u * s * b.x + 3 * u * s * s * c.x + s * s * s * d.x,
            u * u * u * a.y + 3 * u * u * s * b.y + 3 * u * s * s * c.y + s * s * s * d.y};
}

}  // namespace

TEST(Path, anEllipseStaysOnItsOutlineAndRunsCounterClockwise) {
    Rect r{10, 20, 30, 12};
    Path p = Path::ellipse(r);
    ASSERT_EQ(p.elements().size(), 6u);
    EXPECT_EQ(p.elements().front().points[0], (Point{40, 26})) << "starts at the rightmost point";
    Point from = p.elements().front().points[0];
    for (size_t i = 1; i <= 4; ++i) {
        const auto& e = p.elements()[i];
        for (double s : {0.25, 0.5, 0.75}) {
            Point q = bezier(from, e.points[0], e.points[1], e.points[2], s);
            double nx = (q.x - r.midX()) / (r.width() / 2), ny = (q.y - r.midY()) / (r.height() / 2);
            EXPECT_NEAR(std::hypot(nx, ny), 1, 3e-4);
        }
        from = e.points[2];
    }
    EXPECT_GT(p.elements()[1].points[2].y, r.midY()) << "the first quarter goes up (y up)";
    EXPECT_EQ(p.boundingBox(), r);
}

TEST(Path, roundedCornersAreClampedAndTransformsMoveEveryPoint) {
    Path p = Path::roundedRect({0, 0, 10, 4}, 8, 8);
    EXPECT_EQ(p.boundingBox(), (Rect{0, 0, 10, 4}));
    EXPECT_EQ(p.elements().front().points[0], (Point{5, 0})) << "corner width held to half the width";

    Path moved =
        Path::rect({0, 0, 2, 1}).transformed(Affine::rotation(std::acos(-1.0) / 2).then(Affine::translation(5, 5)));
    Rect box = moved.boundingBox();
    EXPECT_NEAR(box.minX(), 4, 1e-12);
    EXPECT_NEAR(box.maxY(), 7, 1e-12);
    EXPECT_TRUE(Path().isEmpty());
}
