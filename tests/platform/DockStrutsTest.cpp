#include <gtest/gtest.h>

#include "platform/DockStruts.h"

using platform::DockStrut;
using platform::Rect;

namespace {

struct StrutCase {
    const char* name;
    std::vector<Rect> monitors;
    platform::Size screen;
    std::vector<DockStrut> struts;
    std::optional<Rect> workArea;
    std::vector<Rect> expected;
};

const Rect left{0, 0, 1280, 800}, right{1280, 0, 1280, 800};

}  // namespace

TEST(DockStruts, eachMonitorLosesOnlyTheTaskbarsAlongItsOwnEdges) {
    const std::vector<StrutCase> cases{
        {"a taskbar at the bottom of the left monitor", {left, right}, {2560, 800},
         {{0, 0, 0, 40, 0, 0, 0, 0, 0, 0, 0, 1279}}, std::nullopt, {{0, 0, 1280, 760}, right}},
        {"the same at the bottom of the right monitor", {left, right}, {2560, 800},
         {{0, 0, 0, 40, 0, 0, 0, 0, 0, 0, 1280, 2559}}, std::nullopt, {left, {1280, 0, 1280, 760}}},
        {"a shorter right monitor: its bottom strut reaches over the taller one's", {{0, 0, 1280, 1024}, right},
         {2560, 1024}, {{0, 0, 0, 264, 0, 0, 0, 0, 0, 0, 1280, 2559}}, std::nullopt,
         {{0, 0, 1280, 1024}, {1280, 0, 1280, 760}}},
        {"a left panel on the right monitor, and a top bar on the left one", {left, right}, {2560, 800},
         {{1328, 0, 0, 0, 0, 799, 0, 0, 0, 0, 0, 0}, {0, 0, 28, 0, 0, 0, 0, 0, 0, 1279, 0, 0}}, std::nullopt,
         {{0, 28, 1280, 772}, {1328, 0, 1232, 800}}},
        {"a right panel and a strut without lengths across both", {left, right}, {2560, 800},
         {{0, 50, 0, 0, 0, 0, 0, 799, 0, 0, 0, 0}, platform::fullLengthStrut(0, 0, 0, 30)}, std::nullopt,
         {{0, 0, 1280, 770}, {1280, 0, 1230, 770}}},
        {"one monitor takes the window manager's work area", {left}, {1280, 800},
         {{0, 0, 0, 40, 0, 0, 0, 0, 0, 0, 0, 1279}}, Rect{0, 24, 1280, 736}, {{0, 24, 1280, 736}}},
        {"one monitor without a work area goes by the struts", {left}, {1280, 800},
         {{0, 0, 0, 40, 0, 0, 0, 0, 0, 0, 0, 1279}}, std::nullopt, {{0, 0, 1280, 760}}},
        {"a strut that would leave nothing is ignored", {left, right}, {2560, 800},
         {{0, 0, 800, 0, 0, 0, 0, 0, 0, 1279, 0, 0}}, std::nullopt, {left, right}},
    };
    for (const auto& c : cases)
        EXPECT_EQ(platform::visibleMonitorAreas(c.monitors, c.screen, c.struts, c.workArea), c.expected) << c.name;
}
