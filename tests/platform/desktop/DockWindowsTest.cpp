#include <gtest/gtest.h>

#include "platform/desktop/DockWindows.h"

using platform::DockStrut;
using platform::DockWindows;
using platform::fullLengthStrut;

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

TEST(DockWindows, eachClientsStrutIsReadAsItJoinsAndAtItsOwnChangeAndLeavesWithIt) {
    const DockStrut bottom = fullLengthStrut(0, 0, 0, 32), left = fullLengthStrut(48, 0, 0, 0),
                    top = fullLengthStrut(0, 0, 24, 0);
    struct Step {
        char what;  // c: the client list is now `windows`; s: `windows` read with `strut`;
                    // d / n: `windows` read as a dock / not
        std::vector<uint32_t> windows;
        std::optional<DockStrut> strut;
        std::vector<uint32_t> toRead;  // after c
        std::vector<DockStrut> struts;
        std::vector<uint32_t> docks;
    };
    const std::vector<Step> steps{
        {'c', {1, 2, 3}, {}, {1, 2, 3}, {}, {}},
        {'s', {1, 3}, {}, {}, {}, {}},
        {'s', {2}, bottom, {}, {bottom}, {}},
        {'d', {2}, {}, {}, {bottom}, {2}},
        // A newcomer is read alone; the others keep theirs.
        {'c', {1, 2, 3, 4}, {}, {4}, {bottom}, {2}},
        {'s', {4}, left, {}, {bottom, left}, {2}},
        // A client's own change.
        {'s', {2}, top, {}, {top, left}, {2}},
        {'s', {4}, {}, {}, {top}, {2}},
        // A type change either way leaves the strut as it is.
        {'n', {2}, {}, {}, {top}, {}},
        {'d', {3}, {}, {}, {top}, {3}},
        {'d', {2}, {}, {}, {top}, {2, 3}},
        // Leaving takes the strut along, and an answer that comes for it later is dropped.
        {'c', {1, 3}, {}, {}, {}, {3}},
        {'s', {2}, bottom, {}, {}, {3}},
        // Back in the list: read again, as new.
        {'c', {2, 1, 3}, {}, {2}, {}, {3}},
        {'s', {2}, left, {}, {left}, {3}},
        {'c', {}, {}, {}, {}, {}},
    };
    DockWindows windows;
    for (size_t i = 0; i < steps.size(); ++i) {
        const Step& s = steps[i];
        if (s.what == 'c')
            EXPECT_EQ(windows.takeClients(s.windows), s.toRead) << i;
        else
            for (uint32_t w : s.windows) {
                if (s.what == 's')
                    windows.strutRead(w, s.strut);
                else
                    windows.typeRead(w, s.what == 'd');
            }
        EXPECT_EQ(windows.struts(), s.struts) << i;
        EXPECT_EQ(windows.docks(), s.docks) << i;
    }
}
