#pragma once

#include <QImage>
#include <QWidget>
#include <memory>
#include <optional>
#include <vector>

#include "anim/FramePacer.h"
#include "anim/Layer.h"
#include "platform/Panel.h"
#include "platform/qt/LayerRenderer.h"
#include "platform/qt/PanelFrameUpload.h"
#include "platform/qt/PanelShape.h"

class QScreen;

namespace platform::qt {

// The window of a pet panel: frameless, translucent, never focused, override-redirect (so it
// stays over full-screen windows, is never clamped to a screen and has no taskbar entry),
// re-raised when other windows come up. It paints its layer tree only when the presentation
// would visibly change, at most 30 times a second (slow drifts less often, sharing wake-ups with
// the other panel), and not at all while the tree is still. Frames go to X through shared memory
// where the server takes it.
// Only drawn pixels take clicks; without a compositing manager an XShape mask replaces alpha.
// It is drawn at the scale of the screen under its centre, and carried to another screen's scale
// as it moves there.
// Its clock is the installed main loop's media time.
class PetPanelWindow final : public QWidget {
    Q_OBJECT
public:
    explicit PetPanelWindow(const Rect& frame);
    ~PetPanelWindow() override;

    // Transparent room around the panel's frame, in points, for what the pet draws beyond its own
    // square (hops, the celebration, sparkles, the drag stretch, the raised sign). Positions,
    // clips and hit tests stay in the frame's coordinates; the window is this much larger on
    // every side.
    static constexpr double drawingMargin = 24;

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

    // The last painted frame (the margin included) and the region that takes clicks, in device
    // pixels of the window (for tests).
    const QImage& paintedFrame() const { return frameImage_; }
    const std::vector<QRect>& inputRects() const { return shape_.inputRects(); }
    int paintCount() const { return paintCount_; }

protected:
    void paintEvent(QPaintEvent*) override;
    bool event(QEvent* event) override;
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
    void forceRepaint();
    void planFrame(double at, double tolerance);
    void cancelFrame();
    void updateShape(bool force);
    void placeWindow();
    void moveWindow(QPoint at);
    void sendPendingMove();
    void carryToScreen(QScreen& screen);
    // Draws afresh at the scale of the window's new screen.
    void screenChanged();
    // Has the work of this turn end in one call of event().
    void postTurnEnd();
    // Puts the drawing back around the window's own frame.
    void unshift();
    void planSettle(double delay);
    void cancelSettle();
    // Where the window's top-left corner goes for the frame, in Qt's global coordinates (y down).
    QPoint windowOrigin(QSize size) const;
    // The primary screen in X11 coordinates: the origin of the design's global space.
    Point toPanel(QPointF widgetPoint) const;
    // Where the tree's origin lies in the window, in points, y up.
    QPointF contentOrigin() const { return {drawingMargin + offset_.x(), drawingMargin + offset_.y()}; }
    // Whether the last frame, drawn with `offset` instead, stays inside the window.
    bool drawingFits(QPoint offset) const;
    void deliver(PanelMouseEvent::Type type, QMouseEvent* e);

    Rect frame_;
    // Where the window is placed, in Qt's global coordinates (y down); a shown window gets there
    // with the next frame, at the latest when the turn of the loop ends.
    std::optional<QPoint> placedAt_;
    // How far the frame lies from where the window puts it, in points, y up. A shown panel's small
    // moves (a hop out of its home and back) shift the drawing inside the window instead of moving
    // the window: the server and the compositor then redo no clip, only the pixels that change.
    // Larger moves put the window around the frame again, and so does a shift that has stood
    // still for a while, where a hop would have come back.
    QPoint offset_;
    QPoint paintedOffset_;  // the offset of the last frame
    bool offsetUnpainted_ = false;
    static constexpr double settleDelay = 0.5;  // s: longer than a hop stays out
    double shiftedAt_ = 0;
    uint64_t settleWake_ = 0;
    std::shared_ptr<anim::Layer> root_;
    std::optional<Rect> clip_;
    bool ignoresMouse_ = false;
    bool pressed_ = false;
    std::function<bool(Point)> hitTest_;
    // The hit test in the coordinates of the window's unshifted frame, for the input region.
    std::function<bool(Point)> shapeHitTest_;
    std::function<void(const PanelMouseEvent&)> onEvent_;

    LayerRenderer renderer_;
    anim::FramePacer pacer_;
    QImage frameImage_;
    // The frame before, its buffer reused for the next one.
    QImage previousImage_;
    bool refreshPosted_ = false;
    bool lookWanted_ = false;
    // The window is placed at placedAt_ but not yet moved there on the server.
    bool movePending_ = false;
    // Qt is being told of a new screen by carryToScreen.
    bool carrying_ = false;
    int paintCount_ = 0;
    uint64_t frameWake_ = 0;  // the TimerHub wake-up of the next frame

    PanelShape shape_;
    PanelFrameUpload upload_;
};

}  // namespace platform::qt
