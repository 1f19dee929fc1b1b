#include "pets/coordination/ScreenHomeResolver.h"

#include <gtest/gtest.h>

#include "platform/sim/SimScreens.h"

using model::HomeEdge;
using model::PetHomeKind;
using model::PetHomePreference;
using pets::DisplayGeometry;
using pets::PetHome;
using pets::ScreenHomeResolver;
using platform::EdgeInsets;
using platform::Point;
using platform::Rect;
using platform::Screen;
using platform::sim::SimScreens;

namespace {

constexpr platform::Size kPet{52, 52};
constexpr auto automatic = PetHomePreference::automatic;
constexpr auto notch = PetHomePreference::notch;
constexpr auto dock = PetHomePreference::dock;

// A 1512 × 982 laptop with a 180 × 32 notch, a 32-pt menu bar and a 70-pt Dock at the bottom.
Screen notchedLaptop() {
    return SimScreens::withNotch(SimScreens::display(7, {0, 0, 1512, 982}, {.top = 32, .bottom = 70}, true), 180, 32);
}
// A 1920 × 1080 display to the laptop's right with a 40-pt bottom panel.
Screen externalMonitor() {
    return SimScreens::display(9, {1512, 0, 1920, 1080}, {.bottom = 40});
}

std::vector<PetHome> homesOn(const std::vector<Screen>& screens, int petCount,
                             const std::vector<PetHomePreference>& preferences = {automatic, automatic}) {
    return ScreenHomeResolver::homes(petCount, ScreenHomeResolver::geometries(screens), kPet, preferences);
}

TEST(ScreenHomeResolver, geometries_keepScreenOrderAndFindTheNotch) {
    Screen plain = SimScreens::display(3, {-1280, 100, 1280, 800}, {.left = 60});
    Screen numberless = SimScreens::display(0, {0, 900, 800, 600});
    Screen noAreas = notchedLaptop();
    noAreas.auxiliaryTopLeftArea.reset();
    noAreas.auxiliaryTopRightArea.reset();
    Screen crossedAreas = notchedLaptop();
    crossedAreas.displayID = 8;
    crossedAreas.auxiliaryTopLeftArea = Rect{0, 950, 900, 32};
    crossedAreas.auxiliaryTopRightArea = Rect{800, 950, 712, 32};

    const auto g = ScreenHomeResolver::geometries({notchedLaptop(), plain, numberless, noAreas, crossedAreas});
    ASSERT_EQ(g.size(), 4u) << "a screen without a display number yields no geometry";
    EXPECT_EQ(g[0], (DisplayGeometry{7, {0, 0, 1512, 982}, {0, 70, 1512, 880}, true, true, Rect{666, 950, 180, 32}}));
    EXPECT_EQ(g[1], (DisplayGeometry{3, {-1280, 100, 1280, 800}, {-1220, 100, 1220, 800}, false, false, std::nullopt}))
        << "no top safe area: no notch";
    EXPECT_EQ(g[2].notchFrame, (Rect{756 - 90, 950, 180, 32})) << "unknown menu-bar areas: 90 pt either side";
    EXPECT_EQ(g[3].notchFrame, (Rect{900, 950, 0, 32})) << "areas that overlap leave a notch of no width";
}

TEST(ScreenHomeResolver, notchedLaptopAlone_twoPetsHangOutOfTheNotch32PointsEitherSide) {
    const auto homes = homesOn({notchedLaptop()}, 2);
    ASSERT_EQ(homes.size(), 2u);
    const double notchBottom = 950, centre = 756;
    EXPECT_EQ(homes[0], (PetHome{7,
                                 PetHomeKind::notch,
                                 HomeEdge::top,
                                 {centre - 26 - 32, notchBottom - 34},
                                 {centre - 26 - 32, notchBottom - 52},
                                 {centre - 26 - 32, notchBottom + 1},
                                 {centre - 26 - 32, notchBottom - 23.92},
                                 {centre - 26 - 32, notchBottom - 40},
                                 34}));
    EXPECT_EQ(homes[1].kind, PetHomeKind::notch);
    EXPECT_EQ(homes[1].origin, (Point{centre - 26 + 32, notchBottom - 34}));
}

TEST(ScreenHomeResolver, notchedLaptopWithExternalDisplay_secondPetMovesToTheExternalDock) {
    for (const auto& screens :
         {std::vector{notchedLaptop(), externalMonitor()}, {externalMonitor(), notchedLaptop()}}) {
        const auto homes = homesOn(screens, 2);
        ASSERT_EQ(homes.size(), 2u);
        EXPECT_EQ(homes[0].kind, PetHomeKind::notch);
        EXPECT_EQ(homes[0].origin.x, 756 - 26 - 32);
        EXPECT_EQ(homes[1].displayID, 9u);
        EXPECT_EQ(homes[1].kind, PetHomeKind::dock);
        EXPECT_EQ(homes[1].origin, (Point{1512 + 960 - 26 + 34, 40 - 52 + 30}));
    }
}

TEST(ScreenHomeResolver, onePet_sitsAtTheCentreWhateverItsPreference) {
    // The external panel is the deeper one, so it is the Dock.
    const Screen external = SimScreens::display(9, {1512, 0, 1920, 1080}, {.bottom = 80});
    for (const auto p : {automatic, notch, dock}) {
        const auto homes = homesOn({notchedLaptop(), external}, 1, {p});
        ASSERT_EQ(homes.size(), 1u);
        const double centre = p == dock ? external.frame.midX() : 756;
        EXPECT_EQ(homes[0].origin.x, centre - 26) << model::rawValue(p);
    }
}

TEST(ScreenHomeResolver, dockHidden_homeSitsAtTheScreensBottomEdge) {
    // A bottom inset of a single point counts as hidden too.
    for (const double bottom : {0.0, 1.0}) {
        const Screen laptop = SimScreens::display(1, {0, 0, 1440, 900}, {.top = 25, .bottom = bottom}, true);
        const auto homes = homesOn({laptop}, 1, {dock});
        ASSERT_EQ(homes.size(), 1u);
        EXPECT_EQ(homes[0].edge, HomeEdge::bottom);
        EXPECT_EQ(homes[0].origin, (Point{694, -52 + 30})) << bottom;
        EXPECT_EQ(homes[0].hiddenOrigin, (Point{694, -53}));
    }
}

// Each layout: where the Dock home of one pet lies. Screens need not share a bottom edge.
TEST(ScreenHomeResolver, dockHomes_straddleTheDockEdgeOfTheScreenThatHoldsIt) {
    struct Case {
        const char* layout;
        std::vector<Screen> screens;
        std::vector<PetHomePreference> preferences;
        size_t pet;
        uint32_t display;
        HomeEdge edge;
        Point origin;
    };
    const Screen laptop = SimScreens::display(1, {0, 0, 1440, 900}, {.top = 25, .bottom = 70}, true);
    const Screen plainLaptop = SimScreens::display(1, {0, 0, 1440, 900}, {.top = 25}, true);
    const std::vector<Case> cases{
        {"a bottom Dock, 30 points either side", {laptop}, {dock, dock}, 0, 1, HomeEdge::bottom, {664, 48}},
        {"a bottom Dock, the second pet", {laptop}, {dock, dock}, 1, 1, HomeEdge::bottom, {724, 48}},
        {"a left Dock, spread along it",
         {SimScreens::display(1, {0, 0, 1440, 900}, {.top = 25, .left = 70}, true)},
         {dock, dock}, 0, 1, HomeEdge::left, {48, 394}},
        {"a right Dock",
         {SimScreens::display(1, {0, 0, 1440, 900}, {.top = 25, .bottom = 20, .right = 64}, true)},
         {dock}, 0, 1, HomeEdge::right, {1346, 424}},
        {"tops aligned, a taller monitor reaching lower",
         {plainLaptop, SimScreens::display(9, {1440, -300, 1920, 1200}, {.bottom = 40})},
         {automatic, automatic}, 0, 9, HomeEdge::bottom, {1440 + 960 - 26 - 30, -300 + 40 - 22}},
        {"a monitor above the laptop",
         {plainLaptop, SimScreens::display(9, {0, 900, 1920, 1080}, {.bottom = 40})},
         {automatic, automatic}, 1, 9, HomeEdge::bottom, {960 - 26 + 34, 900 + 40 - 22}},
        {"a left panel on a monitor below",
         {SimScreens::display(5, {300, -900, 1440, 900}, {.left = 70})},
         {dock}, 0, 5, HomeEdge::left, {300 + 70 - 22, -900 + 450 - 26}},
        {"a primary away from the origin",
         {SimScreens::display(3, {-500, 250, 1440, 900}, {.bottom = 70, .right = 8}, true)},
         {dock}, 0, 3, HomeEdge::bottom, {-500 + 720 - 26, 250 + 70 - 22}},
        {"a right panel on a screen above",
         {SimScreens::display(4, {0, 500, 1440, 900}, {.bottom = 20, .right = 64})},
         {dock}, 0, 4, HomeEdge::right, {1440 - 64 - 30, 500 + 450 - 26}},
    };
    for (const Case& c : cases) {
        const auto homes = homesOn(c.screens, int(c.preferences.size()), c.preferences);
        ASSERT_GT(homes.size(), c.pet) << c.layout;
        EXPECT_EQ(homes[c.pet].displayID, c.display) << c.layout;
        EXPECT_EQ(homes[c.pet].kind, PetHomeKind::dock) << c.layout;
        EXPECT_EQ(homes[c.pet].edge, c.edge) << c.layout;
        EXPECT_EQ(homes[c.pet].origin, c.origin) << c.layout;
    }
}

TEST(ScreenHomeResolver, panelsOnBothSidesEquallyWide_theRightOneIsTheDock) {
    const Screen screen = SimScreens::display(1, {0, 0, 1440, 900}, {.left = 48, .bottom = 30, .right = 48});
    EXPECT_EQ(homesOn({screen}, 1, {dock})[0].edge, HomeEdge::right);
    const Screen bottomAsWide = SimScreens::display(1, {0, 0, 1440, 900}, {.left = 48, .bottom = 48, .right = 48});
    EXPECT_EQ(homesOn({bottomAsWide}, 1, {dock})[0].edge, HomeEdge::bottom) << "the bottom wins ties";
}

TEST(ScreenHomeResolver, dockDisplay_aSideDockOutranksAnyBottomOneAndTiesGoToTheFirst) {
    const Screen bigBottom = SimScreens::display(1, {0, 0, 1440, 900}, {.bottom = 120}, true);
    const Screen sideDock = SimScreens::display(2, {1440, 0, 1920, 1080}, {.left = 30});
    const Screen smallBottom = SimScreens::display(3, {-1920, 0, 1920, 1080}, {.bottom = 40});
    EXPECT_EQ(homesOn({bigBottom, smallBottom, sideDock}, 1, {dock})[0].displayID, 2u);
    EXPECT_EQ(homesOn({smallBottom, bigBottom}, 1, {dock})[0].displayID, 1u) << "the deeper bottom Dock";

    const Screen hiddenA = SimScreens::display(4, {0, 0, 1440, 900});
    const Screen hiddenB = SimScreens::display(5, {1440, 0, 1440, 900});
    EXPECT_EQ(homesOn({hiddenA, hiddenB}, 1, {dock})[0].displayID, 4u);
}

TEST(ScreenHomeResolver, preferencesShorterThanThePets_theRestAreAutomatic) {
    const auto homes = homesOn({notchedLaptop()}, 2, {dock});
    ASSERT_EQ(homes.size(), 2u);
    EXPECT_EQ(homes[0].kind, PetHomeKind::dock);
    EXPECT_EQ(homes[0].origin.x, 756 - 26 - 30);
    EXPECT_EQ(homes[1].kind, PetHomeKind::notch);
    EXPECT_EQ(homes[1].origin.x, 756 - 26 + 32);
    EXPECT_EQ(homesOn({notchedLaptop()}, 2, {}), homesOn({notchedLaptop()}, 2));
}

TEST(ScreenHomeResolver, explicitNotch_takesABuiltInNotchElseThePrimaryScreensTop) {
    // With a notch, explicit choices put pet 0 left and pet 1 right of it, on whichever screen.
    const auto homes = homesOn({externalMonitor(), notchedLaptop()}, 2, {notch, notch});
    EXPECT_EQ(homes[0].origin, (Point{756 - 26 - 32, 950 - 34}));
    EXPECT_EQ(homes[1].origin, (Point{756 - 26 + 32, 950 - 34}));
    // A primary screen that is not built in but reports a cut-out: the pet hangs below the cut-out.
    EXPECT_EQ(homesOn({SimScreens::withNotch(externalMonitor())}, 1, {notch})[0].origin,
              (Point{1512 + 960 - 26, 1080 - 32 - 34}));
}

// Each layout: where the pets that ask for the top live. They hang 34 of their 52 points below
// the top of the primary screen's work area (below a top panel), centred on the screen; two are
// 32 points either side of the centre.
TEST(ScreenHomeResolver, explicitTop_onThePrimaryScreenBelowAnyTopPanel) {
    struct Case {
        const char* layout;
        std::vector<Screen> screens;
        std::vector<PetHomePreference> preferences;
        std::vector<std::pair<uint32_t, Point>> homes;  // display and origin of each pet
    };
    const Screen panels = SimScreens::display(1, {0, 0, 1280, 800}, {.top = 30, .bottom = 40});
    const Screen taskbarOnly = SimScreens::display(1, {0, 0, 1280, 800}, {.bottom = 40});
    const Screen rightOfIt = SimScreens::display(2, {1280, 0, 1280, 800}, {.top = 24, .bottom = 40});
    const std::vector<Case> cases{
        {"a top panel, two pets", {panels}, {notch, notch}, {{1, {582, 736}}, {1, {646, 736}}}},
        {"a top panel, one pet", {panels}, {notch}, {{1, {614, 736}}}},
        {"no top panel: from the screen's top", {taskbarOnly}, {notch, notch}, {{1, {582, 766}}, {1, {646, 766}}}},
        {"two monitors: the primary one's, whatever the other has",
         {panels, rightOfIt}, {notch, notch}, {{1, {582, 736}}, {1, {646, 736}}}},
        {"two monitors, the primary on the right", {rightOfIt, panels}, {notch, notch},
         {{2, {1280 + 640 - 58, 776 - 34}}, {2, {1280 + 640 + 6, 776 - 34}}}},
        {"a built-in display without a notch beside the primary",
         {taskbarOnly, SimScreens::display(5, {-1440, 0, 1440, 900}, {.top = 25}, true)}, {notch},
         {{1, {614, 766}}}},
        {"only the first pet asks: the second stays by the taskbar", {panels, rightOfIt}, {notch, automatic},
         {{1, {582, 736}}, {1, {640 - 26 + 34, 40 - 22}}}},
        {"only the second pet asks", {panels}, {automatic, notch}, {{1, {640 - 26 - 30, 40 - 22}}, {1, {646, 736}}}},
    };
    for (const Case& c : cases) {
        const auto homes = homesOn(c.screens, int(c.preferences.size()), c.preferences);
        ASSERT_EQ(homes.size(), c.homes.size()) << c.layout;
        for (size_t i = 0; i < homes.size(); ++i) {
            const bool top = c.preferences[i] == notch;
            EXPECT_EQ(homes[i].kind, top ? PetHomeKind::notch : PetHomeKind::dock) << c.layout << ", pet " << i;
            EXPECT_EQ(homes[i].edge, top ? HomeEdge::top : HomeEdge::bottom) << c.layout << ", pet " << i;
            EXPECT_EQ(homes[i].displayID, c.homes[i].first) << c.layout << ", pet " << i;
            EXPECT_EQ(homes[i].origin, c.homes[i].second) << c.layout << ", pet " << i;
        }
    }
}

// The top has room while the pets could come out whole below it: a work area at least one pet
// high that spans both pets around the screen's centre. Otherwise the pets stay by the taskbar.
TEST(ScreenHomeResolver, explicitTopWithoutRoom_staysByTheTaskbar) {
    const auto screen = [](EdgeInsets panels) { return SimScreens::display(1, {0, 0, 1280, 800}, panels); };
    Screen beyondTheScreen = screen({.bottom = 40});
    beyondTheScreen.visibleFrame = {0, 900, 1280, 300};
    const struct {
        const char* layout;
        std::vector<Screen> screens;
        bool room;
    } cases[] = {
        {"a work area one pet high", {screen({.top = 708, .bottom = 40})}, true},
        {"a little less", {screen({.top = 708.5, .bottom = 40})}, false},
        {"a left panel up to the first pet", {screen({.left = 582, .bottom = 40})}, true},
        {"a left panel reaching under it", {screen({.left = 582.5, .bottom = 40})}, false},
        {"a right panel reaching under the second", {screen({.bottom = 40, .right = 582.5})}, false},
        {"a work area above the screen", {beyondTheScreen}, false},
        {"a cramped primary beside a roomy monitor",
         {screen({.top = 760, .bottom = 40}), SimScreens::display(2, {1280, 0, 1280, 800})}, false},
        {"a notch on a display that is not built in", {SimScreens::withNotch(screen({.top = 760, .bottom = 40}))},
         false},
        {"a notched built-in display keeps its notch however full",
         {SimScreens::withNotch(SimScreens::display(1, {0, 0, 1280, 800}, {.top = 760, .bottom = 40}, true))}, true},
    };
    for (const auto& c : cases) {
        const auto displays = ScreenHomeResolver::geometries(c.screens);
        EXPECT_EQ(ScreenHomeResolver::topHasRoom(displays, kPet), c.room) << c.layout;
        const auto homes = homesOn(c.screens, 2, {notch, notch});
        if (c.room)
            EXPECT_EQ(homes[0].kind, PetHomeKind::notch) << c.layout;
        else
            EXPECT_EQ(homes, homesOn(c.screens, 2, {dock, dock})) << c.layout;
    }
    EXPECT_FALSE(ScreenHomeResolver::topHasRoom({}, kPet));
}

TEST(ScreenHomeResolver, noNotch_automaticPetsPreferTheExternalDisplay) {
    const Screen plainLaptop = SimScreens::display(1, {0, 0, 1440, 900}, {.top = 25, .bottom = 70}, true);
    const Screen second = SimScreens::display(11, {-1920, 0, 1920, 1080}, {.bottom = 40});
    for (const auto& screens : {std::vector{plainLaptop, externalMonitor()}, {externalMonitor(), second}}) {
        const auto homes = homesOn(screens, 2);
        ASSERT_EQ(homes.size(), 2u);
        EXPECT_EQ(homes[0].displayID, 9u);
        EXPECT_EQ(homes[0].origin.x, 1512 + 960 - 26 - 30);
        EXPECT_EQ(homes[1].displayID, 9u);
        EXPECT_EQ(homes[1].origin.x, 1512 + 960 - 26 + 34);
    }
    const auto alone = homesOn({plainLaptop}, 2);
    EXPECT_EQ(alone[0].origin.x, 720 - 26 - 30);
    EXPECT_EQ(alone[1].origin.x, 720 - 26 + 30);
}

TEST(ScreenHomeResolver, approachPoint_isClampedOntoTheScreenAndNothingElseIs) {
    // A 60-pt-high screen with a left panel: pet 1's place along the edge lies above it.
    const Screen tiny = SimScreens::display(1, {0, 0, 400, 60}, {.left = 20});
    const auto homes = homesOn({tiny}, 2, {dock, dock});
    EXPECT_EQ(homes[1].approachOrigin, (Point{22, 60 - 52}));
    EXPECT_EQ(homes[1].origin, (Point{20 - 52 + 30, 30 - 26 + 30}));
    // Smaller than the pet: the upper bound wins.
    const Screen tinySquare = SimScreens::display(1, {100, 100, 40, 40});
    EXPECT_EQ(homesOn({tinySquare}, 1, {dock})[0].approachOrigin, (Point{100 + 40 - 52, 100 + 40 - 52}));
}

TEST(ScreenHomeResolver, notchHomeOfAGeometryWithoutNotchFrame_hangsFromTheVisibleTop) {
    const DisplayGeometry d{1, {0, 0, 1000, 800}, {0, 0, 1000, 770}, true, true, std::nullopt};
    const auto homes = ScreenHomeResolver::homes(1, {d}, kPet, {notch});
    EXPECT_EQ(homes[0].origin, (Point{474, 770 - 34}));
    const DisplayGeometry above{1, {0, 0, 1000, 800}, {0, 0, 1000, 900}, true, true, std::nullopt};
    EXPECT_EQ(ScreenHomeResolver::homes(1, {above}, kPet, {notch})[0].hiddenOrigin, (Point{474, 801}))
        << "never above the screen's top";
}

TEST(ScreenHomeResolver, noScreensOrNoPets_noHomes) {
    EXPECT_TRUE(homesOn({}, 2).empty());
    Screen numberless = notchedLaptop();
    numberless.displayID = 0;
    EXPECT_TRUE(homesOn({numberless}, 2).empty());
    EXPECT_TRUE(homesOn({notchedLaptop()}, 0).empty());
    EXPECT_TRUE(homesOn({notchedLaptop()}, -1).empty());
}

}  // namespace
