#include <gtest/gtest.h>

#include <QGuiApplication>
#include <QPainterPath>
#include <QScreen>
#include <QTest>
#include <numbers>

#include "anim/ShapeLayer.h"
#include "anim/TextLayer.h"
#include "anim/Transaction.h"
#include "platform/ThreadWaits.h"
#include "platform/qt/LayerRenderer.h"
#include "platform/qt/PetPanelWindow.h"
#include "platform/sim/SimPlatform.h"

using namespace anim;
using platform::qt::LayerRenderer;
using platform::qt::PetPanelWindow;

namespace {

constexpr double dpr = 2;

// The premultiplied pixel under a point given y up, in points.
QRgb at(const QImage& image, double x, double yUp) {
    double h = image.height() / image.devicePixelRatio();
    return image.pixel(int(x * image.devicePixelRatio()), int((h - yUp) * image.devicePixelRatio()));
}

struct RendererTest : ::testing::Test {
    platform::sim::SimPlatform sim;
    std::shared_ptr<Layer> root = Layer::make();
    LayerRenderer renderer;

    RendererTest() {
        Transaction::begin();
        Transaction::setDisableActions(true);
        root->setFrame({0, 0, 40, 40});
    }
    ~RendererTest() override { Transaction::commit(); }

    std::shared_ptr<ShapeLayer> shape(const Path& path, Color fill, Layer* parent = nullptr) {
        auto s = ShapeLayer::make();
        s->setPath(path);
        s->setFillColor(fill);
        (parent ? parent : root.get())->addSublayer(s);
        return s;
    }
    QImage render(std::optional<Rect> clip = std::nullopt) {
        return renderer.render(*root, sim.loop.mediaTime(), QSizeF(40, 40), dpr, clip);
    }
};

}  // namespace

TEST_F(RendererTest, fillsAnEllipseWithYUp) {
    shape(Path::ellipse({4, 2, 32, 12}), Color::rgb(1, 0, 0));
    QImage image = render();
    EXPECT_EQ(image.size(), QSize(80, 80));
    EXPECT_EQ(at(image, 20, 8), qRgba(255, 0, 0, 255));
    EXPECT_EQ(qAlpha(at(image, 20, 30)), 0) << "the bottom of the tree is the bottom of the image";
    EXPECT_EQ(qAlpha(at(image, 5, 3)), 0) << "outside the ellipse's curve";
}

TEST_F(RendererTest, opacityTransformAndScreenBlendApply) {
    auto faded = shape(Path::rect({0, 0, 10, 10}), Color::rgb(1, 0, 0));
    faded->setOpacity(0.5);

    auto mover = Layer::make();
    mover->setFrame({0, 0, 40, 40});
    mover->setTransform(Transform::pose(0, 0, std::numbers::pi / 2, 1, 1));
    root->addSublayer(mover);
    shape(Path::rect({0, 18, 40, 4}), Color::rgb(0, 0, 1), mover.get());

    auto base = shape(Path::rect({30, 30, 10, 10}), Color::white(0.5));
    auto glow = shape(Path::rect({30, 30, 10, 10}), Color::white(0.5));
    glow->setCompositingFilter("screenBlendMode");

    QImage image = render();
    QRgb half = at(image, 3, 3);
    EXPECT_NEAR(qAlpha(half), 128, 1);
    EXPECT_NEAR(qRed(half), 128, 1);
    EXPECT_EQ(qBlue(at(image, 20, 25)), 255) << "the horizontal bar turned upright about the centre";
    EXPECT_EQ(qAlpha(at(image, 25, 20)), 0);
    EXPECT_EQ(qAlpha(at(image, 35, 20)), 0);
    EXPECT_NEAR(qRed(at(image, 35, 35)), 191, 2) << "screen: 1 - (1 - 0.5)(1 - 0.5)";
}

