// With one pet shown, every hundred keys of the day is that pet's to show: it steps out of its
// home with the count on its sign and goes back, while the hidden pet stays hidden.
#include <cmath>
#include <string>

#include "model/AppModel.h"
#include "pets/coordination/CoordinatorTestSupport.h"
#include "platform/Services.h"

namespace pets::testing {
namespace {

using platform::Point;

struct KeyMilestoneOnePetTest : CoordinatorPlayTest {
    void SetUp() override {
        store(model::keys::petCount, int64_t(1));
        CoordinatorPlayTest::SetUp();
        model->keyCountingEnabled = true;
    }
    void press(int keys) {
        for (int k = 0; k < keys; ++k) model->recordKeystroke(now());
    }
    // The texts held up on the shown pet's sign, one for each time it went up, over `seconds`;
    // and each frame with the sign up must find the pet out in the open, the other one unseen.
    std::vector<std::string> signsShown(double seconds) {
        const auto& L = view(0).layers();
        const Point home = access().homes()[0].origin;
        const double w = panel(0).frame().width();
        const double edge = sim.screens.screens().front().visibleFrame.minY();
        std::vector<std::string> shown;
        bool up = false;
        for (double t = 0; t < seconds; t += 0.05) {
            sim.loop.advance(0.05);
            EXPECT_TRUE(panel(0).isVisible());
            EXPECT_FALSE(panel(1).isVisible()) << "the hidden pet stays hidden";
            const bool nowUp = L.signLayer->presentation(mediaNow()).opacity > 0.5;
            if (nowUp && !up) shown.push_back(L.signTextLayer->string());
            if (nowUp) {
                const Point at = origin(0);
                EXPECT_GE(std::hypot(at.x - home.x, at.y - home.y), w / 3) << "stepped out of its home";
                EXPECT_GE(at.y, edge) << "wholly in front of the taskbar";
            }
            up = nowUp;
        }
        return shown;
    }
};

TEST_F(KeyMilestoneOnePetTest, everyHundredKeys_theOnePetStepsOutWithTheCountAndGoesBack) {
    const struct {
        const char* typing;
        std::vector<int> bursts;
    } cases[] = {
        {"a hundred keys at a time", {100, 100, 100, 100, 100, 100}},
        {"three hundred keys in one go", {300}},
        {"in uneven bursts", {150, 50, 120, 90}},
    };
    for (const auto& c : cases) {
        restart();
        model->resetToday();
        std::vector<std::string> expected, seen;
        int typed = 0;
        for (int keys : c.bursts) {
            press(keys);
            int hundreds = 0;
            for (int n = typed / 100 + 1; n <= (typed + keys) / 100; ++n, ++hundreds)
                expected.push_back(std::to_string(n * 100));
            typed += keys;
            const auto signs = signsShown(6.5 * hundreds + 3);
            seen.insert(seen.end(), signs.begin(), signs.end());
            expectNear(origin(0), access().homes()[0].origin);
            EXPECT_TRUE(view(0).isGrippingHome()) << c.typing << " after " << typed;
        }
        EXPECT_EQ(seen, expected) << c.typing;
    }
}

}  // namespace
}  // namespace pets::testing
