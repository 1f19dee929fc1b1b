#include "platform/qt/PetPanelWindow.h"

#include <QAbstractNativeEventFilter>
#include <QCoreApplication>
#include <QGuiApplication>
#include <QPainter>
#include <QScreen>
#include <QWindow>
#include <algorithm>
#include <cmath>
#include <cstdint>
#include <utility>

#include "anim/MediaTime.h"
#include "platform/qt/PanelStacking.h"
#include "platform/qt/QtScreens.h"
#include "platform/qt/TimerHub.h"
#include "platform/qt/X11Display.h"

// Xlib last: its macros (None, Bool, Status...) would clash with Qt's headers.
#include <X11/Xatom.h>
#include <X11/Xlib.h>
#include <xcb/xcb.h>

namespace platform::qt {
namespace {

// A panel is an override-redirect child of the root without a frame, and we move it ourselves,
// up to 30 times a second. Qt does not need to hear of those moves: each one would wake its event
// reader and then cost a round trip for the frame margins (and, from the server's word alone, one
// to learn the position). So Qt's connection stops selecting the window's structure events while
// we move a shown panel, and selects them again before Qt itself maps, unmaps or resizes it:
// requests run in order, so Qt hears all of its own changes and none of ours. What it does hear
// comes as the window's own word, whose position Qt takes as it is (exact for a child of the
// root); the panel says it has no frame, so the margins cost one property read.
class PanelMoves final : public QAbstractNativeEventFilter {
public:
    static PanelMoves& shared() {
        static auto* moves = new PanelMoves;  // lives as long as the process
        return *moves;
    }

    void add(QWidget& panel) {
        Display* dpy = qtX11Display();
        if (!dpy || !panel.testAttribute(Qt::WA_WState_Created)) return;
        auto window = static_cast<unsigned long>(panel.winId());
        if (find(uint32_t(window))) return;
        XWindowAttributes attributes;
        if (!XGetWindowAttributes(dpy, window, &attributes)) return;
        windows_.push_back({uint32_t(window), attributes.your_event_mask, true});
        const long noFrame[4] = {0, 0, 0, 0};
        XChangeProperty(dpy, window, XInternAtom(dpy, "_NET_FRAME_EXTENTS", False), XA_CARDINAL, 32, PropModeReplace,
                        reinterpret_cast<const unsigned char*>(noFrame), 4);
        flushBeforeSleep(dpy);
        if (!installed_) qGuiApp->installNativeEventFilter(this);
        installed_ = true;
    }
    void remove(QWidget& panel) {
        if (panel.testAttribute(Qt::WA_WState_Created))
            std::erase_if(windows_, [&](const Watched& w) { return w.window == uint32_t(panel.winId()); });
    }

    // Before Qt changes the panel's window itself.
    void qtListens(QWidget& panel) { select(panel, true); }
    // Before we move the shown panel.
    void qtDeaf(QWidget& panel) { select(panel, false); }

    bool nativeEventFilter(const QByteArray& type, void* message, qintptr*) override {
        if (type != "xcb_generic_event_t") return false;
        auto* e = static_cast<xcb_configure_notify_event_t*>(message);
        if ((e->response_type & 0x7f) == XCB_CONFIGURE_NOTIFY && e->event == e->window && find(e->window))
            e->response_type |= 0x80;
        return false;
    }

private:
    struct Watched {
        uint32_t window;
        long qtMask;  // what Qt selected on the window
        bool listening;
    };

    Watched* find(uint32_t window) {
        auto it = std::find_if(windows_.begin(), windows_.end(), [&](const Watched& w) { return w.window == window; });
        return it == windows_.end() ? nullptr : &*it;
    }

    void select(QWidget& panel, bool listening) {
        Display* dpy = qtX11Display();
        Watched* w = dpy && panel.testAttribute(Qt::WA_WState_Created) ? find(uint32_t(panel.winId())) : nullptr;
        if (!w || w->listening == listening) return;
        w->listening = listening;
        XSetWindowAttributes attributes;
        attributes.event_mask = listening ? w->qtMask : w->qtMask & ~StructureNotifyMask;
        XChangeWindowAttributes(dpy, w->window, CWEventMask, &attributes);
    }