TEST_F(RendererTest, clipsToAGivenRectAndToMaskingBounds) {
    shape(Path::rect({0, 0, 40, 40}), Color::rgb(0, 1, 0));
    QImage clipped = render(Rect{0, 0, 20, 40});
    EXPECT_EQ(qAlpha(at(clipped, 10, 20)), 255);
    EXPECT_EQ(qAlpha(at(clipped, 30, 20)), 0);

    root->sublayers().front()->removeFromSuperlayer();
    auto window = Layer::make();
    window->setFrame({10, 10, 20, 20});
    window->setMasksToBounds(true);
    root->addSublayer(window);
    shape(Path::rect({-10, -10, 40, 40}), Color::rgb(0, 1, 0), window.get());
    QImage masked = render();
    EXPECT_EQ(qAlpha(at(masked, 20, 20)), 255);
    EXPECT_EQ(qAlpha(at(masked, 5, 5)), 0);
    EXPECT_EQ(qAlpha(at(masked, 35, 20)), 0);
}

TEST_F(RendererTest, imagesFitUprightAndShadowsAreSoft) {
    // Blue over red in a y-up drawing: blue is the top half.
    auto picture = Image::fromDrawing(
        {20, 10}, {{Path::rect({0, 0, 20, 5}), Color::rgb(1, 0, 0)}, {Path::rect({0, 5, 20, 5}), Color::rgb(0, 0, 1)}});
    auto photo = Layer::make();
    photo->setFrame({0, 0, 40, 40});
    photo->setContents(picture);
    photo->setContentsGravity(ContentsGravity::resizeAspect);
    root->addSublayer(photo);
    QImage image = render();
    EXPECT_EQ(qBlue(at(image, 20, 27)), 255);
    EXPECT_EQ(qRed(at(image, 20, 13)), 255);
    EXPECT_EQ(qAlpha(at(image, 20, 35)), 0) << "aspect fit leaves bands above and below";

    photo->removeFromSuperlayer();
    auto puck = shape(Path::rect({10, 20, 20, 10}), Color::black());
    puck->setShadowOpacity(1);
    puck->setShadowRadius(2);
    puck->setShadowOffset({0, -6});
    image = render();
    int near = qAlpha(at(image, 20, 18)), far = qAlpha(at(image, 20, 12.5));
    EXPECT_GT(near, 100);
    EXPECT_GT(far, 0);
    EXPECT_LT(far, near) << "the shadow fades toward its edge";
}

TEST_F(RendererTest, aStillSubtreeKeptAsABitmapShowsEveryLaterChange) {
    // A moving container over a still subtree: the subtree is kept as one bitmap between frames.
    auto body = Layer::make();
    body->setFrame({0, 0, 40, 40});
    root->addSublayer(body);
    std::vector<std::shared_ptr<ShapeLayer>> dots;
    for (int i = 0; i < 8; ++i) dots.push_back(shape(Path::rect({4.0 * i, 0, 4, 4}), Color::rgb(0, 0, 1), body.get()));
    body->addAnimation(Animation::keyframes("transform.translation.y", {0.0, 20.0}, 10), "drift");
    double t0 = sim.loop.mediaTime();
    for (int frame = 0; frame < 3; ++frame) renderer.render(*root, t0 + 0.5 * frame, QSizeF(40, 40), dpr);

    dots[2]->setFillColor(Color::rgb(1, 0, 0));
    QImage image = renderer.render(*root, t0 + 5, QSizeF(40, 40), dpr);
    EXPECT_EQ(qRed(at(image, 10, 12)), 255) << "a new colour in the kept subtree";
    EXPECT_EQ(qBlue(at(image, 2, 12)), 255) << "the subtree moved with its container";

    dots[3]->addAnimation(Animation::keyframes("transform.translation.y", {10.0, 10.0}, 10), "hop");
    image = renderer.render(*root, t0 + 5.5, QSizeF(40, 40), dpr);
    EXPECT_EQ(qBlue(at(image, 14, 23)), 255) << "an animation inside the subtree";
    EXPECT_EQ(qAlpha(at(image, 14, 13)), 0);
}

