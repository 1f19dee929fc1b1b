#include <gtest/gtest.h>

#include "platform/desktop/HiddenWindows.h"

using platform::HiddenWindows;

TEST(HiddenWindows, aWindowIsTakenAsHiddenOnlyFromTheLookAfterItWasToldToReportUntilItComesUpOrEnds) {
    struct Step {
        char what;  // f: a look found these hidden, u: this one came up, e: this one ended
        std::vector<uint32_t> windows;
        std::vector<uint32_t> toFollow;  // after f
        bool followed;                   // after u
        std::set<uint32_t> known;
    };
    const std::vector<Step> steps{
        // First found hidden: told to report, not yet vouched for (it may have come up between the
        // look and the request).
        {'f', {1, 2}, {1, 2}, false, {}},
        {'f', {1}, {}, false, {1}},
        // Comes up: asked about again by every look, and it may cover the pets.
        {'u', {1}, {}, true, {}},
        {'u', {1}, {}, false, {}},
        {'u', {3}, {}, false, {}},
        // Hidden again: told again, since it was told to stop reporting.
        {'f', {1, 2}, {1}, false, {2}},
        {'f', {1}, {}, false, {1, 2}},
        // Ended: a window that takes its number later starts afresh.
        {'e', {2}, {}, false, {1}},
        {'f', {2}, {2}, false, {1}},
    };
    HiddenWindows hidden;
    for (size_t i = 0; i < steps.size(); ++i) {
        const Step& s = steps[i];
        if (s.what == 'f') {
            EXPECT_EQ(hidden.found(s.windows), s.toFollow) << i;
        } else if (s.what == 'u') {
            EXPECT_EQ(hidden.cameUp(s.windows[0]), s.followed) << i;
        } else {
            hidden.ended(s.windows[0]);
        }
        EXPECT_EQ(hidden.known(), s.known) << i;
    }
}