    std::vector<Watched> windows_;
    bool installed_ = false;
};

Rect pointsOf(const QRect& rect) {
    return {double(rect.x()), double(rect.y()), double(rect.width()), double(rect.height())};
}

// The screen a window at `rect` (Qt's global space) stands on, by the rule its place on the X
// screen follows: Qt's own choice could send it to pixels of a monitor it is not on.
QScreen* screenForWindowAt(const QRect& rect, QScreen* current) {
    const auto monitor = pixelMonitorIndex(current);
    QScreen* screen =
        screenOfPixelMonitor(currentPixelSpace().windowMonitor(pointsOf(rect), monitor.value_or(SIZE_MAX)));
    return screen ? screen : current;
}

// Where a window at `rect` of Qt's global space lies on the X screen, `screen` being its screen:
// Qt scales what lies beyond a screen's corner by the ratio of the window's screen.
QPoint serverPosition(const QRect& rect, QScreen* screen) {
    const auto monitor = pixelMonitorIndex(screen);
    if (!monitor) return rect.topLeft();
    const Point at = currentPixelSpace().windowPixels(pointsOf(rect), *monitor);
    return QPoint(int(std::lround(at.x)), int(std::lround(at.y)));
}

const QEvent::Type refreshEvent = QEvent::Type(QEvent::registerEventType());

double frameInterval(const QWidget& w) {
    constexpr double maxRate = anim::FramePacer::maxFrameRate;
    QScreen* screen = w.screen();
    double rate = screen && screen->refreshRate() > 1 ? std::min(screen->refreshRate(), maxRate) : maxRate;
    return 1.0 / rate;
}

// Qt raises a tool window just before it maps it. The program's first window has the
// client-leader window, which Qt creates along with it, lying over it, so that raise restacks it
// before its first map. A compositor that draws shadows (xcompmgr -c) then keeps a shadow for the
// window that it paints but never repairs: a dark box around the pet that leaves a trail at every
// move. A window made and dropped first has Qt create its leader before any panel, and each
// panel's window is the topmost one when it is raised.
void makeClientLeaderFirst() {
    static bool made = false;
    if (made || !qtX11Display()) return;
    made = true;
    QWindow scratch;
    scratch.create();
}

}  // namespace

PetPanelWindow::PetPanelWindow(const Rect& frame)
    : frame_(frame),
      pacer_({.planFrame = [this](double at, double tolerance) { planFrame(at, tolerance); },
              .cancelFrame = [this] { cancelFrame(); },
              .paint = [this](double t) { repaintNow(t); },
              .nextChange = [this](std::optional<double> next) { shape_.waitForFrame(next); }}),
      shape_([this] { updateShape(true); }, QPointF(drawingMargin, drawingMargin)),
      upload_(*this) {
    makeClientLeaderFirst();
    setWindowFlags(Qt::FramelessWindowHint | Qt::WindowStaysOnTopHint | Qt::Tool | Qt::WindowDoesNotAcceptFocus |
                   Qt::X11BypassWindowManagerHint | Qt::NoDropShadowWindowHint);
    setAttribute(Qt::WA_TranslucentBackground);
    setAttribute(Qt::WA_ShowWithoutActivating);
    setAttribute(Qt::WA_X11DoNotAcceptFocus);
    setFocusPolicy(Qt::NoFocus);
    setFrame(frame);
}

PetPanelWindow::~PetPanelWindow() {
    stopRaisingPanel(this);
    PanelMoves::shared().remove(*this);
    cancelFrame();
    cancelSettle();
    if (root_) root_->setChangeHandler({});
}

void PetPanelWindow::setFrame(const Rect& frame) {
    const int margin = int(drawingMargin);
    QSize size(std::max(1, int(std::ceil(frame.width()))) + 2 * margin,
               std::max(1, int(std::ceil(frame.height()))) + 2 * margin);
    bool resized = size != this->size();
    frame_ = frame;
    if (resized) {
        cancelSettle();
        offset_ = {};
        // Qt sends its own idea of the position along with a new size, and it has not heard of
        // our direct moves: it is told first.
        PanelMoves::shared().qtListens(*this);
        const QPoint at = windowOrigin(size);
        movePending_ = false;
        move(at);
        setFixedSize(size);
        placedAt_ = at;
    }
    placeWindow();
    if (resized) {
        shape_.forgetHitMask();
        forceRepaint();
    }
}

void PetPanelWindow::setFrameOrigin(Point origin) {
    frame_.origin = origin;
    placeWindow();
}

QPoint PetPanelWindow::windowOrigin(QSize size) const {
    return toQtGeometry({frame_.minX() - drawingMargin, frame_.minY() - drawingMargin, double(size.width()),
                         double(size.height())})
        .topLeft();
}

void PetPanelWindow::placeWindow() {
    const QPoint at = windowOrigin(size());
    pacer_.setFrameInterval(frameInterval(*this));
    if (isVisible() && placedAt_ && !movePending_ && !frameImage_.isNull()) {
        const QPoint shift = at - *placedAt_;
        const QPoint offset(shift.x(), -shift.y());
        if (offset == offset_) return;
        if (drawingFits(offset)) {
            offset_ = offset;
            shape_.forgetHitMask();
            // The window stays, so the shift may wait for a frame already on its way, as any
            // other change of the drawing does.
            offsetUnpainted_ = true;
            if (!frameWake_) forceRepaint();
            shiftedAt_ = anim::currentMediaTime();
            if (offset_.isNull())
                cancelSettle();
            else if (!settleWake_)
                planSettle(settleDelay);
            return;
        }
    }
    // Too far for the room around the drawing: the window follows.
    unshift();
    moveWindow(at);
}

void PetPanelWindow::unshift() {
    cancelSettle();
    if (offset_.isNull()) return;
    // A drawing left shifted would lose the room that sparkles and signs need, and the window
    // would no longer say where the pet is: it comes home in the window with the window's move,
    // in the same flush.
    offset_ = {};
    shape_.forgetHitMask();
    if (isVisible()) forceRepaint();
}

void PetPanelWindow::planSettle(double delay) {
    settleWake_ = TimerHub::shared().add(delay, settleDelay / 4, [this] {
        settleWake_ = 0;
        const double still = anim::currentMediaTime() - shiftedAt_;
        if (still < settleDelay) {
            planSettle(settleDelay - still);
            return;
        }
        unshift();
        moveWindow(windowOrigin(size()));
    });
}

void PetPanelWindow::cancelSettle() {
    if (settleWake_) TimerHub::shared().remove(std::exchange(settleWake_, 0));
}

void PetPanelWindow::moveWindow(QPoint at) {
    if (placedAt_ == at) return;
    placedAt_ = at;
    // Qt's move rewrites the window's size hints and reads its frame back from the server, a
    // round trip for every step of a walking pet, and Qt's idea of the position is stale after
    // our own moves: a created window is moved directly, unheard by Qt while it is shown.
    if (qtX11Display() && testAttribute(Qt::WA_WState_Created)) {
        if (!isVisible()) {
            movePending_ = true;
            return sendPendingMove();
        }
        // What the window shows was drawn for where it stands. A clip or a shift that changes
        // with the move is painted at the end of this turn, and the loop flushes before that:
        // moved at once, the window would show the old drawing at the new place for a moment (a
        // pet reaching into the taskbar). So the move waits for the turn's paint, or for the
        // turn's end when nothing is painted, and reaches X in the same flush as the frame.
        movePending_ = true;
        postTurnEnd();
        return;
    }
    move(at);
}

void PetPanelWindow::sendPendingMove() {
    if (!std::exchange(movePending_, false) || !placedAt_) return;
    Display* dpy = qtX11Display();
    if (!dpy || !testAttribute(Qt::WA_WState_Created)) return;
    QWindow* handle = windowHandle();
    if (QScreen* screen = screenForWindowAt(QRect(*placedAt_, size()), handle->screen()); screen != handle->screen())
        return carryToScreen(*screen);
    if (isVisible())
        PanelMoves::shared().qtDeaf(*this);
    else
        PanelMoves::shared().qtListens(*this);
    const QPoint onServer = serverPosition(QRect(*placedAt_, size()), handle->screen());
    XMoveWindow(dpy, static_cast<unsigned long>(winId()), onServer.x(), onServer.y());
    flushBeforeSleep(dpy);
}

void PetPanelWindow::carryToScreen(QScreen& screen) {
    // Qt draws a window at the scale of the screen it has given it, and gives it another one only
    // for a move it makes or hears. Moved by Qt, the window takes the new screen's scale, its size
    // in device pixels with it.
    carrying_ = true;
    PanelMoves::shared().qtListens(*this);
    QWindow* handle = windowHandle();
    handle->setScreen(&screen);
    handle->setGeometry(QRect(placedAt_.value_or(pos()), size()));
    flushBeforeSleep(qtX11Display());
    carrying_ = false;
}

void PetPanelWindow::screenChanged() {
    // A screen that goes away hands its windows to another one, whose scale Qt then draws at in
    // the window's old size in device pixels: the drawing would be cut, or lie in a corner. Put
    // where it stands by Qt, the window takes the size that scale gives it.
    if (!carrying_ && windowHandle()->screen()) carryToScreen(*windowHandle()->screen());
    pacer_.setFrameInterval(frameInterval(*this));
    // The input region is in the old scale's pixels: the next frame's replaces it at once.
    shape_.forgetApplied();
    shape_.forgetHitMask();
    upload_.forgetWindowContents();
    forceRepaint();
}

bool PetPanelWindow::drawingFits(QPoint offset) const {
    // Half the margin at most: a hop's worth, with room left for what a pet draws next.
    constexpr int reach = int(drawingMargin / 2);
    if (std::abs(offset.x()) > reach || std::abs(offset.y()) > reach) return false;
    const QRect drawn = renderer_.paintedArea(frameImage_);
    if (drawn.isEmpty()) return false;
    const double ratio = frameImage_.devicePixelRatio();
    const QPoint shift(int(std::lround((offset.x() - paintedOffset_.x()) * ratio)),
                       int(std::lround((paintedOffset_.y() - offset.y()) * ratio)));
    return frameImage_.rect().contains(drawn.translated(shift));
}

void PetPanelWindow::orderFront() {
    if (!isVisible()) show();
    if (qtX11Display()) raisePanel(this);
}

void PetPanelWindow::orderOut() {
    sendPendingMove();
    PanelMoves::shared().qtListens(*this);
    hide();
    pacer_.cancel();
    upload_.forgetWindowContents();
}

void PetPanelWindow::showEvent(QShowEvent*) {
    connect(windowHandle(), &QWindow::screenChanged, this, &PetPanelWindow::screenChanged, Qt::UniqueConnection);
    pacer_.setFrameInterval(frameInterval(*this));
    keepPanelRaised(this);
    PanelMoves::shared().add(*this);
    shape_.forgetApplied();
    upload_.forgetWindowContents();
    forceRepaint();
}

void PetPanelWindow::setRootLayer(std::shared_ptr<anim::Layer> layer) {
    if (root_ == layer) return;
    if (root_) root_->setChangeHandler({});
    root_ = std::move(layer);
    if (root_) root_->setChangeHandler([this] { treeChanged(); });
    forceRepaint();
}

void PetPanelWindow::setClipRect(std::optional<Rect> rect) {
    if (clip_ == rect) return;
    clip_ = rect;
    forceRepaint();
}

void PetPanelWindow::setIgnoresMouseEvents(bool ignores) {
    if (ignoresMouse_ == ignores) return;
    ignoresMouse_ = ignores;
    pressed_ = false;
    updateShape(true);
}

void PetPanelWindow::setMouseHandlers(std::function<bool(Point)> hitTest,
                                      std::function<void(const PanelMouseEvent&)> onEvent) {
    hitTest_ = std::move(hitTest);
    onEvent_ = std::move(onEvent);
    shapeHitTest_ = nullptr;
    if (hitTest_) shapeHitTest_ = [this](Point p) { return hitTest_({p.x - offset_.x(), p.y - offset_.y()}); };
    shape_.forgetHitMask();
    updateShape(true);
}

void PetPanelWindow::updateShape(bool force) {
    shape_.update(*this, frameImage_, ignoresMouse_, shapeHitTest_, force);
}

// ---- painting

void PetPanelWindow::planFrame(double at, double tolerance) {
    cancelFrame();
    // A little late is allowed, so that both pets' frames (and their gaze looks) are drawn in
    // one wake-up and reach X in one flush.
    frameWake_ = TimerHub::shared().add(at - anim::currentMediaTime(), tolerance, [this] {
        frameWake_ = 0;
        pacer_.frameCame();
        refreshSoon();
    });
}

void PetPanelWindow::cancelFrame() {
    if (frameWake_) TimerHub::shared().remove(std::exchange(frameWake_, 0));
}

void PetPanelWindow::forceRepaint() {
    pacer_.forget();
    treeChanged();
}

void PetPanelWindow::treeChanged() {
    // A frame coming soon looks at the change then; otherwise look once after the burst of
    // layer changes this turn of the loop makes.
    if (pacer_.needsLook(anim::currentMediaTime())) refreshSoon();
}

void PetPanelWindow::refreshSoon() {
    lookWanted_ = true;
    // After the other work of this turn, so that a frame and a gaze look that wake together
    // are looked at (and painted) once.
    postTurnEnd();
}

void PetPanelWindow::postTurnEnd() {
    if (refreshPosted_) return;
    refreshPosted_ = true;
    QCoreApplication::postEvent(this, new QEvent(refreshEvent), Qt::LowEventPriority);
}

bool PetPanelWindow::event(QEvent* event) {
    if (event->type() != refreshEvent) return QWidget::event(event);
    refreshPosted_ = false;
    if (std::exchange(lookWanted_, false)) refresh();
    sendPendingMove();
    return true;
}

void PetPanelWindow::refresh() {
    if (!root_ || !isVisible()) {
        pacer_.cancel();
        return;
    }
    if (offsetUnpainted_) pacer_.forget();
    // Judged in points, not device pixels: a half-point step is the same length on a screen of
    // any density, so a denser screen needs no more frames for the same motion.
    pacer_.refresh(*root_, anim::currentMediaTime(), 1.0);
}

void PetPanelWindow::repaintNow(double t) {
    std::swap(frameImage_, previousImage_);
    renderer_.renderInto(frameImage_, *root_, t, QSizeF(width(), height()), devicePixelRatioF(), clip_,
                         contentOrigin());
    paintedOffset_ = offset_;
    offsetUnpainted_ = false;
    ++paintCount_;
    updateShape(false);
    // Both frames are transparent outside what either drew on.
    const QRect drawn = renderer_.paintedArea(frameImage_) | renderer_.paintedArea(previousImage_);
    sendPendingMove();
    if (!upload_.put(frameImage_, previousImage_, drawn)) {
        upload_.forgetWindowContents();
        update();
    }
}

void PetPanelWindow::paintEvent(QPaintEvent*) {
    QPainter p(this);
    p.setCompositionMode(QPainter::CompositionMode_Source);
    p.fillRect(rect(), Qt::transparent);
    if (frameImage_.isNull()) return;
    // The frame is in device pixels: drawn one to one it is a plain copy. Scaled by the painter's
    // device pixel ratio Qt would take its general path and hand the rows to its thread pool.
    const double ratio = frameImage_.devicePixelRatio();
    p.scale(1 / ratio, 1 / ratio);
    p.drawImage(QPointF(0, 0), QImage(frameImage_.constBits(), frameImage_.width(), frameImage_.height(),
                                      frameImage_.bytesPerLine(), frameImage_.format()));
}

}  // namespace platform::qt