TEST_F(RendererTest, stillSiblingsOfAMovingLayerAreKeptAndShowEveryLaterChange) {
    // Pupils gliding over a still face: the layers below and above the moving one stay bitmaps.
    auto body = Layer::make();
    body->setFrame({0, 0, 40, 40});
    root->addSublayer(body);
    std::vector<std::shared_ptr<ShapeLayer>> below, above;
    for (int i = 0; i < 6; ++i) below.push_back(shape(Path::rect({4.0 * i, 0, 4, 4}), Color::rgb(0, 0, 1), body.get()));
    auto pupil = shape(Path::rect({0, 20, 4, 4}), Color::rgb(0, 1, 0), body.get());
    for (int i = 0; i < 6; ++i)
        above.push_back(shape(Path::rect({4.0 * i, 30, 4, 4}), Color::rgb(0, 0, 1), body.get()));
    pupil->addAnimation(Animation::keyframes("transform.translation.x", {0.0, 20.0}, 10), "glide");
    double t0 = sim.loop.mediaTime();
    QImage image;
    for (int frame = 0; frame < 4; ++frame) image = renderer.render(*root, t0 + 0.5 * frame, QSizeF(40, 40), dpr);
    EXPECT_EQ(qGreen(at(image, 3 + 1.5, 22)), 255) << "the moving layer, painted where it is now";
    EXPECT_EQ(qBlue(at(image, 22, 2)), 255);
    EXPECT_EQ(qBlue(at(image, 22, 32)), 255);

    below[1]->setFillColor(Color::rgb(1, 0, 0));
    above[4]->setHidden(true);
    image = renderer.render(*root, t0 + 5, QSizeF(40, 40), dpr);
    EXPECT_EQ(qRed(at(image, 6, 2)), 255) << "a new colour in the run below";
    EXPECT_EQ(qAlpha(at(image, 18, 32)), 0) << "a hidden layer in the run above";
    EXPECT_EQ(qGreen(at(image, 10 + 2, 22)), 255);
}

TEST_F(RendererTest, textIsDrawnUprightFromTheTopAndShrinksIntoItsFrame) {
    auto label = TextLayer::make();
    label->setFrame({3, 0, 34, 40});
    label->setString("Today's keys");  // about 90 points wide at this size
    label->setFontSize(14);
    label->setAlignment(TextAlignment::center);
    label->setForegroundColor(Color::black());
    root->addSublayer(label);
    QImage image = render();
    int top = 0, bottom = 0, beside = 0;
    for (double y = 0.25; y < 40; y += 0.5)
        for (double x = 0.25; x < 40; x += 0.5)
            (x < 3 || x >= 37 ? beside : y >= 20 ? top : bottom) += qAlpha(at(image, x, y)) > 0;
    EXPECT_GT(top, 20);
    EXPECT_EQ(bottom, 0);
    EXPECT_EQ(beside, 0) << "a line too long for its frame shrinks into it";
}

// A pet's square of 52 points with a dot at its centre and a drawing a hop's worth above and
// beside it: 8 points of room are left on the left and 12 above.
static std::pair<std::shared_ptr<Layer>, std::shared_ptr<ShapeLayer>> dotAndBeyond() {
    auto root = Layer::make();
    auto dot = ShapeLayer::make();
    Transaction::withoutActions([&] {
        root->setFrame({0, 0, 52, 52});
        dot->setPath(Path::ellipse({16, 16, 20, 20}));
        root->addSublayer(dot);
        auto beyond = ShapeLayer::make();
        beyond->setPath(Path::ellipse({-16, 56, 8, 8}));
        root->addSublayer(beyond);
    });
    return {root, dot};
}

