// The small motions a pet makes at its home, watched as the user sees them: where the panel
// stands over time and how much of the pet shows out of the edge it lives behind.
#include <algorithm>
#include <cmath>
#include <string>

#include "model/AppModel.h"
#include "pets/coordination/CoordinatorTestSupport.h"
#include "platform/Services.h"

namespace pets::testing {
namespace {

using model::PetActivity;
using platform::Point;

struct HomePeekScootTest : CoordinatorPlayTest {
    double side(int pet) { return panel(pet).frame().width(); }
    // The places the pet held still at after it set off.
    std::vector<Stop> stagesOf(const Film& film, int pet) {
        auto stops = film.stops(size_t(pet));
        std::erase_if(stops, [](const Stop& s) { return s.from == 0; });
        return stops;
    }
    // Both pets at home on that screen; names the case.
    std::string startAt(const HomeSide& s, int pet) {
        startOn(s);
        return std::string(s.name) + " home, pet " + std::to_string(pet);
    }
    // What the tick does before either motion.
    void beginPeeking(int pet) { view(pet).setActivity(PetActivity::peeking); }
};

double apart(Point a, Point b) {
    return std::hypot(a.x - b.x, a.y - b.y);
}

TEST_F(HomePeekScootTest, peek_ducksIntoTheHomeShowsTheEyesLeansOutAndComesBackToRest) {
    for (const HomeSide& s : homeSides())
        for (int pet : {0, 1}) {
            const std::string what = startAt(s, pet);
            ASSERT_EQ(access().homes()[size_t(pet)].edge, s.edge) << what;
            const Point rest = origin(pet);
            const double w = side(pet), atRest = s.shown(rest, w);
            ASSERT_TRUE(atRest > 0 && atRest < w) << what << ": half out of its home to begin with";

            beginPeeking(pet);
            access().playHomePeek(pet);
            const Film film = this->film(4);
            const auto stages = stagesOf(film, pet);
            ASSERT_EQ(stages.size(), 4u) << what;
            EXPECT_EQ(s.shown(stages[0].at, w), 0) << what << ": wholly inside the home";
            EXPECT_GT(s.shown(stages[1].at, w), 0) << what << ": the eyes show";
            EXPECT_LT(s.shown(stages[1].at, w), atRest) << what << ": only the eyes";
            EXPECT_GT(s.shown(stages[2].at, w), atRest) << what << ": leaning out beyond the rest";
            EXPECT_EQ(stages[3].at, rest) << what << ": back at rest";
            // Straight in and out, never along the edge, and it is the only pet that moves.
            for (const auto& frame : film.frames) EXPECT_EQ(s.along(frame[size_t(pet)]), s.along(rest)) << what;
            EXPECT_FALSE(film.departure(size_t(1 - pet))) << what;

            // A quick duck, each stage held long enough to be seen, and home for good soon after.
            EXPECT_LT(stages[0].from, 0.35) << what;
            for (size_t i = 0; i + 1 < stages.size(); ++i) EXPECT_GE(stages[i].until - stages[i].from, 0.06) << what;
            EXPECT_LT(stages[3].from, 2) << what;
            EXPECT_EQ(stages[3].until, film.times.back()) << what;
            EXPECT_TRUE(view(pet).isHomeAttached()) << what;
            EXPECT_TRUE(view(pet).isGrippingHome()) << what;
        }
}

TEST_F(HomePeekScootTest, scoot_shufflesAlongTheEdgeAwayFromTheOtherPetAndBack) {
    for (const HomeSide& s : homeSides())
        for (int pet : {0, 1}) {
            const std::string what = startAt(s, pet);
            ASSERT_EQ(access().homes()[size_t(pet)].edge, s.edge) << what;
            const Point rest = origin(pet), partner = origin(1 - pet);
            const double w = side(pet);

            beginPeeking(pet);
            access().playHomeScoot(pet);
            const Film film = this->film(3);
            const auto stages = stagesOf(film, pet);
            ASSERT_EQ(stages.size(), 2u) << what;
            const double shift = s.along(stages[0].at) - s.along(rest);
            EXPECT_GE(std::abs(shift), 4) << what << ": a shuffle one can see";
            EXPECT_LE(std::abs(shift), w / 2) << what << ": a shuffle, not a walk";
            EXPECT_GT(shift * (s.along(rest) - s.along(partner)), 0) << what << ": away from the other pet";
            EXPECT_EQ(stages[1].at, rest) << what << ": back at rest";
            // The whole way it shows as far out of its home as at rest.
            for (const auto& frame : film.frames) EXPECT_EQ(s.across(frame[size_t(pet)]), s.across(rest)) << what;
            EXPECT_FALSE(film.departure(size_t(1 - pet))) << what;

            EXPECT_LT(stages[0].from, 0.5) << what;
            EXPECT_GE(stages[0].until - stages[0].from, 0.1) << what << ": held there a moment";
            EXPECT_LT(stages[1].from, 1.5) << what;
            EXPECT_EQ(stages[1].until, film.times.back()) << what;
            EXPECT_TRUE(view(pet).isGrippingHome()) << what;
        }
}

// Between two places it holds, the pet glides: its way is spread over many frames and never
// turns back. Eased at both ends, a glide is at its fastest 1.5 times its mean speed; one that
// lasts a fifth of a second or more, shown at 30 frames a second, thus moves at most a quarter
// of its way from one frame to the next. A pet that jumps there or back fails this.
TEST_F(HomePeekScootTest, peekAndScoot_glideFromStopToStopWithoutAJump) {
    struct Motion {
        const char* name;
        void (CoordinatorTestAccess::*play)(int);
        double lasts;
    };
    const Motion motions[] = {{"peek", &CoordinatorTestAccess::playHomePeek, 4},
                              {"scoot", &CoordinatorTestAccess::playHomeScoot, 3}};
    for (const Motion& m : motions)
        for (const HomeSide& s : homeSides())
            for (int pet : {0, 1}) {
                const std::string what = std::string(m.name) + ", " + startAt(s, pet);
                beginPeeking(pet);
                auto a = access();
                (a.*m.play)(pet);
                const Film film = this->film(m.lasts, 1.0 / 60);
                // Held longer than the glide shows any one frame; the first is where it set off.
                auto stops = film.stops(size_t(pet), 0.06);
                if (stops.empty() || stops.front().from > 0)
                    stops.insert(stops.begin(), {film.frames[0][size_t(pet)], 0, 0});
                ASSERT_GE(stops.size(), 3u) << what << ": at rest, away and back";
                for (size_t leg = 0; leg + 1 < stops.size(); ++leg) {
                    const Point from = stops[leg].at, to = stops[leg + 1].at;
                    const double way = apart(from, to);
                    for (size_t i = 1; i < film.frames.size(); ++i) {
                        if (film.times[i] < stops[leg].until || film.times[i] > stops[leg + 1].from) continue;
                        const Point before = film.frames[i - 1][size_t(pet)], now = film.frames[i][size_t(pet)];
                        EXPECT_LE(apart(before, now), way / 4)
                            << what << ", leg " << leg << " at " << film.times[i] << " s: a jump";
                        EXPECT_LE(apart(now, to), apart(before, to))
                            << what << ", leg " << leg << " at " << film.times[i] << " s: turned back";
                    }
                }
            }
}

}  // namespace
}  // namespace pets::testing
