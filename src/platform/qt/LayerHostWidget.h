#pragma once

#include <QTimer>
#include <QWidget>
#include <memory>

#include "anim/Layer.h"
#include "platform/qt/LayerRenderer.h"

namespace platform::qt {

// An ordinary widget that shows a layer tree, so a pet can sit inside a window (the settings
// preview) as well as in its own panel. The tree's coordinates are y up from the widget's
// bottom-left corner. It repaints when the tree changes and, while something moves, once per
// display frame; a still tree costs nothing.
class LayerHostWidget final : public QWidget {
    Q_OBJECT
public:
    explicit LayerHostWidget(QWidget* parent = nullptr);
    ~LayerHostWidget() override;

    void setRootLayer(std::shared_ptr<anim::Layer> layer);
    const std::shared_ptr<anim::Layer>& rootLayer() const { return root_; }
    int paintCount() const { return paintCount_; }

protected:
    void paintEvent(QPaintEvent*) override;

private:
    void planNextFrame(double t);

    std::shared_ptr<anim::Layer> root_;
    LayerRenderer renderer_;
    QTimer frameTimer_;
    int paintCount_ = 0;
};

}  // namespace platform::qt
