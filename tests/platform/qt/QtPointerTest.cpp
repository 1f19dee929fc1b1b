#include "platform/qt/QtPointer.h"

#include <gtest/gtest.h>

#include <QRect>

using platform::qt::logicalPointerPosition;

namespace {

TEST(QtPointer, devicePixelsOfTheXScreen_mapToTheScreenUnderThePointersLogicalPixels) {
    // A 1280x800 display at twice the pixels, and a 1920x1080 one at 1x to its right: Qt keeps
    // each screen's top-left corner in device pixels and shrinks the rest.
    const std::vector<std::pair<QRect, double>> mixed{{QRect(0, 0, 1280, 800), 2.0},
                                                      {QRect(2560, 0, 1920, 1080), 1.0}};
    const struct {
        const char* what;
        std::vector<std::pair<QRect, double>> screens;
        QPoint native, logical;
    } cases[] = {
        {"one screen at 1x", {{QRect(0, 0, 1440, 900), 1.0}}, {700, 450}, {700, 450}},
        {"one screen at 2x", {{QRect(0, 0, 720, 450), 2.0}}, {1439, 899}, {719, 449}},
        {"the scaled screen of two", mixed, {2000, 1500}, {1000, 750}},
        {"the 1x screen right of a scaled one", mixed, {3000, 100}, {3000, 100}},
        {"no screens known", {}, {12, 34}, {12, 34}},
        {"a point on no screen, scaled by the first", {{QRect(0, 0, 100, 100), 2.0}}, {400, 400}, {200, 200}},
    };
    for (const auto& c : cases) EXPECT_EQ(logicalPointerPosition(c.native, c.screens), c.logical) << c.what;
}

}  // namespace
