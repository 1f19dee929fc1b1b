#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <set>

#include "model/PetHomeRules.h"

using namespace model;
using platform::Point;

namespace {

void expectPose(const HomeContactPose& p, double sx, double sy, double ox, double oy, double r) {
    EXPECT_DOUBLE_EQ(p.scaleX, sx);
    EXPECT_DOUBLE_EQ(p.scaleY, sy);
    EXPECT_DOUBLE_EQ(p.offsetX, ox);
    EXPECT_DOUBLE_EQ(p.offsetY, oy);
    EXPECT_DOUBLE_EQ(p.rotation, r);
}

void expectNear(Point actual, Point expected) {
    EXPECT_NEAR(actual.x, expected.x, 1e-9);
    EXPECT_NEAR(actual.y, expected.y, 1e-9);
}

// The pose applied about the centre: scale, then rotate, then shift.
Point applyPose(Point p, const HomeContactPose& pose, platform::Size size) {
    const double mx = size.width / 2, my = size.height / 2;
    const double x = (p.x - mx) * pose.scaleX, y = (p.y - my) * pose.scaleY;
    const double c = std::cos(pose.rotation), s = std::sin(pose.rotation);
    return {x * c - y * s + mx + pose.offsetX, x * s + y * c + my + pose.offsetY};
}

}  // namespace

TEST(HomeContactEngine, restingPetsSagDeeperPerKindAndEdge) {
    expectPose(HomeContactEngine::pose(PetHomeKind::notch, HomeEdge::left, PetActivity::sleeping), 1.045 * 0.98,
               0.94 * 1.02, 0, -2.2 * 1.48, 0);
    expectPose(HomeContactEngine::pose(PetHomeKind::dock, HomeEdge::left, PetActivity::dreaming), 0.94, 1.045,
               1.4 * 1.38, 0, -0.05);
    expectPose(HomeContactEngine::pose(PetHomeKind::screenEdge, HomeEdge::right, PetActivity::home), 1, 1, -1.4, 0,
               0.05);
    expectPose(HomeContactEngine::pose(PetHomeKind::dock, HomeEdge::top, PetActivity::typing), 1, 1, 0, -1.7, 0);
    expectPose(HomeContactEngine::pose(PetHomeKind::screenEdge, HomeEdge::bottom, PetActivity::drowsy), 1.025, 0.975, 0,
               1.2 * 1.22, 0);
}

TEST(HomeContactEngine, onlyHomeContactActivitiesPressAgainstTheBoundary) {
    const std::set<PetActivity> pressing{PetActivity::home,   PetActivity::peeking,  PetActivity::perched,
                                         PetActivity::drowsy, PetActivity::sleeping, PetActivity::dreaming,
                                         PetActivity::typing, PetActivity::focusing};
    for (auto activity : allCases<PetActivity>) {
        const bool neutral =
            HomeContactEngine::pose(PetHomeKind::dock, HomeEdge::bottom, activity) == HomeContactPose::neutral();
        EXPECT_EQ(neutral, !pressing.count(activity)) << rawValue(activity);
    }
}

TEST(HomeAttachmentLayout, neutralGripStrokesHookOverEachEdge) {
    const platform::Size size{50, 60};
    auto top = HomeAttachmentLayout::gripStrokes(HomeEdge::top, 40, size, HomeContactPose::neutral());
    expectNear(top[0][0], {9.5, 36.2});
    expectNear(top[0][2], {9.5, 46.2});
    expectNear(top[1][1], {40.5, 41.2});

    auto bottom = HomeAttachmentLayout::gripStrokes(HomeEdge::bottom, 20, size, HomeContactPose::neutral());
    expectNear(bottom[0][0], {9.5, 23.8});
    expectNear(bottom[1][2], {40.5, 13.8});

    auto left = HomeAttachmentLayout::gripStrokes(HomeEdge::left, 20, size, HomeContactPose::neutral());
    expectNear(left[0][0], {23.8, 12});
    expectNear(left[1][2], {13.8, 48});

    auto right = HomeAttachmentLayout::gripStrokes(HomeEdge::right, 30, size, HomeContactPose::neutral());
    expectNear(right[0][0], {26.2, 12});
    expectNear(right[1][2], {36.2, 48});
}

