#include <gtest/gtest.h>

#include "platform/desktop/DockStruts.h"

using platform::DockStrut;
using platform::Rect;

TEST(DockStruts, eachMonitorLosesOnlyTheTaskbarsAlongItsOwnEdges) {
    const Rect l{0, 0, 1280, 800}, r{1280, 0, 1280, 800}, tall{0, 0, 1280, 1024};
    auto bottom = [](long h, long x0, long x1) { return DockStrut{0, 0, 0, h, 0, 0, 0, 0, 0, 0, x0, x1}; };
    struct Case {
        std::vector<Rect> monitors;
        platform::Size screen;
        std::vector<DockStrut> struts;
        std::optional<Rect> workArea;
        std::vector<Rect> expected;
    };
    const std::vector<Case> cases{
        {{l, r}, {2560, 800}, {bottom(40, 0, 1279)}, {}, {{0, 0, 1280, 760}, r}},
        {{l, r}, {2560, 800}, {bottom(40, 1280, 2559)}, {}, {l, {1280, 0, 1280, 760}}},
        // The shorter monitor's strut reaches over the taller one's bottom, not along it.
        {{tall, r}, {2560, 1024}, {bottom(264, 1280, 2559)}, {}, {tall, {1280, 0, 1280, 760}}},
        // A left panel on the right monitor, a top bar on the left one, a right panel.
        {{l, r},
         {2560, 800},
         {{1328, 0, 0, 0, 0, 799, 0, 0, 0, 0, 0, 0}, {0, 50, 28, 0, 0, 0, 0, 799, 0, 1279, 0, 0}},
         {},
         {{0, 28, 1280, 772}, {1328, 0, 1182, 800}}},
        {{l, r}, {2560, 800}, {platform::fullLengthStrut(0, 0, 0, 30)}, {}, {{0, 0, 1280, 770}, {1280, 0, 1280, 770}}},
        {{l}, {1280, 800}, {bottom(40, 0, 1279)}, Rect{0, 24, 1280, 736}, {{0, 24, 1280, 736}}},
    };
    for (size_t i = 0; i < cases.size(); ++i) {
        const Case& c = cases[i];
        EXPECT_EQ(platform::visibleMonitorAreas(c.monitors, c.screen, c.struts, c.workArea), c.expected) << i;
    }
}
