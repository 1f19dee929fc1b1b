#include <gtest/gtest.h>

#include <QImage>
#include <QTest>

#include "anim/Transaction.h"
#include "pets/view/PetView.h"
#include "platform/qt/LayerHostWidget.h"
#include "platform/qt/LayerRenderer.h"
#include "platform/qt/PetPanelWindow.h"
#include "platform/sim/SimPlatform.h"

using pets::PetView;

namespace {

// The pixel at a point given y up, in points.
QColor at(const QImage& image, double x, double yUp) {
    double k = image.devicePixelRatio();
    return image.pixelColor(int(x * k), int(image.height() - yUp * k));
}

}  // namespace

TEST(PetViewHosting, theSameViewShowsInAWidgetAndInAPanel) {
    platform::sim::SimPlatform sim;
    PetView view({0, "Lili", true});

    platform::qt::LayerHostWidget widget;
    widget.resize(100, 80);
    // The widget places the pet by the view's frame.
    view.setFrame({24, 14, 52, 52});
    widget.setRootLayer(view.layer());
    widget.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&widget));
    QImage shot = widget.grab().toImage();
    EXPECT_GE(widget.paintCount(), 1);
    EXPECT_LT(at(shot, 50, 40).lightness(), 80) << "the dark body in the middle of the widget";
    EXPECT_EQ(at(shot, 5, 5).alpha(), 0) << "nothing drawn around it";

    int painted = widget.paintCount();
    view.setActivity(model::PetActivity::sleeping);
    EXPECT_TRUE(QTest::qWaitFor([&] { return widget.paintCount() > painted; }, 2000)) << "a change repaints";

    // The same tree in a pet panel, the view filling it.
    widget.setRootLayer(nullptr);
    view.setFrame({0, 0, 52, 52});
    platform::qt::PetPanelWindow panel({100, 100, 52, 52});
    panel.setRootLayer(view.layer());
    panel.orderFront();
    EXPECT_TRUE(QTest::qWaitFor([&] { return panel.paintCount() > 0; }, 2000));
    const double m = platform::qt::PetPanelWindow::drawingMargin;
    EXPECT_LT(at(panel.paintedFrame(), 26 + m, 26 + m).lightness(), 80);
    panel.orderOut();
}

TEST(PetViewHosting, theFurFromTheBundleWearsTheFace) {
    platform::sim::SimPlatform sim;
    PetView view({0, "Lili", true});
    view.setFrame({14, 14, 52, 52});
    sim.loop.advance(1);
    const QImage shot = platform::qt::LayerRenderer().render(*view.layer(), sim.loop.mediaTime(), {80, 80}, 2.5);
    const auto eye = view.layers().leftEye->pathBounds();
    EXPECT_LT(at(shot, 40, 40).lightness(), 60) << "a dark body";
    EXPECT_GT(at(shot, 14 + eye.midX() + 0.35 * eye.width(), 14 + eye.midY()).lightness(), 200) << "a light eye on it";
    EXPECT_EQ(at(shot, 3, 77).alpha(), 0) << "clear around the ball";
}

TEST(PetViewHosting, theEyeNearestASideHomeIsDrawnWhole) {
    platform::sim::SimPlatform sim;
    platform::qt::LayerRenderer renderer;
    constexpr double k = 4;  // pixels per point
    for (auto [edge, boundary] : {std::pair{model::HomeEdge::left, 22.0}, {model::HomeEdge::right, 30.0}}) {
        PetView view({1, "Wanwan", false});
        view.setFrame({0, 0, 52, 52});
        pets::PetHome home;
        home.edge = edge, home.boundaryOffset = boundary;
        view.configureHome(home);
        view.setHomeAttached(true, false);
        sim.loop.advance(1);
        anim::Transaction::withoutActions([&] {
            for (const auto& eye : {view.layers().leftEye, view.layers().rightEye})
                eye->setFillColor(anim::Color::rgb(1, 0, 0));
        });
        QImage pet = renderer.render(*view.layer(), sim.loop.mediaTime(), QSizeF(52, 52), k);
        int redBeyond = 0;
        for (int y = 0; y < pet.height(); ++y)
            for (int x = 0; x < pet.width(); ++x)
                redBeyond += ((edge == model::HomeEdge::left) == (x < boundary * k)) &&
                             qRed(pet.pixel(x, y)) > qGreen(pet.pixel(x, y)) + 24;
        EXPECT_EQ(redBeyond, 0) << "no part of an eye beyond the home's edge";
    }
}
