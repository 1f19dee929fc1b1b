#include "platform/qt/LayerHostWidget.h"

#include <QPainter>
#include <algorithm>
#include <cmath>

#include "anim/MediaTime.h"

namespace platform::qt {
namespace {
constexpr double frameInterval = 1.0 / 60;
}

LayerHostWidget::LayerHostWidget(QWidget* parent) : QWidget(parent) {
    setAttribute(Qt::WA_TranslucentBackground);
    frameTimer_.setSingleShot(true);
    connect(&frameTimer_, &QTimer::timeout, this, qOverload<>(&QWidget::update));
}

LayerHostWidget::~LayerHostWidget() {
    if (root_) root_->setChangeHandler({});
}

void LayerHostWidget::setRootLayer(std::shared_ptr<anim::Layer> layer) {
    if (root_ == layer) return;
    if (root_) root_->setChangeHandler({});
    root_ = std::move(layer);
    if (root_) root_->setChangeHandler([this] { update(); });
    update();
}

void LayerHostWidget::paintEvent(QPaintEvent*) {
    if (!root_) return;
    double t = anim::currentMediaTime();
    QPainter p(this);
    renderer_.paint(p, *root_, t, height());
    ++paintCount_;
    planNextFrame(t);
}

void LayerHostWidget::planNextFrame(double t) {
    double next = root_->nextChangeTime(t);
    if (!std::isfinite(next)) {
        frameTimer_.stop();
        return;
    }
    double wait = std::max(frameInterval, next - t);
    frameTimer_.start(int(std::ceil(wait * 1000)));
}

}  // namespace platform::qt
