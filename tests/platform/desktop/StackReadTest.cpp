#include <gtest/gtest.h>

#include <algorithm>
#include <string>

#include "platform/desktop/HiddenWindows.h"
#include "platform/desktop/StackRead.h"

using platform::HiddenWindows;
using platform::StackRead;
using platform::StackRole;

namespace {

constexpr size_t reach = StackRead::firstReachBelowPanels;

std::string repeat(char c, size_t n) {
    return std::string(n, c);
}

// A stack written bottom first, one letter a child: P panel, h hidden, k hidden and known so from
// an earlier look, W managed window, o override-redirect window, x a window that goes away
// between the look at the stack and its answer. Child i is window i + 1.
StackRole truth(char c) {
    return c == 'P'   ? StackRole::panel
           : c == 'W' ? StackRole::window
           : c == 'o' ? StackRole::overlay
                      : StackRole::hidden;
}

std::vector<StackRole> truths(const std::string& letters) {
    std::vector<StackRole> out;
    for (char c : letters) out.push_back(truth(c));
    return out;
}

std::vector<uint32_t> windows(const std::string& letters, const std::string& which) {
    std::vector<uint32_t> out;
    for (size_t i = 0; i < letters.size(); ++i)
        if (which.find(letters[i]) != std::string::npos) out.push_back(uint32_t(i + 1));
    return out;
}

struct Look {
    StackRead read;
    std::vector<std::vector<size_t>> batches;  // as asked, each bottom first
};

// One look as the X server would answer it.
Look look(const std::string& letters, const std::set<uint32_t>& knownHidden) {
    Look out{StackRead(windows(letters, "PhkWox"), windows(letters, "P"), knownHidden), {}};
    for (auto batch = out.read.nextBatch(); !batch.empty() && out.batches.size() < 64; batch = out.read.nextBatch()) {
        out.batches.push_back(batch);
        for (size_t i : batch) out.read.learn(i, truth(letters[i]));
    }
    return out;
}

}  // namespace

