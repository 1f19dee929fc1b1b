// The two pets doing something together, watched as the user sees it: which pet sets off and
// when, where the two meet and how they stand there, and that both end at home.
#include <cmath>
#include <string>

#include "model/AppModel.h"
#include "pets/coordination/CoordinatorTestSupport.h"
#include "platform/Services.h"

namespace pets::testing {
namespace {

using Event = model::PetRelationshipEvent;
using platform::Point;

// Where the pets stand once they have come together: the first frame from which both stay put
// for `hold` seconds with either of them away from home.
std::optional<std::pair<std::vector<Point>, Stop>> meeting(const Film& film, const std::vector<Point>& homes,
                                                           double hold = 0.3) {
    for (size_t i = 0, j = 0; i < film.frames.size(); i = j) {
        for (j = i + 1; j < film.frames.size() && film.frames[j] == film.frames[i];) ++j;
        const double until = j < film.frames.size() ? film.times[j] : film.times.back();
        if (film.frames[i] != homes && until - film.times[i] >= hold)
            return std::pair{film.frames[i], Stop{{}, film.times[i], until}};
    }
    return std::nullopt;
}

struct PetRelationshipMovesTest : CoordinatorPlayTest {};

TEST_F(PetRelationshipMovesTest, movingRelationship_eachPetGoesWhereItMeetsTheOtherThenBothGoHome) {
    enum class Stand {
        // Side by side along the home edge, as far out of it as at home: the second pet to the
        // right or above, the two panels touching or overlapping a little.
        atHome,
        // Wholly in front of the edge, level, side by side in the same way.
        inTheOpen,
        // Wholly in front of the edge, level, the follower close behind the leader in the way it ran.
        chasing,
    };
    const struct {
        const char* name;
        Event event;
        int turn;
        // The pets that leave their place; the one that sets off first, none when they set off together.
        std::vector<int> movers;
        std::optional<int> first;
        Stand stand;
    } cases[] = {
        {"cuddle", Event::cuddle, 0, {1}, std::nullopt, Stand::atHome},
        {"chase led by the first pet", Event::chase, 0, {0, 1}, 0, Stand::chasing},
        {"chase led by the second pet", Event::chase, 1, {0, 1}, 1, Stand::chasing},
        {"search", Event::searchForFriend, 0, {0}, std::nullopt, Stand::atHome},
        {"wake", Event::wakeSleepyFriend, 0, {0}, std::nullopt, Stand::atHome},
        {"greet", Event::greet, 1, {0, 1}, std::nullopt, Stand::atHome},
        {"high five", Event::highFive, 0, {0, 1}, std::nullopt, Stand::inTheOpen},
    };
    for (const HomeSide& s : homeSides())
        for (const auto& c : cases) {
            startOn(s);
            const std::string what = std::string(c.name) + " at a " + s.name + " home";
            access().behaviorTurn() = c.turn;
            const std::vector<Point> homes{origin(0), origin(1)};
            ASSERT_EQ(homes[0], access().homes()[0].origin) << what;
            ASSERT_EQ(homes[1], access().homes()[1].origin) << what;
            const double w = panel(0).frame().width();

            ASSERT_TRUE(access().performRelationship(c.event)) << what;
            const Film film = this->film(10);

            // Where they come together, and who set off to get there, in what order.
            const auto met = meeting(film, homes);
            ASSERT_TRUE(met) << what;
            const auto& [at, when] = *met;
            std::vector<int> movers;
            std::vector<double> setOff;
            for (int pet : {0, 1})
                if (auto t = film.departure(size_t(pet)); t && *t < when.from)
                    movers.push_back(pet), setOff.push_back(*t);
            ASSERT_EQ(movers, c.movers) << what;
            if (movers.size() == 2) {
                const double lead = setOff[1] - setOff[0];
                if (!c.first) {
                    EXPECT_LT(std::abs(lead), 0.05) << what << ": they set off together";
                } else {
                    EXPECT_GT(c.first == 0 ? lead : -lead, 0.1) << what << ": one sets off, then the other";
                }
            }
            EXPECT_GE(when.until - when.from, 1) << what << ": together a while before going home";

            // How they stand there.
            if (c.stand == Stand::atHome) {
                const double apart = s.along(at[1]) - s.along(at[0]);
                EXPECT_TRUE(apart >= w / 2 && apart <= w) << what << ": side by side, " << apart << " apart";
                for (int pet : {0, 1})
                    EXPECT_EQ(s.across(at[size_t(pet)]), s.across(homes[size_t(pet)])) << what << ", pet " << pet;
            } else {
                EXPECT_EQ(at[0].y, at[1].y) << what << ": level with each other";
                for (int pet : {0, 1})
                    EXPECT_EQ(s.shown(at[size_t(pet)], w), w) << what << ": wholly seen, pet " << pet;
            }
            if (c.stand == Stand::inTheOpen) {
                const double apart = at[1].x - at[0].x;
                EXPECT_TRUE(apart >= w / 2 && apart <= w) << what << ": side by side, " << apart << " apart";
            }
            if (c.stand != Stand::chasing) {
                // Where they meet is right by their homes, whichever edge those are on.
                const double off = std::hypot((at[0].x + at[1].x - homes[0].x - homes[1].x) / 2,
                                              (at[0].y + at[1].y - homes[0].y - homes[1].y) / 2);
                EXPECT_LE(off, 2 * w) << what << ": they meet " << off << " from their homes";
            }
            if (c.stand == Stand::chasing) {
                const int leader = c.turn & 1, follower = 1 - leader;
                const double ran = at[size_t(leader)].x - homes[size_t(leader)].x;
                EXPECT_GE(std::abs(ran), w) << what << ": the leader runs off";
                const double behind = (at[size_t(leader)].x - at[size_t(follower)].x) * (ran > 0 ? 1 : -1);
                EXPECT_TRUE(behind >= w / 2 && behind <= 2 * w) << what << ": the follower " << behind << " behind";
            }

            // Both home in the end, holding on.
            for (int pet : {0, 1}) {
                expectNear(film.frames.back()[size_t(pet)], homes[size_t(pet)]);
                EXPECT_LT(film.stops(size_t(pet)).back().from, 8) << what << ", pet " << pet;
                EXPECT_TRUE(view(pet).isGrippingHome()) << what << ", pet " << pet;
            }
        }
}

}  // namespace
}  // namespace pets::testing