TEST(PetPanelWindow, paintsOnlyWhenThePresentationChanges) {
    platform::sim::SimPlatform sim;
    auto [root, dot] = dotAndBeyond();
    PetPanelWindow panel({100, 50, 52, 52});
    const int m = int(PetPanelWindow::drawingMargin);
    QRect primary = QGuiApplication::primaryScreen()->geometry();
    EXPECT_EQ(panel.pos(), QPoint(primary.x() + 100 - m, primary.y() + primary.height() - 102 - m))
        << "y up at the boundary, the margin around the frame";
    panel.setRootLayer(root);
    panel.orderFront();
    QTest::qWait(60);
    EXPECT_EQ(panel.paintCount(), 1);
    QTest::qWait(60);
    EXPECT_EQ(panel.paintCount(), 1) << "a still tree is not painted again";

    double px = panel.paintedFrame().devicePixelRatio();
    EXPECT_GT(qAlpha(panel.paintedFrame().pixel(int((m - 12) * px), int((m - 8) * px))), 0) << "not cut at the square";
    auto covers = [&](double x, double yUp) {
        QPoint p(int((x + m) * px), int((52 + m - yUp) * px));
        for (const QRect& r : panel.inputRects())
            if (r.contains(p)) return true;
        return false;
    };
    EXPECT_TRUE(covers(26, 26));
    EXPECT_FALSE(covers(4, 4)) << "clicks outside the drawing fall through";

    std::vector<platform::PanelMouseEvent> events;
    panel.setMouseHandlers([](platform::Point p) { return p.x < 26; },
                           [&](const platform::PanelMouseEvent& e) { events.push_back(e); });
    EXPECT_FALSE(covers(30, 26)) << "nor do clicks the hit test refuses";
    QTest::mousePress(&panel, Qt::LeftButton, {}, QPoint(30 + m, 26 + m));
    QTest::mouseRelease(&panel, Qt::LeftButton, {}, QPoint(30 + m, 26 + m));
    EXPECT_TRUE(events.empty());
    QTest::mousePress(&panel, Qt::LeftButton, {}, QPoint(20 + m, 12 + m));
    ASSERT_EQ(events.size(), 1u);
    EXPECT_EQ(events[0].location, (platform::Point{20, 40}));
    EXPECT_EQ(events[0].screenLocation, (platform::Point{120, 90}));
    QTest::mouseRelease(&panel, Qt::LeftButton, {}, QPoint(20 + m, 12 + m));

    Transaction::withoutActions([&] { dot->setFillColor(Color::rgb(1, 0, 0)); });
    sim.loop.advance(0.05);  // the media clock; frames are at most one display frame apart
    QTest::qWait(60);
    EXPECT_EQ(panel.paintCount(), 2);
    EXPECT_EQ(qRed(panel.paintedFrame().pixel(int((26 + m) * px), int((26 + m) * px))), 255);

    panel.setIgnoresMouseEvents(true);
    EXPECT_TRUE(panel.inputRects().empty());
}

TEST(PetPanelWindow, smallMovesShiftTheDrawingAndLargeOnesMoveTheWindow) {
    platform::sim::SimPlatform sim;
    auto [root, dot] = dotAndBeyond();
    Transaction::withoutActions([&] { dot->setFillColor(Color::rgb(1, 0, 0)); });
    PetPanelWindow panel({100, 50, 52, 52});
    const int m = int(PetPanelWindow::drawingMargin);
    const QPoint home = panel.pos();
    std::vector<platform::PanelMouseEvent> events;
    panel.setMouseHandlers([](platform::Point p) { return p.x < 40; },
                           [&](const platform::PanelMouseEvent& e) { events.push_back(e); });
    panel.setRootLayer(root);
    panel.orderFront();
    QTest::qWait(60);

    // The dot's centre, (26, 26) in the panel, must be drawn and take presses there.
    auto expectDotAt = [&](QPoint inWindow, const char* step) {
        double px = panel.paintedFrame().devicePixelRatio();
        EXPECT_EQ(qRed(panel.paintedFrame().pixel(int(inWindow.x() * px), int(inWindow.y() * px))), 255) << step;
        events.clear();
        QTest::mousePress(&panel, Qt::LeftButton, {}, inWindow);
        QTest::mouseRelease(&panel, Qt::LeftButton, {}, inWindow);
        ASSERT_EQ(events.size(), 2u) << step;
        EXPECT_EQ(events[0].location, (platform::Point{26, 26})) << step;
    };
    struct Step {
        const char* what;
        platform::Point origin;
        QPoint windowMoved;  // points, y up
        QPoint drawingMoved;
    };
    const Step steps[] = {
        {"a hop up stays in the window", {100, 58}, {0, 0}, {0, 8}},
        {"back home", {100, 50}, {0, 0}, {0, 0}},
        {"too far left for the room", {90, 50}, {-10, 0}, {0, 0}},
        {"back within the room on the right", {100, 50}, {-10, 0}, {10, 0}},
        {"a walk on, too far for a hop: the drawing comes home", {114, 50}, {14, 0}, {0, 0}},
        {"down beyond the room", {114, 30}, {14, -20}, {0, 0}},
    };
    for (const Step& step : steps) {
        panel.setFrameOrigin(step.origin);
        sim.loop.advance(0.05);
        QTest::qWait(60);
        EXPECT_EQ(panel.frame().origin, step.origin) << step.what;
        EXPECT_EQ(panel.pos(), home + QPoint(step.windowMoved.x(), -step.windowMoved.y())) << step.what;
        expectDotAt(QPoint(26 + m + step.drawingMoved.x(), 26 + m - step.drawingMoved.y()), step.what);
    }

    panel.setFrameOrigin({114, 36});
    sim.loop.advance(0.05);
    QTest::qWait(60);
    ASSERT_EQ(panel.pos(), home + QPoint(14, 20)) << "a hop up";
    sim.loop.advance(1);
    for (int i = 0; i < 100 && panel.pos() != home + QPoint(14, 14); ++i) QTest::qWait(20);
    EXPECT_EQ(panel.pos(), home + QPoint(14, 14)) << "a hop that stays out puts the window around it";
    expectDotAt(QPoint(26 + m, 26 + m), "after the window came");

    panel.setFrame({100, 50, 60, 60});
    sim.loop.advance(0.05);
    QTest::qWait(60);
    QRect primary = QGuiApplication::primaryScreen()->geometry();
    EXPECT_EQ(panel.pos(), QPoint(primary.x() + 100 - m, primary.y() + primary.height() - 110 - m))
        << "a new size puts the window back around the frame";
    expectDotAt(QPoint(26 + m, 60 - 26 + m), "after a new size");
}