TEST(StackRead, aLongStackIsReadTopDownInBatchesUntilTheLowestPanelAndTheTopmostManagedWindow) {
    struct Case {
        std::string what;
        std::string stack;
        size_t batches;  // waits for the X server
    };
    // "PP" on top: the first batch holds the panels and `reach` children below them.
    const std::vector<Case> cases{
        {"shorter than a batch", "W" + repeat('h', reach - 10) + "PP", 1},
        {"as long as a batch", "W" + repeat('h', reach - 1) + "PP", 1},
        {"one more than a batch", "W" + repeat('h', reach) + "PP", 2},
        {"batches that end at the bottom", "W" + repeat('h', 7 * (reach + 2) - 3) + "PP", 3},
        {"one more than those", "W" + repeat('h', 7 * (reach + 2) - 2) + "PP", 4},
        {"stop in the first batch", repeat('h', 200) + "W" + repeat('h', 10) + "PP", 1},
        {"stop at the first batch's last child", repeat('h', 200) + "W" + repeat('h', reach - 1) + "PP", 1},
        {"stop in a middle batch", repeat('h', 300) + "W" + repeat('h', 60) + "PP", 2},
        {"stop in the last batch", "W" + repeat('h', 150) + "PP", 3},
        {"no managed window: all of it", repeat('h', 150) + "PP" + repeat('o', 3), 3},
        {"a panel deep down: the first batch passes it", repeat('h', 100) + "P" + repeat('h', 100) + "WP", 1},
        {"panels apart, a managed window below both", repeat('h', 50) + "W" + repeat('h', 40) + "PhhP", 2},
        // A menu below the panels and above every managed window stays over the panels: it must
        // be found however far down it lies; one below that window is not asked about.
        {"a menu far below the panels", "W" + repeat('h', 80) + "o" + repeat('h', 40) + "PP", 3},
        {"a menu right below the topmost managed window", repeat('h', 100) + "oW" + repeat('h', reach - 1) + "PP", 1},
        // A managed window that goes away before its answer does not end the read.
        {"gone in the first batch", "W" + repeat('h', 40) + "xhhPP", 2},
        {"gone in a middle batch", "W" + repeat('h', 80) + "x" + repeat('h', 40) + "PP", 3},
        {"the only one gone", "x" + repeat('h', 40) + "PP", 2},
        // Children known hidden are never asked about; a batch of nothing else asks nothing.
        {"known hidden fill the first batch", "W" + repeat('k', 40) + "PP", 1},
        {"known hidden over several batches", repeat('h', 10) + "W" + repeat('k', 100) + "hPP", 2},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what + ": " + c.stack);
        const std::set<uint32_t> known = [&] {
            const auto k = windows(c.stack, "k");
            return std::set<uint32_t>(k.begin(), k.end());
        }();
        const Look l = look(c.stack, known);
        const auto& roles = l.read.roles();
        EXPECT_EQ(l.batches.size(), c.batches);
        // Down from the top, each child once, none of ours and none known hidden.
        for (size_t b = 0; b < l.batches.size(); ++b) {
            const auto& batch = l.batches[b];
            EXPECT_TRUE(std::is_sorted(batch.begin(), batch.end())) << b;
            if (b > 0) {
                EXPECT_LT(batch.back(), l.batches[b - 1].front()) << b;
            }
            for (size_t i : batch) EXPECT_TRUE(c.stack[i] != 'P' && c.stack[i] != 'k') << i;
        }
        // The answers of every batch stand where their children stand, and what is left unread
        // changes nothing: the same menus count, the panels go to the same place.
        std::vector<StackRole> expected = truths(c.stack);
        for (size_t i = 0; i < roles.size(); ++i)
            if (roles[i] == StackRole::unread) expected[i] = StackRole::unread;
        EXPECT_EQ(roles, expected);
        EXPECT_TRUE(platform::stackReadFarEnough(roles));
        EXPECT_EQ(platform::ceilingCandidates(roles), platform::ceilingCandidates(truths(c.stack)));
        EXPECT_EQ(platform::panelStackMove(roles), platform::panelStackMove(truths(c.stack)));
        // What was asked and found hidden is handed on to be followed; the known ones were not asked.
        std::vector<uint32_t> askedHidden, askedShown;
        for (const auto& batch : l.batches)
            for (size_t i : batch) (truth(c.stack[i]) == StackRole::hidden ? askedHidden : askedShown).push_back(i + 1);
        std::sort(askedHidden.begin(), askedHidden.end());
        std::sort(askedShown.begin(), askedShown.end());
        EXPECT_EQ(l.read.learnt(true), askedHidden);
        EXPECT_EQ(l.read.learnt(false), askedShown);
    }
}

TEST(StackRead, looksAtACrowdedStackStopAskingAboutHiddenWindowsOnceTheyAreFollowedAndAskAgainWhenOneComesUp) {
    std::string stack = "W" + repeat('h', 100) + "PP";
    HiddenWindows hidden;
    std::vector<std::vector<uint32_t>> asked;
    for (int n = 0; n < 4; ++n) {
        if (n == 3) {
            hidden.cameUp(50);
            stack[49] = 'W';
        }
        const Look l = look(stack, hidden.known());
        asked.emplace_back();
        for (const auto& batch : l.batches)
            for (size_t i : batch) asked.back().push_back(uint32_t(i + 1));
        EXPECT_EQ(platform::panelStackMove(l.read.roles()), platform::panelStackMove(truths(stack))) << n;
        hidden.found(l.read.learnt(true));
    }
    // Found hidden twice (told to report, then vouched for): then only the managed window is
    // asked about; one of them that comes up is asked about again, and ends the read above it.
    EXPECT_EQ(asked[0].size(), 101u);
    EXPECT_EQ(asked[1].size(), 101u);
    EXPECT_EQ(asked[2], std::vector<uint32_t>{1});
    EXPECT_EQ(asked[3], std::vector<uint32_t>{50});
}
