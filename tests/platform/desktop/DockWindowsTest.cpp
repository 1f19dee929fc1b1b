#include <gtest/gtest.h>

#include "platform/desktop/DockWindows.h"

using platform::DockWindows;

TEST(DockWindows, eachClientsTypeIsAskedOnceWhileItStaysAndTheDocksFollowTheAnswers) {
    struct Step {
        char what;  // c: the client list is now `windows`; d / n: `windows` read as a dock / not
        std::vector<uint32_t> windows;
        std::vector<uint32_t> toRead;  // after c
        std::vector<uint32_t> docks;
    };
    const std::vector<Step> steps{
        {'c', {1, 2, 3}, {1, 2, 3}, {}},
        {'n', {1, 3}, {}, {}},
        {'d', {2}, {}, {2}},
        // Only the newcomer is asked about; the known ones keep their answers.
        {'c', {1, 2, 3, 4}, {4}, {2}},
        {'d', {4}, {}, {2, 4}},
        // A type that changed is read again.
        {'n', {2}, {}, {4}},
        {'d', {2}, {}, {2, 4}},
        // Gone: forgotten, and an answer that comes for it later is dropped.
        {'c', {1, 4}, {}, {4}},
        {'d', {3}, {}, {4}},
        // Back in the list (a panel that hid by unmapping): asked about again, as new.
        {'c', {4, 1, 2}, {2}, {4}},
        {'d', {2}, {}, {4, 2}},
        {'c', {}, {}, {}},
    };
    DockWindows windows;
    for (size_t i = 0; i < steps.size(); ++i) {
        const Step& s = steps[i];
        if (s.what == 'c') {
            EXPECT_EQ(windows.takeClients(s.windows), s.toRead) << i;
            for (uint32_t w : s.windows) EXPECT_TRUE(windows.isClient(w)) << i;
        } else {
            for (uint32_t w : s.windows) windows.typeRead(w, s.what == 'd');
        }
        EXPECT_EQ(windows.docks(), s.docks) << i;
    }
    EXPECT_FALSE(windows.isClient(4));
}
