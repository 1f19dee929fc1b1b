#pragma once

#include <QImage>
#include <QTimer>
#include <QWidget>
#include <limits>
#include <memory>
#include <optional>
#include <vector>

#include "anim/Layer.h"
#include "anim/VisibleChange.h"
#include "platform/Panel.h"
#include "platform/qt/LayerRenderer.h"
#include "platform/qt/X11SharedImage.h"

namespace platform::qt {

// The window of a pet panel: frameless, translucent, never focused, override-redirect (so it
// stays over full-screen windows, is never clamped to a screen and has no taskbar entry),
// re-raised when other windows come up. It paints its layer tree only when the presentation
// would visibly change, at most 30 times a second (slow drifts less often, sharing wake-ups with
// the other panel), and not at all while the tree is still. Frames go to X through shared memory
// where the server takes it.
// Only drawn pixels take clicks; without a compositing manager an XShape mask replaces alpha.
// Its clock is the installed main loop's media time.
class PetPanelWindow final : public QWidget {
    Q_OBJECT
public:
    explicit PetPanelWindow(const Rect& frame);
    ~PetPanelWindow() override;

    // Global coordinates, points, y up.
    Rect frame() const { return frame_; }
    void setFrame(const Rect& frame);
    void setFrameOrigin(Point origin);
    void orderFront();
    void orderOut();

    void setRootLayer(std::shared_ptr<anim::Layer> layer);
    const std::shared_ptr<anim::Layer>& rootLayer() const { return root_; }
    // Panel coordinates (y up).
    void setClipRect(std::optional<Rect> rect);
    std::optional<Rect> clipRect() const { return clip_; }
    void setIgnoresMouseEvents(bool ignores);
    bool ignoresMouseEvents() const { return ignoresMouse_; }
    void setMouseHandlers(std::function<bool(Point)> hitTest, std::function<void(const PanelMouseEvent&)> onEvent);

    // The last painted frame and the region that takes clicks, in device pixels (for tests).
    const QImage& paintedFrame() const { return frameImage_; }
    const std::vector<QRect>& inputRects() const { return inputRects_; }
    int paintCount() const { return paintCount_; }

protected:
    void paintEvent(QPaintEvent*) override;
    bool event(QEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;
    void showEvent(QShowEvent*) override;
    void mousePressEvent(QMouseEvent* e) override;
    void mouseMoveEvent(QMouseEvent* e) override;
    void mouseReleaseEvent(QMouseEvent* e) override;

private:
    void treeChanged();
    // Looks at the tree once the work of this turn of the loop is done.
    void refreshSoon();
    void refresh();
    void repaintNow(double t);
    // Plans the frame after the one painted; with `until`, only one before that time (when a
    // frame is planned for it already).
    void planNext(double t, double until = std::numeric_limits<double>::infinity());
    // Whether the tree at t has only moved, and by less than a drift may, since the last frame.
    bool isDriftAt(double t) const;
    void forceRepaint();
    // A frame at `at`, or up to `tolerance` later to share a wake-up.
    void planFrame(double at, double tolerance);
    void cancelFrame();
    // Puts the frame on the X window directly; false where that cannot be done.
    bool putFrame();
    // Brings the input region (and the mask without a compositor) in line with the last frame;
    // while the drawing keeps moving, at most a few times a second.
    void updateShape(bool force);
    void placeWindow();
    Point toPanel(QPointF widgetPoint) const;
    void deliver(PanelMouseEvent::Type type, QMouseEvent* e);

    Rect frame_;
    std::shared_ptr<anim::Layer> root_;
    std::optional<Rect> clip_;
    bool ignoresMouse_ = false;
    bool pressed_ = false;
    std::function<bool(Point)> hitTest_;
    std::function<void(const PanelMouseEvent&)> onEvent_;

    LayerRenderer renderer_;
    QImage frameImage_;
    // The frame before, its buffer reused for the next one; while `windowShowsPrevious_`, the
    // window holds exactly it, so only the pixels that differ need to go to X.
    QImage previousImage_;
    bool windowShowsPrevious_ = false;
    std::optional<anim::FrameSignature> painted_;
    double lastPaint_ = -1e9;
    double frameInterval_ = 1.0 / 60;  // of the screen the panel is on
    bool refreshPosted_ = false;
    int paintCount_ = 0;
    uint64_t frameWake_ = 0;  // the TimerHub wake-up of the next frame
    double frameAt_ = 0;      // and its time
    double frameLatest_ = 0;  // and the latest it comes

    std::vector<QRect> inputRects_;
    std::vector<QRect> boundingRects_;
    std::vector<bool> hitMask_;
    QSize hitMaskSize_;
    bool shapeApplied_ = false;
    bool shapePending_ = false;
    double lastShapeUpdate_ = -1e9;
    QTimer shapeTimer_;
    bool compositedShape_ = true;

    enum class DirectPut { unknown, ready, unavailable };
    DirectPut directPut_ = DirectPut::unknown;
    void* visual_ = nullptr;  // Xlib's Visual* and GC, kept opaque to stay out of Qt's headers
    void* gc_ = nullptr;
    // Frames go through shared memory while the server takes it.
    std::unique_ptr<X11SharedImage> shared_;
    bool sharedMemory_ = true;
};

// Panels for the behaviour code: each a PetPanelWindow behind the Panel interface.
class PetPanelFactory final : public PanelFactory {
public:
    std::unique_ptr<Panel> createPanel(const Rect& frame) override;
};

}  // namespace platform::qt