TEST(HomeAttachmentLayout, posedGripStrokesLandOnTheBoundaryOnceThePoseIsApplied) {
    const platform::Size size{52, 52};
    for (auto edge : allCases<HomeEdge>) {
        const auto pose = HomeContactEngine::pose(PetHomeKind::dock, edge, PetActivity::sleeping);
        const auto raw = HomeAttachmentLayout::gripStrokes(edge, 22, size, HomeContactPose::neutral());
        const auto posed = HomeAttachmentLayout::gripStrokes(edge, 22, size, pose);
        for (size_t s = 0; s < 2; ++s)
            for (size_t i = 0; i < 3; ++i) expectNear(applyPose(posed[s][i], pose, size), raw[s][i]);
    }
}

TEST(HomeAttachmentLayout, zeroScaleOrBrokenTiltKeepsThePawsFinite) {
    const platform::Size size{52, 52};
    HomeContactPose broken{0, std::numeric_limits<double>::infinity(), 0, 0, std::nan("")};
    const auto posed = HomeAttachmentLayout::gripStrokes(HomeEdge::top, 40, size, broken);
    const auto raw = HomeAttachmentLayout::gripStrokes(HomeEdge::top, 40, size, HomeContactPose::neutral());
    for (size_t s = 0; s < 2; ++s)
        for (size_t i = 0; i < 3; ++i) expectNear(posed[s][i], raw[s][i]);
}

TEST(PetPawVisibility, attachedPetsGripUnlessTravellingOrResting) {
    using V = PetPawVisibility;
    EXPECT_EQ(V::resolve(true, true, false, PetActivity::home), (V{false, true}));
    EXPECT_EQ(V::resolve(true, true, true, PetActivity::home), (V{false, false}));
    EXPECT_EQ(V::resolve(true, false, false, PetActivity::home), (V{false, false}));
    for (auto resting : {PetActivity::drowsy, PetActivity::sleeping, PetActivity::dreaming, PetActivity::showingCount})
        EXPECT_EQ(V::resolve(true, true, false, resting), (V{false, false})) << rawValue(resting);
    // Attached pets never show their front paws, even when travelling.
    EXPECT_EQ(V::resolve(true, false, true, PetActivity::typing), (V{false, false}));
}

TEST(PetPawVisibility, freePetsShowFrontPawsWhenTravellingOrInAFreePawActivity) {
    using V = PetPawVisibility;
    EXPECT_EQ(V::resolve(false, true, false, PetActivity::idle), (V{false, false}));
    EXPECT_EQ(V::resolve(false, false, true, PetActivity::sleeping), (V{true, false}));
    for (auto free :
         {PetActivity::home, PetActivity::peeking, PetActivity::typing, PetActivity::dragged, PetActivity::perched})
        EXPECT_EQ(V::resolve(false, true, false, free), (V{true, false})) << rawValue(free);
}

TEST(PetHomeMotionPolicy, manualPerchAlwaysScansAndHomesScanOnlyWhenCalm) {
    EXPECT_TRUE(PetHomeMotionPolicy::scansEdge(false, true, PetActivity::sleeping));
    EXPECT_TRUE(PetHomeMotionPolicy::scansEdge(true, false, PetActivity::perched));
    EXPECT_TRUE(PetHomeMotionPolicy::scansEdge(true, false, PetActivity::peeking));
    EXPECT_FALSE(PetHomeMotionPolicy::scansEdge(true, false, PetActivity::typing));
    EXPECT_FALSE(PetHomeMotionPolicy::scansEdge(false, false, PetActivity::home));
}