TEST_F(RendererTest, aTallTreePaintedInBandsMatchesOnePass) {
    root->setFrame({0, 0, 40, 90});
    auto ring = shape(Path::ellipse({3.3, 2.7, 33.1, 85.2}), Color::rgb(0.1, 0.1, 0.1, 0.8));
    ring->setStrokeColor(Color::rgb(0.9, 0.5, 0.2));
    ring->setLineWidth(1.3);
    for (double scale : {1.5, 2.0, 3.0}) {
        QImage onePass(int(40 * scale), int(90 * scale), QImage::Format_ARGB32_Premultiplied);
        onePass.setDevicePixelRatio(scale);
        onePass.fill(Qt::transparent);
        QPainter p(&onePass);
        LayerRenderer().paint(p, *root, sim.loop.mediaTime(), 90);
        p.end();
        EXPECT_EQ(renderer.render(*root, sim.loop.mediaTime(), QSizeF(40, 90), scale), onePass) << scale;
    }
}

namespace {

// A tall spiky star: long miter joins at its tips, flat stretches between them.
std::vector<Point> star(double outer, double inner, int tips) {
    std::vector<Point> points;
    for (int i = 0; i < 2 * tips; ++i) {
        const double r = i % 2 ? inner : outer, a = std::numbers::pi * i / tips;
        points.push_back({20 + r * std::sin(a), 45 + r * std::cos(a)});
    }
    return points;
}

QColor qColor(Color c) {
    return QColor::fromRgbF(c.red, c.green, c.blue, c.alpha);
}

}  // namespace

TEST_F(RendererTest, tallDrawingsLookAsOneUnbandedPassAndStayOnThisThread) {
    struct Case {
        const char* name;
        std::vector<Point> outline;
        double lineWidth;  // 0: filled only
        bool background;   // the layer's own colour behind it
    };
    const Case cases[]{
        {"a filled star", star(19, 6, 9), 0, false},
        {"a stroked star with mitered tips", star(17, 5, 7), 1.7, false},
        {"a background with a stroked triangle", {{2.2, 1.6}, {37.7, 3.1}, {20.3, 88.4}}, 3.1, true},
    };
    const Color fill = Color::rgb(0.2, 0.3, 0.1, 0.7), stroke = Color::rgb(0.9, 0.5, 0.2, 0.9),
                behind = Color::rgb(0.1, 0.2, 0.8, 0.6);
    root->setFrame({0, 0, 40, 90});
    for (const Case& c : cases) {
        auto layer = shape(Path::polygon(c.outline), fill);
        layer->setFrame({0, 0, 40, 90});
        if (c.background) layer->setBackgroundColor(behind);
        layer->setStrokeColor(c.lineWidth > 0 ? stroke : Color::clear());
        layer->setLineWidth(c.lineWidth);
        QPainterPath path;
        path.moveTo(c.outline[0].x, c.outline[0].y);
        for (size_t i = 1; i < c.outline.size(); ++i) path.lineTo(c.outline[i].x, c.outline[i].y);
        path.closeSubpath();
        path.setFillRule(Qt::WindingFill);
        for (double scale : {1.0, 2.0}) {
            SCOPED_TRACE(std::string(c.name) + " at " + std::to_string(scale));
            // Qt's own drawing of the same, all at once.
            QImage expected(int(40 * scale), int(90 * scale), QImage::Format_ARGB32_Premultiplied);
            expected.setDevicePixelRatio(scale);
            expected.fill(Qt::transparent);
            QPainter p(&expected);
            p.setRenderHint(QPainter::Antialiasing);
            p.setTransform(QTransform(1, 0, 0, -1, 0, 90));
            if (c.background) p.fillRect(QRectF(0, 0, 40, 90), qColor(behind));
            p.fillPath(path, qColor(fill));
            if (c.lineWidth > 0)
                p.strokePath(path, QPen(qColor(stroke), c.lineWidth, Qt::SolidLine, Qt::FlatCap, Qt::MiterJoin));
            p.end();
            EXPECT_EQ(renderer.render(*root, sim.loop.mediaTime(), QSizeF(40, 90), scale), expected);

            constexpr int frames = 12;
            const long before = platform::threadWaits();
            for (int i = 0; i < frames; ++i) renderer.render(*root, sim.loop.mediaTime(), QSizeF(40, 90), scale);
            EXPECT_LT(platform::threadWaits() - before, frames / 2) << "painting waited on other threads";
        }
        layer->removeFromSuperlayer();
    }
}

