#include <gtest/gtest.h>

#include <QApplication>

#include "anim/Layer.h"
#include "anim/Transaction.h"
#include "platform/qt/LayerHostWidget.h"
#include "platform/sim/SimPlatform.h"

namespace {

// A tree tall enough to be painted in bands: a solid bar the height of the host.
std::shared_ptr<anim::Layer> tallBar(QColor color) {
    anim::Transaction::begin();
    anim::Transaction::setDisableActions(true);
    auto root = anim::Layer::make();
    root->setFrame({0, 0, 30, 160});
    auto bar = anim::Layer::make();
    bar->setFrame({5, 0, 20, 160});
    bar->setBackgroundColor(anim::Color::rgb(color.redF(), color.greenF(), color.blueF()));
    root->addSublayer(bar);
    anim::Transaction::commit();
    return root;
}

}  // namespace

// The host paints into its window's picture at its own place there, wherever that is.
TEST(LayerHostWidget, aTallTreeIsDrawnWholeWhereverTheHostSitsInItsWindow) {
    const QPoint places[] = {{0, 0}, {13, 57}, {41, 230}};
    const QColor bar(200, 40, 90);
    platform::sim::SimPlatform sim;
    for (QPoint place : places) {
        SCOPED_TRACE(QString("at %1, %2").arg(place.x()).arg(place.y()).toStdString());
        QWidget window;
        window.resize(120, 420);
        window.setAutoFillBackground(true);
        window.setPalette(QPalette(Qt::white));
        auto* host = new platform::qt::LayerHostWidget(&window);
        host->setGeometry(QRect(place, QSize(30, 160)));
        host->setRootLayer(tallBar(bar));
        window.show();
        QApplication::processEvents();
        const QImage shot = window.grab().toImage();
        for (int y : {1, 40, 80, 120, 158})
            EXPECT_EQ(shot.pixelColor(place + QPoint(15, y)), bar) << "row " << y << " of the host";
        EXPECT_EQ(shot.pixelColor(place + QPoint(2, 80)), QColor(Qt::white)) << "beside the bar";
    }
}
