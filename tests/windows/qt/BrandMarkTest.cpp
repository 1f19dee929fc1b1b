#include <gtest/gtest.h>

#include <QApplication>
#include <QImage>

#include "menubar/qt/TuftleMark.h"
#include "model/AppModelTestSupport.h"
#include "windows/qt/SettingsBlocks.h"
#include "windows/qt/SettingsWindow.h"

using menubar::qt::TuftleMark;
using windows::SettingsSection;

namespace {

// True when any pixel on the image's outermost ring is not fully transparent: the drawing
// reached the widget's edge and was cut there.
bool touchesEdge(const QImage& image) {
    for (int x = 0; x < image.width(); ++x)
        if (qAlpha(image.pixel(x, 0)) || qAlpha(image.pixel(x, image.height() - 1))) return true;
    for (int y = 0; y < image.height(); ++y)
        if (qAlpha(image.pixel(0, y)) || qAlpha(image.pixel(image.width() - 1, y))) return true;
    return false;
}

// Where the mark's square lies in its parent.
QRect square(const TuftleMark* mark) {
    return mark->geometry().marginsRemoved(mark->contentsMargins());
}

QList<TuftleMark*> shownMarks(const QWidget* row) {
    QList<TuftleMark*> shown;
    for (auto* mark : row->findChildren<TuftleMark*>())
        if (mark->isVisible()) shown << mark;
    return shown;
}

struct BrandMarkTest : model::testing::AppModelTest {
    std::unique_ptr<model::AppModel> model = launch();
};

}  // namespace

TEST_F(BrandMarkTest, everyWindowSizeShowsTheWholeFurAndItsShadow) {
    for (int side : {24, 34, 38, 44, 58, 78, 86}) {
        std::unique_ptr<QWidget> mark(windows::qt::makeMark(side));
        const QImage image = mark->grab().toImage().convertToFormat(QImage::Format_ARGB32);
        EXPECT_FALSE(touchesEdge(image)) << "the mark of side " << side << " is cut at its widget's edge";
        EXPECT_EQ(square(static_cast<TuftleMark*>(mark.get())).size(), QSize(side, side)) << side;
    }
}

TEST_F(BrandMarkTest, thePetsAtHomeOverlapInTheSidebarAndOnTheHomePage) {
    windows::qt::SettingsWindow window{*model, {}, SettingsSection::home};
    window.makeKeyAndOrderFront();
    QApplication::processEvents();
    for (const char* name : {"petsAtHomeMarks", "heroMarks"}) {
        auto* row = window.widget()->findChild<QWidget*>(name);
        ASSERT_TRUE(row) << name;
        model->petCount = 2;
        const auto two = shownMarks(row);
        ASSERT_EQ(two.size(), 2) << name;
        const QRect first = square(two[0]), second = square(two[1]);
        EXPECT_LT(second.left(), first.right()) << name << ": the second mark overlaps the first";
        EXPECT_GT(second.left(), first.left()) << name << ": and follows it";
        EXPECT_TRUE(row->rect().contains(two[0]->geometry()) && row->rect().contains(two[1]->geometry()))
            << name << ": both marks, fur and shadow included, lie inside their row";
        model->petCount = 1;
        EXPECT_EQ(shownMarks(row).size(), 1) << name;
    }
}