TEST_F(RendererTest, framesReusingTheirImagesLookAsIfPaintedAfresh) {
    // Each drawing that reaches beyond its layer's frame: a shadow, a mitered stroke, an image
    // larger than its layer, a line of text too tall for its frame. They glide across and back,
    // so what a frame before drew is left where the next one no longer draws.
    auto glider = Layer::make();
    glider->setFrame({0, 0, 60, 40});
    root->setFrame({0, 0, 60, 40});
    root->addSublayer(glider);
    auto puck = shape(Path::rect({4, 24, 8, 6}), Color::black(), glider.get());
    puck->setShadowOpacity(1);
    puck->setShadowRadius(1);
    auto spike = shape(Path::polygon(star(9, 2, 5)), Color::clear(), glider.get());
    spike->setTransform(Transform::pose(-8, -26, 0, 1, 1));
    spike->setStrokeColor(Color::rgb(0.9, 0.5, 0.2));
    spike->setLineWidth(2.5);
    auto photo = Layer::make();
    photo->setFrame({30, 4, 4, 4});
    photo->setContents(Image::fromDrawing({14, 14}, {{Path::ellipse({0, 0, 14, 14}), Color::rgb(0, 0, 1)}}));
    photo->setContentsGravity(ContentsGravity::center);
    glider->addSublayer(photo);
    auto label = TextLayer::make();
    label->setFrame({40, 30, 16, 2});
    label->setString("Wy");
    label->setFontSize(12);
    label->setForegroundColor(Color::black());
    glider->addSublayer(label);
    // Each glides on its own: a still run of them would be kept as one bitmap, drawn smoothed.
    for (const auto& layer : glider->sublayers())
        layer->addAnimation(Animation::keyframes("transform.translation.x", {-30.0, 30.0, -30.0}, 4), "glide");

    const double t0 = sim.loop.mediaTime();
    for (double scale : {1.0, 2.0}) {
        QImage images[2];
        for (int frame = 0; frame < 14; ++frame) {
            SCOPED_TRACE("frame " + std::to_string(frame) + " at " + std::to_string(scale));
            const double t = t0 + 0.3 * frame;
            QImage& image = images[frame % 2];
            renderer.renderInto(image, *root, t, QSizeF(60, 40), scale);
            const QImage afresh = LayerRenderer().render(*root, t, QSizeF(60, 40), scale);
            ASSERT_EQ(image, afresh);
            const QRect area = renderer.paintedArea(image);
            int drawnOutside = 0;
            for (int y = 0; y < image.height(); ++y)
                for (int x = 0; x < image.width(); ++x) drawnOutside += qAlpha(image.pixel(x, y)) > 0 && !area.contains(x, y);
            EXPECT_EQ(drawnOutside, 0) << "the area told covers every drawn pixel";
        }
        images[0].setPixel(0, 0, qRgba(9, 9, 9, 9));
        EXPECT_EQ(renderer.paintedArea(images[0]), images[0].rect()) << "an image changed elsewhere is all stale";
    }
}
