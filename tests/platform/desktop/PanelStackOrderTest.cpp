#include <gtest/gtest.h>

#include <algorithm>
#include <string>

#include "platform/desktop/PanelStackOrder.h"

using platform::PanelStackMove;
using platform::StackRole;

namespace {

// A stack written bottom first, one letter a child: P panel, h hidden, W managed window,
// o override-redirect window, C ceiling, . unread.
std::vector<StackRole> stack(const std::string& letters) {
    std::vector<StackRole> out;
    for (char c : letters)
        out.push_back(c == 'P'   ? StackRole::panel
                      : c == 'h' ? StackRole::hidden
                      : c == 'W' ? StackRole::window
                      : c == 'o' ? StackRole::overlay
                      : c == 'C' ? StackRole::ceiling
                                 : StackRole::unread);
    return out;
}

// The stack after the panels were moved as told, as the X server does it: each panel taken
// out and put right beside the sibling.
std::string applied(const std::string& letters, PanelStackMove move) {
    std::string rest;
    size_t panels = 0, sibling = 0;
    for (size_t i = 0; i < letters.size(); ++i) {
        if (i == move.sibling) sibling = rest.size();
        if (letters[i] == 'P')
            ++panels;
        else
            rest += letters[i];
    }
    return rest.insert(move.below ? sibling : sibling + 1, panels, 'P');
}

}  // namespace

TEST(PanelStackOrder, panelsMoveOnlyWhenSomethingViewableWouldCoverThemOrTheyWouldCoverACeiling) {
    struct Case {
        std::string stack;
        std::optional<PanelStackMove> expected;
    };
    const std::vector<Case> cases{
        // In place: above every viewable window, whatever hidden ones lie above.
        {"WWPP", {}},
        {"WPhhhPhh", {}},
        {"PP", {}},
        // A window raised over them: right above the topmost viewable one.
        {"WPPW", PanelStackMove{3, false}},
        {"PWPoh", PanelStackMove{3, false}},
        // Under a ceiling with nothing viewable between: in place; a window between, or a panel
        // over it: right below the lowest ceiling.
        {"WPPhCC", {}},
        {"WPWPC", PanelStackMove{4, true}},
        {"WPCP", PanelStackMove{2, true}},
        {"PPWoCC", PanelStackMove{4, true}},
        // Our dialog in front under a dock: the panels stay under the dialog.
        {"PCWP", PanelStackMove{1, true}},
        // Nothing of ours shown.
        {"WWo", {}},
    };
    for (const Case& c : cases) EXPECT_EQ(platform::panelStackMove(stack(c.stack)), c.expected) << c.stack;
}

TEST(PanelStackOrder, aMoveLeavesThePanelsInPlaceAndAWindowThatCameUpMeanwhileOverThem) {
    // After a move no second one is needed; and a menu that maps on top between the look and the
    // move stays above the panels, since they are placed beside a known child, not at the top.
    for (const std::string before : {"WPPW", "PWPoh", "WPWPC", "WPCP", "PPWoCC", "hPhWPWhh"}) {
        const auto move = platform::panelStackMove(stack(before));
        ASSERT_TRUE(move) << before;
        const std::string after = applied(before, *move);
        EXPECT_EQ(std::count(after.begin(), after.end(), 'P'), std::count(before.begin(), before.end(), 'P'));
        EXPECT_EQ(platform::panelStackMove(stack(after)), std::nullopt) << before << " -> " << after;
        const std::string raced = applied(before + "C", *move);
        EXPECT_EQ(raced.back(), 'C') << before;
    }
}

TEST(PanelStackOrder, theReadStopsAtTheTopmostManagedWindowBelowEveryPanel) {
    struct Case {
        std::string stack;
        bool farEnough;
        std::vector<size_t> ceilingCandidates;
    };
    const std::vector<Case> cases{
        {"....WPP", true, {}},
        // Hidden and override-redirect windows above do not end the read.
        {"....hhhPoh", false, {8}},
        {"....WhhPoh", true, {8}},
        // A panel still below.
        {"..P.WP", false, {}},
        {"..PhWP", true, {}},
        // Menus under the topmost managed window are not looked at.
        {"..WoWoPo", true, {5, 7}},
        // No managed window at all: everything is read.
        {"PoooP", true, {1, 2, 3}},
        {".PoooP", false, {2, 3, 4}},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(platform::stackReadFarEnough(stack(c.stack)), c.farEnough) << c.stack;
        EXPECT_EQ(platform::ceilingCandidates(stack(c.stack)), c.ceilingCandidates) << c.stack;
    }
}
