// What a solo scene and a relationship that keeps the pets in place show, as the user sees
// them: the looks each pet takes in turn and where it stands while it wears them.
#include <algorithm>
#include <string>
#include <vector>

#include "model/AppModel.h"
#include "pets/coordination/CoordinatorTestSupport.h"

namespace pets::testing {
namespace {

using model::PetActivity;
using model::PetLifeScene;
using platform::Point;

// One look a pet wore without a break, and where it stood when it put the look off.
struct Look {
    PetActivity activity;
    Point lastAt;
};

struct CoordinatorScenesShownTest : CoordinatorPlayTest {
    // Each pet's looks, in turn, while the loop runs `seconds` on.
    std::vector<std::vector<Look>> watch(double seconds) {
        std::vector<std::vector<Look>> looks(2);
        for (double t = 0; t <= seconds; t += 0.02) {
            for (int pet : {0, 1}) {
                auto& seen = looks[size_t(pet)];
                const PetActivity now = view(pet).activity();
                if (seen.empty() || seen.back().activity != now) seen.push_back({now, origin(pet)});
                seen.back().lastAt = origin(pet);
            }
            sim.loop.advance(0.02);
        }
        return looks;
    }
};

std::string names(const std::vector<Look>& looks) {
    std::string out;
    for (const auto& look : looks) out += std::string(out.empty() ? "" : " ") + std::string(rawValue(look.activity));
    return out;
}

std::string names(const std::vector<PetActivity>& looks) {
    std::string out;
    for (auto look : looks) out += std::string(out.empty() ? "" : " ") + std::string(rawValue(look));
    return out;
}

// Whether `part` follows in `whole` without a gap.
bool holds(const std::vector<Look>& whole, const std::vector<PetActivity>& part) {
    return std::search(whole.begin(), whole.end(), part.begin(), part.end(),
                       [](const Look& l, PetActivity a) { return l.activity == a; }) != whole.end();
}

// Every scene at every kind of home: the pet wears the scene's looks in turn (the key-count
// sign only in the count scene) and then goes home; it plays in the open in front of its home,
// wholly seen, or, asleep, in its home.
TEST_F(CoordinatorScenesShownTest, lifeScene_showsItsLooksInTurnInFrontOfTheHomeOrInIt) {
    using enum PetActivity;
    const struct {
        PetLifeScene scene;
        std::vector<PetActivity> looks;
        bool atHome;
    } cases[] = {
        {PetLifeScene::eating, {searching, eating, stretching}, false},
        {PetLifeScene::sleeping, {drowsy, sleeping, waking}, true},
        {PetLifeScene::laughing, {greeting, laughing}, false},
        {PetLifeScene::crying, {searching, crying, waking}, false},
        {PetLifeScene::showingCount, {searching, showingCount}, false},
        {PetLifeScene::running, {idle, roaming, searching}, false},  // it sets off as it was
    };
    const std::vector<PetActivity> homecoming{roaming, home, peeking};
    for (const HomeSide& side : homeSides())
        for (const auto& c : cases) {
            startOn(side);
            const std::string what = names(c.looks) + " at a " + side.name + " home";
            const Point rest = origin(0);
            const double w = panel(0).frame().width();
            view(0).setActivity(PetActivity::idle);
            access().playLifeScene(c.scene, 0);
            const auto looks = watch(12)[0];

            ASSERT_GE(looks.size(), c.looks.size()) << what << ": saw " << names(looks);
            const std::vector<Look> played(looks.begin(), looks.begin() + std::ptrdiff_t(c.looks.size()));
            EXPECT_EQ(names(played), names(c.looks)) << what << ": then " << names(looks);
            for (size_t i = c.looks.size(); i < looks.size(); ++i)
                EXPECT_NE(std::find(homecoming.begin(), homecoming.end(), looks[i].activity), homecoming.end())
                    << what << ": on the way home, " << names(looks);
            EXPECT_EQ(origin(0), rest) << what << ": home again";

            // Once out (the opening look may still be on its way), where each look ends.
            for (size_t i = 1; i < played.size(); ++i) {
                const Point at = played[i].lastAt;
                if (c.atHome) {
                    EXPECT_EQ(at, rest) << what << ", " << rawValue(played[i].activity);
                } else {
                    EXPECT_EQ(side.shown(at, w), w)
                        << what << ", " << rawValue(played[i].activity) << " at " << at.x << "," << at.y;
                }
            }
        }
}

// The relationships that keep the pets in place, with either pet leading: each pet wears its
// part's looks in turn; the lookout first brings a pet that was out back home.
TEST_F(CoordinatorScenesShownTest, relationshipInPlace_eachPetWearsItsPartsLooksInTurn) {
    using Event = model::PetRelationshipEvent;
    using enum PetActivity;
    const struct {
        Event event;
        int turn;
        std::vector<PetActivity> first, second;
    } cases[] = {
        {Event::copycat, 0, {copycat}, {copycat}},
        {Event::copycat, 1, {copycat}, {copycat}},
        {Event::lookout, 0, {searching}, {drowsy}},
        {Event::lookout, 1, {searching}, {drowsy}},
        {Event::shareSnack, 0, {eating, laughing}, {searching, eating, stretching}},
        {Event::shareSnack, 1, {searching, eating, stretching}, {eating, laughing}},
        {Event::comfort, 0, {crying, laughing}, {searching, greeting, cuddling}},
        {Event::comfort, 1, {searching, greeting, cuddling}, {crying, laughing}},
        {Event::celebrate, 0, {playing}, {}},
    };
    for (const auto& c : cases) {
        restart();
        const std::string what = "event " + std::to_string(int(c.event)) + ", turn " + std::to_string(c.turn);
        for (int pet : {0, 1}) view(pet).setActivity(idle);
        putAway(1, {300, 400});
        access().behaviorTurn() = c.turn;
        ASSERT_TRUE(access().performRelationship(c.event)) << what;
        const auto looks = watch(8);
        EXPECT_TRUE(holds(looks[0], c.first)) << what << ": the first pet " << names(looks[0]);
        EXPECT_TRUE(holds(looks[1], c.second)) << what << ": the second pet " << names(looks[1]);
        for (int pet : {0, 1})
            EXPECT_EQ(origin(pet), access().homes()[size_t(pet)].origin) << what << ": home again, pet " << pet;
        // The lookout is kept from the pets' homes (on this screen, along the bottom edge): the
        // pet that was out dozes in its home, no farther out than at rest.
        if (c.event == Event::lookout) {
            const auto out =
                std::find_if(looks[1].begin(), looks[1].end(), [](auto& l) { return l.activity == drowsy; });
            ASSERT_NE(out, looks[1].end());
            const Point rest = access().homes()[1].origin;
            EXPECT_TRUE(out->lastAt.x == rest.x && out->lastAt.y <= rest.y)
                << what << ": drowsy at " << out->lastAt.x << "," << out->lastAt.y;
        }
    }
}

}  // namespace
}  // namespace pets::testing
